#pragma once
// The walk over FAT directories: directory chains, the parsing of directory data with long names
// and deleted entries, and the items it adds to the store and the files tree. One per BuildTree;
// used by the analysis worker only.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/folder_item.h"
#include "core/folder_tree.h"
#include "fat/directory_sectors.h"
#include "fat/fat_directory_entry.h"
#include "fat/long_name_accumulator.h"

namespace orvande {

class FatAnalyzer;
class OperationLog;
struct BuildTreeContext;

class FatDirectoryScan {
 public:
  // Directory start clusters on the path; deeper directories are made but not scanned.
  static constexpr size_t kMaxPathDepth = 1024;
  // Directory chains scanned between two repaints of the files tree.
  static constexpr uint32_t kChainsPerRepaint = 30;

  FatDirectoryScan(FatAnalyzer& analyzer, const BuildTreeContext& context, OperationLog* log);
  FatDirectoryScan(const FatDirectoryScan&) = delete;
  FatDirectoryScan& operator=(const FatDirectoryScan&) = delete;
  ~FatDirectoryScan();

  // Parses the directory whose data starts at the cluster, following its chain, then the
  // directories found in it. Each directory cluster is parsed once per analysis: a directory
  // whose data was parsed already, or one below the depth limit, is not scanned (true), and a
  // link to parsed data is logged. False only when no buffer could be had.
  bool ScanDirectoryChain(uint32_t firstCluster, bool inheritedDeleted, TreeNode parentNode,
                          FolderItem* parentFolder);
  // Adds the items of one buffer of directory entries, then scans the directories found in it.
  // False when an invalid entry ended the buffer or a stop was requested.
  bool ParseDirectoryBuffer(std::span<const uint8_t> buffer, LongNameAccumulator& accumulator,
                            bool inheritedDeleted, TreeNode parentNode, FolderItem* parentFolder);

  // While the walk from the root runs, deleted directories wait until the live tree is done, so
  // that a cluster a live directory uses now is read as that directory and not as the deleted
  // one that held it before. Scans the waiting ones, with everything below them; afterwards
  // every directory is scanned when it is found.
  void ScanDeferredDirectories();

  // The first clusters of the live files found, for the sweep's lookups (sorted once the walk
  // is done).
  void SortLiveFileClusters();
  bool IsLiveFileCluster(uint32_t cluster) const;

  // ParseDirectoryBuffer over the stretches of buffer that could be read, in order; a long name
  // is not carried across a gap. False as soon as a stretch's parsing was ended.
  bool ParseReadStretches(std::span<const uint8_t> buffer,
                          const std::vector<ReadStretch>& stretches,
                          LongNameAccumulator& accumulator, bool inheritedDeleted,
                          TreeNode parentNode, FolderItem* parentFolder);

  bool StopRequested() const;
  size_t PathDepth() const { return path_.size(); }

 private:
  struct PendingDirectory {
    uint32_t firstCluster;
    bool deleted;
    TreeNode node;
    FolderRef folder;
    size_t depth = 0;  // of the directory in the tree, for the depth limit
  };
  struct EntryItem {
    DirEntry entry;
    std::string name;
    uint32_t firstCluster;
    bool deleted;
  };

  // The sectors of a directory cluster that can be read, parsed stretch by stretch; false when an
  // invalid entry or a stop ended the parsing.
  bool ParseReadableSectors(uint64_t sector, LongNameAccumulator& accumulator,
                            bool inheritedDeleted, TreeNode parentNode, FolderItem* parentFolder);
  void TakeLongNamePiece(DirEntry entry, bool entryDeleted, LongNameAccumulator& accumulator);
  void AddFile(const EntryItem& item, TreeNode parentNode, FolderItem* parentFolder);
  void AddDirectory(const EntryItem& item, TreeNode parentNode, FolderItem* parentFolder,
                    std::vector<PendingDirectory>& pending);
  bool IsOnTopOfPath(uint32_t cluster) const;
  bool IsShown(TreeNode node) const;
  LongNameAccumulator* AccumulatorAt(size_t depth);
  void CountChainForRepaint();
  void ReportLinkedAgain(uint32_t cluster, bool deleted);
  size_t Depth() const { return depthOffset_ + path_.size(); }

  FatAnalyzer& analyzer_;
  const BuildTreeContext& context_;
  OperationLog* log_;
  std::vector<uint32_t> path_;
  // The depth in the tree of the directory the path starts at (deferred directories start deep).
  size_t depthOffset_ = 0;
  bool deferDeleted_ = true;
  std::vector<PendingDirectory> deferred_;
  std::vector<uint32_t> liveFileClusters_;
  // One cluster buffer serves every level: a level parses its buffer whole before it descends,
  // and reads its next cluster again afterwards.
  std::vector<uint8_t> clusterBuffer_;
  // One accumulator per depth, kept off the stack of the recursive walk.
  std::vector<std::unique_ptr<LongNameAccumulator>> accumulators_;
  bool expanded_ = false;
  uint32_t repaintCounter_ = 0;
  DosTimeConverter times_;
};

// The long name collected so far as UTF-8, up to its first 0 unit.
std::string LongNameText(const LongNameAccumulator& accumulator);

}  // namespace orvande
