// Raw disk numbers come from the sorted list of whole disks in /sys/block.
#include "disk/whole_disk_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/temp_folder.h"

namespace orvande {
namespace {

namespace fs = std::filesystem;

TEST(WholeDiskList, ListsDisksInNaturalOrder) {
  const test::TempFolder folder("sysblock-test");
  const fs::path& root = folder.Path();
  for (const char* name : {"sdb", "sda", "nvme0n1", "loop10", "loop2", "loop3", "zram0", "dm-0",
                           "sr0", "mmcblk0", "vda", "ram1"}) {
    fs::create_directories(root / name);
  }
  // Bound loop devices have a backing file; loop3 is unbound.
  for (const char* bound : {"loop10", "loop2"}) {
    fs::create_directories(root / bound / "loop");
    std::ofstream(root / bound / "loop" / "backing_file") << "/tmp/x.img\n";
  }
  std::vector<std::string> expected = {"loop2", "loop10", "mmcblk0", "nvme0n1",
                                       "sda",   "sdb",    "vda"};
  EXPECT_EQ(ListWholeDisks(root.string()), expected);
  EXPECT_EQ(WholeDiskPath(1, root.string()), "/dev/loop10");
  EXPECT_EQ(WholeDiskPath(7, root.string()), "");
  EXPECT_TRUE(ListWholeDisks((root / "absent").string()).empty());
}

TEST(WholeDiskList, NaturalOrderComparesDigitRunsByValue) {
  EXPECT_TRUE(NaturalLess("loop2", "loop10"));
  EXPECT_FALSE(NaturalLess("loop10", "loop2"));
  EXPECT_TRUE(NaturalLess("nvme0n1", "nvme0n10"));
  EXPECT_TRUE(NaturalLess("nvme1n1", "nvme10n1"));
  EXPECT_TRUE(NaturalLess("sd", "sda"));
  EXPECT_FALSE(NaturalLess("sda", "sda"));
  EXPECT_TRUE(NaturalLess("loop02", "loop3"));
}

}  // namespace
}  // namespace orvande
