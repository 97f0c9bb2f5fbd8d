#pragma once
// A file layer that reports a chosen sector size: a whole-disk image file carries no sector size of
// its own, so the user names it. Meant for image files only (a block device knows its size). Safe
// from any thread when the wrapped layer is.
#include <cstdint>
#include <string>

#include "platform/raw_io.h"

namespace orvande {

class SectorSizeIo final : public platform::RawIo {
 public:
  SectorSizeIo(platform::RawIo& inner, uint32_t sectorSize)
      : inner_(inner), sectorSize_(sectorSize) {}

  Handle OpenReadOnly(const std::string& path, uint32_t* error) override;
  void Close(Handle handle) override;
  bool ReadAt(Handle handle, uint64_t offset, void* buffer, size_t size, size_t* bytesRead,
              uint32_t* error) override;
  bool ReadDirectAt(Handle handle, uint64_t offset, void* buffer, size_t size, size_t* bytesRead,
                    uint32_t* error) override;
  bool QueryGeometry(Handle handle, platform::BlockGeometry* geometry, uint32_t* error) override;

 private:
  platform::RawIo& inner_;
  uint32_t sectorSize_;
};

}  // namespace orvande
