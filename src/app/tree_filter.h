#pragma once
// The files tree's deleted-content filter: hides every folder that is neither deleted nor holds
// something deleted, and puts them back when turned off. Used from the user-interface thread
// only, while no worker changes the tree.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/folder_tree.h"

namespace orvande {

class ItemStore;
class ReadWriteLock;
class StatusTextSink;

class FilesTreeFilter {
 public:
  // status may be null.
  FilesTreeFilter(FolderTree& tree, ItemStore& store, ReadWriteLock& storeLock, ShownNode& shown,
                  StatusTextSink* status);
  FilesTreeFilter(const FilesTreeFilter&) = delete;
  FilesTreeFilter& operator=(const FilesTreeFilter&) = delete;

  bool IsOn() const { return on_; }
  // Turns it on when off and off when on; returns the new state.
  bool Toggle();
  // Each does nothing when the filter is already in that state. The shown folder becomes kNoNode
  // when it is hidden (or otherwise no longer a node afterwards).
  void TurnOn();
  void TurnOff();
  // How many folder nodes are hidden now, subtrees included.
  size_t HiddenCount() const { return saved_.size(); }

 private:
  // One hidden node, in pre-order: depth 0 is the top of a hidden subtree, whose parent stayed.
  struct SavedNode {
    TreeNode parent = kNoNode;  // for depth 0 only
    size_t depth = 0;
    std::string text;
    uint32_t image = 0;
    uint32_t data = 0;
  };

  void HideOrdinaryFolders();
  void SaveSubtree(TreeNode parent, TreeNode top);
  void RestoreSavedNodes();
  TreeNode Restore(const SavedNode& saved, TreeNode parent, InsertPlace place);
  // Sets the hidden flag of the live files in every folder whose node holds deleted content.
  void MarkFolders(bool filtered);
  void ShowStatus(const std::string& text);
  void ForgetInvalidShownFolder();

  FolderTree& tree_;
  ItemStore& store_;
  ReadWriteLock& storeLock_;
  ShownNode& shown_;
  StatusTextSink* status_;
  bool on_ = false;
  std::vector<SavedNode> saved_;
};

}  // namespace orvande
