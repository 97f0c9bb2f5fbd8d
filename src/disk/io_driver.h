#pragma once
// The I/O driver through which the old DOS-based platform family reads physical disks (raw disk
// access modes 1 and 2). Linux has no such driver: the system implementation refuses to open and
// the protocol is exercised with test doubles. Implementations say whether they are thread-safe.
#include <array>
#include <cstddef>
#include <cstdint>

namespace orvande {

// The driver's record of one drive, 123 bytes; only these fields are read (little-endian).
inline constexpr size_t kDriveRecordSize = 123;
inline constexpr size_t kRecBytesPerSector = 12;     // u32
inline constexpr size_t kRecExcluded = 25;           // u8, non-zero: not listed, no extended query
inline constexpr size_t kRecUnitNumber = 26;         // u8, unit for the extended geometry request
inline constexpr size_t kRecFeatures = 27;           // u8, bit 0: extended geometry supported
inline constexpr size_t kRecTracksPerCylinder = 39;  // u32
inline constexpr size_t kRecCylinders = 43;          // u32
inline constexpr size_t kRecSectorsPerTrack = 47;    // u32
inline constexpr size_t kRecTotalSectors = 51;       // u64

using DriveRecord = std::array<uint8_t, kDriveRecordSize>;

// The answer of the extended geometry request.
struct ExtendedGeometry {
  uint32_t bytesPerSector = 0;
  uint32_t tracksPerCylinder = 0;
  uint32_t cylinders = 0;
  uint32_t sectorsPerTrack = 0;
  uint64_t totalSectors = 0;
  uint32_t status = 0;  // 255: no extended geometry
};

// Driver codes from here on are the driver's own, not platform error numbers.
inline constexpr uint32_t kFirstDriverErrorCode = 0xD0000000;

class IoDriver {
 public:
  using Handle = int;
  static constexpr Handle kInvalidHandle = -1;

  virtual ~IoDriver() = default;
  virtual Handle Open(uint32_t* error) = 0;
  virtual void Close(Handle handle) = 0;
  // 0 with *error set when the request fails.
  virtual uint32_t GetDriveCount(Handle handle, uint32_t* error) = 0;
  virtual bool GetDriveRecord(Handle handle, uint32_t driveIndex, DriveRecord* record,
                              uint32_t* error) = 0;
  virtual bool GetExtendedGeometry(Handle handle, uint32_t unitNumber, uint32_t extendedFlag,
                                   ExtendedGeometry* answer, uint32_t* error) = 0;
  // Reads exactly count * bytesPerSector bytes into buffer; returns count, or 0 with *error.
  virtual uint32_t ReadDriveSectors(Handle handle, uint32_t driveIndex, uint64_t first,
                                    uint8_t* buffer, uint32_t count, uint32_t bytesPerSector,
                                    uint32_t* error) = 0;
};

// The process's implementation: no driver exists on this platform, so Open always fails.
IoDriver& SystemIoDriver();

}  // namespace orvande
