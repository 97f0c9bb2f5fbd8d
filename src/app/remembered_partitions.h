#pragma once
// Where the lost partitions found on a disk are kept between runs: one partitions information
// file per disk under $XDG_STATE_HOME/orvande/partitions/, named by a hash of the disk's
// canonical path and size, so that a later run reaches what a search found. Safe from any
// thread (the disk's list has its own lock); two runs saving for one disk leave the last list.
#include <cstdint>
#include <string>

#include "support/result_codes.h"

namespace orvande {

class PhysicalDiskNode;

// The file for the disk; empty when no state folder is known (no home folder).
std::string RememberedPartitionsFile(const std::string& canonicalPath, uint64_t sizeBytes);

// Saves the disk's list to `file`, making its folder first; the save's result code.
ResultCode RememberPartitions(PhysicalDiskNode& disk, const std::string& file);

// Adds the partitions kept in `file` to the disk's list; success with nothing added when there is
// no such file yet.
ResultCode RecallPartitions(PhysicalDiskNode& disk, const std::string& file, int* added);

}  // namespace orvande
