#pragma once
// The four control requests of the old platform family's I/O driver, byte for byte: any driver
// put in its place answers these. ControlRequestIoDriver speaks them over a device-control
// channel; it keeps no state of its own and is as thread-safe as its channel.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "disk/io_driver.h"

namespace orvande {

inline constexpr uint32_t kRequestDriveCount = 0x210001;
inline constexpr uint32_t kRequestDriveRecord = 0x210002;
inline constexpr uint32_t kRequestReadSectors = 0x210003;
inline constexpr uint32_t kRequestExtendedGeometry = 0x210004;

// Drive count: no input; output u32 count.
inline constexpr size_t kDriveCountAnswerSize = 4;
// Drive record: input u32 drive index; output the 123-byte record.
inline constexpr size_t kDriveRecordQuerySize = 4;
// Read sectors: input as below; output count * bytes per sector.
inline constexpr size_t kReadFirstSector = 0;  // u64
inline constexpr size_t kReadCount = 8;        // u32
inline constexpr size_t kReadDriveIndex = 12;  // u32
inline constexpr size_t kReadQuerySize = 16;
// Extended geometry: input as below, output as below.
inline constexpr size_t kGeometryUnitNumber = 0;    // u32
inline constexpr size_t kGeometryExtendedFlag = 4;  // u32, 0 or 1
inline constexpr size_t kGeometryQuerySize = 8;
inline constexpr size_t kGeoBytesPerSector = 0;     // u32
inline constexpr size_t kGeoTracksPerCylinder = 4;  // u32
inline constexpr size_t kGeoCylinders = 8;          // u32
inline constexpr size_t kGeoSectorsPerTrack = 12;   // u32
inline constexpr size_t kGeoTotalSectors = 16;     // u64
inline constexpr size_t kGeoStatus = 24;            // u32
inline constexpr size_t kGeometryAnswerSize = 28;

// The platform's device-control call on the driver's handle. Implementations say whether they
// are thread-safe.
class DriverControlChannel {
 public:
  using Handle = IoDriver::Handle;
  virtual ~DriverControlChannel() = default;
  virtual Handle Open(uint32_t* error) = 0;
  virtual void Close(Handle handle) = 0;
  // One synchronous request: true with *returned output bytes, or false with *error.
  virtual bool Control(Handle handle, uint32_t code, std::span<const uint8_t> input,
                       std::span<uint8_t> output, size_t* returned, uint32_t* error) = 0;
};

class ControlRequestIoDriver final : public IoDriver {
 public:
  explicit ControlRequestIoDriver(DriverControlChannel& channel) : channel_(channel) {}

  Handle Open(uint32_t* error) override { return channel_.Open(error); }
  void Close(Handle handle) override { channel_.Close(handle); }
  uint32_t GetDriveCount(Handle handle, uint32_t* error) override;
  bool GetDriveRecord(Handle handle, uint32_t driveIndex, DriveRecord* record,
                      uint32_t* error) override;
  bool GetExtendedGeometry(Handle handle, uint32_t unitNumber, uint32_t extendedFlag,
                           ExtendedGeometry* answer, uint32_t* error) override;
  uint32_t ReadDriveSectors(Handle handle, uint32_t driveIndex, uint64_t first, uint8_t* buffer,
                            uint32_t count, uint32_t bytesPerSector, uint32_t* error) override;

 private:
  // The request with its whole answer; an answer shorter than asked fails it.
  bool Request(Handle handle, uint32_t code, std::span<const uint8_t> input,
               std::span<uint8_t> output, uint32_t* error);
  DriverControlChannel& channel_;
};

// The device path the driver is opened by: "\\.\" + the program folder's short form +
// "\ZEVA.DOR".
std::string IoDriverDevicePath(const std::string& shortProgramFolder);

}  // namespace orvande
