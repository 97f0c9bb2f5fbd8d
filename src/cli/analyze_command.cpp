#include "cli/analyze_command.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "app/body_file.h"
#include "app/dfxml_document.h"
#include "app/export_byte_runs.h"
#include "app/export_item.h"
#include "app/volume_analysis.h"
#include "cli/cli_internal_failure.h"
#include "cli/filter_options.h"
#include "cli/interrupt_scope.h"
#include "cli/source_opener.h"
#include "cli/time_zone_option.h"
#include "cli/tree_listing.h"
#include "cli/volume_session.h"
#include "core/file_record.h"
#include "core/safe_names.h"
#include "core/volume_analyzer.h"
#include "disk/device_node.h"
#include "disk/partition_node.h"
#include "platform/os_identity.h"
#include "support/string_table.h"

namespace orvande::cli {
namespace {

using Json = nlohmann::ordered_json;

constexpr char kTextColumnsHelp[] =
    "Text output: on FAT volumes a line naming the zone their local times were read in (see\n"
    "--tz), a header line, then one line per folder and file in tree order:\n"
    "  T  d folder, f file, s a file's alternate stream (--streams; PATH is path:name)\n"
    "  D  D deleted, - live\n"
    "  SIZE  bytes (- for folders)\n"
    "  PROB  recovery probability of a deleted file: good, average, poor or unknown (- otherwise)\n"
    "  MODIFIED  last-write time in UTC (- when unknown)\n"
    "  PATH  from the volume root, joined with '/'\n"
    "--json prints one object instead: source, file_system, total_sectors, bytes_per_sector,\n"
    "bytes_per_cluster, time_zone (FAT; null on NTFS), complete, items (path, type, id, deleted,\n"
    "size, probability, created, modified; with --streams, files also have streams: name and\n"
    "size of each) and log. With filters, folders are listed only on the way to a file kept.\n"
    "--bodyfile prints a body file (version 3) for timeline tools, --dfxml a Digital Forensics\n"
    "XML document (byte runs where they are cheap to know: FAT files and found files).\n"
    "On a terminal, stderr shows the progress: the analyzer's steps done of the phase at hand\n"
    "(clusters on FAT; MFT bytes, then clusters, on NTFS), the rate and the time left.\n"
    "Interrupting the analysis (Ctrl-C) lists what was found so far and exits with 1.";

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

Json StreamsValue(const std::vector<NamedStream>& streams) {
  Json list = Json::array();
  for (const NamedStream& stream : streams)
    list.push_back({{"name", stream.name}, {"size", stream.size}});
  return list;
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
  std::string timeZone;  // the zone local times were read in; empty when the volume keeps UTC
  bool complete = true;  // false when the analysis was stopped or failed part-way
};

// One object; each item on a line of its own, written as it is listed, so that large listings
// stream out.
class JsonListing {
 public:
  JsonListing(std::ostream& out, bool withStreams) : out_(out), withStreams_(withStreams) {}

  void Begin(const VolumeFacts& facts) {
    out_ << "{\"source\":" << Dump(facts.source) << ",\"file_system\":" << Dump(facts.fileSystem)
         << ",\"total_sectors\":" << facts.totalSectors
         << ",\"bytes_per_sector\":" << facts.bytesPerSector
         << ",\"bytes_per_cluster\":" << facts.bytesPerCluster
         << ",\"time_zone\":" << (facts.timeZone.empty() ? "null" : Dump(facts.timeZone))
         << ",\"complete\":" << (facts.complete ? "true" : "false") << ",\"items\":[";
  }

  // The fields in a fixed order, written straight out: no object is built per item.
  void Item(const ListedItem& item) {
    const char* probability = item.folder ? nullptr : ProbabilityName(item.probability);
    out_ << (first_ ? "\n" : ",\n") << "{\"path\":" << Dump(Json(item.path))
         << ",\"type\":" << (item.folder ? "\"folder\"" : "\"file\"") << ",\"id\":" << item.id
         << ",\"deleted\":" << (item.deleted ? "true" : "false") << ",\"size\":" << item.size
         << ",\"probability\":";
    if (probability != nullptr)
      out_ << '"' << probability << '"';
    else
      out_ << "null";
    out_ << ",\"created\":";
    WriteTime(item.created);
    out_ << ",\"modified\":";
    WriteTime(item.modified);
    if (withStreams_ && !item.folder) out_ << ",\"streams\":" << Dump(StreamsValue(item.streams));
    out_ << '}';
    first_ = false;
  }

  void End(const std::vector<std::string>& logLines) {
    out_ << "\n],\"log\":" << Dump(Json(logLines)) << "}\n";
  }

 private:
  void WriteTime(uint64_t fileTime) {
    const std::string text = UtcTimeText(fileTime, true);
    if (text.empty())
      out_ << "null";
    else
      out_ << '"' << text << '"';
  }

  std::ostream& out_;
  bool withStreams_;
  bool first_ = true;
};

// The zone line, a header line, then a line per item (and per stream), written as listed.
class TextListing {
 public:
  explicit TextListing(std::ostream& out) : out_(out) {}

  void Begin(const std::string& timeZone) {
    if (!timeZone.empty())
      out_ << "Local times of this FAT volume read in zone " << timeZone << ", shown in UTC\n";
    std::snprintf(line_, sizeof line_, "%-1s %-1s %15s %-8s %-19s  %s\n", "T", "D", "SIZE",
                  "PROB", "MODIFIED (UTC)", "PATH");
    out_ << line_;
  }

  void Item(const ListedItem& item) {
    const std::string size = item.folder ? "-" : std::to_string(item.size);
    const char* probability = item.folder ? nullptr : ProbabilityName(item.probability);
    std::string modified = UtcTimeText(item.modified, false);
    if (modified.empty()) modified = "-";
    std::snprintf(line_, sizeof line_, "%c %c %15s %-8s %-19s  ", item.folder ? 'd' : 'f',
                  item.deleted ? 'D' : '-', size.c_str(), probability ? probability : "-",
                  modified.c_str());
    out_ << line_ << PrintableName(item.path) << '\n';
    for (const NamedStream& stream : item.streams) {
      std::snprintf(line_, sizeof line_, "s %c %15llu %-8s %-19s  ", item.deleted ? 'D' : '-',
                    static_cast<unsigned long long>(stream.size), "-", modified.c_str());
      out_ << line_ << PrintableName(item.path + ":" + stream.name) << '\n';
    }
  }

 private:
  std::ostream& out_;
  char line_[96];
};

// The volume's first byte in the image: a partition of a disk starts inside it.
uint64_t VolumeOffset(DeviceNode& node) {
  if (node.GetKind() != kNodePartition) return 0;
  const auto& partition = static_cast<const PartitionNode&>(node);
  return partition.GetFirstSector() * partition.GetBytesPerSector();
}

std::vector<ExportItem> ExportItems(const std::vector<ListedItem>& items, VolumeAnalyzer* reader,
                                    uint64_t volumeOffset, bool withRuns) {
  std::vector<ExportItem> exported;
  exported.reserve(items.size());
  for (const ListedItem& item : items) {
    ExportItem out;
    out.path = item.path;
    out.folder = item.folder;
    out.id = item.id;
    out.deleted = item.deleted;
    out.size = item.size;
    out.created = item.created;
    out.modified = item.modified;
    if (withRuns && !item.folder && reader != nullptr)
      out.runsKnown = ExportByteRuns(*reader, item.location, item.size, volumeOffset, &out.runs);
    exported.push_back(std::move(out));
  }
  return exported;
}

void WriteBodyFile(std::ostream& out, const std::string& fileSystem,
                   const std::vector<ExportItem>& items) {
  BodyFileStyle style;
  style.deletedTypeUnknown = fileSystem == "NTFS";
  for (const std::string& line : BodyFileLines(items, style)) out << line << '\n';
}

void WriteDfxmlListing(std::ostream& out, const VolumeFacts& facts, uint64_t volumeOffset,
                       const std::vector<ExportItem>& items) {
  const platform::OsIdentity os = platform::QueryOsIdentity();
  DfxmlCreator creator{
      "orvande-cli", ORVANDE_VERSION_TEXT, "orvande-cli analyze " + facts.source + " --dfxml",
      os.sysname,    os.release,           os.machine};
  DfxmlVolume volume;
  volume.imageFilename = facts.source;
  volume.partitionOffset = volumeOffset;
  volume.sectorSize = facts.bytesPerSector;
  volume.blockSize = facts.bytesPerCluster;
  volume.fileSystem = facts.fileSystem;
  volume.blockCount = facts.bytesPerCluster == 0 || facts.bytesPerSector == 0
                          ? 0
                          : facts.totalSectors / (facts.bytesPerCluster / facts.bytesPerSector);
  WriteDfxml(out, creator, volume, items);
}

class AnalyzeCommand final : public Command {
 public:
  CLI::App* Register(CLI::App& app) override {
    CLI::App* sub = app.add_subcommand(
        "analyze",
        "Find every folder and file of the volume in SOURCE, deleted ones included, and list them");
    sub->add_option("SOURCE", source_,
                    "Volume image file, block device, or DISK@N: partition N of a whole disk")->required();
    sub->add_flag("--deleted-only", deletedOnly_,
                  "List only deleted files and folders, with the folders that lead to them");
    CLI::Option* json =
        sub->add_flag("--json", json_, "Print one JSON object instead of text columns");
    CLI::Option* body = sub->add_flag(
        "--bodyfile", bodyFile_, "Print a body file for timeline tools instead of text columns");
    CLI::Option* dfxml =
        sub->add_flag("--dfxml", dfxml_, "Print a Digital Forensics XML document instead");
    json->excludes(body)->excludes(dfxml);
    body->excludes(dfxml);
    sub->add_flag("--streams", streams_,
                  "Also list the alternate streams of NTFS files (path:name, with their sizes)");
    timeZone_.Register(sub);
    filters_.Register(sub);
    sub->footer(kTextColumnsHelp);
    return sub;
  }

  int Run(CommandContext& context) override {
    std::unique_ptr<DeviceNode> node = PrepareSource(context, source_);
    if (!node) return kExitFailed;
    CliInternalFailureReporter failures(context.err, node.get());

    const auto zoneScope = timeZone_.Apply();
    TerminalAnalysis session(context);
    if (!session.Start(*node)) return kExitFailed;
    const uint32_t status = session.WaitForEndUnlessInterrupted();
    const bool stopped = session.Stopped();

    VolumeAnalysis& analysis = session.Analysis();
    VolumeAnalyzer& analyzer = *analysis.Analyzer();
    const FileFilter filter = filters_.Build(analyzer.NamesIgnoreCase());
    ListingOptions options;
    options.deletedOnly = deletedOnly_;
    options.filter = &filter;
    // The worker is gone: the reader is the listing's alone.
    options.reader = analysis.Reader();
    options.streams = streams_;
    // FAT keeps local times: the listing names the zone they were read in.
    const bool localTimes = analyzer.FileSystemName().starts_with("FAT");
    const std::string zone = localTimes ? TimeZoneOption::ZoneInUse() : std::string();
    VolumeFacts facts{source_,
                      analyzer.FileSystemName(),
                      analyzer.GetTotalSectors(),
                      analyzer.BytesPerSector(),
                      analyzer.BytesPerCluster(),
                      zone,
                      !stopped && status == 0};
    auto list = [&](const ListedItemVisitor& visit) {
      VisitTree(analysis.Tree(), analysis.Store(), analysis.StoreLock(), options, visit);
    };
    if (json_) {
      JsonListing json(context.out, streams_);
      json.Begin(facts);
      list([&](const ListedItem& item) { json.Item(item); });
      json.End(session.LogLines());
    } else if (bodyFile_ || dfxml_) {
      const std::vector<ListedItem> items =
          ListTree(analysis.Tree(), analysis.Store(), analysis.StoreLock(), options);
      const uint64_t volumeOffset = VolumeOffset(*node);
      const std::vector<ExportItem> exported =
          ExportItems(items, analysis.Reader(), volumeOffset, dfxml_);
      if (bodyFile_)
        WriteBodyFile(context.out, facts.fileSystem, exported);
      else
        WriteDfxmlListing(context.out, facts, volumeOffset, exported);
    } else {
      TextListing text(context.out);
      text.Begin(zone);
      list([&](const ListedItem& item) { text.Item(item); });
    }
    context.out.flush();
    session.ShowLog();  // only when it holds a warning or an error

    if (!context.out) return FailCommand(context, "cannot write to standard output");
    if (stopped) {
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
  bool bodyFile_ = false;
  bool dfxml_ = false;
  bool streams_ = false;
  TimeZoneOption timeZone_;
  FilterOptions filters_;
};

}  // namespace

std::unique_ptr<Command> MakeAnalyzeCommand() {
  return std::make_unique<AnalyzeCommand>();
}

}  // namespace orvande::cli
