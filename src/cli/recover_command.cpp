#include "cli/recover_command.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <optional>
#include <ostream>

#include "app/recovery_line.h"
#include "app/recovery_plan.h"
#include "app/recovery_run.h"
#include "app/recovery_tally.h"
#include "app/sleeping_wait.h"
#include "app/tree_selection.h"
#include "cli/cli_internal_failure.h"
#include "cli/cli_prompter.h"
#include "cli/filter_options.h"
#include "cli/interrupt_scope.h"
#include "cli/recovery_progress.h"
#include "cli/source_opener.h"
#include "cli/time_zone_option.h"
#include "cli/volume_session.h"
#include "core/file_name_policy.h"
#include "core/folder_path.h"
#include "core/recovery_context.h"
#include "core/recovery_outcome.h"
#include "core/safe_names.h"
#include "core/volume_analyzer.h"
#include "core/written_files.h"
#include "platform/file_system.h"
#include "platform/same_disk.h"
#include "platform/terminal.h"
#include "support/operation_log.h"
#include "support/prompter.h"
#include "support/string_table.h"

namespace orvande::cli {
namespace {

constexpr char kRecoverHelp[] =
    "PATH is a files-tree path as analyze prints it (on FAT without regard to case); every folder\n"
    "or file of that path is chosen. --id N chooses by the id of analyze --json. Without PATH and\n"
    "--id everything analyze lists is written: the volume root, the lost folders $$folder_N\n"
    "(deleted folders found loose on the volume, whose place is unknown) and Lost&Found (files\n"
    "found only by their content). Without --all-files only deleted files are written.\n"
    "\n"
    "Each file prints a line \"OUTCOME BYTES PATH\", then a summary follows. OUTCOME is ok;\n"
    "overwritten (live data holds its clusters now: written as described, with a warning);\n"
    "bad-sectors N (N unreadable sectors written as zeros); short (the volume or the chain ended\n"
    "early); stopped; failed (what was written stays); skipped. A file cut short (short,\n"
    "stopped, failed) keeps the time of its writing, not the original one.\n"
    "\n"
    "Without a terminal nobody is asked: existing files are kept and the new ones renamed\n"
    "NAME[Copy NNN].EXT (unless --on-exists says otherwise), and an unreadable first character\n"
    "becomes '_' (unless --replace-char says otherwise); each choice is a warning.\n"
    "\n"
    "Exit codes: 0 every file whole; 1 a file not whole or failed, or an error; 2 bad usage;\n"
    "128+N stopped by signal N (130 Ctrl-C, 143 SIGTERM, 129 SIGHUP).\n"
    "\n"
    "Examples:\n"
    "  orvande-cli recover /dev/sdb1 --out ~/rescued          a USB stick, everything deleted\n"
    "  orvande-cli recover disk.img --out out --all-files      an image, live files too\n"
    "  orvande-cli recover disk.img --out out '$$folder_3'     quote $$ from the shell\n"
    "  orvande-cli recover disk.img --out out --id 42 --id 57  by id from analyze --json";

// Prints a line per file as the job reports it and adds it to the run's tally. Called on the
// job's thread while the main thread waits. A failed write on the output (a full disk, a closed
// pipe) asks the run to stop.
class RecoveryReport final : public RecoveryListener {
 public:
  RecoveryReport(std::ostream& out, StopFlag& stop, RecoveryProgressBar& progress)
      : out_(out), stop_(stop), progress_(progress) {}

  void FileRecovered(const std::string& path, const RecoveryOutcome& outcome) override {
    tally_.Add(outcome);
    progress_.Clear();
    std::lock_guard<std::mutex> hold(mutex_);
    out_ << RecoveryLine(outcome, PrintableName(path)) << '\n';
    CheckOutput();
  }

  void RecoveryFailed(const std::string& what) override {
    tally_.AddFailure();
    progress_.Clear();
    std::lock_guard<std::mutex> hold(mutex_);
    out_ << RecoveryFailedLine(PrintableName(what)) << '\n';
    CheckOutput();
  }

  RecoveryTally& Tally() { return tally_; }
  bool OutputFailed() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return outputFailed_;
  }
  bool OutputPipeClosed() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return pipeClosed_;
  }

 private:
  void CheckOutput() {
    errno = 0;
    out_.flush();
    if (out_) return;
    if (!outputFailed_) pipeClosed_ = errno == EPIPE;
    outputFailed_ = true;
    stop_.store(1);
  }

  mutable std::mutex mutex_;
  std::ostream& out_;
  StopFlag& stop_;
  RecoveryProgressBar& progress_;
  RecoveryTally tally_;
  bool outputFailed_ = false;
  bool pipeClosed_ = false;
};

RecoveryAnswers::OnExists ParseOnExists(const std::string& text) {
  if (text == "replace") return RecoveryAnswers::OnExists::kReplace;
  if (text == "skip") return RecoveryAnswers::OnExists::kSkip;
  if (text == "rename") return RecoveryAnswers::OnExists::kRename;
  return RecoveryAnswers::OnExists::kAsk;
}

class RecoverCommand final : public Command {
 public:
  CLI::App* Register(CLI::App& app) override {
    CLI::App* sub = app.add_subcommand(
        "recover",
        "Write deleted (or, with --all-files, all) files of the volume in SOURCE into DIR");
    sub->add_option("SOURCE", source_,
                    "Volume image file, block device, or DISK@N: partition N of a whole disk")->required();
    sub->add_option("PATH", paths_, "Folders or files to recover, as analyze prints them");
    sub->add_option("--id", ids_, "Recover the folder or file with this id of analyze --json")
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    sub->add_option("--out", output_, "Destination folder (made when missing)")
        ->required()
        ->check([](const std::string& text) -> std::string {
          if (text.find_first_not_of(" \t") == std::string::npos) return "a folder, not empty";
          return {};
        });
    sub->add_flag("--all-files", allFiles_, "Write live files of the chosen folders too");
    sub->add_flag("--structure", structure_,
                  "Recreate the folders that lead to each chosen folder or file under DIR");
    sub->add_flag("--streams", streams_,
                  "Write alternate data streams as FILE:STREAM (NTFS), with their file's time");
    sub->add_option("--on-exists", onExists_,
                    "What to do with files that exist in DIR: ask (on a terminal), replace, skip "
                    "or rename to NAME[Copy NNN].EXT")
        ->check(CLI::IsMember({"ask", "replace", "skip", "rename"}))
        ->capture_default_str();
    sub->add_option("--replace-char", replaceChar_,
                    "Any one character (UTF-8) for the unreadable first character of deleted names "
                    "(else asked)")
        ->check([](const std::string& text) -> std::string {
          if (!IsValidNameSymbol(text)) return "one character that may stand in a file name";
          return {};
        });
    filters_.Register(sub);
    timeZone_.Register(sub);
    sub->add_flag("--skip-overwritten", skipOverwritten_,
                  "Leave out deleted files whose data live files hold now");
    sub->add_flag("--yes", yes_, "Recover even when DIR lies on the source device");
    sub->footer(kRecoverHelp);
    return sub;
  }

  int Run(CommandContext& context) override {
    std::unique_ptr<DeviceNode> node = PrepareSource(context, source_);
    if (!node) return kExitFailed;
    CliInternalFailureReporter failures(context.err, node.get());
    destinationRoot_ = DestinationRoot(output_);
    if (!SameDiskAccepted(context)) return kExitFailed;
    // Before the analysis, which can take hours: a folder that can't be made fails at once.
    if (!MakeDestinationRoot(context)) return kExitFailed;

    // FAT times become file times during the analysis: the zone must be in place before it.
    const auto zoneScope = timeZone_.Apply();
    TerminalAnalysis session(context);
    if (!session.Start(*node)) return kExitFailed;
    InterruptScope interrupt(session.Analysis().StopRequest());
    if (!Analyse(context, session)) return StopExitCode(kExitFailed);
    VolumeAnalysis& analysis = session.Analysis();
    ignoreCase_ = analysis.Analyzer()->NamesIgnoreCase();
    filter_ = filters_.Build(ignoreCase_);
    // The jobs make analyzers of their own.
    analysis.DropAnalyzers();
    interrupt.Watch(run_.StopRequest());

    RecoveryPlan plan(analysis.Tree(), destinationRoot_);
    if (!PlanJobs(context, analysis, plan)) return kExitFailed;

    RecoveryAnswers answers;
    answers.onExists = ParseOnExists(onExists_);
    answers.replaceChar = replaceChar_;
    answers.stop = &run_.StopRequest();
    context.prompter.SetRecoveryAnswers(answers);

    const bool drawProgress = &context.err == &std::cerr && platform::IsStandardErrorTerminal();
    RecoveryProgressBar progress(context.err, drawProgress);
    RecoveryReport report(context.out, run_.StopRequest(), progress);
    WrittenFiles written;
    const RecoveryJobSetup setup = JobSetup(context, *node, analysis, report, written, progress);
    for (RecoveryJobPlan& job : plan.Jobs()) {
      if (run_.StopWasRequested()) break;
      if (!RunJob(context, job, setup, report, progress)) break;
    }
    progress.Finish();
    const RecoveryTally& tally = report.Tally();
    WriteSummary(context, tally);

    int code = tally.AllWhole() ? kExitOk : kExitFailed;
    if (std::optional<std::string> question = context.prompter.UnansweredQuestion()) {
      context.err << "orvande-cli: " << *question << '\n';
      code = kExitFailed;
    }
    context.prompter.SetRecoveryAnswers({});
    if (analysisIncomplete_) code = kExitFailed;
    if (report.OutputFailed()) {
      // A closed pipe is the reader's choice and ends the run quietly; anything else is said.
      if (!report.OutputPipeClosed())
        context.err << "orvande-cli: cannot write to standard output; recovery stopped\n";
      return kExitFailed;
    }
    if (InterruptScope::CaughtSignal() != 0) {
      context.err << "orvande-cli: recovery stopped\n";
      return InterruptScope::ExitCodeFor(InterruptScope::CaughtSignal());
    }
    if (code == kExitOk && run_.StopWasRequested()) {
      context.err << "orvande-cli: recovery stopped\n";
      code = kExitFailed;
    }
    return code;
  }

 private:
  // 128 + the signal that stopped the run, else otherwise.
  static int StopExitCode(int otherwise) {
    const int signal = InterruptScope::CaughtSignal();
    return signal != 0 ? InterruptScope::ExitCodeFor(signal) : otherwise;
  }

  bool MakeDestinationRoot(CommandContext& context) {
    OperationLog folderLog;
    bool skipped = false;
    bool stopped = false;
    std::string replacement;
    std::string root = destinationRoot_;
    if (CreateFolderPath(root, kMaxPathBytes, true, &skipped, &stopped, &replacement, &folderLog,
                         context.prompter, root.size()) &&
        !skipped && !stopped && platform::IsDirectory(root))
      return true;
    folderLog.Show(context.prompter);
    FailCommand(context, "cannot make the destination folder \"" + PrintableName(output_) + "\"");
    return false;
  }

  bool SameDiskAccepted(CommandContext& context) {
    if (!platform::OutputOnSourceDevice(source_, destinationRoot_) || yes_) return true;
    MessageAnswer answer = context.prompter.ShowMessage(
        LoadString(strings::kIdSameDiskWarning), strings::kProgramTitle, MessageIcon::kExclamation,
        MessageButtons::kYesNo);
    if (answer == MessageAnswer::kYes) return true;
    FailCommand(context,
                "\"" + output_ + "\" lies on the source device \"" + source_ +
                    "\"; writing there can overwrite the deleted data. Choose another --out, "
                    "or pass --yes to write there anyway.");
    return false;
  }

  bool Analyse(CommandContext& context, TerminalAnalysis& session) {
    const uint32_t status = session.WaitForEnd();
    session.ShowLog();
    if (session.Stopped()) {
      FailCommand(context, "analysis stopped; nothing was recovered");
      return false;
    }
    if (status != 0) {
      context.err << "orvande-cli: " << AnalysisFailedText(status)
                  << "; recovering what was found\n";
      analysisIncomplete_ = true;
    }
    return true;
  }

  bool PlanJobs(CommandContext& context, VolumeAnalysis& analysis, RecoveryPlan& plan) {
    FolderTree& tree = analysis.Tree();
    if (paths_.empty() && ids_.empty()) {
      // Everything analyze lists: the volume root, the lost folders and Lost&Found.
      plan.AddChosen(ChooseEverything(tree), /*keepPlace=*/false);
      return true;
    }
    for (const std::string& text : paths_) {
      ChosenItems chosen =
          ChooseByPath(tree, analysis.Store(), analysis.StoreLock(), text, ignoreCase_);
      if (chosen.Empty()) {
        FailCommand(context, "\"" + PrintableName(text) +
                                 "\" is neither a folder nor a file of the volume (paths are "
                                 "as analyze prints them)");
        return false;
      }
      plan.AddChosen(chosen, structure_);
    }
    for (uint32_t id : ids_) {
      ChosenItems chosen = ChooseById(tree, analysis.Store(), analysis.StoreLock(), id);
      if (chosen.Empty()) {
        FailCommand(context, "no folder or file has the id " + std::to_string(id) +
                                 " (ids are those of analyze --json)");
        return false;
      }
      plan.AddChosen(chosen, structure_);
    }
    return true;
  }

  RecoveryJobSetup JobSetup(CommandContext& context, DeviceNode& node, VolumeAnalysis& analysis,
                            RecoveryReport& report, WrittenFiles& written,
                            RecoveryProgressBar& progress) {
    RecoveryJobSetup setup;
    setup.prompter = &context.prompter;
    setup.deviceNode = &node;
    setup.itemStore = &analysis.Store();
    setup.folderTree = &analysis.Tree();
    setup.storeLock = &analysis.StoreLock();
    setup.recoverStreams = streams_;
    setup.recoverAllFiles = allFiles_;
    setup.skipOverwritten = skipOverwritten_;
    setup.replacementCharacter = replaceChar_;
    setup.folderCapacity = kMaxPathBytes;
    setup.folderReplacement = replaceChar_;
    setup.keptPrefix = destinationRoot_.size();
    if (!filter_.Empty()) setup.filter = &filter_;
    setup.writtenFiles = &written;
    setup.listener = &report;
    setup.progressBar = &progress;
    return setup;
  }

  // Makes the job's destination and runs the job to its end. False ends the command.
  bool RunJob(CommandContext& context, RecoveryJobPlan& job, const RecoveryJobSetup& setup,
              RecoveryReport& report, RecoveryProgressBar& progress) {
    const JobStart started = run_.StartJob(
        job, setup, [&progress](const RecoveryContext& filled) { progress.Follow(&filled); });
    switch (started) {
      case JobStart::kStarted:
        break;
      case JobStart::kFolderSkipped:
        return false;
      case JobStart::kFolderFailed:
        report.RecoveryFailed(job.destination);
        return false;
      case JobStart::kThreadFailed:
      case JobStart::kBusy:
        FailCommand(context, "cannot start the recovery thread");
        report.RecoveryFailed(job.destination);
        return false;
    }
    run_.WaitForJob(wait_);
    progress.Follow(nullptr);
    return true;
  }

  void WriteSummary(CommandContext& context, const RecoveryTally& tally) {
    context.out << tally.SummaryLine() << '\n';
    // Only where something was written is there anything to find.
    if (tally.FilesWritten() > 0)
      context.out << "Recovered files are in " << PrintableName(destinationRoot_) << '\n';
    context.out.flush();
  }

  std::string source_;
  std::string output_;
  std::vector<std::string> paths_;
  bool allFiles_ = false;
  bool structure_ = false;
  bool streams_ = false;
  std::string onExists_ = "ask";
  std::string replaceChar_;
  bool yes_ = false;
  bool skipOverwritten_ = false;
  std::vector<uint32_t> ids_;
  bool ignoreCase_ = false;  // FAT names match without regard to case
  FilterOptions filters_;
  TimeZoneOption timeZone_;
  FileFilter filter_;

  std::string destinationRoot_;
  RecoveryRun run_;
  SleepingWait wait_;
  bool analysisIncomplete_ = false;
};

}  // namespace

std::unique_ptr<Command> MakeRecoverCommand() {
  return std::make_unique<RecoverCommand>();
}

}  // namespace orvande::cli
