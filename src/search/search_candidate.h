#pragma once
// One possible lost partition, made from a trace on the disk. A value; safe from any thread.
#include <array>
#include <cstdint>

#include "disk/device_node.h"

namespace orvande {

struct SearchCandidate {
  static constexpr size_t kBootSectorSize = 512;

  int fsKind = kFsNone;  // kFsFat or kFsNtfs
  uint64_t firstSector = 0;
  uint64_t sectorCount = 0;
  std::array<uint8_t, kBootSectorSize> bootSector{};
};

}  // namespace orvande
