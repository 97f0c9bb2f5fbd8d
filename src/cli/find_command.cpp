#include "cli/find_command.h"

#include <CLI/CLI.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "app/every_match.h"
#include "app/file_search.h"
#include "app/volume_analysis.h"
#include "cli/cli_internal_failure.h"
#include "cli/interrupt_scope.h"
#include "cli/source_opener.h"
#include "cli/volume_session.h"
#include "core/folder_tree.h"
#include "core/safe_names.h"
#include "disk/device_node.h"
#include "support/format.h"
#include "support/string_table.h"

namespace orvande::cli {
namespace {

constexpr char kFindHelp[] =
    "TEXT with '*' (any run of characters) or '?' (one character) is a pattern over the whole\n"
    "name; any other TEXT matches names that contain it. Letters compare regardless of case\n"
    "unless --case is given.\n"
    "Output: one line per match, in the order Find and Find next reach them (tree order: a\n"
    "folder, then its files, then its subfolders):\n"
    "  d  PATH   a folder whose name matches\n"
    "  f  PATH   a file whose name matches\n"
    "PATH is the files-tree path from the volume root joined with '/', as analyze prints it\n"
    "(the root itself is '.'). Exit code 0 with matches, 1 with none.";

std::string TreePath(const FolderTree& tree, const MatchedItem& item) {
  std::string path = tree.PathOf(item.folderNode);
  if (!item.file) return path.empty() ? "." : path;
  return path.empty() ? item.fileName : path + "/" + item.fileName;
}

class FindCommand final : public Command {
 public:
  CLI::App* Register(CLI::App& app) override {
    CLI::App* sub = app.add_subcommand(
        "find", "Analyse the volume in SOURCE and list the folders and files whose names match");
    sub->add_option("SOURCE", source_,
                    "Volume image file, block device, or DISK@N: partition N of a whole disk")->required();
    sub->add_option("TEXT", query_.text, "Text or wildcard pattern to look for")->required();
    sub->add_flag("--deleted-only", query_.deletedOnly, "Only deleted folders and files");
    sub->add_flag("--whole-name", query_.wholeName,
                  "TEXT must not have a letter or digit right before or after it in the name");
    sub->add_flag("--case", query_.matchCase, "Letters must match in case");
    sub->footer(kFindHelp);
    return sub;
  }

  int Run(CommandContext& context) override {
    if (query_.text.empty()) {
      context.err << "orvande-cli: TEXT must not be empty\n";
      return kExitUsage;
    }
    std::unique_ptr<DeviceNode> node = PrepareSource(context, source_);
    if (!node) return kExitFailed;
    CliInternalFailureReporter failures(context.err, node.get());

    TerminalAnalysis session(context);
    if (!session.Start(*node)) return kExitFailed;
    const uint32_t status = session.WaitForEndUnlessInterrupted();
    const bool stopped = session.Stopped();
    session.ShowLog();  // only when it holds a warning or an error
    if (stopped) {
      FailCommand(context, "analysis stopped");
      const int signal = InterruptScope::CaughtSignal();
      return signal != 0 ? InterruptScope::ExitCodeFor(signal) : kExitFailed;
    }
    if (status != 0) return FailCommand(context, AnalysisFailedText(status));

    VolumeAnalysis& analysis = session.Analysis();
    const FolderTree& tree = analysis.Tree();
    const std::vector<MatchedItem> matches = FindEveryMatch(tree, analysis.Store(), analysis.StoreLock(), query_);
    for (const MatchedItem& item : matches)
      context.out << (item.file ? "f  " : "d  ") << PrintableName(TreePath(tree, item)) << '\n';
    context.out.flush();
    if (!context.out) return FailCommand(context, "cannot write to standard output");
    if (matches.empty())
      return FailCommand(context, Format(strings::kCannotFindFileFormat, query_.text.c_str()));
    return kExitOk;
  }

 private:
  std::string source_;
  NameQuery query_;
};

}  // namespace

std::unique_ptr<Command> MakeFindCommand() {
  return std::make_unique<FindCommand>();
}

}  // namespace orvande::cli
