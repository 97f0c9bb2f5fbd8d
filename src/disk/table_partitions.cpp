#include "disk/table_partitions.h"

#include <algorithm>
#include <string>

#include "disk/boot_sector_kind.h"
#include "disk/raw_disk.h"
#include "platform/partition_table.h"
#include "support/result_codes.h"

namespace orvande {
namespace {

std::vector<uint8_t> ReadBootSector(RawDisk& disk, uint64_t sector) {
  const uint32_t sectorSize = disk.BytesPerSector();
  std::vector<uint8_t> buffer(std::max<size_t>(sectorSize, PartitionNode::kBootSectorSize), 0);
  uint32_t result = kSuccess;
  if (disk.Read(sector, buffer.data(), static_cast<uint32_t>(buffer.size()), &result, 1) != 1) {
    std::fill(buffer.begin(), buffer.end(), 0);
  }
  buffer.resize(PartitionNode::kBootSectorSize);
  return buffer;
}

std::shared_ptr<PartitionNode> MakeNode(PhysicalDiskNode& disk, RawDisk& raw,
                                        const platform::PartitionTableEntry& entry) {
  auto node = std::make_shared<PartitionNode>(static_cast<int32_t>(disk.GetDiskNumber()),
                                              std::string(), disk.GetPorts());
  std::vector<uint8_t> boot = ReadBootSector(raw, entry.firstSector);
  node->InitPartition(raw.BytesPerSector(), BootSectorFsKind(boot), entry.firstSector,
                      entry.sectorCount, boot.data());
  return node;
}

}  // namespace

std::vector<std::shared_ptr<PartitionNode>> ReadPartitionTable(PhysicalDiskNode& disk) {
  std::vector<std::shared_ptr<PartitionNode>> nodes;
  const DevicePorts& ports = disk.GetPorts();
  if (!ports.diskPath) return nodes;
  const std::string path = ports.diskPath(disk.GetDiskNumber());
  RawDisk raw(ports);
  if (path.empty() || !raw.Open(disk.GetDiskNumber(), true, nullptr)) return nodes;
  std::optional<platform::PartitionTable> table =
      platform::ReadPartitionTable(path, raw.BytesPerSector());
  if (!table) return nodes;
  for (const platform::PartitionTableEntry& entry : table->entries) {
    if (entry.extended || entry.sectorCount == 0) continue;
    nodes.push_back(MakeNode(disk, raw, entry));
  }
  return nodes;
}

}  // namespace orvande
