#include "platform/partition_table.h"

#include <blkid.h>

#include <memory>
#include <type_traits>

namespace orvande::platform {
namespace {

// The library counts starts and sizes in 512-byte units whatever the disk's sector size.
constexpr uint64_t kProbeUnit = 512;

struct ProbeDeleter {
  void operator()(blkid_probe probe) const { blkid_free_probe(probe); }
};
using ProbePtr = std::unique_ptr<std::remove_pointer_t<blkid_probe>, ProbeDeleter>;

uint64_t ToDiskSectors(blkid_loff_t units, uint32_t sectorSize) {
  if (units < 0) return 0;
  return static_cast<uint64_t>(units) * kProbeUnit / sectorSize;
}

PartitionTableEntry ToEntry(blkid_partition partition, uint32_t sectorSize) {
  PartitionTableEntry entry;
  int number = blkid_partition_get_partno(partition);
  entry.number = number > 0 ? static_cast<uint32_t>(number) : 0;
  entry.firstSector = ToDiskSectors(blkid_partition_get_start(partition), sectorSize);
  entry.sectorCount = ToDiskSectors(blkid_partition_get_size(partition), sectorSize);
  int type = blkid_partition_get_type(partition);
  entry.type = type > 0 ? static_cast<uint32_t>(type) : 0;
  if (const char* text = blkid_partition_get_type_string(partition)) entry.typeText = text;
  entry.extended = blkid_partition_is_extended(partition) != 0;
  return entry;
}

}  // namespace

std::optional<PartitionTable> ReadPartitionTable(const std::string& path, uint32_t sectorSize) {
  if (sectorSize < kProbeUnit) return std::nullopt;
  ProbePtr probe(blkid_new_probe_from_filename(path.c_str()));
  if (!probe) return std::nullopt;
  blkid_probe_set_sectorsize(probe.get(), sectorSize);
  blkid_probe_enable_superblocks(probe.get(), 0);
  blkid_probe_enable_partitions(probe.get(), 1);
  blkid_partlist list = blkid_probe_get_partitions(probe.get());
  if (list == nullptr) return std::nullopt;
  blkid_parttable root = blkid_partlist_get_table(list);
  if (root == nullptr) return std::nullopt;

  PartitionTable table;
  if (const char* scheme = blkid_parttable_get_type(root)) table.scheme = scheme;
  int count = blkid_partlist_numof_partitions(list);
  for (int i = 0; i < count; ++i) {
    if (blkid_partition partition = blkid_partlist_get_partition(list, i)) {
      table.entries.push_back(ToEntry(partition, sectorSize));
    }
  }
  return table;
}

}  // namespace orvande::platform
