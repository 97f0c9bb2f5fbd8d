#pragma once
// The second pass of a FAT tree build: every data cluster is read once, handed to the image
// search, and tested for directory data that no walk reached ("$$folder_%u"). Used by the
// analysis worker only.
#include <cstdint>
#include <cstddef>
#include <memory>
#include <span>

#include "core/folder_tree.h"

namespace orvande {

class FatAnalyzer;
class FatDirectoryScan;
class OperationLog;
struct BuildTreeContext;

class FatSweep {
 public:
  // Clusters are read ahead in blocks of about this size: small enough that the block the system
  // copies into stays in the processor's cache (2 MiB blocks made the sweep a tenth slower).
  static constexpr uint32_t kReadAheadBytes = 256u << 10;
  // The progress position moves every this many clusters.
  static constexpr uint32_t kClustersPerProgressStep = 11;

  FatSweep(FatAnalyzer& analyzer, const BuildTreeContext& context, FatDirectoryScan& scan,
           TreeNode volumeRootNode, OperationLog* log);

  // 0 (also after a stop or an unreadable cluster), kErrOutOfMemory or kStatusTreeInsertFailed.
  uint32_t Run();

 private:
  // What one cluster brings: 0, or kStatusTreeInsertFailed which ends the sweep.
  uint32_t OnCluster(uint32_t cluster, const uint8_t* data);
  uint32_t AddLostDirectory(uint32_t cluster);
  bool AllocateBuffer(uint32_t clustersToSweep);

  FatAnalyzer& analyzer_;
  const BuildTreeContext& context_;
  FatDirectoryScan& scan_;
  TreeNode rootNode_;
  OperationLog* log_;
  std::unique_ptr<uint8_t[]> buffer_;
  size_t bufferBytes_ = 0;
  uint32_t blockClusters_ = 1;
  uint64_t now_ = 0;
  bool rootExpanded_ = false;
};

// True when the cluster's entries look like a directory: every entry up to the first all-zero one
// is valid, only zero entries follow it, and at least one is a countable short entry.
bool LooksLikeDirectory(std::span<const uint8_t> cluster, uint32_t clusterCount,
                        uint32_t clusterMask);

}  // namespace orvande
