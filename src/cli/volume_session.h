#pragma once
// What the commands that analyse a volume share on a terminal: the app's analysis operation with
// a progress bar on stderr, waited for by sleeping, and its logs shown as one operation's log when
// the command chooses. Main thread only.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/disk_partition_source.h"
#include "app/sleeping_wait.h"
#include "app/volume_analysis.h"
#include "cli/cli_progress.h"
#include "cli/command.h"
#include "support/prompter.h"

namespace orvande {
class DeviceNode;
}  // namespace orvande

namespace orvande::cli {

// Prints "orvande-cli: <problem>" and returns kExitFailed.
int FailCommand(CommandContext& context, const std::string& problem);

// Gets the engine ready and makes the node that reads SOURCE; null after saying why.
std::unique_ptr<DeviceNode> PrepareSource(CommandContext& context, const std::string& source);

// Gets the engine ready and opens DISK with its partitions (table and kept list); nothing after
// saying why.
std::optional<DiskWithPartitions> PrepareDisk(CommandContext& context, const std::string& disk);

// "analysis failed (0x...)".
std::string AnalysisFailedText(uint32_t status);

// The run's prompter, except that operation logs are left for the command to show.
class LogHoldingPrompter final : public Prompter {
 public:
  explicit LogHoldingPrompter(Prompter& inner) : inner_(inner) {}
  MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                            MessageButtons buttons) override;
  void ShowOperationLog(std::string_view) override {}
  ReplaceAnswer ConfirmFileReplace(std::string_view path) override;
  BrokenNameAnswer AskBrokenFileName(std::string_view name) override;
  MountPointAnswer AskMountPoint(std::string_view text) override;

 private:
  Prompter& inner_;
};

class TerminalAnalysis {
 public:
  explicit TerminalAnalysis(CommandContext& context);

  // False when the analysis could not start, or the user stopped it at a "Mount Point" question;
  // the engine and the log have said why.
  bool Start(DeviceNode& node);
  // BuildTree's status; the progress line is gone.
  uint32_t WaitForEnd();
  // The same, with Ctrl-C and the termination signals asking the analysis to stop meanwhile.
  uint32_t WaitForEndUnlessInterrupted();
  // True when a stop was asked for during the analysis (or since).
  bool Stopped();
  // The opening's and the build's lines as one log, when it holds a warning or an error.
  void ShowLog();
  // The same lines without their line ends.
  std::vector<std::string> LogLines() const;

  VolumeAnalysis& Analysis() { return analysis_; }

 private:
  Prompter& shown_;  // where the joined log goes
  TerminalProgressBar progress_;
  LogHoldingPrompter prompter_;
  SleepingWait wait_;
  VolumeAnalysis analysis_;
};

}  // namespace orvande::cli
