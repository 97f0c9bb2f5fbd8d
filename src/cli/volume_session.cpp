#include "cli/volume_session.h"

#include <iostream>

#include "platform/terminal.h"
#include "app/engine_setup.h"
#include "app/app_settings.h"
#include "app/device_list.h"
#include "app/pre_analysis_checks.h"
#include "platform/mount_table.h"
#include "cli/cli_prompter.h"
#include "cli/source_opener.h"
#include "disk/device_node.h"
#include "cli/interrupt_scope.h"
#include "support/format.h"
#include "support/operation_log.h"

namespace orvande::cli {

int FailCommand(CommandContext& context, const std::string& problem) {
  context.err << "orvande-cli: " << problem << '\n';
  return kExitFailed;
}

std::unique_ptr<DeviceNode> PrepareSource(CommandContext& context, const std::string& source) {
  PrepareEngine();
  std::string problem;
  const DiskSourceOptions defaults;
  std::unique_ptr<DeviceNode> node = MakeSourceNode(
      source, &problem, context.diskOptions != nullptr ? *context.diskOptions : defaults);
  if (!node) FailCommand(context, problem);
  return node;
}

std::optional<DiskWithPartitions> PrepareDisk(CommandContext& context, const std::string& disk) {
  PrepareEngine();
  std::string problem;
  const DiskSourceOptions defaults;
  std::optional<DiskWithPartitions> opened = OpenDiskWithPartitions(
      disk, context.diskOptions != nullptr ? *context.diskOptions : defaults, &problem);
  if (!opened) FailCommand(context, problem);
  return opened;
}

std::string AnalysisFailedText(uint32_t status) {
  return Format("analysis failed (0x%x)", status);
}

MessageAnswer LogHoldingPrompter::ShowMessage(std::string_view text, std::string_view caption,
                                              MessageIcon icon, MessageButtons buttons) {
  return inner_.ShowMessage(text, caption, icon, buttons);
}

ReplaceAnswer LogHoldingPrompter::ConfirmFileReplace(std::string_view path) {
  return inner_.ConfirmFileReplace(path);
}

BrokenNameAnswer LogHoldingPrompter::AskBrokenFileName(std::string_view name) {
  return inner_.AskBrokenFileName(name);
}

MountPointAnswer LogHoldingPrompter::AskMountPoint(std::string_view text) {
  return inner_.AskMountPoint(text);
}

TerminalAnalysis::TerminalAnalysis(CommandContext& context)
    : shown_(context.prompter),
      progress_(context.err, "Analyzing",
                &context.err == &std::cerr && platform::IsStandardErrorTerminal()),
      prompter_(context.prompter) {}

bool TerminalAnalysis::Start(DeviceNode& node) {
  const std::string devicePath = BlockDeviceSourcePath(node);
  if (!devicePath.empty()) {
    DeviceList devices;
    devices.Discover();
    // The command line keeps no settings file: "don't show again" lasts for this run.
    AppSettings settings;
    if (!RunPreAnalysisChecks(devicePath, ListedDevicePaths(devices), platform::ReadMountTable(),
                              settings, prompter_, analysis_.NextOpeningLog()))
      return false;
  }
  AnalysisPorts ports;
  ports.prompter = &prompter_;
  ports.progressBar = &progress_;
  if (analysis_.Start(&node, ports, wait_)) return true;
  ShowLog();
  return false;
}

uint32_t TerminalAnalysis::WaitForEnd() {
  const uint32_t status = analysis_.WaitForEnd(wait_);
  progress_.Finish();
  return status;
}

uint32_t TerminalAnalysis::WaitForEndUnlessInterrupted() {
  InterruptScope interrupt(analysis_.StopRequest());
  return WaitForEnd();
}

bool TerminalAnalysis::Stopped() {
  return analysis_.EndedOnStop() || StopRequested(&analysis_.StopRequest());
}

void TerminalAnalysis::ShowLog() {
  const KeptLog log = analysis_.Log();
  if (log.flaggedCount == 0) return;
  // Joined as one operation's log is, cut after the line that passes the shown size.
  std::string text;
  for (const std::string& line : log.lines) {
    text.append(line).append("\r\n");
    if (text.size() > OperationLog::kMaxShownChars) break;
  }
  shown_.ShowOperationLog(text);
}

std::vector<std::string> TerminalAnalysis::LogLines() const {
  std::vector<std::string> lines;
  for (std::string line : analysis_.Log().lines) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace orvande::cli
