#pragma once
// Reads a volume in the caller's units: by device path like a file (access mode 0, with per-unit
// bad-sector fill), or through the old platform family's absolute-disk-read calls (modes 1 and 2,
// whole-run fill). Reads from one thread at a time.
#include <cstdint>

#include "disk/device_ports.h"
#include "disk/sector_device.h"

namespace orvande {

class LogicalDriveNode;

class LogicalDriveDevice final : public SectorDevice {
 public:
  LogicalDriveDevice(LogicalDriveNode* node, DevicePorts ports = SystemDevicePorts());
  ~LogicalDriveDevice() override;

  bool Open(bool quiet, Prompter* prompter) override;
  void Close() override;
  uint32_t ReadSectors(uint64_t first, uint8_t* buffer, uint32_t bufferSize, uint32_t* result,
                       uint32_t count, int unitShift, bool fillBadSectors) override;
  DeviceNode* GetNode() override;
  const uint8_t* GetStoredBootSector() override;
  uint64_t SizeInBytes() override { return sizeBytes_; }

  uint32_t AccessMode() const { return accessMode_; }
  uint32_t LastOpenError() const { return lastOpenError_; }

 private:
  uint32_t ReadThroughService(uint64_t first, uint8_t* buffer, uint32_t bufferSize,
                              uint32_t* result, uint32_t count, int unitShift, bool fillBadSectors);

  LogicalDriveNode* node_;
  DevicePorts ports_;
  uint32_t accessMode_ = platform::kAccessModeNone;
  int handle_ = -1;
  uint32_t handleMode_ = platform::kAccessModeNone;  // which port the handle belongs to
  uint32_t lastOpenError_ = 0;
  // From the device path's geometry: a failed run is read again in logical sectors.
  uint32_t logicalSectorBytes_ = 0;
  uint64_t sizeBytes_ = 0;
};

}  // namespace orvande
