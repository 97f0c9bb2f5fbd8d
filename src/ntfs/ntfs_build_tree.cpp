// The analyzer's tree building and its probability estimate: the MFT walk, the search for lost
// records in free clusters, and the cluster bitmap that both the search and the estimate use.
#include <exception>
#include <memory>
#include <new>

#include "core/file_record.h"
#include "core/file_type_plugin.h"
#include "core/internal_failure.h"
#include "core/ports.h"
#include "disk/device_node.h"
#include "disk/sector_device.h"
#include "ntfs/cluster_bitmap.h"
#include "ntfs/lost_record_search.h"
#include "ntfs/mft_layout.h"
#include "ntfs/mft_walk.h"
#include "ntfs/ntfs_analyzer.h"
#include "ntfs/ntfs_status.h"
#include "ntfs/ntfs_tree_builder.h"
#include "ntfs/recovery_probability.h"
#include "support/operation_log.h"
#include "support/result_codes.h"
#include "support/string_table.h"

namespace orvande {
namespace {

constexpr char kNoDeviceCode[] = "NVI163";
constexpr char kDeviceLostCode[] = "NVI246";
constexpr char kNoMftText[] = "MFT does not exist.";
constexpr uint32_t kKindDirect = 0;
constexpr uint32_t kKindMft = 1;

// A partition found inside a disk may hold an MFT that is damaged or partly overwritten.
bool IsFoundPartition(SectorDevice* device) {
  DeviceNode* node = device->GetNode();
  return node != nullptr && node->GetKind() == kNodePartition;
}

}  // namespace

bool NtfsAnalyzer::HasClusterBitmap() const {
  ClusterBitmapSlot::Lock lock = clusterBitmap_.Acquire();
  return clusterBitmap_.Get() != nullptr;
}

bool NtfsAnalyzer::IsClusterFree(uint64_t cluster, OperationLog* log) {
  ClusterBitmapSlot::Lock lock = clusterBitmap_.Acquire();
  ClusterBitmap* bitmap = clusterBitmap_.Get();
  return bitmap != nullptr && bitmap->IsFree(cluster, log);
}

void NtfsAnalyzer::DropAllocationMap() {
  ClusterBitmapSlot::Lock lock = clusterBitmap_.Acquire();
  clusterBitmap_.Reset();
}

bool NtfsAnalyzer::LoadAllocationMap(uint64_t position, OperationLog* log) {
  ClusterBitmapSlot::Lock lock = clusterBitmap_.Acquire();
  auto bitmap = std::make_unique<ClusterBitmap>(this);
  if (!IsSuccess(bitmap->Load(position, log))) return false;
  clusterBitmap_.Reset(std::move(bitmap));
  return true;
}

uint32_t NtfsAnalyzer::BuildTree(const BuildTreeContext& context, OperationLog* log) {
  if (Device() == nullptr) {
    ReportInternalFailure(kNoDeviceCode);
    return kSuccess;
  }
  BadSectorScope badSectors(BadSectors(), log);
  if (context.reader != nullptr) {
    if (AllocationMapReceiver* readerMap = context.reader->AllocationMapTarget())
      readerMap->DropAllocationMap();
  }
  {
    ClusterBitmapSlot::Lock lock = clusterBitmap_.Acquire();
    clusterBitmap_.Reset();
  }

  uint64_t dataSize = 0;
  uint64_t allocatedSize = 0;
  bool hasData = false;
  try {
    hasData =
        mftRecord_.GetAttributeSize(kAttrData, AttributeName::None(), &dataSize, &allocatedSize) &&
        (dataSize != 0 || allocatedSize != 0);
  } catch (const std::exception&) {
    hasData = false;
  }
  if (!hasData) {
    if (log != nullptr) log->Add(OperationLog::kError, kNoMftText);
    return kStatusNoMftData;
  }
  if (allocatedSize == 0) allocatedSize = dataSize;
  if (Device() == nullptr) {
    ReportInternalFailure(kDeviceLostCode);
    return kSuccess;
  }
  if (!TypePlugin().IsReady() && log != nullptr)
    log->AddIdLine(OperationLog::kWarning, strings::kIdCantInitTypeProbe);

  const bool tolerant = IsFoundPartition(Device());
  if (log != nullptr) log->AddId(OperationLog::kPlain, strings::kIdFirstAnalyzingStep);
  NtfsTreeBuilder builder(context);
  MftWalk walk(*this, context, builder, log);
  uint32_t status = walk.Run(dataSize, allocatedSize, tolerant);
  if (context.progressBar != nullptr) context.progressBar->SetPosition(0);
  if (log != nullptr) log->AddId(OperationLog::kPlain, strings::kIdDone);
  if (walk.Stopped()) return kSuccess;
  if (status == kErrOutOfMemory || status == kStatusTreeInsertFailed) return status;

  // The second step searches the clusters the bitmap calls free, or every cluster without one.
  uint32_t n = walk.Count();
  uint32_t firstOutside = walk.FirstOutside();
  const MftLayout layout = MftLayout::Of(mftRecord_);
  CoveredRanges covered(layout.VolumeRanges(walk.WalkedEnd(), BytesPerCluster()));
  LostRecordSearch search(*this, context, builder, std::move(covered), log);
  uint32_t searchStatus = kSuccess;
  {
    ClusterBitmapSlot::Lock lock = clusterBitmap_.Acquire();
    AllFreeBitmap allFree(this);
    ClusterBitmap* source = clusterBitmap_.Get();
    searchStatus = search.Run(source != nullptr ? *source : allFree, tolerant, &n, &firstOutside);
  }
  if (context.progressBar != nullptr) context.progressBar->SetPosition(0);
  if (log != nullptr) log->AddId(OperationLog::kPlain, strings::kIdDone);
  if (StopRequested(context.stop)) return kSuccess;
  return IsSuccess(searchStatus) ? status : searchStatus;
}

uint32_t NtfsAnalyzer::GetRecoveryProbability(ItemLocation& location, uint64_t /*size*/,
                                              OperationLog* log) {
  ClusterBitmapSlot::Lock lock = clusterBitmap_.Acquire();
  ClusterBitmap* bitmap = clusterBitmap_.Get();
  if (bitmap == nullptr) return kProbabilityUnknown;
  if (location.Kind() == ItemLocation::kKindRuns) return kProbabilityAverage;
  MftRecord record(this);
  uint64_t next = 0;
  uint32_t status = kStatusNotUsableRecord;
  try {
    if (location.Kind() == kKindMft) {
      status = record.ReadFromMft(mftRecord_, location.Position(), &next, log);
    } else if (location.Kind() == kKindDirect) {
      status = record.ReadDirect(location.Position(), &next, true, log);
    }
  } catch (const std::exception&) {
    if (log != nullptr)
      log->Add(OperationLog::kError, location.Kind() == kKindMft
                                         ? ntfs_codes::kProbabilityThroughMft
                                         : ntfs_codes::kProbabilityDirect);
    return kProbabilityUnknown;
  }
  if (!IsSuccess(status) || !record.HasBuffer()) return kProbabilityUnknown;
  try {
    return EvaluateRecordProbability(record, *bitmap, log);
  } catch (const std::exception&) {
    return kProbabilityUnknown;
  }
}

bool NtfsAnalyzer::DataTakenByLiveFile(const ItemLocation& location, uint64_t /*size*/,
                                       std::string* /*liveFile*/) {
  if (location.Kind() != kKindMft && location.Kind() != kKindDirect) return false;
  {
    // A recovery job's analyzer has built no tree, so it has no bitmap yet: the volume's
    // allocation bitmap is file record 6 on every NTFS volume.
    constexpr uint64_t kBitmapRecordNumber = 6;
    ClusterBitmapSlot::Lock lock = clusterBitmap_.Acquire();
    if (clusterBitmap_.Get() == nullptr && mftRecord_.RecordSize() != 0) {
      try {
        auto bitmap = std::make_unique<ClusterBitmap>(this);
        if (IsSuccess(bitmap->Load(kBitmapRecordNumber * mftRecord_.RecordSize(), nullptr)))
          clusterBitmap_.Reset(std::move(bitmap));
      } catch (const std::bad_alloc&) {
        throw;
      } catch (const std::exception&) {
        // A damaged bitmap record: nothing is known about the clusters.
        return false;
      }
    }
  }
  ItemLocation copy = location;
  const uint32_t probability = GetRecoveryProbability(copy, 0, nullptr);
  return probability == kProbabilityAverage || probability == kProbabilityPoor;
}

}  // namespace orvande
