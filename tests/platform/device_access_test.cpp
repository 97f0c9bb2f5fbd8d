// The device-opening helper run directly (as root, without polkit): what it refuses, and the
// read-only descriptor it hands over for a real block device.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <vector>

#include <gtest/gtest.h>

#include "common/shell_command.h"
#include "common/temp_folder.h"
#include "platform/device_access.h"
#include "platform/error_numbers.h"
#include "platform/raw_io.h"

namespace orvande::platform {
namespace {

std::vector<std::string> HelperCommand() {
  return {std::string(ORVANDE_BINARY_DIR) + "/bin/orvande-open-device"};
}

TEST(OpenDeviceHelper, RefusesWhatIsNotABlockDevice) {
  test::TempFolder folder("helper");
  const std::string file = (folder / "disk.img").string();
  std::ofstream(file) << "not a disk";
  // Nobody ever writes into the FIFO: a helper that opened it to read would wait for ever.
  const std::string fifo = (folder / "fifo").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const struct {
    std::string path;
    uint32_t error;
  } cases[] = {
      {file, kErrNotSupported},
      {folder.Path().string(), kErrNotSupported},
      {"/dev/null", kErrNotSupported},
      {fifo, kErrNotSupported},
      {"disk.img", kErrInvalidParameter},
      {file + ".missing", kErrAccessDenied},
  };
  for (const auto& refused : cases) {
    uint32_t error = 0;
    EXPECT_EQ(OpenThroughHelperCommand(HelperCommand(), refused.path, &error), -1) << refused.path;
    EXPECT_EQ(error, refused.error) << refused.path;
  }
  // A helper that cannot be started at all refuses too.
  uint32_t error = 0;
  EXPECT_EQ(OpenThroughHelperCommand({"/nonexistent/helper"}, file, &error), -1);
}

// A loop device over an image with a known first sector; skipped where none can be set up.
class LoopDevice {
 public:
  explicit LoopDevice(const std::string& image) {
    device_ = test::RunAndRead("losetup --find --show --read-only '" + image + "' 2>/dev/null");
  }
  ~LoopDevice() {
    if (!device_.empty()) test::RunAndRead("losetup --detach '" + device_ + "'");
  }
  const std::string& Path() const { return device_; }

 private:
  std::string device_;
};

TEST(OpenDeviceHelper, HandsOverAReadOnlyDescriptorThatOpensTheGrantedPath) {
  test::TempFolder folder("helper");
  const std::string image = (folder / "disk.img").string();
  std::string sector(512, '\0');
  sector.replace(0, 8, "ORVANDE!");
  {
    std::ofstream out(image, std::ios::binary);
    for (int i = 0; i < 64; ++i) out << sector;
  }
  LoopDevice loop(image);
  if (loop.Path().rfind("/dev/", 0) != 0) GTEST_SKIP() << "no loop device can be set up here";

  uint32_t error = 0;
  const int fd = OpenThroughHelperCommand(HelperCommand(), loop.Path(), &error);
  ASSERT_GE(fd, 0) << error;
  EXPECT_EQ(error, 0u);
  EXPECT_EQ(fcntl(fd, F_GETFL) & O_ACCMODE, O_RDONLY);
  EXPECT_EQ(fcntl(fd, F_GETFL) & O_NONBLOCK, 0) << "reads must wait for the device";
  EXPECT_NE(fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);

  // Once granted, opening the path reads through a copy of the descriptor.
  GrantDeviceDescriptor(loop.Path(), fd);
  RawIo& io = SystemRawIo();
  const RawIo::Handle handle = io.OpenReadOnly(loop.Path(), &error);
  ASSERT_NE(handle, RawIo::kInvalidHandle);
  EXPECT_NE(handle, fd);
  char head[8] = {};
  size_t got = 0;
  ASSERT_TRUE(io.ReadAt(handle, 0, head, sizeof head, &got, &error));
  EXPECT_EQ(std::string(head, got), "ORVANDE!");
  io.Close(handle);
  const int copy = GrantedDeviceDescriptor(loop.Path());
  EXPECT_GE(copy, 0) << "closing a copy keeps the grant";
  close(copy);
  DropDeviceGrants();
  EXPECT_EQ(GrantedDeviceDescriptor(loop.Path()), -1);
}

}  // namespace
}  // namespace orvande::platform
