#pragma once
// A folder standing in for /sys with one disk, sda, holding the partitions sda1 and sda2 (4096
// sectors), and a volume probe that finds NTFS on every device: what discovery lists from it
// is known without touching the machine's devices. One thread at a time.
#include <filesystem>

#include "disk/discovery_sources.h"

namespace orvande::test {

// Writes the tree under root and returns sources that read it.
DiscoverySources FakeSysfsWithOneDisk(const std::filesystem::path& root);

}  // namespace orvande::test
