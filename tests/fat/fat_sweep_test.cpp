// The second pass: which clusters count as lost directories, their folders, where the sweep ends,
// and its progress.
#include "fat/fat_sweep.h"

#include <gtest/gtest.h>

#include <cstring>

#include "common/jpeg_sample.h"
#include "core/file_type_plugin.h"
#include "fat/fat_directory_entry.h"
#include "fat/fat_image_builder.h"
#include "fat/fat_test_volume.h"

namespace orvande::test {
namespace {

constexpr uint32_t kClusterCount = 8095;  // of FatLayout::SmallFat16()
constexpr uint32_t kMask16 = 0xFFFF;

std::vector<uint8_t> ClusterOf(const std::vector<EntryBytes>& entries, size_t size = 512) {
  std::vector<uint8_t> bytes(size, 0);
  for (size_t i = 0; i < entries.size(); ++i)
    std::copy(entries[i].begin(), entries[i].end(), bytes.begin() + i * 32);
  return bytes;
}

bool LooksLikeDirectory(const std::vector<uint8_t>& bytes) {
  return orvande::LooksLikeDirectory(bytes, kClusterCount, kMask16);
}

TEST(FatLostDirectoryTest, WhatCountsAsDirectoryData) {
  EXPECT_FALSE(LooksLikeDirectory(ClusterOf({DirEntryBytes(".", 20), DirEntryBytes("..", 0)})));
  EXPECT_TRUE(LooksLikeDirectory(ClusterOf({FileEntry("A       TXT", 5, 1)})));
  EXPECT_TRUE(LooksLikeDirectory(ClusterOf({Deleted(FileEntry("A       TXT", 5, 1))})));
  EXPECT_TRUE(LooksLikeDirectory(
      ClusterOf({DirEntryBytes(".", 20), DirEntryBytes("..", 0), DirEntryBytes("SUB", 21)})));
  // A subdirectory entry without a first cluster does not count.
  EXPECT_FALSE(LooksLikeDirectory(ClusterOf({DirEntryBytes("SUB", 0)})));
  // Long-name pieces alone do not count.
  EXPECT_FALSE(LooksLikeDirectory(ClusterOf(LongNamePieces(u"Some name", 0x12))));
  EXPECT_FALSE(LooksLikeDirectory(std::vector<uint8_t>(512, 0)));

  std::vector<uint8_t> dataAfterEnd = ClusterOf({FileEntry("A       TXT", 5, 1)});
  dataAfterEnd[5 * 32 + 7] = 'x';
  EXPECT_FALSE(LooksLikeDirectory(dataAfterEnd));

  EXPECT_FALSE(LooksLikeDirectory(ClusterOf({FileEntry("A       TXT", 5, 1), FileEntry("BAD?    TXT", 5, 1)})));
  // Clusters are numbered from 2: the last one is the count + 1.
  EXPECT_TRUE(LooksLikeDirectory(ClusterOf({FileEntry("A       TXT", kClusterCount + 1, 1)})));
  EXPECT_FALSE(LooksLikeDirectory(ClusterOf({FileEntry("A       TXT", kClusterCount + 2, 1)})));
  std::vector<uint8_t> text(512, 'a');  // letters pass as names, but the attribute byte does not
  EXPECT_FALSE(LooksLikeDirectory(text));
}

class FatSweepTest : public ::testing::Test {
 protected:
  FatImageBuilder image{FatLayout::SmallFat16()};

  // A directory cluster that nothing refers to.
  void LostDirectory(uint32_t cluster, const std::u16string& longName, const std::string& name83) {
    DirectoryWriter(image, image.ClusterOffset(cluster))
        .Add(LongNamePieces(longName, Checksum83(name83)))
        .Add(FileEntry(name83, cluster + 1, 1000));
  }
};

TEST_F(FatSweepTest, LostDirectoryBecomesATopLevelFolderOfDeletedFiles) {
  DirectoryWriter(image, image.RootDirOffset()).Add(DirEntryBytes("LIVE", 20));
  DirectoryWriter(image, image.ClusterOffset(20)).Add(FileEntry("HERE    TXT", 5, 1));
  image.Chain({20});
  LostDirectory(300, u"Lost photo.jpg", "LOSTPH~1JPG");
  DirectoryWriter(image, image.ClusterOffset(500)).Add(DirEntryBytes("INNER", 501));
  DirectoryWriter(image, image.ClusterOffset(501)).Add(FileEntry("DEEP    TXT", 5, 1));

  FatTestVolume v(image.Bytes());
  ASSERT_TRUE(v.Open());
  ASSERT_EQ(v.Build(), 0u);
  // Cluster 501 was reached through the lost directory at 500 before the sweep came to it.
  EXPECT_EQ(v.TopLevelNames(), (std::vector<std::string>{".", "$$folder_300", "$$folder_500"}));
  auto photo = v.File("/$$folder_300/Lost photo.jpg");
  ASSERT_TRUE(photo);
  EXPECT_EQ(photo->deleted, 1);
  EXPECT_EQ(photo->location.Position(), 301u);
  EXPECT_EQ(v.Folder("/$$folder_300")->Deleted(), 0);
  EXPECT_EQ(v.tree.Image(v.Node("/$$folder_300")), kImageHoldsDeleted);
  EXPECT_EQ(v.File("/$$folder_500/INNER/DEEP.TXT")->deleted, 1);
  EXPECT_EQ(v.tree.Image(v.Node("/$$folder_500/INNER")), kImageDeletedFolder);
  // The directory the walk reached is not found again.
  EXPECT_EQ(v.FileNames("LIVE"), std::vector<std::string>{"HERE.TXT"});
  EXPECT_EQ(v.Node("/$$folder_20"), kNoNode);
  EXPECT_TRUE(v.tree.IsExpanded(v.Node("")));
  // Ids go on from the walk's: root 1, LIVE 2, HERE 3, then the sweep's in cluster order.
  EXPECT_EQ(v.Folder("/$$folder_300")->Id(), 4u);
  EXPECT_EQ(photo->id, 5u);
  EXPECT_EQ(v.Folder("/$$folder_500")->Id(), 6u);
}

TEST_F(FatSweepTest, UnreadableClusterEndsTheSweepButBadSectorsAreSkipped) {
  LostDirectory(300, u"Before.txt", "BEFORE  TXT");
  LostDirectory(4000, u"After.txt", "AFTER   TXT");
  const uint64_t middleSector = image.ClusterOffset(2000) / 512;

  FatTestVolume badSector(image.Bytes());
  badSector.Image().Fail(middleSector, 23);  // a data error: read as zeros
  ASSERT_TRUE(badSector.Open());
  ASSERT_EQ(badSector.Build(), 0u);
  EXPECT_EQ(badSector.TopLevelNames(),
            (std::vector<std::string>{".", "$$folder_300", "$$folder_4000"}));

  FatTestVolume failing(image.Bytes());
  failing.Image().Fail(middleSector, 21);  // any other failure ends the sweep there
  ASSERT_TRUE(failing.Open());
  ASSERT_EQ(failing.Build(), 0u);
  EXPECT_EQ(failing.TopLevelNames(), (std::vector<std::string>{".", "$$folder_300"}));
  // The clusters before the failing one were each looked at; none after it.
  for (const ReadCall& read : failing.Device().Probe().reads)
    EXPECT_LE(read.first, image.ClusterOffset(2000 + 4096) / 512);
}

TEST_F(FatSweepTest, ImageShorterThanItsBootSectorClaims) {
  DirectoryWriter(image, image.RootDirOffset()).Add(FileEntry("ROOT    TXT", 5, 1));
  LostDirectory(300, u"Kept.txt", "KEPT    TXT");
  LostDirectory(3000, u"Gone.txt", "GONE    TXT");
  std::vector<uint8_t> bytes = image.Bytes();
  bytes.resize(image.ClusterOffset(1000) + 100);
  FatTestVolume v(bytes);
  ASSERT_TRUE(v.Open());
  EXPECT_EQ(v.Build(), 0u);
  EXPECT_EQ(v.FileNames(""), std::vector<std::string>{"ROOT.TXT"});
  EXPECT_EQ(v.TopLevelNames(), (std::vector<std::string>{".", "$$folder_300"}));
}

TEST_F(FatSweepTest, ProgressRunsOverTheDataClusters) {
  FatTestVolume v(image.Bytes());
  ASSERT_TRUE(v.Open());
  ASSERT_EQ(v.Build(), 0u);
  EXPECT_EQ(v.progress.Low(), 2u);
  EXPECT_EQ(v.progress.High(), kClusterCount + 2);  // one past the last cluster
  const std::vector<uint32_t> positions = v.progress.Positions();
  ASSERT_GE(positions.size(), 3u);
  EXPECT_EQ(positions[1], 12u);  // after the walk's 0: every 11th cluster
  EXPECT_EQ(positions[2], 23u);
  EXPECT_EQ(positions.back(), 0u);
}

TEST_F(FatSweepTest, TheLastTwoClustersAreSweptToo) {
  LostDirectory(kClusterCount, u"Next to last.txt", "NEXTTO~1TXT");
  DirectoryWriter(image, image.ClusterOffset(kClusterCount + 1))
      .Add(FileEntry("LAST    TXT", 5, 1));
  FatTestVolume v(image.Bytes());
  ASSERT_TRUE(v.Open());
  ASSERT_EQ(v.analyzer.ClusterToSector(kClusterCount + 2), v.analyzer.TotalSectors());
  ASSERT_EQ(v.Build(), 0u);
  EXPECT_EQ(v.TopLevelNames(), (std::vector<std::string>{".", "$$folder_8095", "$$folder_8096"}));
  EXPECT_EQ(v.FileNames("/$$folder_8096"), std::vector<std::string>{"LAST.TXT"});
}

TEST_F(FatSweepTest, ImageSearchLeavesOutTheDataOfLiveFiles) {
  const bool loadedHere = !TypePlugin().IsReady();
  if (loadedHere) TypePlugin().Load(REAL_TYPEPROBE);
  ASSERT_TRUE(TypePlugin().IsReady());
  const std::vector<uint8_t> jpeg = SmallJpeg(1200);  // three clusters
  for (uint32_t first : {50u, 100u, 200u})
    image.Put(image.ClusterOffset(first), jpeg.data(), jpeg.size());
  const auto size = static_cast<uint32_t>(jpeg.size());
  DirectoryWriter(image, image.RootDirOffset())
      .Add(FileEntry("LIVE    JPG", 50, size))
      .Add(Deleted(FileEntry("GONE    JPG", 100, size)));
  image.Chain({50, 51, 52});
  // Cluster 200 is reached by no entry: a lost file.

  FatTestVolume v(image.Bytes());
  ASSERT_TRUE(v.Open());
  ASSERT_EQ(v.Build(), 0u);
  EXPECT_EQ(v.FileNames("/Lost&Found/Images"),
            (std::vector<std::string>{"Image_1.jpg", "Image_2.jpg"}));
  std::vector<uint64_t> firstSectors;
  for (const FileRecord& file : v.Folder("/Lost&Found/Images")->Files())
    firstSectors.push_back(file.location.Runs()->Runs().front().first);
  EXPECT_EQ(firstSectors, (std::vector<uint64_t>{image.ClusterOffset(100) / 512,
                                                 image.ClusterOffset(200) / 512}));
  if (loadedHere) TypePlugin().Unload();
}

TEST_F(FatSweepTest, StopDuringTheSweep) {
  LostDirectory(3000, u"Late.txt", "LATE    TXT");
  FatTestVolume v(image.Bytes());
  ASSERT_TRUE(v.Open());
  const uint64_t firstData = image.FirstDataSector();
  v.Device().onRead = [&](const ReadCall& call) {
    if (call.first >= firstData) v.stop.store(1);
  };
  EXPECT_EQ(v.Build(), 0u);
  EXPECT_EQ(v.TopLevelNames(), std::vector<std::string>{"."});
  EXPECT_EQ(v.Device().Probe().reads.size(), 3u);  // boot sector, root directory, one block
}

TEST(FatSweepFat32, RootChainLongNamesAcrossClustersAndLostDirectories) {
  FatImageBuilder image(FatLayout::SmallFat32());
  image.Chain({2, 3});
  image.Chain({10});
  // 15 entries and the long name's first piece fill cluster 2; the name ends in cluster 3.
  DirectoryWriter root(image, image.ClusterOffset(2));
  for (int i = 0; i < 15; ++i) root.Add(FileEntry("F" + std::to_string(10 + i) + "     TXT", 20, 1));
  const std::vector<EntryBytes> pieces = LongNamePieces(u"Across two clusters.txt", Checksum83("ACROSS~1TXT"));
  ASSERT_EQ(pieces.size(), 2u);
  root.Add(pieces[0]);
  DirectoryWriter(image, image.ClusterOffset(3))
      .Add(pieces[1])
      .Add(FileEntry("ACROSS~1TXT", 0x00010005, 1))
      .Add(DirEntryBytes("SUB", 10));
  DirectoryWriter(image, image.ClusterOffset(10)).Add(FileEntry("INSIDE  TXT", 20, 1));
  DirectoryWriter(image, image.ClusterOffset(66000)).Add(FileEntry("FAR     TXT", 20, 1));

  FatTestVolume v(image.Bytes());
  ASSERT_TRUE(v.Open());
  ASSERT_EQ(v.analyzer.FatWidth(), 32u);
  ASSERT_EQ(v.Build(), 0u);
  EXPECT_EQ(v.FileNames("").size(), 16u);
  auto across = v.File("Across two clusters.txt");
  ASSERT_TRUE(across);
  EXPECT_EQ(across->location.Position(), 0x10005u);
  EXPECT_EQ(v.FileNames("SUB"), std::vector<std::string>{"INSIDE.TXT"});
  EXPECT_EQ(v.TopLevelNames(), (std::vector<std::string>{".", "$$folder_66000"}));
}

TEST(FatSweepFat32, RootChainThatLoopsEnds) {
  FatImageBuilder image(FatLayout::SmallFat32());
  image.SetFat(2, 3);
  image.SetFat(3, 2);
  DirectoryWriter(image, image.ClusterOffset(2)).Add(FileEntry("ONE     TXT", 20, 1));
  DirectoryWriter(image, image.ClusterOffset(3)).Add(FileEntry("TWO     TXT", 20, 1));
  FatTestVolume v(image.Bytes());
  ASSERT_TRUE(v.Open());
  ASSERT_EQ(v.Build(), 0u);
  EXPECT_EQ(v.FileNames(""), (std::vector<std::string>{"ONE.TXT", "TWO.TXT"}));
}

}  // namespace
}  // namespace orvande::test
