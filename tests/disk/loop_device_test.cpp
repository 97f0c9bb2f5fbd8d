// Real block devices: a read-only loop device over an image file, read as a volume and as a whole
// disk found through /sys/block. Skipped where loop devices cannot be set up (no root, no
// /dev/loop-control, a container without the capability).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "disk/device_ref.h"
#include "disk/logical_drive_node.h"
#include "disk/physical_disk_node.h"
#include "disk/whole_disk_list.h"
#include "platform/raw_io.h"
#include "support/result_codes.h"
#include "common/temp_folder.h"
#include "common/shell_command.h"

namespace orvande {
namespace {

namespace fs = std::filesystem;

constexpr size_t kImageBytes = 256 * 1024;

uint8_t ImageByte(size_t i) {
  return static_cast<uint8_t>((i * 37) ^ (i >> 9));
}

using test::RunAndRead;

class LoopDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    // A folder of its own: tests run side by side must not share the image.
    image_ = folder_ / "loop-test.img";
    std::ofstream out(image_, std::ios::binary);
    for (size_t i = 0; i < kImageBytes; ++i) out.put(static_cast<char>(ImageByte(i)));
    out.close();
    device_ = RunAndRead("losetup -f --show -r '" + image_.string() + "' 2>/dev/null");
    if (device_.rfind("/dev/loop", 0) != 0) {
      device_.clear();
      GTEST_SKIP() << "losetup is not permitted here; real block device reads not tested";
    }
  }
  void TearDown() override {
    if (!device_.empty()) RunAndRead("losetup -d '" + device_ + "' 2>&1");
  }

  test::TempFolder folder_{"orvande-loop-test-"};
  fs::path image_;
  std::string device_;
};

TEST_F(LoopDevice, VolumeReadsMatchTheImage) {
  LogicalDriveNode node(device_, device_, kFsNone, false);
  DeviceRef device(node.CreateDevice());
  ASSERT_TRUE(device->Open(true, nullptr));
  std::vector<uint8_t> buffer(16 * 512);
  uint32_t result = 0xDEADBEEF;
  ASSERT_EQ(device->ReadSectors(3, buffer.data(), buffer.size(), &result, 16, 9, true), 16u);
  EXPECT_EQ(result, kSuccess);
  for (size_t i = 0; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], ImageByte(3 * 512 + i)) << i;

  // The end of the device gives a short count with success.
  const uint64_t lastSector = kImageBytes / 512 - 1;
  EXPECT_EQ(device->ReadSectors(lastSector, buffer.data(), buffer.size(), &result, 4, 9, true), 1u);
  EXPECT_EQ(result, kSuccess);
}

TEST_F(LoopDevice, WholeDiskByNumber) {
  std::vector<std::string> disks = ListWholeDisks();
  std::string name = fs::path(device_).filename().string();
  auto it = std::find(disks.begin(), disks.end(), name);
  ASSERT_NE(it, disks.end()) << name << " is bound but not listed as a whole disk";
  uint32_t number = static_cast<uint32_t>(it - disks.begin());

  PhysicalDiskNode node(number, "loop");
  DeviceRef device(node.CreateDevice());
  ASSERT_TRUE(device->Open(true, nullptr));
  std::vector<uint8_t> buffer(4096);
  uint32_t result = 0xDEADBEEF;
  ASSERT_EQ(device->ReadSectors(100, buffer.data(), buffer.size(), &result, 8, 0, true), 8u);
  EXPECT_EQ(result, kSuccess);
  for (size_t i = 0; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], ImageByte(100 * 512 + i)) << i;
  EXPECT_EQ(device->ReadSectors(kImageBytes / 512, buffer.data(), 512, &result, 1, 0, true), 0u);
  EXPECT_EQ(result, ErrBadPosition);
}

TEST_F(LoopDevice, ReadsAroundTheCacheMatchTheImage) {
  platform::RawIo& io = platform::SystemRawIo();
  uint32_t error = 0;
  platform::RawIo::Handle handle = io.OpenReadOnly(device_, &error);
  ASSERT_NE(handle, platform::RawIo::kInvalidHandle) << error;
  // Neither the offset nor the length is aligned: the read is widened and cut back.
  std::vector<uint8_t> buffer(700, 0xAA);
  size_t got = 0;
  ASSERT_TRUE(io.ReadDirectAt(handle, 3 * 512 + 100, buffer.data(), buffer.size(), &got, &error))
      << error;
  ASSERT_EQ(got, buffer.size());
  for (size_t i = 0; i < buffer.size(); ++i)
    ASSERT_EQ(buffer[i], ImageByte(3 * 512 + 100 + i)) << i;
  // At the end of the device the read comes back short with success.
  ASSERT_TRUE(io.ReadDirectAt(handle, kImageBytes - 200, buffer.data(), 512, &got, &error));
  EXPECT_EQ(got, 200u);
  io.Close(handle);
}

}  // namespace
}  // namespace orvande
