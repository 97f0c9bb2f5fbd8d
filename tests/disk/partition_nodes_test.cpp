// Partition nodes: the FAT width and display text worked out from the stored boot sector, and the
// disk's list of found partitions that refuses duplicates.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>

#include "disk/partition_node.h"
#include "disk/physical_disk_node.h"

namespace orvande {
namespace {

using BootSector = std::array<uint8_t, PartitionNode::kBootSectorSize>;

// Bytes per sector, sectors per cluster, reserved sectors, tables, root entries, total sectors
// (16-bit, 32-bit) and sectors per table (16-bit, 32-bit).
using FatFields = std::array<uint32_t, 9>;

BootSector FatBoot(const FatFields& values) {
  static constexpr std::pair<size_t, size_t> kOffsetAndWidth[] = {{0x0B, 2}, {0x0D, 1}, {0x0E, 2},
                                                                  {0x10, 1}, {0x11, 2}, {0x13, 2},
                                                                  {0x20, 4}, {0x16, 2}, {0x24, 4}};
  BootSector boot{};
  for (size_t f = 0; f < values.size(); ++f) {
    auto [offset, width] = kOffsetAndWidth[f];
    for (size_t i = 0; i < width; ++i)
      boot[offset + i] = static_cast<uint8_t>(values[f] >> (8 * i));
  }
  return boot;
}

const FatFields kNoClusterSize{512, 0, 1, 2, 224, 2880, 0, 9, 0};
const FatFields kFloppy{512, 1, 1, 2, 224, 2880, 0, 9, 0};
const FatFields kFat16{512, 16, 1, 2, 512, 0, 1000000, 245, 0};
const FatFields kFat32{512, 8, 32, 2, 0, 0, 8388608, 0, 8184};

struct NodeCase {
  FatFields boot;
  uint32_t fsKind;
  uint64_t firstSector;
  uint64_t sectorCount;
  int fatWidth;
  const char* text;
};

class PartitionNodeText : public ::testing::TestWithParam<NodeCase> {};

TEST_P(PartitionNodeText, WidthAndTextComeFromTheBootSector) {
  const NodeCase& c = GetParam();
  BootSector boot = FatBoot(c.boot);
  PartitionNode node(0, "initial text");
  ASSERT_TRUE(node.InitPartition(512, c.fsKind, c.firstSector, c.sectorCount, boot.data()));
  EXPECT_EQ(node.GetFatWidth(), c.fatWidth);
  EXPECT_EQ(node.GetName(), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PartitionNodeText,
    ::testing::Values(
        NodeCase{kNoClusterSize, kFsFat, 0, 2880, 0, "FAT[0 Bytes - 1.41MB] size:1.41MB"},
        // 2,847 clusters.
        NodeCase{kFloppy, kFsFat, 0, 2880, 12, "FAT12[0 Bytes - 1.41MB] size:1.41MB"},
        NodeCase{kFat16, kFsFat, 63, 1000000, 16, "FAT16[31.50KB - 0.48GB] size:0.48GB"},
        NodeCase{kFat32, kFsFat, 2097152, 8388608, 32, "FAT32[1.00GB - 5.00GB] size:4.00GB"},
        NodeCase{kFat32, kFsNtfs, 0, 2048, 32, "NTFS[0 Bytes - 1.00MB] size:1.00MB"},
        NodeCase{kFloppy, kFsNone, 100, 100, 12, "[50.00KB - 0.10MB] size:50.00KB"}));

PartitionNode Found(uint32_t fsKind, uint64_t firstSector, uint64_t sectorCount, uint8_t fill) {
  BootSector boot{};
  boot.fill(fill);
  PartitionNode node(1);
  node.InitPartition(512, fsKind, firstSector, sectorCount, boot.data());
  return node;
}

TEST(PhysicalDiskNode, AddPartitionKeepsOneCopyOfEachPartition) {
  PhysicalDiskNode disk(1, "Disk 1");
  PartitionNode first = Found(kFsFat, 63, 1000, 0x11);
  std::shared_ptr<PartitionNode> stored = disk.AddPartition(first);
  ASSERT_NE(stored, nullptr);
  EXPECT_NE(stored.get(), &first);
  EXPECT_EQ(stored->GetBootSector()[511], 0x11);
  // Equal kind, start and count is a duplicate whatever the boot sector says.
  EXPECT_EQ(disk.AddPartition(Found(kFsFat, 63, 1000, 0x22)), nullptr);
  EXPECT_NE(disk.AddPartition(Found(kFsNtfs, 63, 1000, 0x33)), nullptr);
  EXPECT_NE(disk.AddPartition(Found(kFsFat, 63, 999, 0x44)), nullptr);
  auto shown = disk.Partitions();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0], stored);
  EXPECT_EQ(shown[2]->GetSectorCount(), 999u);

  // A cleared list fills again; copies still shown stay alive.
  disk.ClearPartitions();
  EXPECT_TRUE(disk.Partitions().empty());
  EXPECT_EQ(shown[0]->GetBootSector()[0], 0x11);
  EXPECT_NE(disk.AddPartition(first), nullptr);
}

}  // namespace
}  // namespace orvande
