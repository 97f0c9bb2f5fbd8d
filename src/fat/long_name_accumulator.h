#pragma once
// Collects the pieces of one long file name while a directory chain is parsed. The pieces come
// last-first on disk, so the name is filled from the end of a fixed buffer: it occupies the last
// Count() units before a terminating 0 in the final unit. A value; used by one thread.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace orvande {

class LongNameAccumulator {
 public:
  static constexpr size_t kUnits = 1024;
  // Above this many units a new piece first drops the tail of the name, so that 13 more fit.
  static constexpr uint32_t kMaxUnitsBeforePiece = 1010;
  static constexpr uint32_t kUnitsPerPiece = 13;

  void Reset() {
    count_ = 0;
    checksum_ = 0;
  }
  uint32_t Count() const { return count_; }
  bool HasCharacters() const { return count_ > 0; }
  uint8_t Checksum() const { return checksum_; }
  void SetChecksum(uint8_t checksum) { checksum_ = checksum; }

  // Puts the characters of one long-name entry (32 bytes) in front of the name. Each of its three
  // parts loses its trailing 0xFFFF and 0 units first.
  void Prepend(std::span<const uint8_t> entry);
  // True when none of the entry's three parts holds a 0xFFFF or 0 unit (a middle piece).
  static bool IsFullPiece(std::span<const uint8_t> entry);

  std::u16string_view Units() const {
    return std::u16string_view(units_.data() + (kUnits - 1 - count_), count_);
  }

 private:
  void PrependPart(std::span<const uint8_t> entry, size_t offset, size_t units);

  std::array<char16_t, kUnits> units_{};
  uint32_t count_ = 0;
  uint8_t checksum_ = 0;
};

}  // namespace orvande
