#pragma once
// Reads a raw volume image split into numbered pieces (NAME.001, NAME.002, ...) as one image, in
// the caller's units. Never fills bad sectors. Reads from one thread at a time.
#include <cstdint>

#include "disk/sector_device.h"
#include "disk/segmented_image.h"
#include "platform/raw_io.h"

namespace orvande {

class ImageFileNode;

class SplitImageDevice final : public SectorDevice {
 public:
  // The node's path names the first piece.
  SplitImageDevice(ImageFileNode* node, platform::RawIo& io = platform::SystemRawIo());
  ~SplitImageDevice() override;

  bool Open(bool quiet, Prompter* prompter) override;
  void Close() override;
  uint32_t ReadSectors(uint64_t first, uint8_t* buffer, uint32_t bufferSize, uint32_t* result,
                       uint32_t count, int unitShift, bool fillBadSectors) override;
  DeviceNode* GetNode() override;
  const uint8_t* GetStoredBootSector() override { return nullptr; }
  uint64_t SizeInBytes() override { return image_.SizeInBytes(); }

  uint32_t LastOpenError() const { return lastOpenError_; }

 private:
  ImageFileNode* node_;
  SegmentedImage image_;
  uint32_t lastOpenError_ = 0;
};

}  // namespace orvande
