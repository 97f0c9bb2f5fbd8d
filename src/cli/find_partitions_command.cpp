#include "cli/find_partitions_command.h"

#include <CLI/CLI.hpp>
#include <chrono>
#include <iostream>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "app/disk_partition_list.h"
#include "app/disk_partition_source.h"
#include "app/engine_setup.h"
#include "app/partition_search_job.h"
#include "app/remembered_partitions.h"
#include "app/sleeping_wait.h"
#include "cli/cli_prompter.h"
#include "cli/interrupt_scope.h"
#include "cli/partition_listing.h"
#include "cli/search_range_option.h"
#include "cli/terminal_line.h"
#include "cli/volume_session.h"
#include "disk/partitions_file.h"
#include "disk/partitions_file_messages.h"
#include "disk/physical_disk_node.h"
#include "disk/table_partitions.h"
#include "platform/terminal.h"
#include "support/format.h"
#include "support/string_table.h"

namespace orvande::cli {
namespace {

constexpr char kFindPartitionsHelp[] =
    "Scans DISK sector by sector for the boot sectors of FAT and NTFS volumes and the first\n"
    "records of NTFS master file tables, and lists each volume found (ORIGIN found) numbered\n"
    "after the partitions of DISK's partition table, as partitions prints them; DISK@N then\n"
    "names one as a SOURCE. --start and --end are decimal numbers in gigabytes on a disk above\n"
    "1 GiB, else in megabytes, or carry their own unit: 500M, 10G, 64K (binary units). Without\n"
    "them the whole disk is scanned; 2000 sectors more are scanned on either side.\n"
    "The partitions found are kept for DISK between runs (under $XDG_STATE_HOME/orvande/\n"
    "partitions/), or in the file --partitions names; a later search adds to them unless\n"
    "--remove-previous is given. --load adds the partitions of a saved file instead of\n"
    "searching. On a terminal, stderr shows the share scanned with the time elapsed and the\n"
    "time left. Ctrl-C stops the search and keeps what was found.";

const std::map<std::string, uint32_t>& FileSystemBits() {
  static const std::map<std::string, uint32_t> bits = {
      {"ntfs", SearchNtfs}, {"fat32", SearchFat32}, {"fat16", SearchFat16}, {"fat12", SearchFat12}};
  return bits;
}

// The search window's progress and times on one terminal line.
class SearchProgressLine {
 public:
  SearchProgressLine(std::ostream& err, bool enabled) : line_(err), enabled_(enabled) {}

  void Show(const PartitionSearchJob& job) {
    const auto now = std::chrono::steady_clock::now();
    if (!enabled_ || line_.TooSoon(now)) return;
    const uint32_t total = job.Total();
    const uint32_t position = job.Finished() ? total : job.Position();
    const unsigned percent =
        total == 0 ? 0u : static_cast<unsigned>(uint64_t{position} * 100 / total);
    const uint64_t elapsed = job.ElapsedSeconds();
    line_.Draw(
        Format("Searching: %u%%, %s elapsed, %s left", percent,
               PartitionSearchJob::ElapsedText(elapsed).c_str(), job.TimeLeftText(elapsed).c_str()),
        now);
  }
  void Clear() {
    if (enabled_) line_.Clear();
  }

 private:
  TerminalLine line_;
  bool enabled_;
};

class FindPartitionsCommand final : public Command {
 public:
  CLI::App* Register(CLI::App& app) override {
    CLI::App* sub = app.add_subcommand(
        "find-partitions",
        "Search a whole disk or disk image file for lost FAT and NTFS partitions");
    sub->add_option("DISK", disk_, "Whole-disk image file or whole-disk block device")->required();
    sub->add_option("--start", start_, "Where the search starts (see below)");
    sub->add_option("--end", end_, "Where the search ends (see below)");
    sub->add_option("--fs", fileSystems_, "File systems to look for (default: all)")
        ->delimiter(',')
        ->check(CLI::IsMember({"ntfs", "fat32", "fat16", "fat12"}));
    sub->add_flag("--remove-previous", removePrevious_,
                  "Forget the partitions found on DISK before searching");
    sub->add_option("--save", save_, "Also save the partitions found to this .ovp file");
    sub->add_option("--load", load_,
                    "Add the partitions of this .ovp file to DISK's list instead of searching");
    sub->add_flag("--json", json_, "Print one JSON object at the end instead of text columns");
    sub->footer(kFindPartitionsHelp);
    return sub;
  }

  int Run(CommandContext& context) override {
    std::optional<DiskWithPartitions> disk = PrepareDisk(context, disk_);
    if (!disk) return kExitFailed;
    PhysicalDiskNode& node = *disk->disk.node;
    table_ = ReadPartitionTable(node);

    int exitCode = kExitOk;
    bool completed = true;
    if (!load_.empty()) {
      exitCode = Load(context, node);
    } else {
      exitCode = Search(context, *disk, &completed);
      if (exitCode == kExitUsage) return exitCode;
    }
    Remember(context, *disk);
    if (!save_.empty()) {
      const ResultCode saved = SavePartitions(node, save_);
      ReportPartitionsSave(context.prompter, saved);
      if (!IsSuccess(saved) && exitCode == kExitOk) exitCode = kExitFailed;
    }
    const std::vector<NumberedPartition> listed = NumberPartitions(table_, node.Partitions());
    if (json_) {
      WritePartitionsJson(context.out, disk->disk, listed, completed);
    } else if (!load_.empty()) {
      WritePartitionHeader(context.out);
      for (const NumberedPartition& partition : listed) WritePartitionLine(context.out, partition);
    }
    return exitCode;
  }

 private:
  int Load(CommandContext& context, PhysicalDiskNode& node) {
    int added = 0;
    const ResultCode loaded = LoadPartitions(node, load_, &added);
    ReportPartitionsLoad(context.prompter, loaded, added, node.GetName());
    return IsSuccess(loaded) ? kExitOk : kExitFailed;
  }

  uint32_t SearchBits() const {
    if (fileSystems_.empty()) return kAllSearchOptions;
    uint32_t bits = 0;
    for (const std::string& name : fileSystems_) bits |= FileSystemBits().at(name);
    return bits;
  }

  // Nothing after saying why, with the exit code in *failure.
  std::optional<SearchSectorRange> Range(CommandContext& context, const OpenedDisk& disk,
                                         int* failure) {
    *failure = kExitFailed;
    const uint64_t unit = SearchRangeUnit(disk.SizeBytes());
    std::optional<double> start = start_.empty() ? 0.0 : ParseRangeAmount(start_, unit);
    std::optional<double> end =
        end_.empty() ? static_cast<double>(disk.SizeBytes()) : ParseRangeAmount(end_, unit);
    if (!start || !end) {
      *failure = kExitUsage;
      context.err << "orvande-cli: --start and --end take a number, optionally with K, M, G or "
                     "T after it\n";
      return std::nullopt;
    }
    if (!(*start < *end)) {
      FailCommand(context, strings::kSelectRange);
      return std::nullopt;
    }
    auto range = FormSearchRange(*start, *end, 1, disk.bytesPerSector, disk.totalSectors);
    if (!range) FailCommand(context, strings::kSelectRange);
    return range;
  }

  uint32_t NumberOf(PhysicalDiskNode& node, const std::shared_ptr<PartitionNode>& partition) {
    const auto listed = node.Partitions();
    for (size_t i = 0; i < listed.size(); ++i)
      if (listed[i] == partition) return static_cast<uint32_t>(table_.size() + i + 1);
    return 0;
  }

  void PrintFound(CommandContext& context, PartitionSearchJob& job, PhysicalDiskNode& node,
                  SearchProgressLine& line) {
    for (const auto& partition : job.TakeFound()) {
      if (json_) continue;
      line.Clear();
      WritePartitionLine(context.out,
                         {NumberOf(node, partition), PartitionOrigin::kFound, partition});
      context.out.flush();
    }
  }

  int Search(CommandContext& context, DiskWithPartitions& disk, bool* completed) {
    int failure = kExitFailed;
    std::optional<SearchSectorRange> range = Range(context, disk.disk, &failure);
    if (!range) return failure;
    PartitionSearchRequest request;
    request.disk = disk.disk.node.get();
    request.range = *range;
    request.fileSystems = SearchBits();
    request.removePrevious = removePrevious_;
    request.prompter = &context.prompter;
    PartitionSearchJob job(request);
    if (!job.Start()) return FailCommand(context, "cannot search \"" + disk_ + "\"");

    StopFlag interrupted{0};
    InterruptScope interrupt(interrupted);
    const bool draw = &context.err == &std::cerr && platform::IsStandardErrorTerminal();
    SearchProgressLine line(context.err, draw);
    SleepingWait wait;
    if (!json_) WritePartitionHeader(context.out);
    job.WindowShown();
    while (!job.Finished()) {
      if (StopRequested(&interrupted)) job.Stop();
      PrintFound(context, job, *disk.disk.node, line);
      line.Show(job);
      wait.WaitStep(WorkerThread::kWaitStep);
    }
    job.WaitUntilDone(wait);
    PrintFound(context, job, *disk.disk.node, line);
    line.Clear();
    *completed = !job.StopWasAsked();
    if (*completed) {
      context.prompter.ShowMessage(search_texts::kCompleted, search_texts::kCompletedCaption,
                                   MessageIcon::kInformation, MessageButtons::kOk);
      return kExitOk;
    }
    const int signal = InterruptScope::CaughtSignal();
    return signal != 0 ? InterruptScope::ExitCodeFor(signal) : kExitFailed;
  }

  // Keeps the disk's list for later runs; a failure costs only that.
  void Remember(CommandContext& context, DiskWithPartitions& disk) {
    if (disk.listFile.empty()) return;
    const ResultCode kept = RememberPartitions(*disk.disk.node, disk.listFile);
    if (!IsSuccess(kept))
      context.err << "orvande-cli: warning: the partitions found could not be kept in \""
                  << disk.listFile << "\"\n";
  }

  std::string disk_;
  std::string start_;
  std::string end_;
  std::vector<std::string> fileSystems_;
  bool removePrevious_ = false;
  std::string save_;
  std::string load_;
  bool json_ = false;
  std::vector<std::shared_ptr<PartitionNode>> table_;
};

}  // namespace

std::unique_ptr<Command> MakeFindPartitionsCommand() {
  return std::make_unique<FindPartitionsCommand>();
}

}  // namespace orvande::cli
