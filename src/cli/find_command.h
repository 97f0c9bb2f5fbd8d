#pragma once
// orvande-cli find SOURCE TEXT [--deleted-only] [--whole-name] [--case]: builds the files tree of
// the volume and lists every folder and file whose name matches, as Find and Find next would
// reach them one after the other.
#include <memory>

#include "cli/command.h"

namespace orvande::cli {

std::unique_ptr<Command> MakeFindCommand();

}  // namespace orvande::cli
