// Discovery over a folder tree standing in for /sys, with a scripted volume probe: which block
// devices become drives and disks, their texts, kinds and numbers.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "common/temp_folder.h"
#include "common/shell_command.h"
#include "disk/logical_drive_list.h"
#include "disk/physical_disk_list.h"

namespace orvande {
namespace {

namespace fs = std::filesystem;
using platform::VolumeFacts;

struct FakeDevice {
  std::string name;
  std::string parent;  // empty for a whole device
  std::map<std::string, std::string> attributes;  // relative file -> contents
};

class FakeSysfs : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::vector<FakeDevice> devices = {
        {"sda", "", {{"size", "2000"}, {"removable", "0"}, {"device/vendor", "ATA     "},
                     {"device/model", "WDC WD10EZEX\n"}}},
        {"sda1", "sda", {{"partition", "1"}, {"size", "800"}}},
        {"sda2", "sda", {{"partition", "2"}, {"size", "600"}}},
        {"sda10", "sda", {{"partition", "10"}, {"size", "100"}}},
        {"sdb", "", {{"size", "64"}, {"removable", "1"}, {"device/vendor", "IBM     "}}},
        {"sr0", "", {{"size", "0"}, {"removable", "1"}}},
        {"zram0", "", {{"size", "64"}}},
        {"ram0", "", {{"size", "64"}}},
        {"ram1", "", {{"size", "64"}}},
        {"loop0", "", {{"size", "0"}}},
        {"loop1", "", {{"size", "32"}, {"loop/backing_file", "/images/fat.img"}}},
        {"loop2", "", {{"size", "32"}, {"loop/backing_file", "/images/disk.img"}}},
    };
    for (const FakeDevice& device : devices) {
      const fs::path folder = device.parent.empty() ? sys_ / "block" / device.name
                                                    : sys_ / "block" / device.parent / device.name;
      for (const auto& [file, contents] : device.attributes) {
        fs::create_directories((folder / file).parent_path());
        std::ofstream(folder / file) << contents;
      }
    }
    fs::create_directories(sys_ / "block" / "sda" / "queue");  // not a partition

    sources_.sysRoot = sys_.string();
    sources_.probe = [this](const std::string& path) -> std::optional<VolumeFacts> {
      auto it = volumes_.find(path);
      if (it == volumes_.end()) return std::nullopt;
      return it->second;
    };
  }

  test::TempFolder folder_{"orvande-sysfs-"};
  fs::path sys_ = folder_.Path() / "sys";
  DiscoverySources sources_;
  std::map<std::string, VolumeFacts> volumes_ = {
      {"/dev/sda1", {"vfat", "FAT32", "Data", false}},
      {"/dev/sda2", {"ntfs", "", "", false}},
      {"/dev/ram1", {"ext4", "1.0", "scratch", false}},
      {"/dev/loop1", {"vfat", "FAT12", "", false}},
      {"/dev/loop2", {"", "", "", true}},
  };
};

TEST_F(FakeSysfs, LogicalDrivesArePartitionsAndSuperfloppies) {
  struct Expected {
    std::string path, text;
    int kind;
    int removable;
    uint64_t sizeBytes;
  };
  const std::vector<Expected> expected = {
      {"/dev/loop1", " Local Disk (/dev/loop1) : FAT12", kFsFat, 0, 32 * 512},
      {"/dev/ram1", " scratch (/dev/ram1) : ext4", kFsNone, 0, 64 * 512},
      {"/dev/sda1", " Data (/dev/sda1) : FAT32", kFsFat, 0, 800 * 512},
      {"/dev/sda2", " Local Disk (/dev/sda2) : NTFS", kFsNtfs, 0, 600 * 512},
      {"/dev/sda10", " Local Disk (/dev/sda10) : REMOVABLE", kFsNone, 0, 100 * 512},
      {"/dev/sdb", " Local Disk (/dev/sdb) : REMOVABLE", kFsNone, 1, 64 * 512},
  };
  std::vector<FoundDrive> drives;
  ASSERT_TRUE(EnumerateLogicalDrives(sources_, &drives));
  ASSERT_EQ(drives.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(expected[i].path);
    EXPECT_EQ(drives[i].node->GetDevicePath(), expected[i].path);
    EXPECT_EQ(drives[i].node->GetName(), expected[i].text);
    EXPECT_EQ(drives[i].node->GetFsKind(), expected[i].kind);
    EXPECT_EQ(drives[i].node->IsRemovable(), expected[i].removable);
    EXPECT_EQ(drives[i].sizeBytes, expected[i].sizeBytes);
  }
}

TEST_F(FakeSysfs, PhysicalDisksAreNumberedInNameOrder) {
  std::vector<FoundDisk> disks;
  ASSERT_TRUE(EnumeratePhysicalDisks(sources_, &disks));
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"/dev/loop1", "Disk 0"},
      {"/dev/loop2", "Disk 1"},
      {"/dev/sda", "Disk 2 (ATA WDC)"},
      {"/dev/sdb", "Disk 3 (IBM)"},
  };
  ASSERT_EQ(disks.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(disks[i].path, expected[i].first);
    EXPECT_EQ(disks[i].node->GetName(), expected[i].second);
    EXPECT_EQ(disks[i].node->GetDiskNumber(), i);
    // The node opens the disk the listing names.
    EXPECT_EQ(disks[i].node->GetPorts().diskPath(static_cast<uint32_t>(i)), expected[i].first);
  }

  const FoundDisk image = MakeImageDisk("/images/dump.img", 4, sources_.ports, 4096);
  EXPECT_EQ(image.node->GetName(), "Disk 4");
  EXPECT_EQ(image.node->GetPorts().diskPath(4), "/images/dump.img");
  EXPECT_EQ(image.node->GetPorts().diskPath(0), "");
}

TEST_F(FakeSysfs, MissingSysfsListsNothing) {
  sources_.sysRoot = (folder_.Path() / "absent").string();
  std::vector<FoundDrive> drives;
  std::vector<FoundDisk> disks;
  EXPECT_FALSE(EnumerateLogicalDrives(sources_, &drives));
  EXPECT_FALSE(EnumeratePhysicalDisks(sources_, &disks));
}

TEST(DiskIdentification, InquiryFieldsAreCutAtTheFirstOddByte) {
  struct Case {
    std::string vendor, model, text;
  };
  const std::vector<Case> cases = {
      {"IBM     ", "", "IBM"},
      {"IBM     ", "DDYS-T36950M    ", "IBM DDYS-T36950M"},
      {"", "Samsung SSD 860", "Samsung"},
      {"ATA{", "x", "ATA x"},  // '{' lies above 'z'
      {"0x1af4", "", ""},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DiskIdentificationText(c.vendor, c.model), c.text) << c.vendor << '|' << c.model;
  }
  EXPECT_EQ(PhysicalDiskName(0, "IBM"), "Disk 0 (IBM)");
  EXPECT_EQ(PhysicalDiskName(7, ""), "Disk 7");
}

TEST(FileSystemNames, KindAndTextFollowTheName) {
  struct Case {
    std::optional<VolumeFacts> facts;
    std::string text;
    int kind;
  };
  const std::vector<Case> cases = {
      {VolumeFacts{"vfat", "FAT16", "", false}, "FAT16", kFsFat},
      {VolumeFacts{"vfat", "", "", false}, "FAT", kFsFat},
      {VolumeFacts{"ntfs", "", "", false}, "NTFS", kFsNtfs},
      {VolumeFacts{"exfat", "", "", false}, "exfat", kFsNone},
      {VolumeFacts{"", "", "", true}, "REMOVABLE", kFsNone},
      {std::nullopt, "REMOVABLE", kFsNone},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FsTextOf(c.facts), c.text);
    EXPECT_EQ(FsKindOfName(c.text), c.kind) << c.text;
  }
  EXPECT_EQ(FsKindOfName("ntfs"), kFsNtfs);
  EXPECT_EQ(FsKindOfName("Fat32"), kFsFat);
  EXPECT_EQ(LogicalDriveText("Data", "/dev/sdd1", "FAT32"), " Data (/dev/sdd1) : FAT32");
}

using test::RunAndRead;

// Detaches the loop device however the test ends.
struct LoopBinding {
  std::string device;
  ~LoopBinding() {
    if (!device.empty()) RunAndRead("losetup -d '" + device + "' 2>&1");
  }
};

TEST(RealLoopDevice, PartitionsAreDrivesAndTheLoopIsADisk) {
  test::TempFolder folder("orvande-discovery-loop-");
  const std::string image = (folder / "two-fat.img").string();
  { std::ofstream(image, std::ios::binary); }
  fs::resize_file(image, 16384 * 512);
  { std::ofstream(folder / "table.txt") << "label: dos\nstart=2048, size=4096, type=6\n"
                                           "start=6144, size=8192, type=6\n"; }
  const std::string build =
      "sfdisk -q '" + image + "' < '" + (folder / "table.txt").string() +
      "' >/dev/null 2>&1 && mkfs.fat --invariant --offset=2048 -n ALPHA '" + image +
      "' 2048 >/dev/null 2>&1 && mkfs.fat --invariant --offset=6144 -n BETA '" + image +
      "' 4096 >/dev/null 2>&1";
  if (std::system(build.c_str()) != 0) GTEST_SKIP() << "sfdisk or mkfs.fat is missing";
  LoopBinding loop{RunAndRead("losetup -f --show -P -r '" + image + "' 2>/dev/null")};
  if (loop.device.rfind("/dev/loop", 0) != 0) {
    loop.device.clear();
    GTEST_SKIP() << "losetup is not permitted here; real discovery not tested";
  }

  std::vector<FoundDisk> disks;
  ASSERT_TRUE(EnumeratePhysicalDisks(DiscoverySources(), &disks));
  bool listed = false;
  for (const FoundDisk& disk : disks) listed = listed || disk.path == loop.device;
  EXPECT_TRUE(listed) << loop.device << " is not listed as a disk";
  std::vector<FoundDrive> drives;
  ASSERT_TRUE(EnumerateLogicalDrives(DiscoverySources(), &drives));
  for (const FoundDrive& drive : drives)
    EXPECT_NE(drive.node->GetDevicePath(), loop.device) << "a partitioned disk is no volume";
  const std::string name = fs::path(loop.device).filename().string();
  if (!fs::exists(fs::path("/sys/block") / name / (name + "p1")))
    GTEST_SKIP() << "the kernel made no partitions of " << loop.device << " here";
  std::vector<std::string> texts;
  for (const FoundDrive& drive : drives) {
    if (drive.node->GetDevicePath().rfind(loop.device + "p", 0) == 0) {
      EXPECT_EQ(drive.node->GetFsKind(), kFsFat);
      texts.push_back(drive.node->GetName());
    }
  }
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].rfind(" ALPHA (" + loop.device + "p1) : FAT", 0), 0u) << texts[0];
  EXPECT_EQ(texts[1].rfind(" BETA (" + loop.device + "p2) : FAT", 0), 0u) << texts[1];

}

}  // namespace
}  // namespace orvande
