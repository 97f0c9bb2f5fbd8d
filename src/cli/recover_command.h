#pragma once
// orvande-cli recover SOURCE --out DIR [PATH...] [--all-files] [--structure] [--streams]
//                    [--on-exists ask|replace|skip|rename] [--replace-char C] [--yes]
// Analyses the volume, then writes the chosen folders and files under DIR with the recovery job.
#include <memory>

#include "cli/command.h"

namespace orvande::cli {

std::unique_ptr<Command> MakeRecoverCommand();

}  // namespace orvande::cli
