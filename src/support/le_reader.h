#pragma once
// Bounds-checked little-endian reads over a byte span. Every disk structure is decoded through
// these: a read that does not fit the span yields 0 (or nullopt from the Try* forms), never a
// read outside the buffer. Safe to use from any thread (it only reads).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace orvande {

class LeReader {
 public:
  LeReader() = default;
  explicit LeReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  LeReader(const uint8_t* data, size_t size) : bytes_(data, size) {}

  size_t size() const { return bytes_.size(); }
  const uint8_t* data() const { return bytes_.data(); }
  std::span<const uint8_t> bytes() const { return bytes_; }

  // True when [offset, offset + width) lies inside the span (overflow-safe).
  bool Fits(size_t offset, size_t width) const {
    return offset <= bytes_.size() && width <= bytes_.size() - offset;
  }

  uint8_t U8(size_t offset) const { return Fits(offset, 1) ? bytes_[offset] : 0; }
  uint16_t U16(size_t offset) const { return static_cast<uint16_t>(Unsigned(offset, 2)); }
  uint32_t U32(size_t offset) const { return static_cast<uint32_t>(Unsigned(offset, 4)); }
  uint64_t U64(size_t offset) const { return Unsigned(offset, 8); }
  // Little-endian unsigned value of 1 to 8 bytes.
  uint64_t Unsigned(size_t offset, size_t width) const {
    if (width == 0 || width > 8 || !Fits(offset, width)) return 0;
    uint64_t value = 0;
    for (size_t i = width; i-- > 0;) value = (value << 8) | bytes_[offset + i];
    return value;
  }

  std::optional<uint8_t> TryU8(size_t offset) const { return Try(offset, 1); }
  std::optional<uint16_t> TryU16(size_t offset) const {
    auto v = Try(offset, 2);
    return v ? std::optional<uint16_t>(static_cast<uint16_t>(*v)) : std::nullopt;
  }
  std::optional<uint32_t> TryU32(size_t offset) const {
    auto v = Try(offset, 4);
    return v ? std::optional<uint32_t>(static_cast<uint32_t>(*v)) : std::nullopt;
  }
  std::optional<uint64_t> TryU64(size_t offset) const { return Try(offset, 8); }

  // A sub-span, empty when it does not fit.
  std::span<const uint8_t> Sub(size_t offset, size_t width) const {
    return Fits(offset, width) ? bytes_.subspan(offset, width) : std::span<const uint8_t>{};
  }

 private:
  std::optional<uint64_t> Try(size_t offset, size_t width) const {
    if (!Fits(offset, width)) return std::nullopt;
    return Unsigned(offset, width);
  }
  std::span<const uint8_t> bytes_;
};

// Little-endian stores into a caller's buffer (test builders and in-memory structures only).
inline bool StoreLe(std::span<uint8_t> bytes, size_t offset, uint64_t value, size_t width) {
  if (width > 8 || offset > bytes.size() || width > bytes.size() - offset) return false;
  for (size_t i = 0; i < width; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
  return true;
}

}  // namespace orvande
