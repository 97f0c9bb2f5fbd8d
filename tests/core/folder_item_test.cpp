#include "core/folder_item.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "common/port_doubles.h"
#include "core/item_store.h"
#include "core/read_write_lock.h"

namespace orvande {
namespace {

using test::RecordingNotifySink;
using test::SentMessage;

class FolderItemTest : public ::testing::Test {
 protected:
  // A folder registered in the store, as the analyzers make them; the store keeps it alive.
  FolderItem* NewFolder(uint32_t id, bool deleted = false) {
    FolderRef folder(new FolderItem(id, ItemLocation(0, id * 100)));
    folder->SetDeleted(deleted ? 1 : 0);
    store.Insert(id, folder.get());
    return folder.get();
  }
  FolderItem* NewTopFolder(uint32_t id, const char* name, bool deleted = false) {
    FolderItem* folder = NewFolder(id, deleted);
    EXPECT_NE(folder->InsertAtTop(name, deleted, tree, kNoNode), kNoNode);
    return folder;
  }
  FolderItem* NewChild(uint32_t id, const char* name, FolderItem* parent, bool deleted = false) {
    FolderItem* folder = NewFolder(id, deleted);
    EXPECT_NE(folder->InsertUnder(name, deleted, parent, tree, &shown, &sink), kNoNode);
    return folder;
  }
  std::vector<std::string> ChildTexts(TreeNode node) {
    std::vector<std::string> texts;
    for (TreeNode n : tree.Children(node)) texts.push_back(tree.Text(n));
    return texts;
  }

  ItemStore store;
  FolderTree tree;
  ShownNode shown{kNoNode};
  RecordingNotifySink sink;
};

TEST_F(FolderItemTest, FileListOperations) {
  FolderRef folder(new FolderItem(1));
  EXPECT_FALSE(folder->AddFile(2, ItemLocation(0, 5), nullptr, 10, 1, 2, 0));
  EXPECT_TRUE(folder->Files().empty());
  ASSERT_TRUE(folder->AddFile(2, ItemLocation(0, 5), "live.txt", 10, 1, 2, 0));
  ASSERT_TRUE(folder->AddFile(3, ItemLocation(0, 6), "gone.txt", 20, 1, 2, 1));
  ASSERT_TRUE(folder->AddFile(3, ItemLocation(0, 7), "twin.txt", 30, 1, 2, 1));
  EXPECT_TRUE(folder->HasDeletedFiles());
  EXPECT_EQ(folder->Files()[0].probability, kProbabilityUnknown);
  EXPECT_EQ(folder->Files()[0].hidden, 0);

  // Operations by id hit the first record with that id.
  ItemLocation location;
  uint64_t size = 0;
  ASSERT_TRUE(folder->FindFile(3, &location, &size));
  EXPECT_EQ(location.Position(), 6u);
  EXPECT_EQ(size, 20u);
  EXPECT_FALSE(folder->FindFile(4, &location, &size));
  folder->SetFileProbability(3, kProbabilityPoor);
  EXPECT_EQ(folder->Files()[1].probability, kProbabilityPoor);
  EXPECT_EQ(folder->Files()[2].probability, kProbabilityUnknown);
  EXPECT_TRUE(folder->SetFileLocation(3, ItemLocation(1, 0x10006)));
  EXPECT_EQ(folder->Files()[1].location, ItemLocation(1, 0x10006));

  folder->SetFilter(true);
  EXPECT_EQ(folder->Files()[0].hidden, 1);
  EXPECT_EQ(folder->Files()[1].hidden, 0);
  folder->SetFilter(false);
  EXPECT_EQ(folder->Files()[0].hidden, 0);
}

TEST_F(FolderItemTest, InsertUnderAParentWithTwoNodesMakesTwoNodes) {
  FolderItem* root = NewTopFolder(1, ".");
  FolderItem* other = NewTopFolder(2, "other");
  FolderItem* parent = NewChild(3, "parent", root);
  ASSERT_TRUE(
      parent->AddNode(tree.Insert(other->FirstNode(), InsertPlace::kSorted, "parent", 1, 3)));
  const std::vector<TreeNode> parentNodes = parent->Nodes();
  ASSERT_EQ(parentNodes.size(), 2u);
  EXPECT_FALSE(parent->SingleNode());
  shown = parentNodes[1];
  sink.Clear();

  FolderItem* child = NewFolder(4, true);
  const TreeNode last = child->InsertUnder("child", true, parent, tree, &shown, &sink);
  const std::vector<TreeNode> childNodes = child->Nodes();
  ASSERT_EQ(childNodes.size(), 2u);
  EXPECT_EQ(last, childNodes[1]);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(tree.Parent(childNodes[i]), parentNodes[i]);
    EXPECT_EQ(tree.Text(childNodes[i]), "child");
    EXPECT_EQ(tree.Image(childNodes[i]), kImageDeletedFolder);
    EXPECT_EQ(tree.Data(childNodes[i]), 4u);
  }
  EXPECT_EQ(sink.Messages(), (std::vector<SentMessage>{{kMsgFolderChanged, parentNodes[1], last}}));

  // A parent without a node gives none.
  FolderRef orphanParent(new FolderItem(9));
  FolderItem* orphan = NewFolder(10);
  EXPECT_EQ(orphan->InsertUnder("x", false, orphanParent.get(), tree, &shown, &sink), kNoNode);
  EXPECT_TRUE(orphan->HasNoNodes());
}

TEST_F(FolderItemTest, MarkContainsDeletedTurnsOrdinaryAncestorsOnly) {
  FolderItem* root = NewTopFolder(1, ".");
  FolderItem* gone = NewChild(2, "gone", root, true);
  FolderItem* inner = NewChild(3, "inner", gone);
  shown = root->FirstNode();
  sink.Clear();

  inner->MarkContainsDeleted(tree, &sink, &shown);
  EXPECT_EQ(tree.Image(inner->FirstNode()), kImageHoldsDeleted);
  EXPECT_EQ(tree.Image(gone->FirstNode()), kImageDeletedFolder);
  EXPECT_EQ(tree.Image(root->FirstNode()), kImageHoldsDeleted);
  // The shown folder's child on the way up changed its look.
  EXPECT_EQ(
      sink.Messages(),
      (std::vector<SentMessage>{{kMsgFolderImageChanged, root->FirstNode(), gone->FirstNode()}}));

  // Without a shown node nothing is sent.
  shown = kNoNode;
  sink.Clear();
  inner->MarkContainsDeleted(tree, &sink, &shown);
  EXPECT_TRUE(sink.Messages().empty());
}

TEST_F(FolderItemTest, SetTopNameRenamesAPlaceholderAndKeepsDeletedContentVisible) {
  FolderItem* placeholder = NewTopFolder(5, "$$folder_5", true);
  NewChild(6, "deleted child", placeholder, true);
  const TreeNode node = placeholder->FirstNode();

  EXPECT_EQ(placeholder->SetTopName(".", false, tree, &sink, &shown), node);
  EXPECT_EQ(tree.Text(node), ".");
  EXPECT_EQ(tree.Image(node), kImageHoldsDeleted);

  FolderItem* fresh = NewFolder(7);
  const TreeNode made = fresh->SetTopName("top", true, tree, &sink, &shown);
  EXPECT_EQ(tree.Children(kNoNode).back(), made);
  EXPECT_EQ(tree.Image(made), kImageDeletedFolder);
}

TEST_F(FolderItemTest, MoveToRecreatesTheSubtreeUnderEveryParentNode) {
  FolderItem* root = NewTopFolder(1, ".");
  FolderItem* other = NewTopFolder(2, "other");
  FolderItem* target = NewChild(3, "target", root);
  target->AddNode(tree.Insert(other->FirstNode(), InsertPlace::kSorted, "target", 1, 3));
  NewChild(4, "b-sibling", target);
  FolderItem* placeholder = NewTopFolder(20, "$$folder_20", true);
  FolderItem* child = NewChild(21, "kid", placeholder);
  FolderItem* grandchild = NewChild(22, "grandkid", child, true);
  child->MarkContainsDeleted(tree, &sink, &shown);
  tree.Expand(child->FirstNode());
  ASSERT_TRUE(placeholder->AddFile(30, ItemLocation(0, 1), "lost.txt", 1, 0, 0, 1));
  const TreeNode oldNode = placeholder->FirstNode();
  const std::vector<TreeNode> targetNodes = target->Nodes();
  shown = targetNodes[0];
  sink.Clear();

  ASSERT_TRUE(placeholder->MoveTo("Real", false, target, tree, store, &shown, &sink));

  EXPECT_FALSE(tree.IsValid(oldNode));
  EXPECT_EQ(ChildTexts(kNoNode), (std::vector<std::string>{".", "other"}));
  const std::vector<TreeNode> moved = placeholder->Nodes();
  ASSERT_EQ(moved.size(), 2u);
  ASSERT_EQ(child->NodeCount(), 2u);
  ASSERT_EQ(grandchild->NodeCount(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(tree.Parent(moved[i]), targetNodes[i]);
    EXPECT_EQ(ChildTexts(targetNodes[i]), (std::vector<std::string>{"b-sibling", "Real"}));
    // The folder holds a deleted file: its node and the new parents show deleted content.
    EXPECT_EQ(tree.Image(moved[i]), kImageHoldsDeleted);
    EXPECT_EQ(tree.Image(targetNodes[i]), kImageHoldsDeleted);
    const TreeNode kid = child->Nodes()[i];
    EXPECT_EQ(tree.Parent(kid), moved[i]);
    EXPECT_EQ(tree.Text(kid), "kid");
    EXPECT_EQ(tree.Image(kid), kImageHoldsDeleted);
    EXPECT_TRUE(tree.IsExpanded(kid));
    EXPECT_EQ(tree.Parent(grandchild->Nodes()[i]), kid);
    EXPECT_EQ(tree.Image(grandchild->Nodes()[i]), kImageDeletedFolder);
  }
  EXPECT_EQ(sink.Of(kMsgFolderChanged),
            (std::vector<SentMessage>{{kMsgFolderChanged, targetNodes[0], moved[0]}}));
  // Empty folders are kept in the store.
  EXPECT_EQ(store.Size(), 7u);
}

TEST_F(FolderItemTest, MoveIntoItsOwnSubtreeOnlyRenames) {
  FolderItem* placeholder = NewTopFolder(20, "$$folder_20", true);
  FolderItem* child = NewChild(21, "kid", placeholder);
  const TreeNode node = placeholder->FirstNode();

  EXPECT_FALSE(placeholder->MoveTo("loop", false, child, tree, store, &shown, &sink));
  EXPECT_EQ(placeholder->FirstNode(), node);
  EXPECT_EQ(tree.Text(node), "loop");
  EXPECT_EQ(tree.Parent(child->FirstNode()), node);
  EXPECT_EQ(tree.Count(), 2u);

  // A parent whose only node is gone: the folder stays visible where it is.
  FolderItem* vanished = NewTopFolder(30, "vanished");
  tree.Delete(vanished->FirstNode());
  EXPECT_FALSE(placeholder->MoveTo("nowhere", false, vanished, tree, store, &shown, &sink));
  EXPECT_EQ(placeholder->FirstNode(), node);
  EXPECT_EQ(tree.Text(node), "nowhere");

  // To the top (no parent): renamed in place.
  EXPECT_TRUE(placeholder->MoveTo(".", false, nullptr, tree, store, &shown, &sink));
  EXPECT_EQ(tree.Text(node), ".");
}

TEST_F(FolderItemTest, RemoveSubtreeDropsOnlyFoldersLeftWithoutNodes) {
  FolderItem* root = NewTopFolder(1, ".");
  FolderItem* a = NewChild(2, "a", root);
  FolderItem* b = NewChild(3, "b", a);
  FolderItem* other = NewTopFolder(4, "other");
  b->AddNode(tree.Insert(other->FirstNode(), InsertPlace::kSorted, "b", 1, 3));

  FolderItem::RemoveSubtree(a->FirstNode(), tree, store, true);
  EXPECT_FALSE(store.FindRef(2));
  ASSERT_TRUE(store.FindRef(3));
  EXPECT_EQ(b->NodeCount(), 1u);
  EXPECT_EQ(tree.Parent(b->FirstNode()), other->FirstNode());
  EXPECT_FALSE(tree.HasChildren(root->FirstNode()));
}

// The analysis worker fills folders, files and the tree while the viewer reads them the way the
// file list does (files under the read side, folders through the store). Run under the thread
// sanitizer this shows the locking contract holds.
TEST_F(FolderItemTest, WorkerFillsWhileViewerReads) {
  ReadWriteLock storeLock(true);
  FolderItem* root = NewTopFolder(1, ".");
  shown = root->FirstNode();
  std::atomic<bool> done{false};
  std::thread worker([&] {
    for (uint32_t i = 0; i < 300; ++i) {
      FolderRef folder(new FolderItem(100 + i));
      store.Insert(100 + i, folder.get());
      folder->InsertUnder("dir" + std::to_string(i), false, root, tree, &shown, &sink);
      for (uint32_t f = 0; f < 5; ++f) {
        WriteLockGuard guard(storeLock);
        FolderItem* parent = (f % 2 == 0) ? root : folder.get();
        parent->AddFile(1000 + i * 5 + f, ItemLocation(0, f), "file.txt", f, 0, 0, f % 2);
      }
      folder->MarkContainsDeleted(tree, &sink, &shown);
    }
    done = true;
  });
  size_t filesSeen = 0;
  while (!done.load()) {
    for (TreeNode n = tree.FirstChild(root->FirstNode()); n != kNoNode; n = tree.NextSibling(n)) {
      FolderRef folder = store.FindRef(tree.Data(n));
      if (!folder) continue;
      ReadLockGuard guard(storeLock);
      for (const FileRecord& r : folder->Files()) filesSeen += r.Name().size() > 0 ? 1 : 0;
    }
  }
  worker.join();
  EXPECT_EQ(tree.Children(root->FirstNode()).size(), 300u);
  EXPECT_EQ(root->Files().size(), 900u);
  EXPECT_EQ(sink.Count(kMsgFolderChanged), 300u);
  (void)filesSeen;
}

}  // namespace
}  // namespace orvande
