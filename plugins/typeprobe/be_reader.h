#pragma once
// Bounds-checked big-endian reads over a byte span, the counterpart of orvande::LeReader for the
// formats that store their numbers most significant byte first (JPEG, PNG, ISO media boxes). A
// read that does not fit the span yields 0. Safe to use from any thread (it only reads).
#include <cstddef>
#include <cstdint>
#include <span>

namespace typeprobe {

class BeReader {
 public:
  explicit BeReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  BeReader(const uint8_t* data, size_t size) : bytes_(data, size) {}

  bool Fits(size_t offset, size_t width) const {
    return offset <= bytes_.size() && width <= bytes_.size() - offset;
  }
  uint8_t U8(size_t offset) const { return Fits(offset, 1) ? bytes_[offset] : 0; }
  uint16_t U16(size_t offset) const { return static_cast<uint16_t>(Unsigned(offset, 2)); }
  uint32_t U32(size_t offset) const { return static_cast<uint32_t>(Unsigned(offset, 4)); }
  uint64_t U64(size_t offset) const { return Unsigned(offset, 8); }
  uint64_t Unsigned(size_t offset, size_t width) const {
    if (width == 0 || width > 8 || !Fits(offset, width)) return 0;
    uint64_t value = 0;
    for (size_t i = 0; i < width; ++i) value = (value << 8) | bytes_[offset + i];
    return value;
  }

 private:
  std::span<const uint8_t> bytes_;
};

}  // namespace typeprobe
