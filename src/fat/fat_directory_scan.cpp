#include "fat/fat_directory_scan.h"

#include <algorithm>
#include <new>

#include "core/item_store.h"
#include "core/ports.h"
#include "core/read_write_lock.h"
#include "core/volume_analyzer.h"
#include "fat/directory_sectors.h"
#include "fat/fat_analyzer.h"
#include "fat/fat_chain_guard.h"
#include "support/code_pages.h"
#include "support/le_reader.h"
#include "support/operation_log.h"
#include "support/string_table.h"

namespace orvande {
namespace {

using namespace fat_dir;

constexpr uint32_t kLocationKindCluster = 0;
constexpr char kUnknownFirstCharacter[] = "?";

}  // namespace

std::string LongNameText(const LongNameAccumulator& accumulator) {
  std::u16string_view units = accumulator.Units();
  const size_t end = units.find(u'\0');
  if (end != std::u16string_view::npos) units = units.substr(0, end);
  return Utf16ToUtf8(units);
}

FatDirectoryScan::FatDirectoryScan(FatAnalyzer& analyzer, const BuildTreeContext& context,
                                   OperationLog* log)
    : analyzer_(analyzer), context_(context), log_(log) {
  path_.reserve(kMaxPathDepth);
}

FatDirectoryScan::~FatDirectoryScan() = default;

bool FatDirectoryScan::StopRequested() const { return orvande::StopRequested(context_.stop); }

bool FatDirectoryScan::IsShown(TreeNode node) const {
  return node != kNoNode && context_.shownNode != nullptr && context_.shownNode->load() == node;
}

bool FatDirectoryScan::IsOnTopOfPath(uint32_t cluster) const {
  const size_t depth = path_.size();
  return (depth >= 1 && path_[depth - 1] == cluster) || (depth >= 2 && path_[depth - 2] == cluster);
}

LongNameAccumulator* FatDirectoryScan::AccumulatorAt(size_t depth) {
  try {
    while (accumulators_.size() <= depth)
      accumulators_.push_back(std::make_unique<LongNameAccumulator>());
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  return accumulators_[depth].get();
}

void FatDirectoryScan::CountChainForRepaint() {
  if (repaintCounter_++ >= kChainsPerRepaint) {
    repaintCounter_ = 0;
    context_.folderTree.Invalidate();
  }
}

void FatDirectoryScan::ReportLinkedAgain(uint32_t cluster, bool deleted) {
  if (log_ == nullptr) return;
  // A deleted directory whose clusters were reused is ordinary; a live one is damage.
  log_->AddFormatLine(deleted ? OperationLog::kPlain : OperationLog::kWarning,
                      strings::kDirectoryLinkedAgainFormat, static_cast<unsigned>(cluster));
}

void FatDirectoryScan::ScanDeferredDirectories() {
  deferDeleted_ = false;
  // Scanning one adds no more: from here on directories are scanned where they are found.
  for (size_t i = 0; i < deferred_.size() && !StopRequested(); ++i) {
    PendingDirectory& directory = deferred_[i];
    depthOffset_ = directory.depth;
    ScanDirectoryChain(directory.firstCluster, directory.deleted, directory.node,
                       directory.folder.get());
    directory.folder.reset();
  }
  depthOffset_ = 0;
  deferred_.clear();
}

void FatDirectoryScan::SortLiveFileClusters() {
  std::sort(liveFileClusters_.begin(), liveFileClusters_.end());
  liveFileClusters_.erase(std::unique(liveFileClusters_.begin(), liveFileClusters_.end()),
                          liveFileClusters_.end());
}

bool FatDirectoryScan::IsLiveFileCluster(uint32_t cluster) const {
  return std::binary_search(liveFileClusters_.begin(), liveFileClusters_.end(), cluster);
}

bool FatDirectoryScan::ScanDirectoryChain(uint32_t firstCluster, bool inheritedDeleted,
                                          TreeNode parentNode, FolderItem* parentFolder) {
  // Directories that share their data (a hostile volume can link every folder of a level to the
  // same cluster) would otherwise be read once per path to them, which grows exponentially.
  if (analyzer_.visited_.Contains(analyzer_.ClusterToSector(firstCluster))) {
    ReportLinkedAgain(firstCluster, inheritedDeleted);
    return true;
  }
  if (Depth() >= kMaxPathDepth ||
      std::find(path_.begin(), path_.end(), firstCluster) != path_.end())
    return true;
  const uint32_t clusterSize = analyzer_.BytesPerCluster();
  LongNameAccumulator* accumulator = AccumulatorAt(path_.size());
  if (accumulator == nullptr) return false;
  if (clusterBuffer_.size() != clusterSize) {
    try {
      clusterBuffer_.resize(clusterSize);
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
  accumulator->Reset();
  path_.push_back(firstCluster);

  FatTable* table = analyzer_.Table();
  const uint64_t totalSectors = analyzer_.HeldSectors();
  // A chain can pass each cluster of the volume once; one that comes back to a cluster loops.
  FatChainGuard guard(std::min(analyzer_.ClusterCount() + 1, analyzer_.ClusterMask()));
  uint32_t cluster = firstCluster;
  while (!StopRequested()) {
    const uint64_t sector = analyzer_.ClusterToSector(cluster);
    // Damaged tables can point past the data area; what lies there is no directory of this volume.
    if (sector >= totalSectors || !guard.FirstVisit(cluster)) break;
    if (analyzer_.visited_.Contains(sector)) {
      ReportLinkedAgain(cluster, inheritedDeleted);
      break;
    }
    analyzer_.visited_.Add(sector);
    if (analyzer_.ReadVolumeCluster(sector, clusterBuffer_.data(), clusterSize, nullptr, false,
                                    true)) {
      if (!ParseDirectoryBuffer(clusterBuffer_, *accumulator, inheritedDeleted, parentNode,
                                parentFolder))
        break;
    } else if (!ParseReadableSectors(sector, *accumulator, inheritedDeleted, parentNode,
                                     parentFolder)) {
      break;
    }
    cluster = table != nullptr ? table->GetEntry(cluster) : 0;
    if (cluster < 2 || table->IsEndOfChain(cluster) || table->IsBad(cluster)) break;
  }

  path_.pop_back();
  CountChainForRepaint();
  return true;
}

bool FatDirectoryScan::ParseReadableSectors(uint64_t sector, LongNameAccumulator& accumulator,
                                            bool inheritedDeleted, TreeNode parentNode,
                                            FolderItem* parentFolder) {
  // A buffer of this level's own: the shared one is read over by the directories found here.
  std::vector<uint8_t> buffer;
  try {
    buffer.resize(analyzer_.BytesPerCluster());
  } catch (const std::bad_alloc&) {
    return false;
  }
  const std::vector<ReadStretch> stretches =
      ReadDirectorySectors(analyzer_, sector, analyzer_.SectorsPerCluster(), buffer);
  if (!ParseReadStretches(buffer, stretches, accumulator, inheritedDeleted, parentNode,
                          parentFolder))
    return false;
  // A long name does not continue across a sector that could not be read.
  if (stretches.empty() || stretches.back().offset + stretches.back().bytes != buffer.size())
    accumulator.Reset();
  return true;
}

bool FatDirectoryScan::ParseReadStretches(std::span<const uint8_t> buffer,
                                          const std::vector<ReadStretch>& stretches,
                                          LongNameAccumulator& accumulator, bool inheritedDeleted,
                                          TreeNode parentNode, FolderItem* parentFolder) {
  size_t expected = 0;
  for (const ReadStretch& stretch : stretches) {
    // A long name does not continue across a sector that could not be read.
    if (stretch.offset != expected) accumulator.Reset();
    expected = stretch.offset + stretch.bytes;
    if (!ParseDirectoryBuffer(buffer.subspan(stretch.offset, stretch.bytes), accumulator,
                              inheritedDeleted, parentNode, parentFolder))
      return false;
  }
  return true;
}

void FatDirectoryScan::TakeLongNamePiece(DirEntry entry, bool entryDeleted,
                                         LongNameAccumulator& accumulator) {
  const uint8_t checksum = entry[kChecksumOffset];
  const bool lastPiece = (entry[kSequenceOffset] & kLastPieceFlag) != 0;
  if (!entryDeleted) {
    // A live name starts at its last piece; a piece of another name ends the one collected.
    if (checksum != accumulator.Checksum() || lastPiece) accumulator.Reset();
  } else if (checksum != accumulator.Checksum()) {
    accumulator.Reset();
  } else if (accumulator.HasCharacters() && !LongNameAccumulator::IsFullPiece(entry)) {
    // Deleted pieces lost their sequence byte; only a piece with a terminator or padding
    // shows that a new name begins here.
    accumulator.Reset();
  }
  if (accumulator.Checksum() != checksum) {
    if (!entryDeleted && !lastPiece) return;
    accumulator.SetChecksum(checksum);
  }
  accumulator.Prepend(entry);
}

bool FatDirectoryScan::ParseDirectoryBuffer(std::span<const uint8_t> buffer,
                                            LongNameAccumulator& accumulator, bool inheritedDeleted,
                                            TreeNode parentNode, FolderItem* parentFolder) {
  bool result = true;
  std::vector<PendingDirectory> pending;
  const uint32_t clusterCount = analyzer_.ClusterCount();
  const uint32_t clusterMask = analyzer_.ClusterMask();
  const size_t entries = buffer.size() / kEntrySize;
  for (size_t i = 0; i < entries; ++i) {
    if (StopRequested()) {
      result = false;
      break;
    }
    const DirEntry entry(buffer.data() + i * kEntrySize, kEntrySize);
    if (entry[0] == kEndMarker) break;
    const bool entryDeleted = IsDeletedEntry(entry);
    bool isLongName = false;
    if (!IsValidEntry(entry, clusterCount, clusterMask, &isLongName, nullptr)) {
      accumulator.Reset();
      result = false;
      break;
    }
    if (isLongName) {
      TakeLongNamePiece(entry, entryDeleted, accumulator);
      continue;
    }
    const uint8_t attributes = entry[kAttributesOffset];
    if ((attributes & kAttrVolumeLabel) != 0) {
      accumulator.Reset();
      continue;
    }
    if (accumulator.HasCharacters() && !entryDeleted &&
        ShortNameChecksum(entry) != accumulator.Checksum())
      accumulator.Reset();

    std::string longName = accumulator.HasCharacters() ? LongNameText(accumulator) : std::string();
    std::string firstCharacter;
    if (entryDeleted)
      firstCharacter = longName.empty() ? kUnknownFirstCharacter : UpperFirstCharacter(longName);
    EntryItem item{entry, longName.empty() ? ShortNameText(entry, firstCharacter) : std::move(longName),
                   analyzer_.MaskCluster(EntryFirstCluster(entry)), inheritedDeleted || entryDeleted};
    accumulator.Reset();

    if ((attributes & kAttrDirectory) == 0) {
      AddFile(item, parentNode, parentFolder);
    } else if (item.firstCluster != 0 && !IsOnTopOfPath(item.firstCluster) && item.name != "." &&
               item.name != "..") {
      AddDirectory(item, parentNode, parentFolder, pending);
    }
  }

  if (StopRequested()) return false;
  for (PendingDirectory& directory : pending) {
    if (StopRequested()) return false;
    if (directory.deleted && deferDeleted_) {
      directory.depth = Depth();
      try {
        deferred_.push_back(std::move(directory));
      } catch (const std::bad_alloc&) {
        // Without room to wait, it is scanned now.
        ScanDirectoryChain(directory.firstCluster, true, directory.node, directory.folder.get());
      }
      continue;
    }
    ScanDirectoryChain(directory.firstCluster, directory.deleted, directory.node,
                       directory.folder.get());
  }
  return result;
}

void FatDirectoryScan::AddFile(const EntryItem& item, TreeNode parentNode,
                               FolderItem* parentFolder) {
  const uint32_t id = analyzer_.nextId_++;
  const LeReader reader(item.entry);
  const uint64_t created = times_.Convert(reader.U16(kCreateDateOffset),
                                          reader.U16(kCreateTimeOffset), item.entry[kCreateTenthsOffset]);
  const uint64_t modified =
      times_.Convert(reader.U16(kWriteDateOffset), reader.U16(kWriteTimeOffset), 0);
  const uint8_t deleted = item.deleted ? 1 : 0;
  if (!item.deleted && item.firstCluster >= 2) liveFileClusters_.push_back(item.firstCluster);
  {
    WriteLockGuard lock(context_.storeLock);
    if (parentFolder != nullptr)
      parentFolder->AddFile(id, ItemLocation(kLocationKindCluster, item.firstCluster, deleted),
                            item.name.c_str(), EntrySize(item.entry), created, modified, deleted);
  }
  if (item.deleted && parentFolder != nullptr)
    parentFolder->MarkContainsDeleted(context_.folderTree, context_.notifySink, context_.shownNode);
  if (context_.notifySink != nullptr && IsShown(parentNode))
    context_.notifySink->Send(kMsgFolderChanged, parentNode, 0);
}

void FatDirectoryScan::AddDirectory(const EntryItem& item, TreeNode parentNode,
                                    FolderItem* parentFolder, std::vector<PendingDirectory>& pending) {
  const uint32_t id = analyzer_.nextId_++;
  const LeReader reader(item.entry);
  const uint8_t deleted = item.deleted ? 1 : 0;
  FolderRef folder(new FolderItem(id, ItemLocation(kLocationKindCluster, item.firstCluster, deleted)));
  folder->SetCreated(times_.Convert(reader.U16(kCreateDateOffset), reader.U16(kCreateTimeOffset),
                                    item.entry[kCreateTenthsOffset]));
  folder->SetModified(times_.Convert(reader.U16(kWriteDateOffset), reader.U16(kWriteTimeOffset), 0));
  folder->SetDeleted(deleted);
  context_.itemStore.Insert(id, folder.get());
  const TreeNode node = folder->InsertUnder(item.name, item.deleted, parentFolder, context_.folderTree,
                                            context_.shownNode, context_.notifySink);
  if (item.deleted && parentFolder != nullptr)
    parentFolder->MarkContainsDeleted(context_.folderTree, context_.notifySink, context_.shownNode);
  if (node != kNoNode && !expanded_) {
    context_.folderTree.Expand(parentNode);
    expanded_ = true;
  }
  pending.push_back(PendingDirectory{item.firstCluster, item.deleted, node, std::move(folder)});
}

}  // namespace orvande
