// Partition tables of whole-disk image files made by sfdisk: every listed partition sits where
// the table puts it and carries the boot sector of its first sector.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "common/temp_folder.h"
#include "disk/physical_disk_node.h"
#include "disk/table_partitions.h"

namespace orvande {
namespace {

namespace fs = std::filesystem;

constexpr uint64_t kDiskSectors = 32768;
constexpr uint32_t kSectorSize = 512;

// First sector and sector count.
using Expected = std::pair<uint64_t, uint64_t>;

class PartitionTable : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::system("command -v sfdisk >/dev/null 2>&1") != 0) {
      GTEST_SKIP() << "sfdisk is missing; partition tables not tested";
    }
  }

  // An empty disk image with the table the script describes, and an NTFS-named boot sector at
  // `markedSector`.
  void MakeImage(const std::string& script, uint64_t markedSector) {
    { std::ofstream(image_, std::ios::binary); }
    fs::resize_file(image_, kDiskSectors * kSectorSize);
    { std::ofstream(folder_ / "table.txt") << script; }
    const std::string command = "sfdisk -q --no-reread --no-tell-kernel '" + image_.string() +
                                "' < '" + (folder_ / "table.txt").string() + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::fstream out(image_, std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(static_cast<std::streamoff>(markedSector * kSectorSize + 3));
    out << "NTFS    ";
  }

  std::vector<std::shared_ptr<PartitionNode>> Read() {
    DevicePorts ports = SystemDevicePorts();
    ports.diskPath = [path = image_.string()](uint32_t number) {
      return number == 0 ? path : std::string();
    };
    PhysicalDiskNode disk(0, "image", ports);
    return ReadPartitionTable(disk);
  }

  void ExpectPartitions(const std::vector<std::shared_ptr<PartitionNode>>& nodes,
                        const std::vector<Expected>& expected, uint64_t markedSector) {
    ASSERT_EQ(nodes.size(), expected.size());
    for (size_t i = 0; i < nodes.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(nodes[i]->GetFirstSector(), expected[i].first);
      EXPECT_EQ(nodes[i]->GetSectorCount(), expected[i].second);
      EXPECT_EQ(nodes[i]->GetBytesPerSector(), kSectorSize);
      const bool marked = expected[i].first == markedSector;
      EXPECT_EQ(nodes[i]->GetPartitionFsKind(), marked ? uint32_t{kFsNtfs} : uint32_t{kFsNone});
      EXPECT_EQ(nodes[i]->GetBootSector()[3], marked ? 'N' : 0);
    }
  }

  test::TempFolder folder_{"partition-table"};
  fs::path image_ = folder_ / "disk.img";
};

TEST_F(PartitionTable, MbrListsPrimariesAndLogicalsButNotTheExtendedContainer) {
  MakeImage(
      "label: dos\n"
      "start=2048, size=2048, type=83\n"
      "start=4096, size=4096, type=7\n"
      "start=8192, size=16384, type=5\n"
      "start=10240, size=4096, type=c\n"
      "start=16384, size=6144, type=83\n",
      16384);
  ExpectPartitions(Read(), {{2048, 2048}, {4096, 4096}, {10240, 4096}, {16384, 6144}}, 16384);
}

TEST_F(PartitionTable, GptListsItsPartitions) {
  MakeImage(
      "label: gpt\n"
      "start=2048, size=4096, type=0FC63DAF-8483-4772-8E79-3D69D8477DE4\n"
      "start=8192, size=8192, type=EBD0A0A2-B9E5-4433-87C0-68B6B72699C7\n",
      8192);
  ExpectPartitions(Read(), {{2048, 4096}, {8192, 8192}}, 8192);
}

}  // namespace
}  // namespace orvande
