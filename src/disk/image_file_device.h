#pragma once
// Reads a raw volume image file in the caller's units. Never fills bad sectors: a file read
// failure is reported as it is. Reads from one thread at a time.
#include <cstdint>

#include "disk/sector_device.h"
#include "platform/raw_io.h"

namespace orvande {

class ImageFileNode;

class ImageFileDevice final : public SectorDevice {
 public:
  ImageFileDevice(ImageFileNode* node, platform::RawIo& io = platform::SystemRawIo());
  ~ImageFileDevice() override;

  bool Open(bool quiet, Prompter* prompter) override;
  void Close() override;
  uint32_t ReadSectors(uint64_t first, uint8_t* buffer, uint32_t bufferSize, uint32_t* result,
                       uint32_t count, int unitShift, bool fillBadSectors) override;
  DeviceNode* GetNode() override;
  const uint8_t* GetStoredBootSector() override { return nullptr; }
  uint64_t SizeInBytes() override;

  uint32_t LastOpenError() const { return lastOpenError_; }

 private:
  ImageFileNode* node_;
  platform::RawIo& io_;
  platform::RawIo::Handle handle_ = platform::RawIo::kInvalidHandle;
  uint32_t lastOpenError_ = 0;
};

}  // namespace orvande
