#pragma once
// An image in memory as the fuzz targets' sector device. Used by one thread.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <utility>
#include <vector>

#include "disk/sector_device.h"
#include "support/result_codes.h"

namespace orvande::fuzz {

// Reads like an image file: a short count where the image ends.
class FuzzDevice : public SectorDevice {
 public:
  explicit FuzzDevice(std::vector<uint8_t> bytes) : owned_(std::move(bytes)), bytes_(owned_) {}
  // Over an image that the caller keeps alive (and may reuse for the next input, which spares a
  // fresh allocation of the whole image per input).
  explicit FuzzDevice(std::span<const uint8_t> borrowed) : bytes_(borrowed) {}
  bool Open(bool, Prompter*) override { return true; }
  void Close() override {}
  uint32_t ReadSectors(uint64_t first, uint8_t* buffer, uint32_t bufferSize, uint32_t* result,
                       uint32_t count, int unitShift, bool) override {
    if (result != nullptr) *result = kSuccess;
    const uint64_t unit = uint64_t{1} << unitShift;
    if (uint64_t{count} * unit > bufferSize) {
      if (result != nullptr) *result = ErrBufferTooSmall;
      return 0;
    }
    if (first >= bytes_.size() / unit) return 0;
    const uint64_t delivered = std::min<uint64_t>(count, bytes_.size() / unit - first);
    std::memcpy(buffer, bytes_.data() + first * unit, delivered * unit);
    return static_cast<uint32_t>(delivered);
  }
  DeviceNode* GetNode() override { return nullptr; }
  const uint8_t* GetStoredBootSector() override { return nullptr; }

 private:
  std::vector<uint8_t> owned_;
  std::span<const uint8_t> bytes_;
};

}  // namespace orvande::fuzz
