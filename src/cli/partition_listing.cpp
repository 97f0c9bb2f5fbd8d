#include "cli/partition_listing.h"

#include <cstdio>
#include <nlohmann/json.hpp>
#include <ostream>

#include "disk/partition_node.h"
#include "disk/physical_disk_node.h"

namespace orvande::cli {

using Json = nlohmann::ordered_json;

void WritePartitionHeader(std::ostream& out) {
  char line[96];
  std::snprintf(line, sizeof line, "%3s %-6s %14s %14s  %s\n", "N", "ORIGIN", "FIRST", "COUNT",
                "PARTITION");
  out << line;
}

void WritePartitionLine(std::ostream& out, const NumberedPartition& partition) {
  char line[96];
  std::snprintf(line, sizeof line, "%3u %-6s %14llu %14llu  ", partition.number,
                PartitionOriginName(partition.origin),
                static_cast<unsigned long long>(partition.node->GetFirstSector()),
                static_cast<unsigned long long>(partition.node->GetSectorCount()));
  out << line << partition.node->GetName() << '\n';
}

void WritePartitionsJson(std::ostream& out, const OpenedDisk& disk,
                         const std::vector<NumberedPartition>& partitions, bool completed) {
  Json list = Json::array();
  for (const NumberedPartition& partition : partitions) {
    list.push_back({{"number", partition.number},
                    {"name", partition.node->GetName()},
                    {"first_sector", partition.node->GetFirstSector()},
                    {"sector_count", partition.node->GetSectorCount()},
                    {"origin", PartitionOriginName(partition.origin)}});
  }
  Json object;
  object["disk"] = disk.node->GetName();
  object["bytes_per_sector"] = disk.bytesPerSector;
  object["total_sectors"] = disk.totalSectors;
  object["complete"] = completed;
  object["partitions"] = std::move(list);
  out << object.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n';
}

}  // namespace orvande::cli
