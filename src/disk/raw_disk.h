#pragma once
// Reads one physical disk by number, in the disk's own sectors. A plain member of the partition
// and whole-disk devices, not reference-counted. One thread at a time.
#include <cstdint>

#include "disk/device_ports.h"
#include "disk/filled_sector_listener.h"
#include "disk/io_driver.h"

namespace orvande {

class Prompter;

class RawDisk {
 public:
  explicit RawDisk(DevicePorts ports = SystemDevicePorts());
  RawDisk(const RawDisk&) = delete;
  RawDisk& operator=(const RawDisk&) = delete;
  virtual ~RawDisk();

  // Opens disk `diskNumber`, closing a handle that is already open. Unless `quiet`, a failure is
  // shown through the prompter (see PrompterOrDefault). The error behind a failure is
  // LastOpenError().
  virtual bool Open(uint32_t diskNumber, bool quiet, Prompter* prompter);
  virtual void Close();
  // Reads `count` disk sectors from `first`; returns the sectors delivered. No bad-sector fill.
  virtual uint32_t Read(uint64_t first, uint8_t* buffer, uint32_t bufferSize, uint32_t* result,
                        uint32_t count);
  // Reads the one disk sector around the system's cache (device paths), so that a bad neighbour
  // of the sector does not fail it; through the driver like Read. True when it came back whole.
  virtual bool ReadOneSectorDirect(uint64_t sector, uint8_t* buffer, uint32_t bufferSize);

  uint32_t AccessMode() const { return accessMode_; }
  uint32_t PlatformKind() const { return platformKind_; }
  uint32_t BytesPerSector() const { return bytesPerSector_; }
  uint32_t SectorsPerTrack() const { return sectorsPerTrack_; }
  uint64_t TotalSectors();
  uint32_t DiskNumber() const { return diskNumber_; }
  bool IsOpen() const { return handle_ != kNoHandle; }
  uint32_t LastOpenError() const { return lastOpenError_; }
  bool ExtendedGeometryFlag() const { return extendedFlag_ != 0; }

 private:
  static constexpr int kNoHandle = -1;

  bool OpenDevicePath(uint32_t* error);
  // report: where failures are shown; null when the caller is quiet.
  bool OpenThroughDriver(Prompter* report);
  bool FillFromDriverRecord(Prompter* report);
  void AskExtendedGeometry();
  uint32_t ReadDevicePath(uint64_t first, uint8_t* buffer, uint64_t bytes, uint32_t* result);

  DevicePorts ports_;
  uint32_t accessMode_ = 3;
  uint32_t platformKind_ = 5;
  int handle_ = kNoHandle;
  uint32_t handleMode_ = 3;  // the access mode the handle was opened in, for Close
  uint64_t cylinders_ = 0;
  uint32_t mediaType_ = 0;
  uint32_t tracksPerCylinder_ = 0;
  uint32_t sectorsPerTrack_ = 0;
  uint32_t bytesPerSector_ = 0;
  uint64_t totalSectors_ = 0;
  uint32_t diskNumber_ = UINT32_MAX;
  DriveRecord driveRecord_{};
  uint8_t extendedFlag_ = 1;
  uint32_t lastOpenError_ = 0;
};

// After a run of a raw disk failed with the data error: reads `n` sectors one at a time from
// `firstDiskSector` into slots of `slotSize` bytes, zero-filling each slot whose read fails and
// telling `filled` of it as the device's sector firstReportedSector + k.
void FillRunPerSector(RawDisk& disk, uint64_t firstDiskSector, uint32_t n, uint32_t slotSize,
                      uint8_t* buffer, uint32_t bufferSize, FilledSectorListener* filled = nullptr,
                      uint64_t firstReportedSector = 0);

}  // namespace orvande
