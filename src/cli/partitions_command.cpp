#include "cli/partitions_command.h"

#include <CLI/CLI.hpp>
#include <ostream>
#include <string>

#include "app/disk_partition_list.h"
#include "app/disk_partition_source.h"
#include "app/engine_setup.h"
#include "cli/partition_listing.h"
#include "cli/volume_session.h"

namespace orvande::cli {
namespace {

constexpr char kPartitionsHelp[] =
    "Lists first the partitions of DISK's partition table (MBR or GPT; ORIGIN table), then the\n"
    "lost partitions that find-partitions found or loaded for it (ORIGIN found), numbered from\n"
    "1 in that order. Each line: N, ORIGIN, FIRST sector, sector COUNT and the partition's\n"
    "name (file system, start, end and size). DISK@N names partition N as the SOURCE of\n"
    "analyze, recover, find, view and image.";

class PartitionsCommand final : public Command {
 public:
  CLI::App* Register(CLI::App& app) override {
    CLI::App* sub = app.add_subcommand(
        "partitions",
        "List the partitions of a whole disk or disk image file, numbered for DISK@N");
    sub->add_option("DISK", disk_, "Whole-disk image file or whole-disk block device")->required();
    sub->add_flag("--json", json_, "Print one JSON object instead of text columns");
    sub->footer(kPartitionsHelp);
    return sub;
  }

  int Run(CommandContext& context) override {
    std::optional<DiskWithPartitions> disk = PrepareDisk(context, disk_);
    if (!disk) return kExitFailed;
    const std::vector<NumberedPartition> partitions = ListDiskPartitions(*disk->disk.node);
    if (json_) {
      WritePartitionsJson(context.out, disk->disk, partitions, /*completed=*/true);
      return kExitOk;
    }
    WritePartitionHeader(context.out);
    for (const NumberedPartition& partition : partitions)
      WritePartitionLine(context.out, partition);
    return kExitOk;
  }

 private:
  std::string disk_;
  bool json_ = false;
};

}  // namespace

std::unique_ptr<Command> MakePartitionsCommand() {
  return std::make_unique<PartitionsCommand>();
}

}  // namespace orvande::cli
