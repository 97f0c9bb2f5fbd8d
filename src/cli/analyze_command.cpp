#include "cli/analyze_command.h"

#include <CLI/CLI.hpp>
#include <atomic>
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli_internal_failure.h"
#include "cli/filter_options.h"
#include "cli/interrupt_scope.h"
#include "cli/source_opener.h"
#include "cli/tree_listing.h"
#include "cli/volume_session.h"
#include "core/analyzer_factory.h"
#include "core/file_record.h"
#include "core/folder_tree.h"
#include "core/item_store.h"
#include "core/read_write_lock.h"
#include "core/safe_names.h"
#include "disk/device_node.h"
#include "fat/fat_analyzer.h"
#include "support/operation_log.h"
#include "support/string_table.h"

namespace orvande::cli {
namespace {

using Json = nlohmann::ordered_json;

constexpr char kTextColumnsHelp[] =
    "Text output: a header line, then one line per folder and file in tree order:\n"
    "  T  d folder, f file\n"
    "  D  D deleted, - live\n"
    "  SIZE  bytes (- for folders)\n"
    "  PROB  recovery probability of a deleted file: good, average, poor or unknown (- otherwise)\n"
    "  MODIFIED  last-write time in UTC (- when unknown)\n"
    "  PATH  from the volume root, joined with '/'\n"
    "--json prints one object instead: source, file_system, total_sectors, bytes_per_sector,\n"
    "bytes_per_cluster, items (path, type, id, deleted, size, probability, created, modified)\n"
    "and log. Interrupting the analysis (Ctrl-C) lists what was found so far and exits with 1.";

std::string FileSystemName(VolumeAnalyzer& analyzer) {
  if (const auto* fat = dynamic_cast<const FatAnalyzer*>(&analyzer))
    return "FAT" + std::to_string(fat->FatWidth());
  return DetectFileSystem(analyzer.Device()) == kFsNtfs ? "NTFS" : "unknown";
}

std::string_view BaseName(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

const char* ProbabilityName(uint32_t code) {
  switch (code) {
    case kProbabilityGood:
      return "good";
    case kProbabilityAverage:
      return "average";
    case kProbabilityPoor:
      return "poor";
    case kProbabilityNotDeleted:
      return nullptr;
    default:
      return "unknown";
  }
}

// The log's lines without their line ends.
std::vector<std::string> LogLines(const OperationLog& log) {
  std::vector<std::string> lines;
  for (std::string line : log.Lines()) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    lines.push_back(std::move(line));
  }
  return lines;
}

Json TimeValue(uint64_t fileTime) {
  std::string text = UtcTimeText(fileTime, true);
  return text.empty() ? Json(nullptr) : Json(text);
}

std::string Dump(const Json& value) {
  // Names that are not valid UTF-8 are shown with replacement characters rather than refused.
  return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

struct VolumeFacts {
  std::string source;
  std::string fileSystem;
  uint64_t totalSectors = 0;
  uint32_t bytesPerSector = 0;
  uint32_t bytesPerCluster = 0;
  bool complete = true;  // false when the analysis was stopped or failed part-way
};

// One object; each item on a line of its own so that large listings stream out.
void WriteJson(std::ostream& out, const VolumeFacts& facts, const std::vector<ListedItem>& items,
               const std::vector<std::string>& logLines) {
  out << "{\"source\":" << Dump(facts.source) << ",\"file_system\":" << Dump(facts.fileSystem)
      << ",\"total_sectors\":" << facts.totalSectors
      << ",\"bytes_per_sector\":" << facts.bytesPerSector
      << ",\"bytes_per_cluster\":" << facts.bytesPerCluster
      << ",\"complete\":" << (facts.complete ? "true" : "false") << ",\"items\":[";
  bool first = true;
  for (const ListedItem& item : items) {
    Json object;
    object["path"] = item.path;
    object["type"] = item.folder ? "folder" : "file";
    object["id"] = item.id;
    object["deleted"] = item.deleted;
    object["size"] = item.size;
    const char* probability = item.folder ? nullptr : ProbabilityName(item.probability);
    object["probability"] = probability != nullptr ? Json(probability) : Json(nullptr);
    object["created"] = TimeValue(item.created);
    object["modified"] = TimeValue(item.modified);
    out << (first ? "\n" : ",\n") << Dump(object);
    first = false;
  }
  out << "\n],\"log\":" << Dump(Json(logLines)) << "}\n";
}

void WriteText(std::ostream& out, const std::vector<ListedItem>& items) {
  char line[96];
  std::snprintf(line, sizeof line, "%-1s %-1s %15s %-8s %-19s  %s\n", "T", "D", "SIZE", "PROB",
                "MODIFIED (UTC)", "PATH");
  out << line;
  for (const ListedItem& item : items) {
    const std::string size = item.folder ? "-" : std::to_string(item.size);
    const char* probability = item.folder ? nullptr : ProbabilityName(item.probability);
    std::string modified = UtcTimeText(item.modified, false);
    if (modified.empty()) modified = "-";
    std::snprintf(line, sizeof line, "%c %c %15s %-8s %-19s  ", item.folder ? 'd' : 'f',
                  item.deleted ? 'D' : '-', size.c_str(), probability ? probability : "-",
                  modified.c_str());
    out << line << PrintableName(item.path) << '\n';
  }
}

class AnalyzeCommand final : public Command {
 public:
  CLI::App* Register(CLI::App& app) override {
    CLI::App* sub = app.add_subcommand(
        "analyze",
        "Find every folder and file of the volume in SOURCE, deleted ones included, and list them");
    sub->add_option("SOURCE", source_, "Volume image file or block device")->required();
    sub->add_flag("--deleted-only", deletedOnly_,
                  "List only deleted files and folders, with the folders that lead to them");
    sub->add_flag("--json", json_, "Print one JSON object instead of text columns");
    filters_.Register(sub);
    sub->footer(kTextColumnsHelp);
    return sub;
  }

  int Run(CommandContext& context) override {
    PrepareEngine();
    std::string problem;
    std::unique_ptr<DeviceNode> node = MakeSourceNode(source_, &problem);
    if (!node) return FailCommand(context, problem);
    CliInternalFailureReporter failures(context.err, node.get());

    OperationLog log;
    std::unique_ptr<VolumeAnalyzer> analyzer = OpenAnalyzer(*node, log);
    if (!analyzer) return kExitFailed;
    // The reader answers the probability questions; its own opening says nothing twice.
    std::unique_ptr<VolumeAnalyzer> reader = CreateAnalyzer(node.get(), /*quiet=*/true, nullptr);

    ItemStore store;
    FolderTree tree;
    ReadWriteLock storeLock(/*readersFirst=*/true);
    StopFlag stop{0};
    uint32_t status = 0;
    {
      InterruptScope interrupt(stop);
      status = BuildTreeWithProgress(context, *analyzer, store, tree, storeLock, stop, reader.get(),
                                     log);
    }

    ListingOptions options;
    options.deletedOnly = deletedOnly_;
    options.reader = reader.get();
    const FileFilter filter =
        filters_.Build(dynamic_cast<const FatAnalyzer*>(analyzer.get()) != nullptr);
    std::vector<ListedItem> items = ListTree(tree, store, storeLock, options);
    if (!filter.Empty())
      std::erase_if(items, [&filter](const ListedItem& item) {
        return !item.folder &&
               !filter.Matches(BaseName(item.path), item.size, item.modified, item.probability);
      });
    if (json_) {
      VolumeFacts facts{source_,
                        FileSystemName(*analyzer),
                        analyzer->GetTotalSectors(),
                        analyzer->BytesPerSector(),
                        analyzer->BytesPerCluster(),
                        !StopRequested(&stop) && status == 0};
      WriteJson(context.out, facts, items, LogLines(log));
    } else {
      WriteText(context.out, items);
    }
    context.out.flush();
    log.Show();  // only when it holds a warning or an error

    if (!context.out) return FailCommand(context, "cannot write to standard output");
    if (StopRequested(&stop)) {
      FailCommand(context, "analysis stopped; the listing is incomplete");
      const int signal = InterruptScope::CaughtSignal();
      return signal != 0 ? InterruptScope::ExitCodeFor(signal) : kExitFailed;
    }
    if (status != 0)
      return FailCommand(context, AnalysisFailedText(status) + "; the listing is incomplete");
    return kExitOk;
  }

 private:
  std::string source_;
  bool deletedOnly_ = false;
  bool json_ = false;
  FilterOptions filters_;
};

}  // namespace

std::unique_ptr<Command> MakeAnalyzeCommand() {
  return std::make_unique<AnalyzeCommand>();
}

}  // namespace orvande::cli
