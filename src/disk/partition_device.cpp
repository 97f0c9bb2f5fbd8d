#include "disk/partition_device.h"

#include "disk/file_like_read.h"
#include "disk/partition_node.h"
#include "platform/error_numbers.h"
#include "support/result_codes.h"

namespace orvande {

PartitionDevice::PartitionDevice(PartitionNode* node, DevicePorts ports)
    : node_(node), disk_(std::move(ports)) {}

PartitionDevice::~PartitionDevice() {
  Close();
}

DeviceNode* PartitionDevice::GetNode() {
  return node_;
}

const uint8_t* PartitionDevice::GetStoredBootSector() {
  return node_ ? node_->GetBootSector() : nullptr;
}

bool PartitionDevice::Open(bool quiet, Prompter* prompter) {
  if (node_ == nullptr) return false;
  return disk_.Open(static_cast<uint32_t>(node_->GetDiskNumber()), quiet, prompter);
}

void PartitionDevice::Close() {
  disk_.Close();
}

uint64_t PartitionDevice::SizeInBytes() {
  if (node_ == nullptr) return 0;
  return node_->GetSectorCount() * node_->GetBytesPerSector();
}

uint32_t PartitionDevice::ReadSectors(uint64_t first, uint8_t* buffer, uint32_t bufferSize,
                                      uint32_t* result, uint32_t count, int unitShift,
                                      bool fillBadSectors) {
  uint32_t localResult = kSuccess;
  if (result == nullptr) result = &localResult;
  if (node_ == nullptr) {
    *result = ErrNotOpen;
    return 0;
  }
  const uint32_t sectorSize = node_->GetBytesPerSector();
  // A node without a sector size reads nothing and leaves the caller's code as it was.
  if (sectorSize == 0 || count == 0) return 0;
  *result = kSuccess;
  uint64_t bytes = 0;
  if (!UnitBytes(count, unitShift, &bytes)) {
    *result = platform::kErrInvalidParameter;
    return 0;
  }
  if (bytes > bufferSize) {
    *result = ErrBufferTooSmall;
    return 0;
  }
  const uint32_t n = static_cast<uint32_t>(bytes / sectorSize);
  if (n == 0) return 0;
  const uint64_t start = node_->GetFirstSector();
  if (first > UINT64_MAX - start) {
    *result = ErrBadPosition;
    return 0;
  }
  uint32_t delivered = disk_.Read(start + first, buffer, bufferSize, result, n);
  if (fillBadSectors && delivered != n && *result == ErrDataError) {
    FillRunPerSector(disk_, start + first, n, sectorSize, buffer, bufferSize, FilledListener(),
                     first);
    *result = kSuccess;
    delivered = n;
  }
  return static_cast<uint32_t>((uint64_t{delivered} * sectorSize) >> unitShift);
}

}  // namespace orvande
