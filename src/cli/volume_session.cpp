#include "cli/volume_session.h"

#include <iostream>

#include "app/standard_analyzers.h"
#include "cli/cli_progress.h"
#include "cli/cli_prompter.h"
#include "core/analyzer_factory.h"
#include "core/file_type_plugin.h"
#include "core/folder_tree.h"
#include "core/guarded_build_tree.h"
#include "core/volume_analyzer.h"
#include "platform/terminal.h"
#include "support/format.h"
#include "support/operation_log.h"

namespace orvande::cli {

int FailCommand(CommandContext& context, const std::string& problem) {
  context.err << "orvande-cli: " << problem << '\n';
  return kExitFailed;
}

void PrepareEngine() {
  RegisterStandardAnalyzers();
  if (!TypePlugin().IsReady()) TypePlugin().Load();
}

std::unique_ptr<VolumeAnalyzer> OpenAnalyzer(CommandContext& context, DeviceNode& node,
                                             OperationLog& log) {
  std::unique_ptr<VolumeAnalyzer> analyzer =
      CreateAnalyzer(&node, /*quiet=*/false, &log, &context.prompter);
  if (!analyzer) log.Show(context.prompter);
  return analyzer;
}

uint32_t BuildTreeWithProgress(CommandContext& context, VolumeAnalyzer& analyzer, ItemStore& store,
                               FolderTree& tree, ReadWriteLock& storeLock, const StopFlag& stop,
                               VolumeAnalyzer* reader, OperationLog& log) {
  ShownNode shown{kNoNode};
  const bool drawProgress = &context.err == &std::cerr && platform::IsStandardErrorTerminal();
  TerminalProgressBar progress(context.err, "Analyzing", drawProgress);
  BuildTreeContext build{&stop,  nullptr,          store, tree, &shown, storeLock, &progress,
                         reader, &context.prompter};
  const uint32_t status = GuardedBuildTree(analyzer, build, &log);
  progress.Finish();
  return status;
}

std::string AnalysisFailedText(uint32_t status) {
  return Format("analysis failed (0x%x)", status);
}

}  // namespace orvande::cli
