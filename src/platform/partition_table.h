#pragma once
// The partition table of a disk or whole-disk image file: MBR (with the logical partitions of its
// extended partitions) or GPT. Safe from any thread (each call probes on its own).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvande::platform {

struct PartitionTableEntry {
  // As the table numbers it: MBR primaries 1-4, logicals from 5.
  uint32_t number = 0;
  // In the disk's own sectors, from the start of the disk.
  uint64_t firstSector = 0;
  uint64_t sectorCount = 0;
  // The MBR type byte (0 in a GPT) and the GPT type GUID (empty in an MBR).
  uint32_t type = 0;
  std::string typeText;
  // An MBR extended partition: a container of logicals, no volume itself.
  bool extended = false;
};

struct PartitionTable {
  std::string scheme;  // "dos" or "gpt"
  std::vector<PartitionTableEntry> entries;
};

// Reads the table at `path` whose sectors are `sectorSize` bytes (image files have no size of
// their own). nullopt when the path cannot be read or holds no partition table.
std::optional<PartitionTable> ReadPartitionTable(const std::string& path, uint32_t sectorSize);

}  // namespace orvande::platform
