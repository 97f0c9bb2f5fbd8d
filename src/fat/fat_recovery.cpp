// The data of FAT files: a live file follows its chain; a deleted file, whose chain is gone, is
// taken to be its first cluster followed by the next free clusters. The probability estimate
// walks the same way and counts the stretches of used clusters it has to jump over.
#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_record.h"
#include "core/file_type_plugin.h"
#include "core/item_location.h"
#include "core/ports.h"
#include "core/recovery_context.h"
#include "core/recovery_output.h"
#include "fat/fat_analyzer.h"
#include "support/operation_log.h"
#include "support/result_codes.h"
#include "support/string_table.h"

namespace orvande {
namespace {

// Location kinds of FAT items.
constexpr uint32_t kKindFirstCluster = 0;   // from the directory entry
constexpr uint32_t kKindProbedCluster = 1;  // after the FAT32 start-cluster probe

// A first cluster of 0 names no data; these stand in for it.
constexpr uint32_t kRecoverClusterForZero = 0x10000;
constexpr uint32_t kProbabilityClusterForZero = 0x100;

// FAT32 deleted entries often lose the high word of the first cluster: candidates differ by it.
constexpr uint32_t kHighWordStep = 0x10000;
constexpr uint32_t kLowWordOnly = 0xFFFF;
constexpr uint32_t kLastProbeCluster = 0xFFFEFFFF;

// Only the low 32 bits of a file's size count.
constexpr uint64_t kSizeMask = 0xFFFFFFFF;

// Consecutive clusters of a walk are read and written in pieces of up to this size: a cluster per
// call is far too slow for large files.
constexpr uint32_t kBatchBytes = 4u << 20;

// From one cluster of a file to the next: a live chain is followed; at the first free cluster the
// walk switches to stepping to the next free cluster, and a used cluster met after that ends it.
// A live chain that returns to a cluster it has passed is cut there: a damaged table must not make
// a file larger than the volume. Used by one thread.
class ClusterWalk {
 public:
  ClusterWalk(FatTable& table, const StopFlag* stop, uint64_t clusterCount)
      : table_(table), stop_(stop), clusterCount_(clusterCount) {}

  // Moves c to the next cluster of the file; false when the file ends here.
  bool Advance(uint32_t& c) {
    uint32_t next = table_.GetEntry(c);
    if (next == 0) {
      freeMode_ = true;
      // Each step reads the table, so the walk cannot pass the end of the table: entries there
      // read as 0 and stop it.
      while (!StopRequested(stop_)) {
        ++c;
        if (!IsDataCluster(c)) break;
        if (table_.GetEntry(c) == 0) break;
      }
    } else {
      if (freeMode_) return false;
      if (ReturnsToPassedCluster(c, next)) {
        cutAtLoop_ = true;
        return false;
      }
      c = next;
    }
    return IsDataCluster(c);
  }

  bool IsDataCluster(uint32_t c) const {
    return c >= 2 && !table_.IsEndOfChain(c) && !table_.IsBad(c);
  }

  bool CutAtLoop() const { return cutAtLoop_; }

 private:
  // Notes `from` as passed; true when `next` was passed before.
  bool ReturnsToPassedCluster(uint32_t from, uint32_t next) {
    if (passed_.empty()) passed_.resize(static_cast<size_t>(clusterCount_), false);
    if (from < passed_.size()) passed_[from] = true;
    return next < passed_.size() && passed_[next];
  }

  FatTable& table_;
  const StopFlag* stop_;
  const uint64_t clusterCount_;  // cluster numbers below this can be data clusters
  std::vector<bool> passed_;     // made on the first live step
  bool freeMode_ = false;
  bool cutAtLoop_ = false;
};

// Copies the clusters of one walk into an output file. The clusters, the bytes written and the
// point where a failure ends the file are those of reading and writing one cluster at a time;
// runs of consecutive clusters are only read and written together.
class ClusterCopier {
 public:
  ClusterCopier(FatAnalyzer& analyzer, RecoveryOutput& output, RecoveryContext& context)
      : analyzer_(analyzer),
        output_(output),
        clusterBytes_(analyzer.BytesPerCluster()),
        context_(context),
        walk_(*analyzer.Table(), context.stop, uint64_t{analyzer.ClusterCount()} + 2) {}

  bool AllocateBuffer() {
    const uint64_t remaining = output_.Remaining();
    uint64_t needed = std::max<uint64_t>(1, (remaining + clusterBytes_ - 1) / clusterBytes_);
    uint64_t batch = std::max<uint32_t>(1, kBatchBytes / clusterBytes_);
    maxClusters_ = static_cast<uint32_t>(std::min(needed, batch));
    try {
      buffer_ = std::make_unique_for_overwrite<uint8_t[]>(size_t{maxClusters_} * clusterBytes_);
    } catch (const std::bad_alloc&) {
      return false;
    }
    return true;
  }

  // The first sector of the cluster at which the file was cut because a short image ends there;
  // 0 when it was not.
  uint64_t PastDeviceEnd() const { return pastDeviceEnd_; }

  // False after a read or write failure; a stop, the end of the walk or of the volume is true.
  bool Run(uint32_t first) {
    uint32_t c = first;
    while (output_.Remaining() > 0) {
      ClusterRun run = PlanRun(c);
      if (run.count > 0 && !CopyRun(run.first, run.count)) return false;
      if (run.last) break;
      c = run.next;
    }
    return true;
  }

  bool CutAtLoop() const { return walk_.CutAtLoop(); }

 private:
  struct ClusterRun {
    uint32_t first = 0;
    uint32_t count = 0;
    bool last = true;  // the file ends after this run
    uint32_t next = 0;
  };

  // Walks ahead from c, as the cluster loop would, over consecutive clusters that fit a batch.
  ClusterRun PlanRun(uint32_t c) {
    ClusterRun run;
    run.first = c;
    const uint64_t total = analyzer_.HeldSectors();
    uint64_t remaining = output_.Remaining();
    for (;;) {
      if (StopRequested(context_.stop)) return run;
      if (!analyzer_.ClusterInsideVolume(c, total)) {
        if (analyzer_.ClusterInsideVolume(c, analyzer_.TotalSectors()))
          pastDeviceEnd_ = analyzer_.ClusterToSector(c);
        return run;
      }
      ++run.count;
      // The cluster in which the size ends is the last one; nothing after it is looked up.
      if (remaining <= clusterBytes_) return run;
      remaining -= clusterBytes_;
      if (!walk_.Advance(c)) return run;
      if (run.count == maxClusters_ || uint64_t{c} != uint64_t{run.first} + run.count) {
        run.last = false;
        run.next = c;
        return run;
      }
    }
  }

  bool CopyRun(uint32_t first, uint32_t count) {
    const uint32_t sectors = count * analyzer_.SectorsPerCluster();
    uint32_t result = kSuccess;
    if (analyzer_.ReadVolumeSectors(analyzer_.ClusterToSector(first), buffer_.get(),
                                    count * clusterBytes_, &result, sectors, true, true) == sectors)
      return WriteClusters(count);
    // Again one cluster at a time, so that the file ends just before the cluster that fails.
    for (uint32_t i = 0; i < count; ++i) {
      if (!analyzer_.ReadVolumeCluster(analyzer_.ClusterToSector(first + i), buffer_.get(),
                                       clusterBytes_, &result, true, true))
        return false;
      if (!WriteClusters(1)) return false;
    }
    return true;
  }

  // Writes `count` clusters from the start of the buffer, the last one cut to what remains.
  bool WriteClusters(uint32_t count) {
    return output_.Write(buffer_.get(), uint64_t{count} * clusterBytes_, clusterBytes_);
  }

  FatAnalyzer& analyzer_;
  RecoveryOutput& output_;
  const uint32_t clusterBytes_;
  RecoveryContext& context_;
  ClusterWalk walk_;
  uint32_t maxClusters_ = 1;
  std::unique_ptr<uint8_t[]> buffer_;
  uint64_t pastDeviceEnd_ = 0;
};

// The text after the last '.' of the file name (after the last '\', '/' or ':'), without the dot
// and without trailing blanks.
std::string_view ExtensionOf(std::string_view path) {
  size_t nameStart = path.find_last_of("\\/:");
  nameStart = nameStart == std::string_view::npos ? 0 : nameStart + 1;
  size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || dot < nameStart) return {};
  std::string_view extension = path.substr(dot + 1);
  while (!extension.empty() && extension.back() == ' ') extension.remove_suffix(1);
  return extension;
}

}  // namespace

bool FatAnalyzer::ClusterInsideVolume(uint32_t cluster, uint64_t totalSectors) const {
  // A cluster that starts inside the volume but runs past its end is never allocated; reading
  // it would take sectors that belong to whatever follows the volume, or fail on an image.
  return ClusterToSector(cluster) + SectorsPerCluster() <= totalSectors;
}

bool FatAnalyzer::RecoverFile(ItemLocation& location, uint64_t size, const std::string& path,
                              bool /*recoverStreams*/, RecoveryContext& context,
                              OperationLog* log) {
  if (location.Kind() == ItemLocation::kKindRuns)
    return WriteRunsToFile(path, size, *location.Runs(), context, log);
  if (!location.HasPosition() || table_ == nullptr || BytesPerCluster() == 0) return false;
  uint32_t c = static_cast<uint32_t>(location.Position());
  // Only a deleted entry can have lost the high word; a live file's first cluster is whole.
  if (fatWidth_ == 32 && location.Kind() == kKindFirstCluster && c <= kLowWordOnly &&
      location.Deleted() != 0 && context.useFileType) {
    if (FixFat32StartCluster(location, path, size)) c = static_cast<uint32_t>(location.Position());
  }
  if (c == 0) c = kRecoverClusterForZero;
  if (location.Deleted() != 0 && (size & kSizeMask) != 0 && FirstClusterTaken(c))
    context.fileDataTaken = true;

  RecoveryOutput output(path, size & kSizeMask, context, log);
  if (!output.Create()) return false;
  ClusterCopier copier(*this, output, context);
  if (!copier.AllocateBuffer()) return false;
  output.StartProgress();
  bool ok = copier.Run(c);
  if (copier.PastDeviceEnd() != 0 && log != nullptr)
    log->AddFormat(OperationLog::kWarning, strings::kPastDeviceEndFormat,
                   static_cast<unsigned long long>(copier.PastDeviceEnd()),
                   static_cast<unsigned long long>(HeldSectors()));
  context.fileCutAtLoop = copier.CutAtLoop();
  // A failed write may have put part of its piece out: then the file system is asked.
  context.fileBytesWritten = ok ? output.Written() : RecoveryContext::kUnknownBytes;
  return output.Close(ok);
}

bool FatAnalyzer::DataTakenByLiveFile(const ItemLocation& location, uint64_t size,
                                      std::string* /*liveFile*/) {
  // A deleted file's chain is gone, so its first cluster in a chain means another file took it
  // (the walk would then follow that file). Size 0 names no data.
  if (location.Kind() == ItemLocation::kKindRuns || !location.HasPosition() || table_ == nullptr)
    return false;
  if ((size & kSizeMask) == 0) return false;
  const uint32_t first = static_cast<uint32_t>(location.Position());
  // A FAT32 entry that may have lost its high word names its cluster only after the probe that
  // writing runs; until then nothing is known.
  if (fatWidth_ == 32 && location.Kind() == kKindFirstCluster && first <= kLowWordOnly)
    return false;
  return FirstClusterTaken(first);
}

bool FatAnalyzer::LiveOwnerPosition(const ItemLocation& location, uint64_t* position) {
  if (location.Kind() == ItemLocation::kKindRuns || !location.HasPosition() || table_ == nullptr)
    return false;
  const uint32_t first = static_cast<uint32_t>(location.Position());
  if (!FirstClusterTaken(first)) return false;
  if (liveChains_ == nullptr) {
    try {
      liveChains_ = std::make_unique<LiveChainIndex>(*table_, ClusterCount() + 2);
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
  const uint32_t start = liveChains_->ChainStartOf(first);
  if (start == 0) return false;
  *position = start;
  return true;
}

bool FatAnalyzer::FirstClusterTaken(uint32_t first) {
  if (first < 2 || first >= uint64_t{ClusterCount()} + 2) return false;
  return table_->GetEntry(first) != 0;
}

uint32_t FatAnalyzer::GetRecoveryProbability(ItemLocation& location, uint64_t size,
                                             OperationLog* /*log*/) {
  if (location.Kind() == ItemLocation::kKindRuns) return kProbabilityAverage;
  if (!location.HasPosition() || table_ == nullptr) return kProbabilityUnknown;
  FatTable& table = *table_;
  uint32_t c = static_cast<uint32_t>(location.Position());
  if (c == 0) c = kProbabilityClusterForZero;

  const uint64_t clusterBytes = BytesPerCluster();
  const uint64_t total = HeldSectors();
  uint64_t remaining = size & kSizeMask;
  uint32_t gaps = 0;
  bool freeMode = false;
  auto isDataCluster = [&table](uint32_t cluster) {
    return cluster >= 2 && !table.IsEndOfChain(cluster) && !table.IsBad(cluster);
  };
  while (remaining > 0) {
    if (!ClusterInsideVolume(c, total)) break;
    if (remaining <= clusterBytes) {
      remaining = 0;
      break;
    }
    remaining -= clusterBytes;
    uint32_t next = table.GetEntry(c);
    if (next != 0) {
      if (freeMode) break;
      c = next;
    } else {
      freeMode = true;
      // One gap per step, however many used clusters the step jumps over. The walk ends at the
      // latest where the table ends (entries there read as 0).
      bool counted = false;
      for (;;) {
        ++c;
        if (!isDataCluster(c)) break;
        uint32_t entry = table.GetEntry(c);
        if (entry == 0) break;
        if (!counted) {
          counted = true;
          ++gaps;
        }
      }
    }
    if (!isDataCluster(c)) break;
  }
  if (remaining > 0) return kProbabilityPoor;
  return gaps <= 1 ? kProbabilityAverage : kProbabilityPoor;
}

bool FatAnalyzer::FixFat32StartCluster(ItemLocation& location, const std::string& path,
                                       uint64_t size) {
  if (path.empty() || !useFileType_ || !location.HasPosition()) return false;
  std::string_view extension = ExtensionOf(path);
  if (extension.empty()) return false;
  ProcessorSet processors;
  if (!TypePlugin().GetProcessorsForExtension(extension, processors) || processors.Count() == 0)
    return false;

  const uint32_t original = static_cast<uint32_t>(location.Position());
  const uint32_t clusterBytes = BytesPerCluster();
  if (clusterBytes == 0 || SectorsPerCluster() == 0) return false;
  const uint32_t end = SweepEnd();
  std::unique_ptr<uint8_t[]> buffer;
  try {
    buffer = std::make_unique_for_overwrite<uint8_t[]>(clusterBytes);
  } catch (const std::bad_alloc&) {
    return false;
  }
  const uint32_t examined = static_cast<uint32_t>(std::min<uint64_t>(size, clusterBytes));

  bool found = false;
  for (uint32_t c = original; c < end;) {
    uint32_t result = kSuccess;
    if (!ReadVolumeCluster(ClusterToSector(c), buffer.get(), clusterBytes, &result, true, true))
      break;
    if (TypePlugin().Recognise(processors, buffer.get(), examined) != typeprobe::kNoType) {
      location.SetPosition(kKindProbedCluster, c);
      found = true;
      break;
    }
    if (c > kLastProbeCluster) break;
    c += kHighWordStep;
  }
  // Either way the probe is not repeated for this file.
  if (!found) location.SetPosition(kKindProbedCluster, original);
  return found;
}

}  // namespace orvande
