#include "disk/logical_drive_device.h"

#include <cstring>

#include "disk/file_like_read.h"
#include "disk/logical_drive_node.h"
#include "disk/open_failure.h"
#include "platform/error_numbers.h"
#include "support/prompter.h"
#include "support/result_codes.h"

namespace orvande {
namespace {

constexpr int kNoHandle = -1;

bool UsesServiceCalls(uint32_t mode) {
  return mode == platform::kAccessModeExtendedDosRead || mode == platform::kAccessModeDosRead;
}

}  // namespace

LogicalDriveDevice::LogicalDriveDevice(LogicalDriveNode* node, DevicePorts ports)
    : node_(node), ports_(std::move(ports)) {}

LogicalDriveDevice::~LogicalDriveDevice() {
  Close();
}

DeviceNode* LogicalDriveDevice::GetNode() {
  return node_;
}

const uint8_t* LogicalDriveDevice::GetStoredBootSector() {
  return node_ ? node_->GetStoredBootSector() : nullptr;
}

bool LogicalDriveDevice::Open(bool quiet, Prompter* prompter) {
  if (node_ == nullptr) return false;
  Close();
  lastOpenError_ = kSuccess;
  platform::PlatformVersion version =
      ports_.queryVersion ? ports_.queryVersion() : platform::PlatformVersion{};
  accessMode_ = version.accessMode;

  logicalSectorBytes_ = 0;
  sizeBytes_ = 0;
  if (accessMode_ == platform::kAccessModeDevicePaths) {
    handle_ = ports_.io->OpenReadOnly(node_->GetDevicePath(), &lastOpenError_);
    platform::BlockGeometry geometry;
    uint32_t ignored = kSuccess;
    if (handle_ != kNoHandle && ports_.io->QueryGeometry(handle_, &geometry, &ignored)) {
      logicalSectorBytes_ = geometry.bytesPerSector;
      sizeBytes_ = geometry.sizeBytes;
    }
  } else if (UsesServiceCalls(accessMode_)) {
    // The old family shows nothing when its service device is missing.
    handle_ = ports_.volumeCalls->Open(&lastOpenError_);
    handleMode_ = accessMode_;
    return handle_ != kNoHandle;
  }
  handleMode_ = accessMode_;
  if (handle_ != kNoHandle) return true;
  // Without raw access the error stays at success, which selects the administrative-rights text.
  if (quiet) return false;
  ShowDiskOpenFailure(PrompterOrDefault(prompter), lastOpenError_);
  // Refused: the user may authorise read access to the device, and then it opens.
  if (lastOpenError_ != platform::kErrAccessDenied || accessMode_ != platform::kAccessModeDevicePaths ||
      !PrompterOrDefault(prompter).OfferDeviceAccess(node_->GetDevicePath()))
    return false;
  handle_ = ports_.io->OpenReadOnly(node_->GetDevicePath(), &lastOpenError_);
  if (handle_ == kNoHandle) return false;
  platform::BlockGeometry geometry;
  uint32_t ignored = kSuccess;
  if (ports_.io->QueryGeometry(handle_, &geometry, &ignored)) {
    logicalSectorBytes_ = geometry.bytesPerSector;
    sizeBytes_ = geometry.sizeBytes;
  }
  return true;
}

void LogicalDriveDevice::Close() {
  if (handle_ == kNoHandle) return;
  if (UsesServiceCalls(handleMode_)) {
    ports_.volumeCalls->Close(handle_);
  } else {
    ports_.io->Close(handle_);
  }
  handle_ = kNoHandle;
}

uint32_t LogicalDriveDevice::ReadSectors(uint64_t first, uint8_t* buffer, uint32_t bufferSize,
                                         uint32_t* result, uint32_t count, int unitShift,
                                         bool fillBadSectors) {
  uint32_t localResult = kSuccess;
  if (result == nullptr) result = &localResult;
  *result = kSuccess;
  if (handle_ == kNoHandle) {
    *result = ErrNotOpen;
    return 0;
  }
  if (accessMode_ == platform::kAccessModeDevicePaths) {
    return FileLikeRead(*ports_.io, handle_, first, buffer, bufferSize, result, count, unitShift,
                        fillBadSectors, logicalSectorBytes_, FilledListener());
  }
  if (UsesServiceCalls(accessMode_)) {
    return ReadThroughService(first, buffer, bufferSize, result, count, unitShift, fillBadSectors);
  }
  *result = ErrUnsupportedAccess;
  return 0;
}

uint32_t LogicalDriveDevice::ReadThroughService(uint64_t first, uint8_t* buffer,
                                                uint32_t bufferSize, uint32_t* result,
                                                uint32_t count, int unitShift,
                                                bool fillBadSectors) {
  uint64_t bytes = 0;
  if (!UnitBytes(count, unitShift, &bytes) || count > 0xFFFF) {
    // The packet's count field is 16 bits wide; a larger run would be cut short silently.
    *result = platform::kErrInvalidParameter;
    return 0;
  }
  if (bytes > bufferSize) {
    *result = ErrBufferTooSmall;
    return 0;
  }
  // The packet holds a 32-bit start sector; anything above would read the wrong sector.
  if (first > UINT32_MAX) {
    *result = ErrBadPosition;
    return 0;
  }
  DosDiskCall call;
  BuildDosDiskCall(accessMode_, node_->GetDriveLetter(), static_cast<uint32_t>(first),
                   static_cast<uint16_t>(count), buffer, &call);
  uint32_t error = kSuccess;
  // The returned carry flag is not examined: a successful call counts as a complete read.
  if (ports_.volumeCalls->Call(handle_, &call, buffer, &error)) return count;
  *result = error;
  if (!fillBadSectors || error != ErrDataError) return 0;
  // The calls cannot say which sector failed, so the whole run is given up as zeros; the result
  // keeps the data error so that callers know.
  std::memset(buffer, 0, static_cast<size_t>(bytes));
  ReportFilled(first << unitShift, bytes);
  return count;
}

}  // namespace orvande
