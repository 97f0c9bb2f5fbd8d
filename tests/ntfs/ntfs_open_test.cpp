#include <gtest/gtest.h>

#include <array>

#include "ntfs/ntfs_status.h"
#include "ntfs_test_volume.h"
#include "support/le_reader.h"

namespace orvande {
namespace {

using test::Bytes;
using test::TestVolume;

TEST(NtfsOpen, GeometryAndTheTablesOwnRecord) {
  TestVolume volume;
  NtfsAnalyzer* analyzer = volume.Open();
  ASSERT_NE(analyzer, nullptr);
  EXPECT_EQ(analyzer->BytesPerSector(), 512u);
  EXPECT_EQ(analyzer->BytesPerCluster(), 4096u);
  EXPECT_EQ(analyzer->GetTotalSectors(), 8192u);
  EXPECT_EQ(analyzer->MftTable().RecordSize(), 1024u);
  EXPECT_EQ(analyzer->MftTable().Location(), ItemLocation(1, 0));
}

TEST(NtfsOpen, RefusedBootSectors) {
  TestVolume zeroSectorSize;
  StoreLe(zeroSectorSize.BootSector(), 11, 0, 2);
  OperationLog log;
  zeroSectorSize.Open(&log, false);
  EXPECT_EQ(test::Lines(log), "ERROR: Sectors in cluster: 8  Bytes per sector: 0");

  TestVolume unmarked;
  unmarked.BootSector()[3] = 'X';
  OperationLog quietLog;
  unmarked.Open(&quietLog, false);
  EXPECT_EQ(quietLog.LineCount(), 0u);
  // A stored boot sector stands in for sector 0 without the mark being checked.
  std::array<uint8_t, 512> stored{};
  std::copy(unmarked.BootSector().begin(), unmarked.BootSector().end(), stored.begin());
  unmarked.Image().storedBootSector = stored;
  EXPECT_NE(unmarked.Open(), nullptr);
}

TEST(NtfsOpen, UnreadableTableRecord) {
  TestVolume volume;
  Bytes broken = volume.MftOwnRecord();
  broken[0] = 'B';
  volume.PutRecord(0, broken);
  OperationLog log;
  volume.Open(&log, false);
  EXPECT_EQ(test::Lines(log),
            "ERROR: File record read error: 85670b06\r\n MFT: 0x0000000000000080  Cluster: 1000");

  // The record reads directly but its own runs lead nowhere readable.
  TestVolume lost;
  Bytes runsOutside = lost.MftOwnRecord();
  lost.PutRecord(0, runsOutside);
  StoreLe(lost.BootSector(), 0x28, 100, 8);  // the volume ends before the table
  OperationLog lostLog;
  lost.Open(&lostLog, false);
  EXPECT_NE(test::Lines(lostLog).find("File record read error: 85670b0e"), std::string::npos);
}

}  // namespace
}  // namespace orvande
