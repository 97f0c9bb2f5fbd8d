#include "disk/logical_drive_node.h"

#include <algorithm>
#include <new>
#include <string_view>

#include "disk/logical_drive_device.h"

namespace orvande {

LogicalDriveNode::LogicalDriveNode(std::string devicePath, std::string displayText, int fsKind,
                                   bool removable, char driveLetter, DevicePorts ports)
    : devicePath_(std::move(devicePath)),
      displayText_(std::move(displayText)),
      fsKind_(fsKind),
      removable_(removable),
      driveLetter_(driveLetter),
      ports_(std::move(ports)) {}

SectorDevice* LogicalDriveNode::CreateDevice() {
  return new (std::nothrow) LogicalDriveDevice(this, ports_);
}

bool LogicalDriveNode::StoreBootSector(const uint8_t* block512) {
  if (block512 == nullptr) return false;
  std::lock_guard<std::mutex> hold(bootSectorLock_);
  if (bootSector_) return true;
  auto copy =
      std::unique_ptr<std::array<uint8_t, 512>>(new (std::nothrow) std::array<uint8_t, 512>);
  if (!copy) return false;
  std::copy_n(block512, copy->size(), copy->begin());
  bootSector_ = std::move(copy);
  return true;
}

const uint8_t* LogicalDriveNode::GetStoredBootSector() const {
  std::lock_guard<std::mutex> hold(bootSectorLock_);
  return bootSector_ ? bootSector_->data() : nullptr;
}

bool LogicalDriveNode::IsFloppyDrive() const {
  if (driveLetter_ == 'A') return true;
  constexpr std::string_view kFloppyPrefix = "/dev/fd";
  const std::string_view path = devicePath_;
  return path.size() > kFloppyPrefix.size() && path.starts_with(kFloppyPrefix) &&
         path[kFloppyPrefix.size()] >= '0' && path[kFloppyPrefix.size()] <= '9';
}

bool LogicalDriveNode::StoreFloppyBootSector(const uint8_t* block512) {
  return IsFloppyDrive() && StoreBootSector(block512);
}

}  // namespace orvande
