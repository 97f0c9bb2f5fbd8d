// The device list model: its groups and keys, image files, lost-partition refreshes that keep
// the selection, and the start-up choice.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/device_list.h"
#include "app/image_display_name.h"
#include "app/items_tree_contents.h"
#include "common/fake_sysfs.h"
#include "common/temp_folder.h"

namespace orvande {
namespace {

namespace fs = std::filesystem;

TEST(ImageDisplayName, LongPathsKeepTheirFirstFolderAndTail) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"C:\\Images\\Backups\\2004\\disk.img", "C:\\Images\\...\\disk.img"},
      {"C:\\a\\b\\c.img", "C:\\a\\b\\c.img"},  // 12 characters
      {"/home/someone/images/2024/card.img", "/home/someone/.../card.img"},
      {"/srv/x.img", "/srv/x.img"},
  };
  for (const auto& [path, name] : cases) EXPECT_EQ(ImageDisplayName(path), name) << path;
}

class DeviceListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sources_ = test::FakeSysfsWithOneDisk(folder_.Path());
    list_ = DeviceList(sources_);
    ASSERT_TRUE(list_.Discover());
  }

  std::string WriteImage(const std::string& name, bool ntfsAtByteZero) {
    const fs::path path = folder_ / name;
    std::array<char, 4096> bytes{};
    if (ntfsAtByteZero) std::copy_n("NTFS    ", 8, bytes.begin() + 3);
    std::ofstream(path, std::ios::binary).write(bytes.data(), bytes.size());
    return path.string();
  }

  std::vector<std::pair<int, std::string>> GroupKeys() const {
    std::vector<std::pair<int, std::string>> keys;
    for (const DeviceListGroup& group : list_.Groups()) keys.emplace_back(group.key, group.text);
    return keys;
  }

  static PartitionNode Partition(uint64_t first, uint64_t count) {
    std::array<uint8_t, 512> boot{};
    PartitionNode node(0, std::string());
    node.InitPartition(512, kFsNtfs, first, count, boot.data());
    return node;
  }

  test::TempFolder folder_{"orvande-device-list-"};
  DiscoverySources sources_;
  DeviceList list_;
};

TEST_F(DeviceListTest, StartupListsLocalDisksAndChoosesTheRootVolume) {
  using Keys = std::vector<std::pair<int, std::string>>;
  EXPECT_EQ(GroupKeys(), (Keys{{1, "Local Disks"}}));
  ASSERT_EQ(list_.Groups()[0].entries.size(), 2u);
  EXPECT_EQ(list_.Groups()[0].entries[1].text, " Local Disk (/dev/sda2) : NTFS");
  EXPECT_EQ(list_.PhysicalDisks().size(), 1u);

  list_.SelectStartupEntry({{"/", "/dev/sda2", "ext4", false}});
  ASSERT_NE(list_.SelectedEntry(), nullptr);
  EXPECT_EQ(list_.SelectedEntry()->path, "/dev/sda2");
  list_.SelectStartupEntry({{"/", "overlay", "overlay", false}});
  EXPECT_EQ(list_.SelectedRow(), 1);  // the first entry, under its heading
}

TEST_F(DeviceListTest, OneImageAtATimeAndDiskImagesBecomeDisks) {
  using Keys = std::vector<std::pair<int, std::string>>;
  const int first = list_.AddImageFile(WriteImage("first.img", true));
  ASSERT_NE(list_.EntryAt(first), nullptr);
  EXPECT_EQ(list_.EntryAt(first)->node->GetKind(), kNodeImageFile);
  const std::string secondPath = WriteImage("second.img", true);
  const int second = list_.AddImageFile(secondPath);
  EXPECT_EQ(GroupKeys(), (Keys{{1, "Local Disks"}, {2, "Disk Image Files"}}));
  ASSERT_EQ(list_.Groups()[1].entries.size(), 1u);
  EXPECT_EQ(list_.EntryAt(second)->path, secondPath);
  EXPECT_EQ(list_.EntryAt(second)->text, ImageDisplayName(secondPath));

  // No volume at byte 0: a disk numbered after the machine's one.
  const int disk = list_.AddImageFile(WriteImage("dump.img", false));
  EXPECT_TRUE(list_.Groups()[1].entries.empty());
  ASSERT_EQ(list_.PhysicalDisks().size(), 2u);
  EXPECT_EQ(list_.PhysicalDisks()[1].node->GetName(), "Disk 1");
  EXPECT_EQ(GroupKeys().back(),
            std::make_pair(DeviceList::kTablePartitionsKeyBase + 1, std::string("Partitions on Disk 1")));
  EXPECT_EQ(list_.EntryAt(disk), nullptr);  // the heading of a disk without a table

  EXPECT_EQ(list_.AddImageFile((folder_ / "missing.img").string()), DeviceList::kNoRow);
}

TEST_F(DeviceListTest, RefreshRebuildsTheLostPartitionsAndKeepsTheSelection) {
  PhysicalDiskNode& disk = *list_.PhysicalDisks()[0].node;
  disk.AddPartition(Partition(2048, 1000));
  disk.AddPartition(Partition(8192, 2000));
  list_.RefreshLostPartitions(disk);
  ASSERT_EQ(list_.Groups().size(), 2u);
  const DeviceListGroup& lost = list_.Groups()[1];
  EXPECT_EQ(lost.key, 100);
  EXPECT_EQ(lost.text, "Lost Partitions on Disk 0");
  ASSERT_EQ(lost.entries.size(), 2u);
  EXPECT_EQ(lost.entries[1].sizeBytes, 2000u * 512);
  EXPECT_EQ(lost.entries[1].path, "/dev/sda");

  const int secondRow = 5;  // two headings, two drives, then the partitions
  ASSERT_TRUE(list_.Select(secondRow));
  const DeviceNode* selected = list_.SelectedEntry()->node.get();
  disk.AddPartition(Partition(4096, 500));
  list_.RefreshLostPartitions(disk);
  EXPECT_EQ(list_.Groups()[1].entries.size(), 3u);
  EXPECT_EQ(list_.SelectedEntry()->node.get(), selected);

  // A new search replaced the list: the same place stays selected.
  disk.ClearPartitions();
  disk.AddPartition(Partition(100, 10));
  disk.AddPartition(Partition(200, 10));
  list_.RefreshLostPartitions(disk);
  EXPECT_EQ(list_.SelectedRow(), secondRow);
  EXPECT_FALSE(list_.Select(3));  // a heading
}

TEST_F(DeviceListTest, ItemsTreeListsDisksWithTheDropDownsPartitionNodes) {
  PhysicalDiskNode& disk = *list_.PhysicalDisks()[0].node;
  disk.AddPartition(Partition(2048, 1000));
  list_.RefreshLostPartitions(disk);
  list_.AddImageFile(WriteImage("dump.img", false));

  const std::vector<ItemsTreeDisk> disks = ItemsTreeContents(list_);
  ASSERT_EQ(disks.size(), 2u);
  EXPECT_EQ(disks[0].text, "Disk 0");
  EXPECT_EQ(disks[1].text, "Disk 1");
  EXPECT_TRUE(disks[1].partitions.empty());  // no table, nothing found
  ASSERT_FALSE(disks[0].partitions.empty());
  const ItemsTreePartition& lost = disks[0].partitions.back();
  ASSERT_NE(lost.row, DeviceList::kNoRow);
  EXPECT_EQ(lost.node, list_.EntryAt(lost.row)->node);

  // A node made apart from the list (a table read again) is found by disk, start and length.
  PartitionNode again = Partition(2048, 1000);
  EXPECT_EQ(DeviceListRowOfPartition(list_, again), lost.row);
  EXPECT_EQ(DeviceListRowOfPartition(list_, Partition(2048, 999)), DeviceList::kNoRow);
}

}  // namespace
}  // namespace orvande
