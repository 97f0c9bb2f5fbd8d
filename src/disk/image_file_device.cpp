#include "disk/image_file_device.h"

#include "disk/file_like_read.h"
#include "disk/image_file_node.h"
#include "disk/open_failure.h"
#include "platform/error_numbers.h"
#include "support/prompter.h"
#include "support/result_codes.h"

namespace orvande {

ImageFileDevice::ImageFileDevice(ImageFileNode* node, platform::RawIo& io) : node_(node), io_(io) {}

ImageFileDevice::~ImageFileDevice() {
  Close();
}

DeviceNode* ImageFileDevice::GetNode() {
  return node_;
}

bool ImageFileDevice::Open(bool quiet, Prompter* prompter) {
  if (node_ == nullptr) return false;
  Close();
  lastOpenError_ = kSuccess;
  if (node_->GetPath().empty()) {
    lastOpenError_ = platform::kErrFileNotFound;
    return false;
  }
  handle_ = io_.OpenReadOnly(node_->GetPath(), &lastOpenError_);
  if (handle_ != platform::RawIo::kInvalidHandle) return true;
  if (!quiet) ShowImageOpenFailure(PrompterOrDefault(prompter));
  return false;
}

void ImageFileDevice::Close() {
  if (handle_ == platform::RawIo::kInvalidHandle) return;
  io_.Close(handle_);
  handle_ = platform::RawIo::kInvalidHandle;
}

uint64_t ImageFileDevice::SizeInBytes() {
  platform::BlockGeometry geometry;
  uint32_t error = kSuccess;
  if (handle_ == platform::RawIo::kInvalidHandle || !io_.QueryGeometry(handle_, &geometry, &error))
    return 0;
  return geometry.sizeBytes;
}

uint32_t ImageFileDevice::ReadSectors(uint64_t first, uint8_t* buffer, uint32_t bufferSize,
                                      uint32_t* result, uint32_t count, int unitShift,
                                      bool /*fillBadSectors*/) {
  uint32_t localResult = kSuccess;
  return FileLikeRead(io_, handle_, first, buffer, bufferSize, result ? result : &localResult,
                      count, unitShift, /*fillBadUnits=*/false);
}

}  // namespace orvande
