#include "platform/same_disk.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <system_error>

#include "platform/file_system.h"

namespace orvande::platform {
namespace {

namespace fs = std::filesystem;

// The sysfs folder of the whole disk that holds the block device.
std::optional<fs::path> DiskFolderOf(uint64_t deviceId) {
  fs::path link = "/sys/dev/block/" + std::to_string(DeviceMajor(deviceId)) + ":" +
                  std::to_string(DeviceMinor(deviceId));
  std::error_code error;
  fs::path real = fs::canonical(link, error);
  if (error) return std::nullopt;
  // A partition's folder lies inside its disk's folder and holds a "partition" file.
  if (fs::exists(real / "partition", error)) return real.parent_path();
  return real;
}

}  // namespace

bool OutputOnSourceDevice(const std::string& source, const std::string& outputFolder) {
  uint64_t sourceDevice = 0;
  uint64_t outputDevice = 0;
  if (BlockDeviceId(source, &sourceDevice) != 0) return false;
  if (DeviceIdOfPath(outputFolder, &outputDevice) != 0) return false;
  if (sourceDevice == outputDevice) return true;
  std::optional<fs::path> sourceDisk = DiskFolderOf(sourceDevice);
  std::optional<fs::path> outputDisk = DiskFolderOf(outputDevice);
  return sourceDisk && outputDisk && *sourceDisk == *outputDisk;
}

}  // namespace orvande::platform
