// MFT records on sectors that the device can only deliver as zeros: the analysis names each such
// sector once and ends with their number, instead of leaving the records out without a word.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/corpus.h"
#include "common/memory_device.h"
#include "ntfs/ntfs_analyzer.h"
#include "ntfs_tree_fixture.h"
#include "support/le_reader.h"
#include "support/result_codes.h"

namespace orvande {
namespace {

constexpr uint64_t kMftClusterOffset = 0x30;  // u64
constexpr uint64_t kRecord = 98;               // Documents/overwritten.bin of the corpus image

std::string BadSectorLine(uint64_t sector) {
  char line[64];
  std::snprintf(line, sizeof line, "WARNING: Bad sector at: 0x%016llx",
                static_cast<unsigned long long>(sector));
  return line;
}

TEST(NtfsBadSectors, RecordOnFilledSectorsIsNamedInTheLog) {
  const test::CorpusImage& image = test::LoadCorpusImage("ntfs512");
  std::ifstream in(image.imagePath, std::ios::binary);
  std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
  ASSERT_GT(bytes.size(), 512u);
  // The records lie one after another from the MFT's first cluster (512-byte clusters here).
  const uint64_t firstSector = LeReader(bytes).U64(kMftClusterOffset) + kRecord * 2;
  auto* device = new test::MemorySectorDevice(bytes);
  device->Image().Fail(firstSector, ErrDataError);
  device->Image().Fail(firstSector + 1, ErrDataError);
  device->Open(false, nullptr);
  NtfsAnalyzer analyzer;
  OperationLog log;
  ASSERT_TRUE(analyzer.Open(device, false, &log));
  device->Release();
  test::TreeUnderTest tree;
  EXPECT_EQ(analyzer.BuildTree(tree.Context(nullptr), &log), 0u);

  const std::vector<std::string>& lines = log.Lines();
  for (uint64_t sector : {firstSector, firstSector + 1})
    EXPECT_EQ(std::count(lines.begin(), lines.end(), BadSectorLine(sector)), 1) << log.JoinedText();
  EXPECT_EQ(std::count(lines.begin(), lines.end(),
                       "WARNING: 2 bad sector(s) could not be read; their contents were taken as "
                       "zeros."),
            1)
      << log.JoinedText();
}

}  // namespace
}  // namespace orvande
