// Every file of the NTFS corpus images whose content and record are still intact, live or
// deleted, comes back byte for byte from its MFT record: resident, fragmented, sparse, compressed
// and listed files, and alternate streams when streams are asked for.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/corpus.h"
#include "core/recovery_context.h"
#include "disk/image_file_node.h"
#include "disk/sector_device.h"
#include "ntfs/ntfs_analyzer.h"
#include "ntfs_test_volume.h"

namespace orvande {
namespace {

class CorpusFiles : public test::NtfsOutputTest {};

TEST_F(CorpusFiles, IntactFilesComeBackWhole) {
  const std::vector<std::string> names = test::CorpusImageNames("ntfs");
  if (names.empty()) GTEST_SKIP() << "no NTFS images in tests/data";
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const test::CorpusImage& image = test::LoadCorpusImage(name);
    ImageFileNode node(image.imagePath);
    SectorDevice* device = node.CreateDevice();
    ASSERT_TRUE(device->Open(false, nullptr));
    NtfsAnalyzer analyzer;
    OperationLog openLog;
    const bool opened = analyzer.Open(device, false, &openLog);
    device->Release();
    ASSERT_TRUE(opened) << test::Lines(openLog);
    EXPECT_EQ(analyzer.BytesPerCluster(), image.bytesPerCluster);
    const uint64_t recordSize = analyzer.MftTable().RecordSize();

    int checked = 0, kinds[5] = {};
    for (const test::CorpusEntry& entry : image.entries) {
      if (entry.IsFolder() || !entry.intact || !entry.entryIntact || !entry.mftRecord) continue;
      SCOPED_TRACE(entry.path);
      const std::string out = PathOf("r" + std::to_string(checked));
      ItemLocation location(1, *entry.mftRecord * recordSize);
      RecoveryContext context;
      OperationLog log;
      ASSERT_TRUE(analyzer.RecoverFile(location, entry.size, out, entry.IsStream(), context, &log))
          << test::Lines(log);
      std::string recovered = out;
      if (entry.IsStream()) recovered += entry.path.substr(entry.path.rfind(':'));
      EXPECT_EQ(test::Sha256OfFile(recovered), entry.sha256) << test::Lines(log);
      EXPECT_EQ(log.FlaggedCount(), 0u) << test::Lines(log);
      ++checked;
      kinds[0] += entry.resident;
      kinds[1] += entry.fragments > 1;
      kinds[2] += entry.sparse;
      kinds[3] += entry.compressed;
      kinds[4] += entry.attributeList;
    }
    // Each image holds every kind of data this reader has to follow.
    EXPECT_GT(checked, 0);
    for (int kind = 0; kind < 5; ++kind) EXPECT_GT(kinds[kind], 0) << "kind " << kind;
  }
}

}  // namespace
}  // namespace orvande
