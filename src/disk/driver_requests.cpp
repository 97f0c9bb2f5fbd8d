#include "disk/driver_requests.h"

#include <array>

#include "platform/error_numbers.h"
#include "support/le_reader.h"
#include "support/result_codes.h"

namespace orvande {
namespace {

void SetError(uint32_t* error, uint32_t value) {
  if (error != nullptr) *error = value;
}

}  // namespace

bool ControlRequestIoDriver::Request(Handle handle, uint32_t code, std::span<const uint8_t> input,
                                     std::span<uint8_t> output, uint32_t* error) {
  size_t returned = 0;
  uint32_t failure = kSuccess;
  if (!channel_.Control(handle, code, input, output, &returned, &failure)) {
    SetError(error, failure);
    return false;
  }
  // A driver that answers less than the request defines has not answered it.
  if (returned < output.size()) {
    SetError(error, platform::kErrInvalidFunction);
    return false;
  }
  SetError(error, kSuccess);
  return true;
}

uint32_t ControlRequestIoDriver::GetDriveCount(Handle handle, uint32_t* error) {
  std::array<uint8_t, kDriveCountAnswerSize> answer{};
  if (!Request(handle, kRequestDriveCount, {}, answer, error)) return 0;
  return LeReader(answer).U32(0);
}

bool ControlRequestIoDriver::GetDriveRecord(Handle handle, uint32_t driveIndex,
                                            DriveRecord* record, uint32_t* error) {
  std::array<uint8_t, kDriveRecordQuerySize> query{};
  StoreLe(query, 0, driveIndex, 4);
  return Request(handle, kRequestDriveRecord, query, *record, error);
}

bool ControlRequestIoDriver::GetExtendedGeometry(Handle handle, uint32_t unitNumber,
                                                 uint32_t extendedFlag, ExtendedGeometry* answer,
                                                 uint32_t* error) {
  std::array<uint8_t, kGeometryQuerySize> query{};
  StoreLe(query, kGeometryUnitNumber, unitNumber, 4);
  StoreLe(query, kGeometryExtendedFlag, extendedFlag != 0 ? 1 : 0, 4);
  std::array<uint8_t, kGeometryAnswerSize> bytes{};
  if (!Request(handle, kRequestExtendedGeometry, query, bytes, error)) return false;
  const LeReader fields(bytes);
  answer->bytesPerSector = fields.U32(kGeoBytesPerSector);
  answer->tracksPerCylinder = fields.U32(kGeoTracksPerCylinder);
  answer->cylinders = fields.U32(kGeoCylinders);
  answer->sectorsPerTrack = fields.U32(kGeoSectorsPerTrack);
  answer->totalSectors = fields.U64(kGeoTotalSectors);
  answer->status = fields.U32(kGeoStatus);
  return true;
}

uint32_t ControlRequestIoDriver::ReadDriveSectors(Handle handle, uint32_t driveIndex,
                                                  uint64_t first, uint8_t* buffer, uint32_t count,
                                                  uint32_t bytesPerSector, uint32_t* error) {
  std::array<uint8_t, kReadQuerySize> query{};
  StoreLe(query, kReadFirstSector, first, 8);
  StoreLe(query, kReadCount, count, 4);
  StoreLe(query, kReadDriveIndex, driveIndex, 4);
  const uint64_t size = uint64_t{count} * bytesPerSector;  // both 32-bit: cannot overflow
  if (!Request(handle, kRequestReadSectors, query, std::span<uint8_t>(buffer, size), error))
    return 0;
  return count;
}

std::string IoDriverDevicePath(const std::string& shortProgramFolder) {
  return "\\\\.\\" + shortProgramFolder + "\\ZEVA.DOR";
}

}  // namespace orvande
