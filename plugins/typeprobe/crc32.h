#pragma once
// The CRC-32 of ZIP and 7z (reflected polynomial 0xEDB88320). Safe from any thread.
#include <array>
#include <cstddef>
#include <cstdint>

namespace typeprobe {

constexpr std::array<uint32_t, 256> MakeCrc32Table() {
  std::array<uint32_t, 256> table{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t value = i;
    for (int bit = 0; bit < 8; ++bit) value = (value & 1) ? (value >> 1) ^ 0xEDB88320u : value >> 1;
    table[i] = value;
  }
  return table;
}

inline uint32_t Crc32(const uint8_t* data, size_t size) {
  static constexpr auto kTable = MakeCrc32Table();
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) crc = kTable[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

}  // namespace typeprobe
