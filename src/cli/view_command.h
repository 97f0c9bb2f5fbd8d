#pragma once
// orvande-cli view SOURCE [--sector N] [--count K]: the sector viewer's hex layout on stdout.
#include <memory>

#include "cli/command.h"

namespace orvande::cli {

// Sectors of this size are shown; the source's own sector size plays no part yet.
inline constexpr uint32_t kViewSectorSize = 512;
// Limits that keep every byte offset of the shown range within a signed 64-bit position.
inline constexpr uint64_t kViewMaxSector = (uint64_t{1} << 53) - 1;
inline constexpr uint32_t kViewMaxCount = 1u << 20;

std::unique_ptr<Command> MakeViewCommand();

}  // namespace orvande::cli
