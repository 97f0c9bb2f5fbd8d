#pragma once
// The "Lost&Found" folder of one tree build and the files the type search puts in it, plus the
// image search that the FAT sweep runs on every cluster. Used by the analysis worker only.
#include <cstdint>
#include <string>

#include "core/file_type_plugin.h"
#include "core/folder_item.h"
#include "core/folder_tree.h"
#include "core/item_location.h"

namespace orvande {

class FoundFileResult;
class OperationLog;
class VolumeAnalyzer;
struct BuildTreeContext;

struct LostAndFound {
  TreeNode lostAndFoundNode = kNoNode;
  FolderItem* lostAndFoundFolder = nullptr;  // not owned: the store holds it
  TreeNode imagesNode = kNoNode;
  FolderItem* imagesFolder = nullptr;
  uint32_t imageCounter = 0;
  TreeNode recordsNode = kNoNode;
  FolderItem* recordsFolder = nullptr;
};

// Files a found file: makes "Lost&Found" (and for type 0 "Images") on first use and adds
// "Image_%d.jpg". Returns 0 or kStatusTreeInsertFailed.
uint32_t AddFoundFile(LostAndFound& lostAndFound, FoundFileResult& result, uint32_t id,
                      const BuildTreeContext& context, TreeNode volumeRootNode);

// A file whose record still holds its data but no name, so that its folder is unknown too.
struct LostRecordFile {
  uint32_t id = 0;
  ItemLocation location;
  std::string name;
  uint64_t size = 0;
  uint64_t created = 0;
  uint64_t modified = 0;
  bool deleted = true;
};

// Files it in "Lost&Found/Records", making both folders on first use. Returns 0 or
// kStatusTreeInsertFailed.
uint32_t AddLostRecordFile(LostAndFound& lostAndFound, const LostRecordFile& file,
                           const BuildTreeContext& context, TreeNode volumeRootNode);

// The search for lost images over swept clusters.
class ImageSearch {
 public:
  // Turns the search on when the plug-in can recognise JPEG images; logs the plug-in warning
  // (string 61276) when it is missing or of another version and a log is given.
  void Prepare(FindFileTypePlugin& plugin, OperationLog* log);
  bool IsOn() const { return on_; }
  // Looks at one swept cluster that starts at volume sector `firstSector`; when a file starts
  // there, takes an id from `nextId` (post-incremented) and files it.
  void OnCluster(VolumeAnalyzer& analyzer, const uint8_t* cluster, uint32_t clusterSize,
                 uint32_t firstSector, uint32_t& nextId, const BuildTreeContext& context,
                 TreeNode volumeRootNode);

 private:
  FindFileTypePlugin* plugin_ = nullptr;
  ProcessorSet processors_;
  LostAndFound lostAndFound_;
  bool on_ = false;
};

}  // namespace orvande
