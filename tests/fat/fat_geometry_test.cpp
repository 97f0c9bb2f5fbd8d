// Boot sector checks, the derived geometry and the choice of the table width.
#include <gtest/gtest.h>

#include <random>

#include "core/default_boot_sector.h"
#include "fat/fat_image_builder.h"
#include "fat/fat_test_volume.h"
#include "support/le_reader.h"

namespace orvande::test {
namespace {

// A boot sector only (the analyzer reads nothing else while opening).
// The boot sector with empty tables and root, up to the first data cluster: an image that ends
// before the data area holds nothing readable and is refused.
std::vector<uint8_t> BootOnly(FatLayout layout) {
  const uint64_t rootSectors =
      (uint64_t{layout.rootEntries} * 32 + layout.bytesPerSector - 1) / layout.bytesPerSector;
  const uint64_t firstData = uint64_t{layout.reservedSectors} +
                             uint64_t{layout.numberOfFats} * layout.sectorsPerFat + rootSectors;
  layout.imageBytes = (firstData + layout.sectorsPerCluster) * layout.bytesPerSector;
  return FatImageBuilder(layout).Bytes();
}

// A FAT12/16-style layout with exactly `clusters` whole data clusters.
FatLayout WithDataClusters(uint32_t clusters) {
  FatLayout layout;
  layout.reservedSectors = 4;
  layout.numberOfFats = 2;
  layout.sectorsPerFat = 300;
  layout.rootEntries = 32;  // two sectors
  layout.sectorsPerCluster = 2;
  layout.totalSectors = 4 + 600 + 2 + clusters * 2;
  return layout;
}

TEST(FatGeometry, DisketteDefaultBootSectorStoredForTheDevice) {
  auto image = std::make_shared<MemoryImage>();
  image->bytes.assign(2880 * 512, 0);  // sector 0 itself names no file system
  image->storedBootSector.emplace();
  std::copy(DefaultFloppyBootSector().begin(), DefaultFloppyBootSector().end(),
            image->storedBootSector->begin());
  FatTestVolume volume(image);
  ASSERT_TRUE(volume.Open());
  const FatAnalyzer& fat = volume.analyzer;
  EXPECT_EQ(fat.FatWidth(), 12u);
  EXPECT_EQ(fat.FirstDataSector(), 33u);
  EXPECT_EQ(fat.DataSectors(), 2847u);
  EXPECT_EQ(fat.ClusterCount(), 2847u);
  EXPECT_EQ(fat.RootDirSectors(), 14u);
  EXPECT_EQ(fat.FirstRootDirSector(), 19u);
  EXPECT_EQ(fat.GetTotalSectors(), 2880u);
  EXPECT_EQ(fat.BytesPerCluster(), 512u);
  EXPECT_EQ(fat.ClusterToSector(2), 33u);
  EXPECT_EQ(fat.ClusterToSector(1), 33u);
  EXPECT_EQ(fat.ClusterToSector(10), 41u);
}

struct WidthCase {
  uint32_t clusters;
  uint32_t width;
};

class FatWidthBoundary : public ::testing::TestWithParam<WidthCase> {};

TEST_P(FatWidthBoundary, WidthFollowsTheWholeDataClusters) {
  FatTestVolume volume(BootOnly(WithDataClusters(GetParam().clusters)));
  ASSERT_TRUE(volume.Open());
  EXPECT_EQ(volume.analyzer.FatWidth(), GetParam().width);
  EXPECT_EQ(volume.analyzer.ClusterCount(), GetParam().clusters);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, FatWidthBoundary,
                         ::testing::Values(WidthCase{4084, 12}, WidthCase{4085, 16},
                                           WidthCase{65524, 16}, WidthCase{65525, 32}));

TEST(FatGeometry, Fat32KeepsTheClusterCountButDropsTheFixedRootDirectory) {
  FatLayout layout = WithDataClusters(70000);
  layout.fat32Fields = true;
  layout.rootCluster = 0x12345678;  // masked to 28 bits when used
  FatTestVolume volume(BootOnly(layout));
  ASSERT_TRUE(volume.Open());
  const FatAnalyzer& fat = volume.analyzer;
  EXPECT_EQ(fat.FatWidth(), 32u);
  EXPECT_EQ(fat.ClusterCount(), 70000u);
  EXPECT_EQ(fat.RootDirSectors(), 0u);
  EXPECT_EQ(fat.FirstRootDirSector(), 0u);
  EXPECT_EQ(fat.FirstDataSector(), 604u);
  EXPECT_EQ(fat.DataSectors(), 140002u);
  EXPECT_EQ(fat.RootCluster(), 0x12345678u);
  EXPECT_EQ(fat.MaskCluster(fat.RootCluster()), 0x02345678u);
}

TEST(FatGeometry, Fat16WithZeroShortTotalTakesTheLongTotal) {
  FatLayout layout = FatLayout::SmallFat16();
  std::vector<uint8_t> bytes = BootOnly(layout);
  StoreLe(bytes, 19, 0, 2);
  StoreLe(bytes, 32, 8192, 4);
  FatTestVolume volume(bytes);
  ASSERT_TRUE(volume.Open());
  EXPECT_EQ(volume.analyzer.GetTotalSectors(), 8192u);
  EXPECT_EQ(volume.analyzer.FatWidth(), 16u);
  EXPECT_EQ(volume.analyzer.FirstDataSector(), 97u);
}

// Each damaged boot sector is refused with the text that names the bad field.
struct RefusedCase {
  const char* what;
  size_t offset;
  uint32_t value;
  size_t width;
  const char* text;
};

class FatRefusedBootSector : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(FatRefusedBootSector, IsRefusedWithItsText) {
  std::vector<uint8_t> bytes = BootOnly(FatLayout::Diskette());
  StoreLe(bytes, GetParam().offset, GetParam().value, GetParam().width);
  FatTestVolume volume(bytes);
  EXPECT_FALSE(volume.Open());
  ASSERT_EQ(volume.log.Lines().size(), 1u);
  EXPECT_EQ(volume.log.Lines()[0], std::string("ERROR: ") + GetParam().text);

  FatTestVolume quiet(bytes);
  EXPECT_FALSE(quiet.Open(/*quiet=*/true));
  EXPECT_TRUE(quiet.log.Lines().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Fields, FatRefusedBootSector,
    ::testing::Values(
        RefusedCase{"sector size 0", 11, 0, 2, "Bytes per sector: 0"},
        RefusedCase{"sector size not a power of two", 11, 513, 2, "Bytes per sector: 513"},
        RefusedCase{"sector size too large", 11, 8192, 2, "Bytes per sector: 8192"},
        RefusedCase{"no sectors per cluster", 13, 0, 1, "Sectors per cluster: 0"},
        RefusedCase{"three sectors per cluster", 13, 3, 1, "Sectors per cluster: 3"},
        RefusedCase{"data area beyond the volume", 19, 20, 2,
                    "The data area starts at sector 33, beyond the volume's 20 sectors."}),
    [](const auto& info) {
      std::string name = info.param.what;
      for (char& c : name)
        if (c == ' ') c = '_';
      return name;
    });

TEST(FatGeometry, NtfsBootSectorIsRefusedSilently) {
  std::vector<uint8_t> bytes = BootOnly(FatLayout::Diskette());
  std::copy_n("NTFS", 4, bytes.begin() + 3);
  FatTestVolume volume(bytes);
  EXPECT_FALSE(volume.Open());
  EXPECT_TRUE(volume.log.Lines().empty());
}

TEST(FatGeometry, UnreadableBootSectorIsReported) {
  FatTestVolume empty(std::vector<uint8_t>{});
  EXPECT_FALSE(empty.Open());
  ASSERT_EQ(empty.log.Lines().size(), 1u);
  EXPECT_EQ(empty.log.Lines()[0], "ERROR: Can't read boot sector.");

  FatTestVolume failing(BootOnly(FatLayout::Diskette()));
  failing.Image().Fail(0, 23);
  EXPECT_FALSE(failing.Open());
  EXPECT_EQ(failing.log.Lines().size(), 1u);
}

// Whatever the boot sector holds, opening and building either fail cleanly or finish.
TEST(FatGeometry, RandomBootSectorsNeverCrash) {
  std::mt19937 random(1234);
  int opened = 0;
  for (int round = 0; round < 300; ++round) {
    std::vector<uint8_t> bytes(64 * 512);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    if (round % 3 == 0) {
      // Plausible sizes make more of them open.
      StoreLe(bytes, 11, 512u << (random() % 4), 2);
      bytes[13] = static_cast<uint8_t>(1u << (random() % 8));
      StoreLe(bytes, 19, 64, 2);
      bytes[16] = 1;
      StoreLe(bytes, 14, 1, 2);
      StoreLe(bytes, 22, 1, 2);
      StoreLe(bytes, 17, 16, 2);
    }
    FatTestVolume volume(bytes);
    if (!volume.Open()) continue;
    ++opened;
    EXPECT_EQ(volume.Build(), 0u) << "round " << round;
  }
  EXPECT_GT(opened, 50);
}

TEST(FatGeometry, ZeroBootSectorIsRefused) {
  FatTestVolume volume(std::vector<uint8_t>(4096, 0));
  EXPECT_FALSE(volume.Open());
  ASSERT_EQ(volume.log.Lines().size(), 1u);
  EXPECT_EQ(volume.log.Lines()[0], "ERROR: Bytes per sector: 0");
}

}  // namespace
}  // namespace orvande::test
