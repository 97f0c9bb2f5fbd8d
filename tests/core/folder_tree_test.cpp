#include "core/folder_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvande {
namespace {

std::vector<std::string> Texts(const FolderTree& tree, TreeNode parent) {
  std::vector<std::string> texts;
  for (TreeNode n = tree.FirstChild(parent); n != kNoNode; n = tree.NextSibling(n)) {
    texts.push_back(tree.Text(n));
  }
  return texts;
}

TEST(FolderTreeTest, SortedInsertIgnoresCaseAndKeepsTiesInArrivalOrder) {
  FolderTree tree;
  const TreeNode root = tree.Insert(kNoNode, InsertPlace::kLast, ".", kImageFolder, 1);
  for (const char* name : {"beta", "Alpha", "gamma", "ALPHA", "alpha2", "Beta"}) {
    tree.Insert(root, InsertPlace::kSorted, name, kImageFolder, 0);
  }
  EXPECT_EQ(Texts(tree, root),
            (std::vector<std::string>{"Alpha", "ALPHA", "alpha2", "beta", "Beta", "gamma"}));
}

TEST(FolderTreeTest, InsertAfterAndFirstAtTheTopLevel) {
  FolderTree tree;
  const TreeNode a = tree.Insert(kNoNode, InsertPlace::kLast, "a", 1, 1);
  tree.Insert(kNoNode, InsertPlace::kLast, "c", 1, 3);
  tree.InsertAfter(kNoNode, a, "b", 1, 2);
  tree.Insert(kNoNode, InsertPlace::kFirst, "z", 1, 4);
  // An `after` that is not a sibling places the node last.
  const TreeNode stranger = tree.Insert(a, InsertPlace::kLast, "child", 1, 5);
  tree.InsertAfter(kNoNode, stranger, "y", 1, 6);
  EXPECT_EQ(Texts(tree, kNoNode), (std::vector<std::string>{"z", "a", "b", "c", "y"}));
}

TEST(FolderTreeTest, SiblingWalkStaysRightWhileSiblingsComeAndGo) {
  FolderTree tree;
  const TreeNode root = tree.Insert(kNoNode, InsertPlace::kLast, ".", 1, 1);
  std::vector<TreeNode> nodes;
  for (int i = 0; i < 50; ++i) {
    nodes.push_back(tree.Insert(root, InsertPlace::kLast, "n" + std::to_string(100 + i), 1, 0));
  }
  // Walk once so each node remembers its place, then shift every place.
  EXPECT_EQ(Texts(tree, root).size(), 50u);
  tree.Insert(root, InsertPlace::kFirst, "first", 1, 0);
  tree.Delete(nodes[10]);
  tree.Delete(nodes[11]);
  const std::vector<std::string> texts = Texts(tree, root);
  ASSERT_EQ(texts.size(), 49u);
  EXPECT_EQ(texts[0], "first");
  EXPECT_EQ(texts[10], "n109");
  EXPECT_EQ(texts[11], "n112");
  EXPECT_EQ(tree.NextSibling(nodes[9]), nodes[12]);
  EXPECT_EQ(tree.Children(root).size(), 49u);
}

TEST(FolderTreeTest, DeleteRemovesTheSubtreeAndInvalidatesItsHandles) {
  FolderTree tree;
  const TreeNode root = tree.Insert(kNoNode, InsertPlace::kLast, ".", 1, 1);
  const TreeNode a = tree.Insert(root, InsertPlace::kSorted, "a", 1, 2);
  const TreeNode b = tree.Insert(a, InsertPlace::kSorted, "b", 1, 3);
  const TreeNode c = tree.Insert(root, InsertPlace::kSorted, "c", 1, 4);
  ASSERT_TRUE(tree.Select(b));
  EXPECT_TRUE(tree.Delete(a));
  EXPECT_FALSE(tree.IsValid(a));
  EXPECT_FALSE(tree.IsValid(b));
  EXPECT_EQ(tree.Selected(), kNoNode);
  EXPECT_EQ(tree.Count(), 2u);
  EXPECT_EQ(tree.FirstChild(root), c);
  EXPECT_FALSE(tree.Delete(a));
  EXPECT_FALSE(tree.SetText(b, "x"));
  EXPECT_EQ(tree.Text(b), "");
  EXPECT_EQ(tree.Insert(b, InsertPlace::kLast, "under a dead node", 1, 0), kNoNode);
  EXPECT_FALSE(tree.Select(b));
}

TEST(FolderTreeTest, HandlesAreNotReusedAfterDeleteAll) {
  FolderTree tree;
  const TreeNode old = tree.Insert(kNoNode, InsertPlace::kLast, "old", 1, 1);
  const uint64_t paints = tree.InvalidateCount();
  tree.DeleteAll();
  EXPECT_GT(tree.InvalidateCount(), paints);
  EXPECT_EQ(tree.Count(), 0u);
  EXPECT_FALSE(tree.IsValid(old));
  const TreeNode fresh = tree.Insert(kNoNode, InsertPlace::kLast, "new", 1, 2);
  EXPECT_NE(fresh, old);
  EXPECT_EQ(tree.Data(old), 0u);
  EXPECT_EQ(tree.Data(fresh), 2u);
}

TEST(FolderTreeTest, PathLeavesOutTheVolumeRoot) {
  FolderTree tree;
  const TreeNode root = tree.Insert(kNoNode, InsertPlace::kLast, ".", 1, 1);
  const TreeNode a = tree.Insert(root, InsertPlace::kSorted, "a", 1, 2);
  const TreeNode b = tree.Insert(a, InsertPlace::kSorted, "b b", 1, 3);
  const TreeNode lost = tree.Insert(kNoNode, InsertPlace::kLast, "Lost&Found", 1, 4);
  const TreeNode images = tree.Insert(lost, InsertPlace::kLast, "Images", 1, 5);
  EXPECT_EQ(tree.PathOf(b), "a/b b");
  EXPECT_EQ(tree.PathOf(root), "");
  EXPECT_EQ(tree.PathOf(images), "Lost&Found/Images");
  EXPECT_EQ(tree.PathOf(kNoNode), "");
}

// Calls back into the tree from every notification: a notification sent while the tree's
// mutex is held would deadlock here.
class ReenteringObserver : public FolderTreeObserver {
 public:
  explicit ReenteringObserver(FolderTree& tree) : tree_(tree) {}
  void NodeInserted(TreeNode, TreeNode node) override { log.push_back("+" + tree_.Text(node)); }
  void NodeRemoved(TreeNode, TreeNode node) override {
    log.push_back(tree_.IsValid(node) ? "-still" : "-gone");
  }
  void NodeChanged(TreeNode node) override { log.push_back("~" + tree_.Text(node)); }
  void Invalidated() override { log.push_back("repaint " + std::to_string(tree_.Count())); }
  std::vector<std::string> log;

 private:
  FolderTree& tree_;
};

TEST(FolderTreeTest, ObserverIsToldAfterEachChange) {
  FolderTree tree;
  ReenteringObserver observer(tree);
  tree.SetObserver(&observer);
  const TreeNode a = tree.Insert(kNoNode, InsertPlace::kLast, "a", 1, 1);
  tree.SetText(a, "b");
  tree.SetRedraw(false);
  tree.SetRedraw(false);
  tree.SetRedraw(true);
  tree.Delete(a);
  tree.SetObserver(nullptr);
  tree.Insert(kNoNode, InsertPlace::kLast, "unseen", 1, 1);
  EXPECT_EQ(observer.log, (std::vector<std::string>{"+a", "~b", "repaint 1", "-gone"}));
}

}  // namespace
}  // namespace orvande
