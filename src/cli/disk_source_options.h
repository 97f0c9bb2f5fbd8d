#pragma once
// The options that say how a whole disk is read, shared by every command: the sector size of a
// disk image file and the partitions information file that stands for the disk's lost
// partitions. Main thread only.
#include "app/disk_partition_source.h"

namespace CLI {
class App;
}

namespace orvande::cli {

// Adds --sector-size and --partitions to the subcommand, filling `options`.
void RegisterDiskSourceOptions(CLI::App& sub, DiskSourceOptions& options);

}  // namespace orvande::cli
