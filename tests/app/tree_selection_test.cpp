// Choosing items of a files tree by path and by id: every item of a path, names without regard
// to case where the file system ignores it, and the top level for everything.
#include "app/tree_selection.h"

#include <gtest/gtest.h>

#include "core/folder_item.h"
#include "core/item_location.h"
#include "core/item_store.h"
#include "core/read_write_lock.h"

namespace orvande {
namespace {

class TreeSelectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = AddFolder(kNoNode, ".", 1);
    const TreeNode tripA = AddFolder(root_, "Trip", 10);
    const TreeNode tripB = AddFolder(root_, "Trip", 11);
    AddFolder(kNoNode, "$$folder_3", 20);
    AddFile(1, 100, "notes.txt");
    AddFile(1, 101, "notes.txt");
    AddFile(10, 102, "notes.txt");
    AddFile(11, 103, "NOTES.TXT");
    AddFile(20, 104, "lost.bin");
    (void)tripA;
    (void)tripB;
  }

  TreeNode AddFolder(TreeNode parent, const char* name, uint32_t id) {
    auto* folder = new FolderItem(id);
    TreeNode node = tree_.Insert(parent, InsertPlace::kLast, name, kImageFolder, id);
    folder->AddNode(node);
    store_.Insert(id, folder);
    folder->Release();
    return node;
  }

  void AddFile(uint32_t folderId, uint32_t id, const char* name) {
    store_.FindRef(folderId)->AddFile(id, ItemLocation(0, id, 1), name, 1, 0, 0, 1);
  }

  std::vector<uint32_t> FileIds(const ChosenItems& chosen) const {
    std::vector<uint32_t> ids;
    for (const ChosenFile& file : chosen.files) ids.push_back(file.fileId);
    return ids;
  }

  ItemStore store_;
  FolderTree tree_;
  ReadWriteLock lock_{true};
  TreeNode root_ = kNoNode;
};

TEST_F(TreeSelectionTest, PathsChooseEveryItemOfThatPath) {
  struct Case {
    const char* path;
    bool ignoreCase;
    size_t folders;
    std::vector<uint32_t> files;
  };
  for (const Case& c :
       {Case{"Trip", false, 2, {}}, Case{"./trip/", true, 2, {}}, Case{"trip", false, 0, {}},
        Case{"notes.txt", false, 0, {100, 101}}, Case{"Trip/notes.txt", false, 0, {102}},
        Case{"Trip/notes.txt", true, 0, {102, 103}}, Case{"$$folder_3/lost.bin", false, 0, {104}},
        Case{"", false, 1, {}}, Case{"Trip/none.txt", true, 0, {}}}) {
    SCOPED_TRACE(c.path);
    const ChosenItems chosen = ChooseByPath(tree_, store_, lock_, c.path, c.ignoreCase);
    EXPECT_EQ(chosen.folders.size(), c.folders);
    EXPECT_EQ(FileIds(chosen), c.files);
  }
}

TEST_F(TreeSelectionTest, IdsAndEverything) {
  EXPECT_EQ(FileIds(ChooseById(tree_, store_, lock_, 103)), std::vector<uint32_t>{103});
  EXPECT_EQ(ChooseById(tree_, store_, lock_, 11).folders.size(), 1u);
  EXPECT_TRUE(ChooseById(tree_, store_, lock_, 999).Empty());
  EXPECT_EQ(ChooseEverything(tree_).folders.size(), 2u);  // the root and the lost folder
}

}  // namespace
}  // namespace orvande
