#pragma once
// orvande-cli analyze SOURCE [--deleted-only] [--json]: builds the files tree of the volume and
// lists every folder and file in it, as text columns or as one JSON object.
#include <memory>

#include "cli/command.h"

namespace orvande::cli {

std::unique_ptr<Command> MakeAnalyzeCommand();

}  // namespace orvande::cli
