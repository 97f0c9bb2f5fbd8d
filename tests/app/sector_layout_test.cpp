// The sector viewer's logic without widgets: the 64 KiB window cache, the rows of blocks and the
// caret moves over them, the clipboard text, and the sources that read the analysed volume.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "analyzed_corpus.h"
#include "app/frame_commands.h"
#include "app/frame_state.h"
#include "app/sector_copy_text.h"
#include "app/sector_data_source.h"
#include "app/sector_device_source.h"
#include "app/sector_layout.h"
#include "app/sector_view_opening.h"
#include "app/sector_window_cache.h"
#include "common/memory_device.h"
#include "core/file_record.h"
#include "core/folder_item.h"
#include "core/item_store.h"

namespace orvande {
namespace {

// Byte i holds i & 0xFF; reads are counted, and nothing from unreadableFrom on comes back.
class PatternSource final : public SectorDataSource {
 public:
  PatternSource(uint64_t size, uint32_t block = 512) : size_(size), block_(block) {}

  size_t Read(uint64_t offset, uint8_t* buffer, size_t count) override {
    ++reads;
    const uint64_t end = std::min({offset + count, size_, unreadableFrom});
    for (uint64_t at = offset; at < end; ++at) buffer[at - offset] = static_cast<uint8_t>(at);
    return end > offset ? static_cast<size_t>(end - offset) : 0;
  }
  uint32_t BlockSize() const override { return block_; }
  uint32_t BytesPerSector() const override { return block_; }
  uint32_t BytesPerCluster() const override { return block_ * 8; }
  uint64_t TotalSize() const override { return size_; }

  int reads = 0;
  uint64_t unreadableFrom = UINT64_MAX;

 private:
  uint64_t size_;
  uint32_t block_;
};

TEST(SectorWindowCache, MovesInHalfWindowStepsAndKeepsWhatItRead) {
  PatternSource source(1 << 20);
  SectorWindowCache cache(&source);
  struct Step {
    uint64_t offset;
    uint64_t windowFirst;
    int reads;  // after the step
  };
  const Step steps[] = {
      {40000, 32768, 1},   // rounded down to 32 KiB, spans 64 KiB
      {98303, 32768, 1},   // the window's last byte
      {98304, 98304, 2},   // one past it
      {65536, 65536, 3},   // back before the window
      {70000, 65536, 3},
      {0, 0, 4},
  };
  for (const Step& step : steps) {
    uint8_t value = 0;
    ASSERT_TRUE(cache.ByteAt(step.offset, &value)) << step.offset;
    EXPECT_EQ(value, static_cast<uint8_t>(step.offset));
    EXPECT_EQ(cache.First(), step.windowFirst) << step.offset;
    EXPECT_EQ(cache.End(), step.windowFirst + SectorWindowCache::kCacheBytes);
    EXPECT_EQ(source.reads, step.reads) << step.offset;
  }
}

TEST(SectorWindowCache, BytesPastTheReadOrTheEndAreUnreadable) {
  PatternSource source(100000);
  source.unreadableFrom = 40000;
  SectorWindowCache cache(&source);
  uint8_t value = 0;
  EXPECT_TRUE(cache.ByteAt(39999, &value));
  EXPECT_EQ(cache.ValidEnd(), 40000u);
  // Inside the window but not read: no new read is made for it.
  EXPECT_FALSE(cache.ByteAt(40000, &value));
  EXPECT_EQ(source.reads, 1);
  // Past the end: unreadable, and nothing is asked of the source.
  EXPECT_FALSE(cache.ByteAt(100000, &value));
  EXPECT_EQ(source.reads, 1);
  cache.SetSource(nullptr);
  EXPECT_FALSE(cache.ByteAt(0, &value));
}

TEST(SectorLayout, EveryBlockStartsWithItsHeaderAndRowsRestartAtBlocks) {
  struct Case {
    uint64_t total;
    uint32_t block;
    uint64_t rows;
    uint32_t lastRowLength;
  };
  const Case cases[] = {
      {1024, 512, 66, 16},      // 1 header and 32 full rows per block
      {1040, 520, 2 * 34, 8},   // 32 full rows and one of 8 per block
      {512 + 20, 512, 33 + 3, 4},
      {5, 512, 2, 5},
  };
  for (const Case& c : cases) {
    const SectorLayout layout(c.total, c.block);
    ASSERT_EQ(layout.RowCount(), c.rows) << c.total << "/" << c.block;
    EXPECT_TRUE(layout.Row(0).header);
    EXPECT_EQ(layout.Row(c.rows - 1).length, c.lastRowLength);
    // Every offset lies in the data row RowOf names, and rows follow each other without gaps.
    uint64_t next = 0;
    for (uint64_t r = 0; r < c.rows; ++r) {
      const SectorRow row = layout.Row(r);
      if (row.header) {
        EXPECT_EQ(row.blockStart % c.block, 0u);
        EXPECT_EQ(row.blockStart, next);
        continue;
      }
      EXPECT_EQ(row.first, next);
      for (uint64_t at = row.first; at < row.first + row.length; ++at)
        ASSERT_EQ(layout.RowOf(at), r) << at;
      next += row.length;
    }
    EXPECT_EQ(next, c.total);
  }
}

TEST(SectorLayout, RowsOfATerabyteSourceMapBothWays) {
  const uint64_t total = uint64_t{3} << 40;
  const SectorLayout layout(total, 4096);
  const uint64_t last = layout.RowOf(total - 1);
  EXPECT_EQ(last, layout.RowCount() - 1);
  const SectorRow row = layout.Row(last);
  EXPECT_EQ(row.first + row.length, total);
  EXPECT_EQ(layout.OffsetDigits(), 11);
  EXPECT_EQ(SectorOffsetDigits(0), 2);
  EXPECT_EQ(SectorOffsetDigits(UINT64_MAX), 16);
}

TEST(SectorLayout, CaretMovesRespectBlocksAndEnds) {
  const SectorLayout even(4 * 512, 512);
  const SectorLayout odd(3 * 520, 520);
  struct Case {
    const SectorLayout* layout;
    uint64_t (SectorLayout::*move)(uint64_t) const;
    uint64_t from;
    uint64_t to;
  };
  const Case cases[] = {
      // A block of 512: Up and Down are always 16 bytes, across block boundaries too.
      {&even, &SectorLayout::Down, 500, 516},
      {&even, &SectorLayout::Up, 516, 500},
      {&even, &SectorLayout::Down, 1530, 1546},
      {&even, &SectorLayout::Up, 5, 5},         // first row: stays
      {&even, &SectorLayout::Down, 2040, 2040},  // last row: stays
      // A block of 520: the short last row takes its last byte; the column does not return.
      {&odd, &SectorLayout::Down, 506, 519},
      {&odd, &SectorLayout::Down, 519, 527},
      {&odd, &SectorLayout::Up, 523, 515},
      {&odd, &SectorLayout::Up, 519, 503},
      // Pages are blocks; both ends hold the caret.
      {&even, &SectorLayout::PageDown, 100, 612},
      {&even, &SectorLayout::PageDown, 1800, 2047},
      {&even, &SectorLayout::PageUp, 700, 188},
      {&even, &SectorLayout::PageUp, 300, 0},
      {&even, &SectorLayout::Left, 0, 0},
      {&even, &SectorLayout::Right, 2047, 2047},
      {&even, &SectorLayout::Right, 511, 512},
  };
  for (const Case& c : cases)
    EXPECT_EQ((c.layout->*c.move)(c.from), c.to) << "from " << c.from;
}

TEST(SectorLayout, HeaderAndRowTexts) {
  EXPECT_EQ(SectorHeaderTextAt(9 * 512, 512, 4096), "Sector 9 (cluster 1)");
  EXPECT_EQ(SectorHeaderTextAt(0, 0, 0), "Sector 0 (cluster 0)");

  SectorRowBytes row;
  row.count = 10;
  const uint8_t bytes[] = {'A', 0x00, 0xE9, 0x85, 0x7E, 0x20, 1, 2, 3, 4};
  std::copy(std::begin(bytes), std::end(bytes), row.value.begin());
  row.readable = 0x3FF & ~(1u << 6);
  const std::string text = SectorRowText(0x1F0, row, 4);
  EXPECT_EQ(text, "01F0: 41 00 E9 85 7E 20 ?? 02-03 04" + std::string(18, ' ') +
                      "  A.\xE9.~ ...." );
  EXPECT_EQ(text.size(), static_cast<size_t>(SectorCharColumn(4) + 10));
  EXPECT_EQ(SectorChar(0xE9, SectorCharRule::kAsciiOnly), '.');
}

TEST(SectorCopyText, HexRowsAndCharactersOfASelection) {
  PatternSource source(0x300);
  source.unreadableFrom = 0x201;
  SectorWindowCache cache(&source);

  const SectorCopy hex = SectorCopyText(cache, 0x1FE, 0x202, SectorCopyMode::kHex);
  const std::string hexStart(5, ' ');  // "202:" and a blank
  const std::string expected =
      hexStart + "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F       ASCII\r\n" +
      hexStart + std::string(47, '-') + "  " + std::string(16, '-') + "\r\n" +
      "1F0:" + std::string(43, ' ') + "FE FF" + std::string(16, ' ') + "\xFE\xFF\r\n" +
      "200: 00" + std::string(47, ' ') + "." + std::string(15, ' ') + "\r\n";
  EXPECT_EQ(hex.text, expected);
  EXPECT_FALSE(hex.shortened);
  // The text never outgrows the buffer the layout is sized for: (rows + 2) * (width + 70) + 1.
  EXPECT_LE(hex.text.size() + 1, (2u + 2u) * (3u + 70u) + 1u);

  // Characters up to the first unreadable byte, in either order of the ends.
  EXPECT_EQ(SectorCopyText(cache, 0x202, 0x1FE, SectorCopyMode::kCharacters).text,
            "\xFE\xFF.");
  EXPECT_EQ(SectorCopyText(cache, 0x41, 0x43, SectorCopyMode::kCharacters).text, "ABC");

  PatternSource huge(uint64_t{1} << 40);
  SectorWindowCache hugeCache(&huge);
  const SectorCopy shortened =
      SectorCopyText(hugeCache, 0, (uint64_t{1} << 40) - 1, SectorCopyMode::kCharacters);
  EXPECT_TRUE(shortened.shortened);
  EXPECT_EQ(shortened.text.size(), kMaxCopyBytes);
}

TEST(SectorDeviceSource, ReadsUpToABadSectorAndShowsTheStoredBootSector) {
  test::MemoryNode node(std::vector<uint8_t>(8 * 512, 0x11));
  std::array<uint8_t, 512> boot{};
  boot.fill(0xB0);
  node.Image().storedBootSector = boot;
  node.Image().Fail(5, 23);
  DeviceRef device(node.CreateDevice());
  ASSERT_TRUE(device->Open(true, nullptr));
  SectorDeviceSource source(device, 512, 4096, 8 * 512);
  EXPECT_EQ(source.BlockSize(), 512u);

  SectorWindowCache cache(&source);
  uint8_t value = 0;
  ASSERT_TRUE(cache.ByteAt(0, &value));
  EXPECT_EQ(value, 0xB0);
  ASSERT_TRUE(cache.ByteAt(5 * 512 - 1, &value));
  EXPECT_EQ(value, 0x11);
  EXPECT_FALSE(cache.ByteAt(5 * 512, &value));
  EXPECT_FALSE(cache.ByteAt(7 * 512, &value));
}

// The device list may drop its entry while a viewer is open: the source keeps the node.
TEST(SectorDeviceSource, KeepsItsNodeAfterTheListDropsIt) {
  auto node = std::make_shared<test::MemoryNode>(std::vector<uint8_t>(4 * 512, 0x5A));
  DeviceRef device(node->CreateDevice());
  ASSERT_TRUE(device->Open(true, nullptr));
  SectorDeviceSource source(std::move(device), 512, 512, 4 * 512, node);
  const std::weak_ptr<test::MemoryNode> watch = node;
  node.reset();
  EXPECT_FALSE(watch.expired());
  std::array<uint8_t, 512> bytes{};
  EXPECT_EQ(source.Read(3 * 512, bytes.data(), bytes.size()), 512u);
  EXPECT_EQ(bytes[511], 0x5A);
}

TEST(SectorViewOpening, ViewNeedsAnAnalysedVolumeThatNoWorkerHolds) {
  FrameState state;
  EXPECT_FALSE(IsCommandEnabled(command::kView, state));
  state.filesTreeHasNodes = true;
  EXPECT_TRUE(IsCommandEnabled(command::kView, state));
  state.workerRunning = true;
  EXPECT_FALSE(IsCommandEnabled(command::kView, state));
  ASSERT_NE(FindFrameCommand(command::kView), nullptr);
  EXPECT_STREQ(FindFrameCommand(command::kView)->menuText, "&View");
}

TEST(SectorViewOpening, AFilesViewStartsAtItsData) {
  test::AnalyzedCorpus corpus("fat16");
  ASSERT_TRUE(corpus.Built());
  const test::CorpusImage& image = test::LoadCorpusImage("fat16");
  VolumeAnalysis& analysis = corpus.Analysis();

  // A live file of at most one cluster: its content is the bytes from its first sector on.
  uint32_t folderId = 0, index = kNoFileOfFolder;
  std::string name;
  uint64_t size = 0;
  analysis.Store().ForEach([&](uint32_t id, FolderItem* folder) {
    for (uint32_t i = 0; i < folder->Files().size() && index == kNoFileOfFolder; ++i) {
      const FileRecord& file = folder->Files()[i];
      if (!file.deleted && file.size > 0 && file.size <= image.bytesPerCluster) {
        folderId = id;
        index = i;
        name = std::string(file.Name());
        size = file.size;
      }
    }
  });
  ASSERT_NE(index, kNoFileOfFolder);
  std::string hash;
  for (const test::CorpusEntry& e : image.entries)
    if (!e.deleted && e.type == "file" && e.size == size && e.path.ends_with(name)) hash = e.sha256;
  ASSERT_FALSE(hash.empty()) << name;

  const SectorViewOpening opening = OpenAnalyzedVolumeView(analysis, folderId, index, nullptr);
  ASSERT_TRUE(opening.source);
  EXPECT_EQ(opening.source->BytesPerSector(), image.bytesPerSector);
  EXPECT_EQ(opening.source->BytesPerCluster(), image.bytesPerCluster);
  EXPECT_NE(opening.startOffset, 0u);
  std::vector<uint8_t> shown(size);
  ASSERT_EQ(opening.source->Read(opening.startOffset, shown.data(), shown.size()), size);
  EXPECT_EQ(test::Sha256Hex(shown), hash) << name;

  // No file: the volume's start.
  EXPECT_EQ(OpenAnalyzedVolumeView(analysis, 0, kNoFileOfFolder, nullptr).startOffset, 0u);
}

}  // namespace
}  // namespace orvande
