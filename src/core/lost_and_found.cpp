#include "core/lost_and_found.h"

#include <string>

#include "core/found_file_result.h"
#include "core/item_store.h"
#include "core/ports.h"
#include "core/read_write_lock.h"
#include "core/volume_analyzer.h"
#include "core/volume_stream.h"
#include "platform/file_time.h"
#include "support/operation_log.h"
#include "support/result_codes.h"
#include "support/string_table.h"

namespace orvande {
namespace {

constexpr char kLostAndFoundName[] = "Lost&Found";
constexpr char kImagesName[] = "Images";
constexpr char kLostRecordsName[] = "Records";

// A synthetic folder: no location, both times `now`, not deleted.
FolderItem* NewSyntheticFolder(uint32_t id, uint64_t now) {
  auto* folder = new FolderItem(id);
  folder->SetCreated(now);
  folder->SetModified(now);
  folder->SetDeleted(0);
  return folder;
}

bool MakeLostAndFound(LostAndFound& lf, uint64_t now, const BuildTreeContext& context,
                      TreeNode volumeRootNode) {
  FolderItem* folder = NewSyntheticFolder(kLostAndFoundId, now);
  const TreeNode node =
      folder->InsertAtTop(kLostAndFoundName, false, context.folderTree, volumeRootNode);
  if (node == kNoNode) {
    folder->Release();
    return false;
  }
  context.itemStore.Insert(kLostAndFoundId, folder);
  folder->Release();  // the store keeps it for the rest of the tree build
  lf.lostAndFoundNode = node;
  lf.lostAndFoundFolder = folder;
  return true;
}

// A folder of "Lost&Found"; everything filed there is lost, hence deleted.
bool MakeLostFolder(LostAndFound& lf, uint32_t id, const char* name, uint64_t now,
                    const BuildTreeContext& context, TreeNode* madeNode, FolderItem** madeFolder) {
  FolderItem* folder = NewSyntheticFolder(id, now);
  const TreeNode node = folder->InsertUnder(name, false, lf.lostAndFoundFolder, context.folderTree,
                                            context.shownNode, context.notifySink);
  if (node == kNoNode) {
    folder->Release();
    return false;
  }
  context.itemStore.Insert(id, folder);
  folder->Release();
  *madeNode = node;
  *madeFolder = folder;
  lf.lostAndFoundFolder->MarkContainsDeleted(context.folderTree, context.notifySink,
                                             context.shownNode);
  folder->MarkContainsDeleted(context.folderTree, context.notifySink, context.shownNode);
  context.folderTree.Expand(lf.lostAndFoundNode);
  return true;
}

bool MakeImagesFolder(LostAndFound& lf, uint64_t now, const BuildTreeContext& context) {
  return MakeLostFolder(lf, kImagesFolderId, kImagesName, now, context, &lf.imagesNode,
                        &lf.imagesFolder);
}

void TellShownFolderChanged(TreeNode node, const BuildTreeContext& context) {
  if (context.notifySink != nullptr && context.shownNode != nullptr &&
      context.shownNode->load() == node) {
    context.notifySink->Send(kMsgFolderChanged, node, 0);
  }
}

}  // namespace

uint32_t AddFoundFile(LostAndFound& lostAndFound, FoundFileResult& result, uint32_t id,
                      const BuildTreeContext& context, TreeNode volumeRootNode) {
  const uint64_t now = platform::NowFileTime();
  if (lostAndFound.lostAndFoundNode == kNoNode &&
      !MakeLostAndFound(lostAndFound, now, context, volumeRootNode)) {
    return kStatusTreeInsertFailed;
  }
  // Only images have a folder of their own; other types are recognised but not filed.
  if (result.GetType() != typeprobe::kTypeJpeg) return kSuccess;
  if (lostAndFound.imagesNode == kNoNode && !MakeImagesFolder(lostAndFound, now, context))
    return kStatusTreeInsertFailed;

  ++lostAndFound.imageCounter;
  const std::string name = "Image_" + std::to_string(lostAndFound.imageCounter) + ".jpg";
  const ItemLocation location(result.Runs(), /*deleted=*/1);
  {
    WriteLockGuard guard(context.storeLock);
    lostAndFound.imagesFolder->AddFile(id, location, name.c_str(), result.GetSize(), now, now, 1);
  }
  TellShownFolderChanged(lostAndFound.imagesNode, context);
  return kSuccess;
}

uint32_t AddLostRecordFile(LostAndFound& lostAndFound, const LostRecordFile& file,
                           const BuildTreeContext& context, TreeNode volumeRootNode) {
  const uint64_t now = platform::NowFileTime();
  if (lostAndFound.lostAndFoundNode == kNoNode &&
      !MakeLostAndFound(lostAndFound, now, context, volumeRootNode)) {
    return kStatusTreeInsertFailed;
  }
  if (lostAndFound.recordsNode == kNoNode &&
      !MakeLostFolder(lostAndFound, kLostRecordsFolderId, kLostRecordsName, now, context,
                      &lostAndFound.recordsNode, &lostAndFound.recordsFolder)) {
    return kStatusTreeInsertFailed;
  }
  ItemLocation location = file.location;
  location.SetDeleted(file.deleted ? 1 : 0);
  {
    WriteLockGuard guard(context.storeLock);
    lostAndFound.recordsFolder->AddFile(file.id, location, file.name.c_str(), file.size,
                                        file.created, file.modified, file.deleted ? 1 : 0);
  }
  TellShownFolderChanged(lostAndFound.recordsNode, context);
  return kSuccess;
}

void ImageSearch::Prepare(FindFileTypePlugin& plugin, OperationLog* log) {
  plugin_ = &plugin;
  processors_.pairs.clear();
  lostAndFound_ = LostAndFound{};
  on_ = false;
  if (plugin.IsReady() || log == nullptr) {
    const uint32_t jpeg = typeprobe::kTypeJpeg;
    on_ = plugin.GetProcessorsForTypes(&jpeg, 1, processors_) && processors_.Count() >= 1;
    return;
  }
  log->AddIdLine(OperationLog::kWarning, strings::kIdCantInitTypeProbe);
}

void ImageSearch::OnCluster(VolumeAnalyzer& analyzer, const uint8_t* cluster, uint32_t clusterSize,
                            uint32_t firstSector, uint32_t& nextId, const BuildTreeContext& context,
                            TreeNode volumeRootNode) {
  if (!on_ || plugin_ == nullptr) return;
  const uint32_t type = plugin_->Recognise(processors_, cluster, clusterSize);
  if (type == typeprobe::kNoType) return;
  VolumeStream stream(analyzer, firstSector);
  FoundFileResult result(type);
  if (!plugin_->SearchFile(type, stream, result) || result.GetSize() == 0) return;
  const uint32_t id = nextId++;
  // A folder that cannot be made only loses this file; the sweep goes on.
  AddFoundFile(lostAndFound_, result, id, context, volumeRootNode);
}

}  // namespace orvande
