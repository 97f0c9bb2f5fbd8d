#pragma once
// What the commands that analyse a volume share: getting the engine ready, the analyzer for a
// source, and one tree build with a progress bar on a terminal. Main thread only.
#include <memory>
#include <string>

#include "cli/command.h"
#include "core/stop_flag.h"

namespace orvande {
class DeviceNode;
class FolderTree;
class ItemStore;
class OperationLog;
class ReadWriteLock;
class VolumeAnalyzer;
}  // namespace orvande

namespace orvande::cli {

// Prints "orvande-cli: <problem>" and returns kExitFailed.
int FailCommand(CommandContext& context, const std::string& problem);

// Registers the analyzers and loads the file-type plug-in (once per process).
void PrepareEngine();

// The analyzing instance for the node; null after the engine has said why (through the run's
// prompter and the shown log).
std::unique_ptr<VolumeAnalyzer> OpenAnalyzer(CommandContext& context, DeviceNode& node,
                                             OperationLog& log);

// Fills the store and the tree; returns BuildTree's status.
uint32_t BuildTreeWithProgress(CommandContext& context, VolumeAnalyzer& analyzer, ItemStore& store,
                               FolderTree& tree, ReadWriteLock& storeLock, const StopFlag& stop,
                               VolumeAnalyzer* reader, OperationLog& log);

// "analysis failed (0x...)".
std::string AnalysisFailedText(uint32_t status);

}  // namespace orvande::cli
