#pragma once
// orvande-cli partitions DISK: the numbered partitions of a whole disk or disk image.
#include <memory>

#include "cli/command.h"

namespace orvande::cli {

std::unique_ptr<Command> MakePartitionsCommand();

}  // namespace orvande::cli
