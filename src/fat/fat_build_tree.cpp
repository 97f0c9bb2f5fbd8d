#include <new>
#include <vector>

#include "core/folder_item.h"
#include "core/item_store.h"
#include "core/ports.h"
#include "fat/fat_analyzer.h"
#include "fat/fat_directory_scan.h"
#include "fat/fat_sweep.h"
#include "platform/file_time.h"
#include "support/result_codes.h"

namespace orvande {
namespace {

constexpr char kVolumeRootName[] = ".";

}  // namespace

uint32_t FatAnalyzer::BuildTree(const BuildTreeContext& context, OperationLog* log) {
  if (StopRequested(context.stop)) return kSuccess;
  if (table_ == nullptr) return kStatusNoDevice;  // never opened
  BadSectorScope badSectors(BadSectors(), log);
  nextId_ = 1;
  visited_.Clear();
  FatDirectoryScan scan(*this, context, log);

  // The first pass: the directory hierarchy from the root.
  const uint64_t now = platform::NowFileTime();
  FolderRef root(new FolderItem(nextId_++));
  root->SetCreated(now);
  root->SetModified(now);
  root->SetDeleted(0);
  context.itemStore.Insert(root->Id(), root.get());
  FolderTree& tree = context.folderTree;
  tree.SetRedraw(false);
  const TreeNode rootNode = root->InsertAtTop(kVolumeRootName, false, tree, kNoNode);
  tree.SetRedraw(true);
  if (rootNode == kNoNode) return kStatusTreeInsertFailed;
  tree.Select(rootNode);

  if (const uint32_t rootSectors = RootDirSectors(); rootSectors != 0) {
    std::vector<uint8_t> buffer;
    std::unique_ptr<LongNameAccumulator> accumulator;
    try {
      buffer.resize(static_cast<size_t>(rootSectors) * BytesPerSector());
      accumulator = std::make_unique<LongNameAccumulator>();
    } catch (const std::bad_alloc&) {
      return kErrOutOfMemory;
    }
    // One bad sector loses only its own entries: the rest of the root is parsed.
    const std::vector<ReadStretch> stretches =
        ReadDirectorySectors(*this, FirstRootDirSector(), rootSectors, buffer);
    if (!stretches.empty()) visited_.Add(FirstRootDirSector());
    scan.ParseReadStretches(buffer, stretches, *accumulator, false, rootNode, root.get());
  } else {
    scan.ScanDirectoryChain(MaskCluster(RootCluster()), false, rootNode, root.get());
  }
  scan.ScanDeferredDirectories();
  root.reset();
  if (context.progressBar != nullptr) context.progressBar->SetPosition(0);
  if (StopRequested(context.stop)) return kSuccess;

  // The second pass: every data cluster.
  FatSweep sweep(*this, context, scan, rootNode, log);
  return sweep.Run();
}

}  // namespace orvande
