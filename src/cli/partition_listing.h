#pragma once
// How the partitions and find-partitions commands print a disk's numbered partitions: text
// columns, or one JSON object. Main thread only.
#include <iosfwd>
#include <vector>

#include "app/disk_partition_list.h"
#include "app/disk_source.h"

namespace orvande::cli {

void WritePartitionHeader(std::ostream& out);
// "N ORIGIN FIRST COUNT TEXT" of one partition.
void WritePartitionLine(std::ostream& out, const NumberedPartition& partition);
// {"disk", "bytes_per_sector", "total_sectors", "complete", "partitions": [{number, name,
// first_sector, sector_count, origin}]} on one line; complete is false after a stopped search.
void WritePartitionsJson(std::ostream& out, const OpenedDisk& disk,
                         const std::vector<NumberedPartition>& partitions, bool completed);

}  // namespace orvande::cli
