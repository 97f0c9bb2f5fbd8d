#pragma once
// Little-endian appends to a byte vector, the counterpart of le_reader.h for the few records the
// program writes itself. Safe to use from any thread (each call touches only its vector).
#include <cstdint>
#include <vector>

namespace orvande {

inline void AppendLeU32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

inline void AppendLeI32(std::vector<uint8_t>& out, int32_t value) {
  AppendLeU32(out, static_cast<uint32_t>(value));
}

}  // namespace orvande
