#include "disk/raw_disk.h"

#include <bit>
#include <cstring>

#include "disk/open_failure.h"
#include "platform/error_numbers.h"
#include "support/le_reader.h"
#include "support/prompter.h"
#include "support/result_codes.h"

namespace orvande {
namespace {

constexpr uint32_t kExtendedStatusNone = 255;
constexpr uint64_t kMaxPosition = static_cast<uint64_t>(INT64_MAX);

}  // namespace

RawDisk::RawDisk(DevicePorts ports) : ports_(std::move(ports)) {}

RawDisk::~RawDisk() {
  Close();
}

void RawDisk::Close() {
  if (handle_ == kNoHandle) return;
  if (handleMode_ == platform::kAccessModeDevicePaths) {
    ports_.io->Close(handle_);
  } else {
    ports_.ioDriver->Close(handle_);
  }
  handle_ = kNoHandle;
}

uint64_t RawDisk::TotalSectors() {
  if (totalSectors_ == 0) totalSectors_ = cylinders_ * tracksPerCylinder_ * sectorsPerTrack_;
  return totalSectors_;
}

bool RawDisk::Open(uint32_t diskNumber, bool quiet, Prompter* prompter) {
  diskNumber_ = diskNumber;
  Close();
  lastOpenError_ = kSuccess;
  platform::PlatformVersion version =
      ports_.queryVersion ? ports_.queryVersion() : platform::PlatformVersion{};
  accessMode_ = version.accessMode;
  platformKind_ = version.platformKind;

  if (accessMode_ == platform::kAccessModeExtendedDosRead ||
      accessMode_ == platform::kAccessModeDosRead) {
    return OpenThroughDriver(quiet ? nullptr : &PrompterOrDefault(prompter));
  }
  uint32_t error = kSuccess;
  if (accessMode_ == platform::kAccessModeDevicePaths && OpenDevicePath(&error)) return true;
  // Access mode 3 leaves the error at success, which selects the administrative-rights text.
  lastOpenError_ = error;
  if (quiet) return false;
  ShowDiskOpenFailure(PrompterOrDefault(prompter), error);
  // Refused: the user may authorise read access to the device, and then it opens.
  const std::string path = ports_.diskPath ? ports_.diskPath(diskNumber_) : std::string();
  if (error != platform::kErrAccessDenied || path.empty()) return false;
  if (!PrompterOrDefault(prompter).OfferDeviceAccess(path) || !OpenDevicePath(&error)) return false;
  lastOpenError_ = kSuccess;
  return true;
}

bool RawDisk::OpenDevicePath(uint32_t* error) {
  std::string path = ports_.diskPath ? ports_.diskPath(diskNumber_) : std::string();
  if (path.empty()) {
    *error = platform::kErrFileNotFound;
    return false;
  }
  int handle = ports_.io->OpenReadOnly(path, error);
  if (handle == platform::RawIo::kInvalidHandle) return false;

  platform::BlockGeometry geometry;
  if (!ports_.io->QueryGeometry(handle, &geometry, error)) {
    ports_.io->Close(handle);
    return false;
  }
  // Sector positions become byte positions by a shift, so the size must be a power of two.
  if (!std::has_single_bit(geometry.bytesPerSector)) {
    ports_.io->Close(handle);
    *error = platform::kErrInvalidParameter;
    return false;
  }
  cylinders_ = geometry.cylinders;
  mediaType_ = geometry.mediaType;
  tracksPerCylinder_ = geometry.tracksPerCylinder;
  sectorsPerTrack_ = geometry.sectorsPerTrack;
  bytesPerSector_ = geometry.bytesPerSector;
  // The size is exact; the CHS product would cut off the last partial cylinder.
  totalSectors_ = geometry.sizeBytes / geometry.bytesPerSector;
  handle_ = handle;
  handleMode_ = accessMode_;
  return true;
}

bool RawDisk::OpenThroughDriver(Prompter* report) {
  uint32_t error = kSuccess;
  int handle = ports_.ioDriver->Open(&error);
  if (handle == IoDriver::kInvalidHandle) {
    lastOpenError_ = error;
    if (report != nullptr) ShowDriverOpenFailure(*report);
    return false;
  }
  handle_ = handle;
  handleMode_ = accessMode_;
  uint32_t driveCount = ports_.ioDriver->GetDriveCount(handle_, &error);
  if (driveCount == 0 && error != kSuccess) {
    lastOpenError_ = error;
    if (report != nullptr) ShowDriverError(*report, error);
    Close();
    return false;
  }
  // A number past the driver's drives leaves the geometry unset; reads then fail by position.
  if (diskNumber_ < driveCount && !FillFromDriverRecord(report)) {
    Close();
    return false;
  }
  return true;
}

bool RawDisk::FillFromDriverRecord(Prompter* report) {
  uint32_t error = kSuccess;
  if (!ports_.ioDriver->GetDriveRecord(handle_, diskNumber_, &driveRecord_, &error)) {
    lastOpenError_ = error;
    if (report != nullptr) ShowDriverError(*report, error);
    return false;
  }
  LeReader record(driveRecord_.data(), driveRecord_.size());
  bytesPerSector_ = record.U32(kRecBytesPerSector);
  cylinders_ = record.U32(kRecCylinders);
  tracksPerCylinder_ = record.U32(kRecTracksPerCylinder);
  sectorsPerTrack_ = record.U32(kRecSectorsPerTrack);
  totalSectors_ = record.U64(kRecTotalSectors);
  if (record.U8(kRecExcluded) == 0 && (record.U8(kRecFeatures) & 1) != 0) AskExtendedGeometry();
  return true;
}

void RawDisk::AskExtendedGeometry() {
  LeReader record(driveRecord_.data(), driveRecord_.size());
  ExtendedGeometry answer;
  uint32_t error = kSuccess;
  if (!ports_.ioDriver->GetExtendedGeometry(handle_, record.U8(kRecUnitNumber), extendedFlag_,
                                            &answer, &error) ||
      answer.status == kExtendedStatusNone) {
    extendedFlag_ = 0;
    return;
  }
  bytesPerSector_ = answer.bytesPerSector;
  // Only the lower half of the cylinder count comes with the answer.
  cylinders_ = (cylinders_ & 0xFFFFFFFF00000000ull) | answer.cylinders;
  tracksPerCylinder_ = answer.tracksPerCylinder;
  sectorsPerTrack_ = answer.sectorsPerTrack;
  totalSectors_ = answer.totalSectors;
  if (answer.status == 0) extendedFlag_ = 0;
}

uint32_t RawDisk::Read(uint64_t first, uint8_t* buffer, uint32_t bufferSize, uint32_t* result,
                       uint32_t count) {
  uint32_t localResult = kSuccess;
  if (result == nullptr) result = &localResult;
  *result = kSuccess;
  const uint64_t bytes = uint64_t{count} * bytesPerSector_;
  if (bytes > bufferSize) {
    *result = ErrBufferTooSmall;
    return 0;
  }
  if (accessMode_ == platform::kAccessModeNone) {
    *result = ErrNotAvailable;
    return 0;
  }
  if (handle_ == kNoHandle) {
    *result = ErrNotOpen;
    return 0;
  }
  // Only the first sector is checked: a run that crosses the end goes to the platform.
  if (first >= TotalSectors()) {
    *result = ErrBadPosition;
    return 0;
  }
  if (accessMode_ != platform::kAccessModeDevicePaths) {
    uint32_t error = kSuccess;
    uint32_t got = ports_.ioDriver->ReadDriveSectors(handle_, diskNumber_, first, buffer, count,
                                                     bytesPerSector_, &error);
    if (got == 0) *result = error;
    return got;
  }
  return ReadDevicePath(first, buffer, bytes, result);
}

uint32_t RawDisk::ReadDevicePath(uint64_t first, uint8_t* buffer, uint64_t bytes,
                                 uint32_t* result) {
  const int shift = std::countr_zero(bytesPerSector_);
  if (first > (kMaxPosition >> shift) || (first << shift) > kMaxPosition - bytes) {
    *result = ErrBadPosition;
    return 0;
  }
  size_t bytesRead = 0;
  uint32_t error = kSuccess;
  if (!ports_.io->ReadAt(handle_, first << shift, buffer, static_cast<size_t>(bytes), &bytesRead,
                         &error)) {
    *result = error;
    return 0;
  }
  return static_cast<uint32_t>(bytesRead >> shift);
}

bool RawDisk::ReadOneSectorDirect(uint64_t sector, uint8_t* buffer, uint32_t bufferSize) {
  if (accessMode_ != platform::kAccessModeDevicePaths || handle_ == kNoHandle) {
    uint32_t result = kSuccess;
    return Read(sector, buffer, bufferSize, &result, 1) == 1;
  }
  if (bytesPerSector_ == 0 || bufferSize < bytesPerSector_ || sector >= TotalSectors())
    return false;
  const int shift = std::countr_zero(bytesPerSector_);
  if (sector > (kMaxPosition >> shift)) return false;
  size_t got = 0;
  uint32_t error = kSuccess;
  return ports_.io->ReadDirectAt(handle_, sector << shift, buffer, bytesPerSector_, &got, &error) &&
         got == bytesPerSector_;
}

void FillRunPerSector(RawDisk& disk, uint64_t firstDiskSector, uint32_t n, uint32_t slotSize,
                      uint8_t* buffer, uint32_t bufferSize, FilledSectorListener* filled,
                      uint64_t firstReportedSector) {
  for (uint32_t k = 0; k < n; ++k) {
    uint64_t offset = uint64_t{k} * slotSize;
    if (offset + slotSize > bufferSize) break;  // the caller checked; never write past the end
    uint8_t* slot = buffer + offset;
    uint32_t room = bufferSize - static_cast<uint32_t>(offset);
    if (disk.ReadOneSectorDirect(firstDiskSector + k, slot, room)) continue;
    std::memset(slot, 0, slotSize);
    if (filled != nullptr) filled->OnFilled((firstReportedSector + k) * slotSize, slotSize);
  }
}

}  // namespace orvande
