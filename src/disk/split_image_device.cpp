#include "disk/split_image_device.h"

#include "disk/byte_units_read.h"
#include "disk/image_file_node.h"
#include "disk/image_format.h"
#include "disk/open_failure.h"
#include "support/prompter.h"
#include "support/result_codes.h"

namespace orvande {

SplitImageDevice::SplitImageDevice(ImageFileNode* node, platform::RawIo& io)
    : node_(node), image_(io) {}

SplitImageDevice::~SplitImageDevice() {
  Close();
}

DeviceNode* SplitImageDevice::GetNode() {
  return node_;
}

bool SplitImageDevice::Open(bool quiet, Prompter* prompter) {
  if (node_ == nullptr) return false;
  lastOpenError_ = kSuccess;
  if (image_.Open(SplitImagePieces(node_->GetPath()), &lastOpenError_)) return true;
  if (!quiet) ShowImageOpenFailure(PrompterOrDefault(prompter));
  return false;
}

void SplitImageDevice::Close() {
  image_.Close();
}

uint32_t SplitImageDevice::ReadSectors(uint64_t first, uint8_t* buffer, uint32_t bufferSize,
                                       uint32_t* result, uint32_t count, int unitShift,
                                       bool /*fillBadSectors*/) {
  const ByteRangeReader read = [this](uint64_t offset, void* to, size_t size, size_t* got,
                                      uint32_t* error) {
    return image_.ReadAt(offset, to, size, got, error);
  };
  return ReadUnitsAt(read, image_.IsOpen(), first, buffer, bufferSize, result, count, unitShift);
}

}  // namespace orvande
