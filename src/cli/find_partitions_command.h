#pragma once
// orvande-cli find-partitions DISK: the lost partition search over a whole disk or disk image.
#include <memory>

#include "cli/command.h"

namespace orvande::cli {

std::unique_ptr<Command> MakeFindPartitionsCommand();

}  // namespace orvande::cli
