#pragma once
// A named disk with the lost partitions a front end knows for it: those kept from earlier runs
// (or those of a partitions information file the user names instead), so that a partition
// numbered by an earlier search can be opened again. Call from one thread at a time.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/disk_source.h"
#include "support/result_codes.h"

namespace orvande {

class PartitionNode;

struct DiskSourceOptions {
  uint32_t imageSectorSize = kDefaultImageSectorSize;
  // The partitions information file that stands for the disk's lost partitions; empty: the one
  // kept for the disk between runs.
  std::string partitionsFile;
};

struct DiskWithPartitions {
  OpenedDisk disk;
  std::string listFile;  // where its lost partitions were read from and are saved to
};

// The text for a failed load of a partitions information file.
std::string PartitionsLoadProblem(const std::string& file, ResultCode result);

// Opens the disk and lists the partitions of its list file; nothing, with *problem, when the
// disk cannot be read or the file is not a partitions information file.
std::optional<DiskWithPartitions> OpenDiskWithPartitions(const std::string& path,
                                                         const DiskSourceOptions& options,
                                                         std::string* problem);

// A node of its own for the partition numbered `number` (see ListDiskPartitions); it reads
// through the disk's ports. Null with *problem when there is no such number.
std::unique_ptr<PartitionNode> PickDiskPartition(DiskWithPartitions& disk, uint32_t number,
                                                 std::string* problem);

}  // namespace orvande
