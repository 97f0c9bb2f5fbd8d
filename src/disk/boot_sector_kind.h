#pragma once
// Which file system a partition's first sector starts: enough to label a partition in the device
// list; the analyzers decide for themselves when they open it. Safe from any thread.
#include <cstdint>
#include <span>

#include "disk/device_node.h"

namespace orvande {

// kFsNtfs, kFsFat or kFsNone for a 512-byte boot sector (a shorter span is kFsNone).
FileSystemKind BootSectorFsKind(std::span<const uint8_t> bootSector);

}  // namespace orvande
