#include "disk/whole_disk_device.h"

#include "disk/physical_disk_node.h"
#include "support/result_codes.h"

namespace orvande {

WholeDiskDevice::WholeDiskDevice(PhysicalDiskNode* node, DevicePorts ports)
    : node_(node), disk_(std::move(ports)) {}

WholeDiskDevice::~WholeDiskDevice() {
  Close();
}

DeviceNode* WholeDiskDevice::GetNode() {
  return node_;
}

bool WholeDiskDevice::Open(bool quiet, Prompter* prompter) {
  if (node_ == nullptr) return false;
  return disk_.Open(node_->GetDiskNumber(), quiet, prompter);
}

void WholeDiskDevice::Close() {
  disk_.Close();
}

uint32_t WholeDiskDevice::ReadSectors(uint64_t first, uint8_t* buffer, uint32_t bufferSize,
                                      uint32_t* result, uint32_t count, int /*unitShift*/,
                                      bool fillBadSectors) {
  uint32_t localResult = kSuccess;
  if (result == nullptr) result = &localResult;
  *result = kSuccess;
  const uint32_t sectorSize = disk_.BytesPerSector();
  if (uint64_t{count} * sectorSize > bufferSize) {
    *result = ErrBufferTooSmall;
    return 0;
  }
  uint32_t delivered = disk_.Read(first, buffer, bufferSize, result, count);
  if (fillBadSectors && delivered != count && *result == ErrDataError) {
    FillRunPerSector(disk_, first, count, sectorSize, buffer, bufferSize, FilledListener(), first);
    *result = kSuccess;
    delivered = count;
  }
  return delivered;
}

}  // namespace orvande
