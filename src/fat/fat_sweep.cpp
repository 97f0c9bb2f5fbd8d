#include "fat/fat_sweep.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "core/folder_item.h"
#include "core/item_store.h"
#include "core/lost_and_found.h"
#include "core/ports.h"
#include "core/volume_analyzer.h"
#include "fat/fat_analyzer.h"
#include "fat/fat_directory_entry.h"
#include "fat/fat_directory_scan.h"
#include "platform/file_time.h"
#include "support/result_codes.h"

namespace orvande {
namespace {

constexpr char kLostDirectoryFormat[] = "$$folder_%u";

}  // namespace

bool LooksLikeDirectory(std::span<const uint8_t> cluster, uint32_t clusterCount,
                        uint32_t clusterMask) {
  bool ended = false;
  uint32_t counted = 0;
  const size_t entries = cluster.size() / fat_dir::kEntrySize;
  for (size_t i = 0; i < entries; ++i) {
    const DirEntry entry(cluster.data() + i * fat_dir::kEntrySize, fat_dir::kEntrySize);
    if (IsZeroEntry(entry)) {
      // Nothing can be counted after the end mark: without a counted entry before it, the
      // answer is already no (most free clusters end here at their first entry).
      if (counted == 0) return false;
      ended = true;
      continue;
    }
    if (ended) return false;
    bool isLongName = false;
    bool countable = false;
    if (!IsValidEntry(entry, clusterCount, clusterMask, &isLongName, &countable)) return false;
    if (!isLongName && countable) ++counted;
  }
  return counted > 0;
}

FatSweep::FatSweep(FatAnalyzer& analyzer, const BuildTreeContext& context, FatDirectoryScan& scan,
                   TreeNode volumeRootNode, OperationLog* log)
    : analyzer_(analyzer), context_(context), scan_(scan), rootNode_(volumeRootNode), log_(log) {}

bool FatSweep::AllocateBuffer(uint32_t clustersToSweep) {
  const uint32_t clusterSize = analyzer_.BytesPerCluster();
  if (clusterSize == 0) return false;
  // Large reads make the sweep as fast as the device; one cluster is enough to work at all.
  const uint32_t wanted = std::clamp<uint32_t>(kReadAheadBytes / clusterSize, 1,
                                               std::max<uint32_t>(clustersToSweep, 1));
  for (uint32_t clusters : {wanted, 1u}) {
    try {
      // Not zeroed: every byte is read into before it is looked at.
      buffer_ = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(clusters) * clusterSize);
      bufferBytes_ = static_cast<size_t>(clusters) * clusterSize;
      blockClusters_ = clusters;
      return true;
    } catch (const std::bad_alloc&) {
    }
  }
  return false;
}

uint32_t FatSweep::Run() {
  now_ = platform::NowFileTime();
  const uint32_t limit = analyzer_.SweepEnd();
  if (!AllocateBuffer(limit > 2 ? limit - 2 : 0)) return kErrOutOfMemory;
  ProgressBar* progress = context_.progressBar;
  if (progress != nullptr) progress->SetRange(2, limit);
  scan_.SortLiveFileClusters();

  ImageSearch images;
  images.Prepare(TypePlugin(), log_);

  const uint32_t clusterSize = analyzer_.BytesPerCluster();
  const uint32_t sectorsPerCluster = analyzer_.SectorsPerCluster();
  uint32_t result = kSuccess;
  uint32_t counter = 0;
  bool ended = false;
  for (uint32_t block = 2; block < limit && !ended;) {
    const uint32_t clusters = std::min(blockClusters_, limit - block);
    // With bad sectors filled, a block read fails only where a cluster read fails too; the
    // clusters of a failed block are read one by one to find the first that does.
    const bool blockRead =
        analyzer_.ReadVolumeSectors(analyzer_.ClusterToSector(block), buffer_.get(),
                                    static_cast<uint32_t>(bufferBytes_), nullptr,
                                    clusters * sectorsPerCluster, true, true) ==
        clusters * sectorsPerCluster;
    for (uint32_t i = 0; i < clusters; ++i) {
      const uint32_t cluster = block + i;
      if (scan_.StopRequested()) {
        ended = true;
        break;
      }
      if (++counter == kClustersPerProgressStep) {
        if (progress != nullptr) progress->SetPosition(cluster);
        counter = 0;
      }
      uint8_t* data = buffer_.get() + static_cast<size_t>(i) * clusterSize;
      const uint64_t sector = analyzer_.ClusterToSector(cluster);
      if (!blockRead &&
          !analyzer_.ReadVolumeCluster(sector, data, clusterSize, nullptr, true, true)) {
        ended = true;
        break;
      }
      // The data of a file the tree lists as live is no lost image.
      if (!scan_.IsLiveFileCluster(cluster))
        images.OnCluster(analyzer_, data, clusterSize, static_cast<uint32_t>(sector),
                         analyzer_.nextId_, context_, rootNode_);
      result = OnCluster(cluster, data);
      if (result != kSuccess) {
        ended = true;
        break;
      }
    }
    block += clusters;
  }

  if (progress != nullptr) progress->SetPosition(0);
  return result;
}

uint32_t FatSweep::OnCluster(uint32_t cluster, const uint8_t* data) {
  if (analyzer_.visited_.Contains(analyzer_.ClusterToSector(cluster))) return kSuccess;
  if (!LooksLikeDirectory(std::span<const uint8_t>(data, analyzer_.BytesPerCluster()),
                          analyzer_.ClusterCount(), analyzer_.ClusterMask()))
    return kSuccess;
  return AddLostDirectory(cluster);
}

uint32_t FatSweep::AddLostDirectory(uint32_t cluster) {
  const uint32_t id = analyzer_.nextId_++;
  FolderRef folder(new FolderItem(id));
  folder->SetCreated(now_);
  folder->SetModified(now_);
  folder->SetDeleted(0);
  char name[32];
  std::snprintf(name, sizeof name, kLostDirectoryFormat, cluster);
  const TreeNode node = folder->InsertAtTop(name, false, context_.folderTree, kNoNode);
  if (node == kNoNode) return kStatusTreeInsertFailed;
  context_.itemStore.Insert(id, folder.get());
  if (!rootExpanded_) {
    context_.folderTree.Expand(rootNode_);
    rootExpanded_ = true;
  }
  scan_.ScanDirectoryChain(cluster, true, node, folder.get());
  return kSuccess;
}

}  // namespace orvande
