#pragma once
// orvande-cli image SOURCE OUT.dsk [--yes]: a raw image of the volume in SOURCE.
#include <memory>

#include "cli/command.h"

namespace orvande::cli {

std::unique_ptr<Command> MakeImageCommand();

}  // namespace orvande::cli
