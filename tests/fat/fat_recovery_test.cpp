// The data of FAT files: live chains, the free-cluster walk of deleted files, the end of the
// volume, read failures inside a batch, the probability estimate and the FAT32 start-cluster
// probe.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/file_record.h"
#include "core/file_type_plugin.h"
#include "core/item_location.h"
#include "core/recovery_context.h"
#include "fat/fat_image_builder.h"
#include "fat/fat_test_volume.h"

namespace orvande::test {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t kDeleted = 1;

// Cluster n of a volume holds bytes that name it, so a wrong cluster shows in the output.
std::vector<uint8_t> ClusterPattern(uint32_t cluster, uint32_t bytes) {
  std::vector<uint8_t> data(bytes);
  for (uint32_t i = 0; i < bytes; ++i) data[i] = static_cast<uint8_t>((cluster * 7 + i / 4) & 0xFF);
  std::memcpy(data.data(), &cluster, sizeof cluster);
  return data;
}

class FatRecoveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("orvande_fat_recovery_" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // A FAT16 volume (about 10000 clusters) of multi-sector clusters.
  static FatLayout Fat16Layout(uint32_t sectorsPerCluster) {
    FatLayout layout = FatLayout::SmallFat16();
    layout.sectorsPerCluster = sectorsPerCluster;
    layout.totalSectors = 10000 * sectorsPerCluster;
    layout.sectorsPerFat = 40;
    return layout;
  }

  // Such a volume whose first data clusters all carry their pattern.
  static FatImageBuilder Fat16(uint32_t sectorsPerCluster = 4) {
    FatImageBuilder image(Fat16Layout(sectorsPerCluster));
    FillClusters(image, 2, 200);
    return image;
  }

  static void FillClusters(FatImageBuilder& image, uint32_t first, uint32_t last) {
    for (uint32_t c = first; c <= last; ++c) {
      std::vector<uint8_t> data = ClusterPattern(c, image.ClusterBytes());
      if (image.ClusterOffset(c) + data.size() <= image.Bytes().size())
        image.Put(image.ClusterOffset(c), data.data(), data.size());
    }
  }

  // The bytes of the clusters in order, cut to size.
  static std::vector<uint8_t> Expected(const FatImageBuilder& image,
                                       const std::vector<uint32_t>& clusters, size_t size) {
    std::vector<uint8_t> bytes;
    for (uint32_t c : clusters) {
      std::vector<uint8_t> data = ClusterPattern(c, image.ClusterBytes());
      bytes.insert(bytes.end(), data.begin(), data.end());
    }
    bytes.resize(std::min(bytes.size(), size));
    return bytes;
  }

  std::vector<uint8_t> Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }

  bool Recover(FatTestVolume& volume, ItemLocation& location, uint64_t size,
               const std::string& name) {
    path_ = (dir_ / name).string();
    return volume.analyzer.RecoverFile(location, size, path_, false, context_, &volume.log);
  }

  fs::path dir_;
  std::string path_;
  StopFlag stop_{0};
  RecordingProgressBar progress_;
  RecoveryContext context_ = MakeContext();

 private:
  RecoveryContext MakeContext() {
    RecoveryContext context;
    context.stop = &stop_;
    context.progressBar = &progress_;
    return context;
  }
};

TEST_F(FatRecoveryTest, DeletedFileSkipsUsedClustersAndCountsTheGaps) {
  FatImageBuilder image = Fat16();
  const uint32_t cluster = image.ClusterBytes();
  image.SetFat(11, 0xFFFF);  // another file sits right after the first cluster
  FatTestVolume volume(image.Bytes());
  ASSERT_TRUE(volume.Open());

  ItemLocation location(0, 10, kDeleted);
  EXPECT_EQ(volume.analyzer.GetRecoveryProbability(location, 3 * cluster - 100, nullptr),
            kProbabilityAverage);
  ASSERT_TRUE(Recover(volume, location, 3 * cluster - 100, "one gap.bin"));
  EXPECT_EQ(Read(path_), Expected(image, {10, 12, 13}, 3 * cluster - 100));
  EXPECT_EQ(progress_.High(), 3 * cluster - 100);
  EXPECT_EQ(progress_.Position(), 2 * cluster);  // the cut last cluster does not advance it

  // A second stretch of used clusters between the second and third data clusters.
  FatImageBuilder two = Fat16();
  two.SetFat(11, 0xFFFF);
  two.SetFat(13, 0xFFFF);
  two.SetFat(14, 0xFFFF);
  FatTestVolume volume2(two.Bytes());
  ASSERT_TRUE(volume2.Open());
  ItemLocation again(0, 10, kDeleted);
  EXPECT_EQ(volume2.analyzer.GetRecoveryProbability(again, 3 * cluster, nullptr), kProbabilityPoor);
  ASSERT_TRUE(Recover(volume2, again, 3 * cluster, "two gaps.bin"));
  EXPECT_EQ(Read(path_), Expected(two, {10, 12, 15}, 3 * cluster));
}

TEST_F(FatRecoveryTest, LiveFileFollowsItsChainAndEndsAtTheEndOfChain) {
  FatImageBuilder image = Fat16();
  const uint32_t cluster = image.ClusterBytes();
  image.Chain({20, 50, 21, 7});
  FatTestVolume volume(image.Bytes());
  ASSERT_TRUE(volume.Open());

  ItemLocation location(0, 20);
  EXPECT_EQ(volume.analyzer.GetRecoveryProbability(location, 4 * cluster, nullptr),
            kProbabilityAverage);
  ASSERT_TRUE(Recover(volume, location, 4 * cluster, "live.bin"));
  EXPECT_EQ(Read(path_), Expected(image, {20, 50, 21, 7}, 4 * cluster));

  // A size beyond the chain leaves the file shorter, still counted as recovered; the
  // probability walk ends at the end of the chain too with bytes left over: poor.
  EXPECT_EQ(volume.analyzer.GetRecoveryProbability(location, 6 * cluster, nullptr),
            kProbabilityPoor);
  ASSERT_TRUE(Recover(volume, location, 6 * cluster, "short.bin"));
  EXPECT_EQ(Read(path_).size(), 4u * cluster);
}

// A damaged table whose live chain returns to a cluster it passed: the file is cut there, never
// larger than the clusters it has, whatever its size says.
TEST_F(FatRecoveryTest, LoopingLiveChainIsCutWhereItReturns) {
  FatImageBuilder image = Fat16();
  const uint32_t cluster = image.ClusterBytes();
  image.Chain({30, 31, 40});
  image.SetFat(40, 31);  // back into the chain
  FatTestVolume volume(image.Bytes());
  ASSERT_TRUE(volume.Open());

  ItemLocation location(0, 30);
  ASSERT_TRUE(Recover(volume, location, 100 * 1024 * 1024, "loop.bin"));
  EXPECT_EQ(Read(path_), Expected(image, {30, 31, 40}, 3 * cluster));
  EXPECT_TRUE(context_.fileCutAtLoop);
  EXPECT_EQ(context_.fileBytesWritten, 3u * cluster);
}

// A deleted file whose first cluster a live chain holds now: known before writing (so that it
// can be left out) and reported while writing; a free first cluster is not.
TEST_F(FatRecoveryTest, FirstClusterInALiveChainMeansTheDataIsTaken) {
  FatImageBuilder image = Fat16();
  const uint32_t cluster = image.ClusterBytes();
  image.Chain({60, 61});
  FatTestVolume volume(image.Bytes());
  ASSERT_TRUE(volume.Open());

  struct Case {
    uint32_t first;
    uint64_t size;
    bool taken;
  };
  for (const Case& c :
       {Case{60, 3 * cluster, true}, Case{70, 3 * cluster, false}, Case{60, 0, false}}) {
    SCOPED_TRACE(c.first);
    ItemLocation location(0, c.first, kDeleted);
    std::string liveFile;
    EXPECT_EQ(volume.analyzer.DataTakenByLiveFile(location, c.size, &liveFile), c.taken);
    context_.ResetFileReport();
    ASSERT_TRUE(Recover(volume, location, c.size, "taken.bin"));
    EXPECT_EQ(context_.fileDataTaken, c.taken);
  }
}

// The live chain holding a deleted file's first cluster is named by where it starts, wherever
// in the chain (and in which of its fragments) the cluster lies; a loop or a free cluster has no
// owner.
TEST_F(FatRecoveryTest, LiveOwnerIsTheStartOfTheChainHoldingTheFirstCluster) {
  FatImageBuilder image = Fat16();
  image.Chain({60, 61, 62, 90, 91});
  image.Chain({100});
  image.SetFat(120, 121);
  image.SetFat(121, 120);
  FatTestVolume volume(image.Bytes());
  ASSERT_TRUE(volume.Open());
  struct Case {
    uint32_t first;
    bool known;
    uint64_t owner;
  };
  for (const Case& c : {Case{60, true, 60}, Case{62, true, 60}, Case{91, true, 60},
                        Case{100, true, 100}, Case{120, false, 0}, Case{70, false, 0}}) {
    SCOPED_TRACE(c.first);
    uint64_t owner = 0;
    EXPECT_EQ(volume.analyzer.LiveOwnerPosition(ItemLocation(0, c.first, kDeleted), &owner),
              c.known);
    EXPECT_EQ(owner, c.owner);
  }
}

TEST_F(FatRecoveryTest, DeletedFileIsCutWhereTheVolumeEnds) {
  FatImageBuilder image(Fat16Layout(4));
  const uint32_t cluster = image.ClusterBytes();
  FatTestVolume probe(image.Bytes());
  ASSERT_TRUE(probe.Open());
  // The last whole cluster of the volume, and one before it; a part of a cluster follows them.
  const uint32_t last = probe.analyzer.WholeDataClusters() + 1;
  ASSERT_LT(probe.analyzer.ClusterToSector(last + 1), probe.analyzer.TotalSectors());
  FillClusters(image, last - 1, last);
  FatTestVolume volume(image.Bytes());
  ASSERT_TRUE(volume.Open());

  ItemLocation location(0, last - 1, kDeleted);
  EXPECT_EQ(volume.analyzer.GetRecoveryProbability(location, 5 * cluster, nullptr),
            kProbabilityPoor);
  ASSERT_TRUE(Recover(volume, location, 5 * cluster, "tail.bin"));
  EXPECT_EQ(Read(path_), Expected(image, {last - 1, last}, 5 * cluster));
}

TEST_F(FatRecoveryTest, UnreadableClusterInsideABatchEndsTheFileJustBeforeIt) {
  FatImageBuilder image = Fat16();
  const uint32_t cluster = image.ClusterBytes();
  FatTestVolume volume(image.Bytes());
  ASSERT_TRUE(volume.Open());
  const uint64_t sectorOf13 = volume.analyzer.ClusterToSector(13);

  // Any failure but the data error stops the file; what came before it is written.
  volume.Image().Fail(sectorOf13 + 2, 5);
  ItemLocation location(0, 10, kDeleted);
  EXPECT_FALSE(Recover(volume, location, 8 * cluster, "broken.bin"));
  EXPECT_EQ(Read(path_), Expected(image, {10, 11, 12}, 8 * cluster));

  // The data error fills the sector with zeros and the file goes on.
  volume.Image().Fail(sectorOf13 + 2, 23);
  ASSERT_TRUE(Recover(volume, location, 8 * cluster, "filled.bin"));
  std::vector<uint8_t> expected = Expected(image, {10, 11, 12, 13, 14, 15, 16, 17}, 8 * cluster);
  std::fill_n(expected.begin() + 3 * cluster + 2 * 512, 512, 0);
  EXPECT_EQ(Read(path_), expected);
}

TEST_F(FatRecoveryTest, LargeFileIsWrittenWholeAcrossBatches) {
  // One-sector clusters make a 3 MB file span several batches and many read calls.
  FatLayout layout = FatLayout::SmallFat32();
  FatImageBuilder image(layout);
  FillClusters(image, 2, 69000);
  image.SetFat(3000, 0x0FFFFFFF);  // a used cluster in the middle: the walk steps over it
  FatTestVolume volume(image.Bytes());
  ASSERT_TRUE(volume.Open());

  const uint64_t size = 6000ull * 512 + 17;
  ItemLocation location(0, 100, kDeleted);
  ASSERT_TRUE(Recover(volume, location, size, "large.bin"));
  std::vector<uint32_t> clusters;
  for (uint32_t c = 100; clusters.size() < 6001; ++c)
    if (c != 3000) clusters.push_back(c);
  EXPECT_EQ(Read(path_), Expected(image, clusters, size));
}

TEST_F(FatRecoveryTest, StopRequestEndsTheFileAndCountsAsSuccess) {
  FatImageBuilder image = Fat16(1);
  FatTestVolume volume(image.Bytes());
  ASSERT_TRUE(volume.Open());
  volume.Device().onRead = [this](const ReadCall&) { stop_.store(1); };

  ItemLocation location(0, 10, kDeleted);
  ASSERT_TRUE(Recover(volume, location, 100 * 512, "stopped.bin"));
  EXPECT_LT(Read(path_).size(), 100u * 512);
}

TEST_F(FatRecoveryTest, EmptyFileReadsNothing) {
  FatImageBuilder image = Fat16();
  FatTestVolume volume(image.Bytes());
  ASSERT_TRUE(volume.Open());
  const size_t readsBefore = volume.Device().Probe().reads.size();
  ItemLocation location(0, 10, kDeleted);
  ASSERT_TRUE(Recover(volume, location, 0, "empty.txt"));
  EXPECT_TRUE(fs::exists(path_));
  EXPECT_EQ(fs::file_size(path_), 0u);
  EXPECT_EQ(volume.Device().Probe().reads.size(), readsBefore);
}

TEST_F(FatRecoveryTest, UnknownPositionAndZeroFirstCluster) {
  FatImageBuilder image = Fat16();
  FatTestVolume volume(image.Bytes());
  ASSERT_TRUE(volume.Open());
  ItemLocation unknown(0, ItemLocation::kUnsetPosition, kDeleted);
  EXPECT_EQ(volume.analyzer.GetRecoveryProbability(unknown, 10, nullptr), kProbabilityUnknown);
  EXPECT_FALSE(Recover(volume, unknown, 10, "unknown.bin"));
  EXPECT_FALSE(fs::exists(path_));

  // Cluster 0 stands for 0x10000 when writing, beyond this volume: an empty file.
  ItemLocation zero(0, 0, kDeleted);
  ASSERT_TRUE(Recover(volume, zero, 1000, "zero.bin"));
  EXPECT_EQ(fs::file_size(path_), 0u);
}

class Fat32ProbeTest : public FatRecoveryTest {
 protected:
  void SetUp() override {
    FatRecoveryTest::SetUp();
    loadedHere_ = !TypePlugin().IsReady();
    if (loadedHere_) TypePlugin().Load(REAL_TYPEPROBE);
    ASSERT_TRUE(TypePlugin().IsReady());
  }
  void TearDown() override {
    if (loadedHere_) TypePlugin().Unload();
    FatRecoveryTest::TearDown();
  }

  // A FAT32 volume with a JPEG start at cluster 0x10123 and other data at 0x0123.
  static FatImageBuilder WithJpegAbove64K() {
    FatImageBuilder image(FatLayout::SmallFat32());
    FillClusters(image, 0x0123, 0x0125);
    FillClusters(image, 0x10123, 0x10125);
    const uint8_t jpeg[] = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F'};
    image.Put(image.ClusterOffset(0x10123), jpeg, sizeof jpeg);
    return image;
  }

  bool loadedHere_ = false;
};

TEST_F(Fat32ProbeTest, DeletedFileOfAKnownTypeGetsItsHighWordBack) {
  FatImageBuilder image = WithJpegAbove64K();
  FatTestVolume volume(image.Bytes());
  ASSERT_TRUE(volume.Open());

  ItemLocation location(0, 0x0123, kDeleted);
  ASSERT_TRUE(Recover(volume, location, 1200, "photo.jpg"));
  EXPECT_EQ(location.Kind(), 1u);
  EXPECT_EQ(location.Position(), 0x10123u);
  std::vector<uint8_t> data = Read(path_);
  ASSERT_EQ(data.size(), 1200u);
  EXPECT_EQ(data[0], 0xFF);
  EXPECT_EQ(data[1], 0xD8);
  std::vector<uint8_t> expected = Expected(image, {0x10123, 0x10124, 0x10125}, 1200);
  EXPECT_TRUE(std::equal(data.begin() + 512, data.end(), expected.begin() + 512));
}

TEST_F(Fat32ProbeTest, ProbeKeepsTheFirstClusterWhenNothingIsRecognised) {
  FatImageBuilder image = WithJpegAbove64K();
  FatTestVolume volume(image.Bytes());
  ASSERT_TRUE(volume.Open());

  // An extension without a processor: no probe at all, the location stays as it was.
  ItemLocation notes(0, 0x0123, kDeleted);
  EXPECT_FALSE(volume.analyzer.FixFat32StartCluster(notes, (dir_ / "notes.txt").string(), 100));
  EXPECT_EQ(notes.Kind(), 0u);

  // A JPEG name whose data is nowhere: marked probed at the original cluster.
  ItemLocation missing(0, 0x0124, kDeleted);
  EXPECT_FALSE(volume.analyzer.FixFat32StartCluster(missing, (dir_ / "a.JPG  ").string(), 100));
  EXPECT_EQ(missing.Kind(), 1u);
  EXPECT_EQ(missing.Position(), 0x0124u);

  // Switched off, and for live files (whose high word is never lost), the data is read in place.
  volume.analyzer.SetUseFileType(false);
  ItemLocation off(0, 0x0123, kDeleted);
  ASSERT_TRUE(Recover(volume, off, 600, "off.jpg"));
  EXPECT_EQ(off.Kind(), 0u);
  EXPECT_EQ(Read(path_), Expected(image, {0x0123, 0x0124}, 600));
  volume.analyzer.SetUseFileType(true);
  image.Chain({0x0123, 0x0124});
  FatTestVolume live(image.Bytes());
  ASSERT_TRUE(live.Open());
  ItemLocation liveLocation(0, 0x0123);
  ASSERT_TRUE(Recover(live, liveLocation, 600, "live.jpg"));
  EXPECT_EQ(liveLocation.Kind(), 0u);
  EXPECT_EQ(Read(path_), Expected(image, {0x0123, 0x0124}, 600));
}

}  // namespace
}  // namespace orvande::test
