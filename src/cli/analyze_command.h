#pragma once
// orvande-cli analyze SOURCE [--deleted-only] [--json|--bodyfile|--dfxml]: builds the files
// tree of the volume and lists every folder and file in it, as text columns, one JSON object, a
// body file or a DFXML document.
#include <memory>

#include "cli/command.h"

namespace orvande::cli {

std::unique_ptr<Command> MakeAnalyzeCommand();

}  // namespace orvande::cli
