#pragma once
// orvande-cli devices [--json]: the device list (local disks, image files, partitions of disks)
// and the physical disks.
#include <memory>

#include "cli/command.h"

namespace orvande::cli {

std::unique_ptr<Command> MakeDevicesCommand();

}  // namespace orvande::cli
