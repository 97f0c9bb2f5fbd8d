#pragma once
// An opened FAT analyzer over an in-memory image, with the store, tree, lock and port doubles a
// tree build needs, and lookups of folders and files by their files-tree path.
#include <memory>
#include <string>
#include <vector>

#include "common/memory_device.h"
#include "common/port_doubles.h"
#include "core/folder_item.h"
#include "core/item_store.h"
#include "core/read_write_lock.h"
#include "core/volume_analyzer.h"
#include "fat/fat_analyzer.h"
#include "support/operation_log.h"

namespace orvande::test {

class FatTestVolume {
 public:
  explicit FatTestVolume(std::vector<uint8_t> bytes);
  explicit FatTestVolume(std::shared_ptr<MemoryImage> image);
  ~FatTestVolume();

  bool Open(bool quiet = false);
  uint32_t Build();

  // "" is the volume root; "a/b" a folder below it; a top-level folder such as "$$folder_5" or
  // "Lost&Found" is reached with a leading "/".
  TreeNode Node(const std::string& path) const;
  FolderRef Folder(const std::string& path) const;
  // A copy of the file record at "folder/name" (or "name" in the root); null when absent.
  std::unique_ptr<FileRecord> File(const std::string& path) const;
  std::vector<std::string> FileNames(const std::string& folderPath) const;
  std::vector<std::string> FolderNames(const std::string& folderPath) const;
  std::vector<std::string> TopLevelNames() const;

  MemoryImage& Image() { return *image_; }
  MemorySectorDevice& Device() { return *device_; }

  FatAnalyzer analyzer;
  ItemStore store;
  FolderTree tree;
  ReadWriteLock lock{true};
  RecordingNotifySink notify;
  RecordingProgressBar progress;
  ShownNode shown{kNoNode};
  StopFlag stop{0};
  OperationLog log;
  BuildTreeContext context;

 private:
  std::shared_ptr<MemoryImage> image_;
  MemorySectorDevice* device_;  // one reference, held until destruction
};

}  // namespace orvande::test
