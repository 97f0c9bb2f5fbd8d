#pragma once
// orvande-cli recover SOURCE --out DIR [PATH...] [--all-files] [--structure] [--streams]
//                    [--on-exists ask|replace|skip|rename] [--replace-char C] [--yes]
// Analyses the volume, then writes the chosen folders and files under DIR with the recovery job.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"
#include "core/folder_tree.h"

namespace orvande {
class ItemStore;
class ReadWriteLock;
}  // namespace orvande

namespace orvande::cli {

std::unique_ptr<Command> MakeRecoverCommand();

// True when writing into `outputFolder` could overwrite the block device `source` (the same
// device, or a partition of the same disk). False for image files and for anything unknown.
bool OutputOnSourceDevice(const std::string& source, const std::string& outputFolder);

}  // namespace orvande::cli
