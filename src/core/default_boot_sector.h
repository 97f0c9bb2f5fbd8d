#pragma once
// The boot sector given to a floppy drive whose own one names no file system: a 1.44 MB
// diskette formatted as FAT12. Thread-safe (a constant).
#include <array>
#include <cstddef>
#include <cstdint>

namespace orvande {

inline constexpr size_t kBootSectorSize = 512;

const std::array<uint8_t, kBootSectorSize>& DefaultFloppyBootSector();

}  // namespace orvande
