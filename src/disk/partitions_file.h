#pragma once
// Saving the lost partitions of a physical disk to a partitions information file and loading
// them back onto the list of whichever disk loads them. Both hold the disk's list lock for their
// whole run, so they may be called from any thread.
#include <cstddef>
#include <cstdint>
#include <string>

#include "support/result_codes.h"

namespace orvande {

class PartitionNode;
class PhysicalDiskNode;

namespace platform {
class OutputFile;
}

// The file is read sequentially through one of these; records are decoded from what it
// delivers.
class PartitionsFileSource {
 public:
  virtual ~PartitionsFileSource() = default;
  // Reads exactly size bytes; a short read is a failure.
  virtual ResultCode ReadExactly(uint8_t* buffer, size_t size) = 0;
};

// Writes one record at the file's current position.
ResultCode WriteRecord(const PartitionNode& node, platform::OutputFile& file);
// Reads one record into the node; ErrInvalidPartitionsData for a record that is not one of ours.
ResultCode ReadRecord(PartitionNode& node, PartitionsFileSource& source);

// Replaces the file at path with the disk's list; a file whose writing failed is removed.
ResultCode SavePartitions(PhysicalDiskNode& disk, const std::string& path);
// Adds the file's partitions to the disk's list (duplicates are skipped) and counts those added
// in *added. Partitions added before a failure stay listed.
ResultCode LoadPartitions(PhysicalDiskNode& disk, const std::string& path, int* added);

}  // namespace orvande
