// Reading allocation-table entries: widths, entries across sector boundaries, the range of the
// table, unreadable sectors and the block cache.
#include <gtest/gtest.h>

#include "fat/fat_image_builder.h"
#include "fat/fat_table.h"
#include "fat/fat_test_volume.h"

namespace orvande::test {
namespace {

TEST(FatTable, Fat12EntryAcrossTheSectorBoundary) {
  FatImageBuilder image(FatLayout::Diskette());
  image.SetFat(340, 0x123);
  image.SetFat(341, 0xABC);  // bytes 511 and 512 of the table
  image.SetFat(342, 0x456);
  FatTestVolume volume(image.Bytes());
  ASSERT_TRUE(volume.Open());
  FatTable& table = *volume.analyzer.Table();
  uint32_t value = 0;
  ASSERT_TRUE(table.GetEntry(341, &value));
  EXPECT_EQ(value, 0xABCu);
  EXPECT_EQ(table.GetEntry(340), 0x123u);
  EXPECT_EQ(table.GetEntry(342), 0x456u);
}

TEST(FatTable, Fat12EntriesAnswerWhenTheirBlockCannotBeReadWhole) {
  FatImageBuilder image(FatLayout::Diskette());
  image.SetFat(341, 0xABC);
  image.SetFat(3071, 0x7E5);  // the last entry of the 9-sector table
  image.SetFat(1366, 0x123);
  image.CopyFirstFat();
  image.SetFat(1366, 0x456);  // only the copy keeps the old value
  FatTestVolume volume(image.Bytes());
  volume.Image().Fail(5, 5);  // table sector 4: spoils the block, not the entries' sectors
  ASSERT_TRUE(volume.Open());
  FatTable& table = *volume.analyzer.Table();
  EXPECT_EQ(table.GetEntry(3071), 0x7E5u);
  EXPECT_EQ(table.GetEntry(341), 0xABCu);
  // Its entry lies in the failing sector: the second copy answers.
  EXPECT_EQ(table.GetEntry(1366), 0x123u);
}

TEST(FatTable, Fat16AndFat32Entries) {
  FatImageBuilder fat16(FatLayout::SmallFat16());
  fat16.SetFat(300, 0xFFF7);
  FatTestVolume volume16(fat16.Bytes());
  ASSERT_TRUE(volume16.Open());
  FatTable& table16 = *volume16.analyzer.Table();
  EXPECT_EQ(table16.GetEntry(300), 0xFFF7u);
  EXPECT_TRUE(table16.IsBad(0xFFF7));
  EXPECT_FALSE(table16.IsEndOfChain(0xFFF7));
  EXPECT_TRUE(table16.IsEndOfChain(0xFFF8));

  FatImageBuilder fat32(FatLayout::SmallFat32());
  fat32.SetFat(65000, 0xF0000005);  // the top four bits are not part of the entry
  FatTestVolume volume32(fat32.Bytes());
  ASSERT_TRUE(volume32.Open());
  FatTable& table32 = *volume32.analyzer.Table();
  EXPECT_EQ(table32.GetEntry(65000), 5u);
  EXPECT_TRUE(table32.IsEndOfChain(0x0FFFFFF8));
  EXPECT_FALSE(table32.IsEndOfChain(0xFFF8));
  EXPECT_TRUE(table32.IsBad(0x0FFFFFF7));
}

TEST(FatTable, ClustersBeyondTheTableHaveNoEntry) {
  FatImageBuilder image(FatLayout::SmallFat16());  // 32 table sectors: 8192 entries
  FatTestVolume volume(image.Bytes());
  ASSERT_TRUE(volume.Open());
  FatTable& table = *volume.analyzer.Table();
  const size_t readsBefore = volume.Device().Probe().reads.size();
  uint32_t value = 99;
  EXPECT_FALSE(table.GetEntry(8192, &value));
  EXPECT_EQ(value, 0u);
  EXPECT_FALSE(table.GetEntry(0xFFFFFFFF, &value));
  EXPECT_EQ(volume.Device().Probe().reads.size(), readsBefore);
  EXPECT_TRUE(table.GetEntry(8191, &value));
}

TEST(FatTable, UnreadableSectorIsTakenFromTheSecondCopy) {
  FatImageBuilder image(FatLayout::SmallFat16());
  image.SetFat(100, 0x1234);   // table sector 0
  image.SetFat(1000, 0x4321);  // table sector 3
  image.CopyFirstFat();
  FatTestVolume volume(image.Bytes());
  volume.Image().Fail(1 + 3, 23);
  ASSERT_TRUE(volume.Open());
  FatTable& table = *volume.analyzer.Table();
  EXPECT_EQ(table.GetEntry(1000), 0x4321u);
  EXPECT_EQ(table.GetEntry(100), 0x1234u);
  EXPECT_EQ(table.GetEntry(1001), 0u);
  const std::string text = volume.log.JoinedText();
  EXPECT_NE(text.find("Bad sector at: 0x0000000000000004"), std::string::npos) << text;
  EXPECT_NE(text.find("FAT sector 3 can't be read; its entries were taken from FAT copy 2."),
            std::string::npos)
      << text;
  EXPECT_EQ(volume.analyzer.BadSectors().Count(), 1u);

  // Without a readable copy the entry is unknown: 0 and false.
  FatTestVolume both(image.Bytes());
  both.Image().Fail(1 + 3, 23);
  both.Image().Fail(1 + 32 + 3, 23);
  ASSERT_TRUE(both.Open());
  uint32_t value = 7;
  EXPECT_FALSE(both.analyzer.Table()->GetEntry(1000, &value));
  EXPECT_EQ(value, 0u);
  EXPECT_EQ(both.analyzer.Table()->GetEntry(100), 0x1234u);
}

TEST(FatTable, WalkingTheWholeTableReadsFewBlocks) {
  FatImageBuilder image(FatLayout::SmallFat32());
  for (uint32_t c = 2; c < 70000; ++c) image.SetFat(c, c + 1);
  FatTestVolume volume(image.Bytes());
  ASSERT_TRUE(volume.Open());
  FatTable& table = *volume.analyzer.Table();
  const size_t readsBefore = volume.Device().Probe().reads.size();
  for (uint32_t c = 2; c < 70000; ++c) ASSERT_EQ(table.GetEntry(c), c + 1) << c;
  // 560 table sectors in blocks of 128 sectors.
  EXPECT_LE(volume.Device().Probe().reads.size() - readsBefore, 5u);
}

}  // namespace
}  // namespace orvande::test
