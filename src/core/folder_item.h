#pragma once
// One folder found on the volume: its own fields, the list of its files and its node(s) in the
// files tree. Reference-counted (starts at 1, deletes itself when Release brings it to 0).
//
// Threads: AddRef/Release from any thread. The file list is changed only under the write side
// of the store lock and read under its read side. Fields and nodes are changed by the analysis
// worker only (or while no worker runs).
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "core/file_record.h"
#include "core/folder_tree.h"
#include "core/item_location.h"
#include "core/ports.h"

namespace orvande {

class ItemStore;

// Fixed ids of the synthetic folders.
inline constexpr uint32_t kLostAndFoundId = 0xFFFFFFFE;
inline constexpr uint32_t kImagesFolderId = 0xFFFFFFFD;
inline constexpr uint32_t kLostRecordsFolderId = 0xFFFFFFFC;

class FolderItem {
 public:
  explicit FolderItem(uint32_t id);
  FolderItem(uint32_t id, const ItemLocation& location);
  FolderItem(const FolderItem&) = delete;
  FolderItem& operator=(const FolderItem&) = delete;

  void AddRef();
  void Release();
  // The current count, for tests and diagnostics.
  uint32_t RefCount() const { return refs_.load(std::memory_order_relaxed); }

  uint32_t Id() const { return id_; }
  uint8_t Deleted() const { return deleted_; }
  void SetDeleted(uint8_t deleted) { deleted_ = deleted; }
  uint64_t Created() const { return created_; }
  void SetCreated(uint64_t time) { created_ = time; }
  uint64_t Modified() const { return modified_; }
  void SetModified(uint64_t time) { modified_ = time; }
  const ItemLocation& Location() const { return location_; }
  void SetLocation(const ItemLocation& location) { location_ = location; }

  // ---- Files. Writers hold the store lock's write side, readers its read side.

  // Appends a record with probability 3 and hidden 0. False, and nothing added, when the name
  // is missing (null).
  bool AddFile(uint32_t id, const ItemLocation& location, const char* name, uint64_t size,
               uint64_t created, uint64_t modified, uint8_t deleted);
  // The first record with that id; either out pointer may be null.
  bool FindFile(uint32_t fileId, ItemLocation* location, uint64_t* size) const;
  const FileRecord* FindRecord(uint32_t fileId) const;
  FileRecord* FindRecord(uint32_t fileId);
  // Sets the first record with that id.
  void SetFileProbability(uint32_t fileId, uint32_t value);
  // Replaces the location of the first record with that id; false when there is none.
  bool SetFileLocation(uint32_t fileId, const ItemLocation& location);
  bool HasDeletedFiles() const;
  // On: every live record gets hidden 1. Off: every record gets hidden 0.
  void SetFilter(bool on);
  // The records in the order added.
  const std::vector<FileRecord>& Files() const { return files_; }
  std::vector<FileRecord>& MutableFiles() { return files_; }

  // ---- Tree nodes.

  // A top-level node (image 3 when deleted, else 1) placed after `insertAfter` (kNoNode: last),
  // added to this folder's nodes. kNoNode on failure.
  TreeNode InsertAtTop(std::string_view name, bool deleted, FolderTree& tree, TreeNode insertAfter);
  // One child node, sorted, under every node of the parent folder; each is added to this folder's
  // nodes, and message 2035 (shown node, new node) goes out for a parent node that is the shown
  // node. Returns the last node made; kNoNode when the parent has no node or an insertion failed.
  TreeNode InsertUnder(std::string_view name, bool deleted, FolderItem* parent, FolderTree& tree,
                       const ShownNode* shown, NotifySink* notify);

  // False only when memory runs out (the node then stays unregistered).
  bool AddNode(TreeNode node);
  // Removes the first equal entry.
  void RemoveNode(TreeNode node);
  bool HasNode(TreeNode node) const;
  bool HasNoNodes() const;
  // 1 while the folder has never needed a list of nodes.
  bool SingleNode() const { return nodeList_ == nullptr; }
  // The first node, kNoNode when none.
  TreeNode FirstNode() const;
  // The nodes in order, empty entries left out.
  std::vector<TreeNode> Nodes() const;
  size_t NodeCount() const;

  // From every node of the folder up to the top: image 1 becomes 4; whenever a node's parent is
  // the shown node and there is a notify sink, message 2036 (shown node, that node).
  void MarkContainsDeleted(FolderTree& tree, NotifySink* notify, const ShownNode* shown);
  // For a folder with at most one node that stays at the top level: inserts it last when it has
  // no node; otherwise renames its node (image 1 when not deleted) and marks it when something
  // deleted lies below. Returns the folder's node (kNoNode on failure or with several nodes).
  TreeNode SetTopName(std::string_view name, bool deleted, FolderTree& tree, NotifySink* notify,
                      const ShownNode* shown);
  // For a folder with exactly one node: re-creates its subtree under every node of newParent
  // with the new name and removes the old subtree. A null newParent keeps the folder at the top
  // (SetTopName). A new parent that lies inside the folder's own subtree would make a cycle:
  // the folder is only renamed in place and false is returned.
  bool MoveTo(std::string_view newName, bool deleted, FolderItem* newParent, FolderTree& tree,
              ItemStore& store, const ShownNode* shown, NotifySink* notify);
  // Depth first: each node of the subtree is removed from its folder (found in the store by the
  // node's data), the folder is dropped from the store when asked and it has no node left, and
  // the tree node is deleted.
  static void RemoveSubtree(TreeNode node, FolderTree& tree, ItemStore& store,
                            bool dropEmptyFolders);

 private:
  ~FolderItem();  // through Release only
  uint32_t MovedImage(bool deleted, const FolderTree& tree) const;
  void CopySubtree(TreeNode from, TreeNode toParent, std::string_view text, FolderTree& tree,
                   ItemStore& store, TreeNode* made);

  std::atomic<uint32_t> refs_{1};
  uint32_t id_;
  uint8_t deleted_ = 0;
  ItemLocation location_;
  uint64_t created_ = 0;
  uint64_t modified_ = 0;
  std::vector<FileRecord> files_;
  TreeNode node_ = kNoNode;                          // while nodeList_ is null
  std::unique_ptr<std::vector<TreeNode>> nodeList_;  // once a second node came
};

// Holds one reference to a folder and releases it on destruction. Not thread-safe itself.
class FolderRef {
 public:
  FolderRef() = default;
  // Takes over a reference the caller already holds (as Find and construction give).
  explicit FolderRef(FolderItem* adopted) : folder_(adopted) {}
  FolderRef(FolderRef&& other) noexcept : folder_(other.folder_) { other.folder_ = nullptr; }
  FolderRef& operator=(FolderRef&& other) noexcept;
  FolderRef(const FolderRef&) = delete;
  FolderRef& operator=(const FolderRef&) = delete;
  ~FolderRef() { reset(); }

  FolderItem* get() const { return folder_; }
  FolderItem* operator->() const { return folder_; }
  FolderItem& operator*() const { return *folder_; }
  explicit operator bool() const { return folder_ != nullptr; }
  void reset(FolderItem* adopted = nullptr);
  // Gives the reference back to the caller.
  FolderItem* release();

 private:
  FolderItem* folder_ = nullptr;
};

}  // namespace orvande
