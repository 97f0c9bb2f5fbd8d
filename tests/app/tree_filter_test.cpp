// The deleted-content filter: turning it on and off gives the files tree back as it was (on a
// hand-built tree and on analysed corpus images), folders keep their node lists, live files are
// hidden only while it is on, and the shown folder is forgotten when it is hidden.
#include "app/tree_filter.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/frame_ports.h"
#include "analyzed_corpus.h"
#include "app/volume_analysis.h"
#include "core/folder_item.h"
#include "core/item_location.h"
#include "core/item_store.h"
#include "core/read_write_lock.h"

namespace orvande {
namespace {

// Every node in tree order with its depth, text, image and data; and whether each node is one of
// its folder's nodes and each folder lists no other.
std::string DumpTreeForTest(const FolderTree& tree, const ItemStore& store) {
  std::string dump;
  std::vector<std::pair<TreeNode, int>> pending;
  const std::vector<TreeNode> top = tree.Children(kNoNode);
  for (auto it = top.rbegin(); it != top.rend(); ++it) pending.emplace_back(*it, 0);
  std::map<uint32_t, size_t> nodesOfFolder;
  while (!pending.empty()) {
    const auto [node, depth] = pending.back();
    pending.pop_back();
    const uint32_t data = tree.Data(node);
    FolderRef folder = store.FindRef(data);
    const bool registered = folder && folder->HasNode(node);
    ++nodesOfFolder[data];
    dump += std::string(static_cast<size_t>(depth) * 2, ' ') + tree.Text(node) + " image " +
            std::to_string(tree.Image(node)) + " data " + std::to_string(data) +
            (registered ? "\n" : " (not in its folder's nodes)\n");
    const std::vector<TreeNode> children = tree.Children(node);
    for (auto it = children.rbegin(); it != children.rend(); ++it)
      pending.emplace_back(*it, depth + 1);
  }
  store.ForEach([&](uint32_t id, FolderItem* folder) {
    if (folder->NodeCount() != nodesOfFolder[id])
      dump += "folder " + std::to_string(id) + " lists " + std::to_string(folder->NodeCount()) +
              " nodes\n";
  });
  return dump;
}

class RecordingStatus final : public StatusTextSink {
 public:
  void ShowStatusText(const std::string& text) override { texts.push_back(text); }
  std::vector<std::string> texts;
};

class TreeFilterTest : public ::testing::Test {
 protected:
  // As an analysis places folders: top-level ones last, others by name. The folder with that id
  // gets one more node (several nodes for one folder happen on NTFS).
  TreeNode AddFolder(TreeNode parent, const char* name, uint32_t image, uint32_t id) {
    const InsertPlace place = parent == kNoNode ? InsertPlace::kLast : InsertPlace::kSorted;
    const TreeNode node = tree_.Insert(parent, place, name, image, id);
    if (FolderRef folder = store_.FindRef(id)) {
      folder->AddNode(node);
      return node;
    }
    auto* folder = new FolderItem(id);
    folder->AddNode(node);
    store_.Insert(id, folder);
    folder->Release();
    return node;
  }

  void AddFile(uint32_t folderId, const char* name, uint8_t deleted) {
    store_.FindRef(folderId)->AddFile(100, ItemLocation(0, 1, deleted), name, 1, 0, 0, deleted);
  }

  std::vector<uint8_t> HiddenFlags(uint32_t folderId) {
    std::vector<uint8_t> flags;
    for (const FileRecord& record : store_.FindRef(folderId)->Files())
      flags.push_back(record.hidden);
    return flags;
  }

  ItemStore store_;
  FolderTree tree_;
  ReadWriteLock lock_{true};
  ShownNode shown_{kNoNode};
  RecordingStatus status_;
};

TEST_F(TreeFilterTest, TurningItOnAndOffGivesTheTreeBack) {
  // A volume root that holds nothing deleted goes back first; everything else by name.
  const TreeNode volumeRoot = AddFolder(kNoNode, ".", kImageFolder, 1);
  AddFolder(volumeRoot, "b", kImageFolder, 2);
  AddFolder(AddFolder(volumeRoot, "D", kImageFolder, 3), "e", kImageFolder, 2);
  AddFolder(kNoNode, "$$folder_7", kImageDeletedFolder, 7);
  const TreeNode lostAndFound = AddFolder(kNoNode, "Lost&Found", kImageHoldsDeleted, 8);
  AddFolder(lostAndFound, "Images", kImageFolder, 9);
  const TreeNode kept = AddFolder(lostAndFound, "A", kImageDeletedFolder, 10);
  const TreeNode mixed = AddFolder(lostAndFound, "c", kImageHoldsDeleted, 11);
  AddFolder(mixed, "x", kImageFolder, 12);
  AddFolder(mixed, "Y", kImageDeletedFolder, 13);
  AddFolder(mixed, "z", 0, 14);
  AddFile(11, "live.txt", 0);
  AddFile(11, "gone.txt", 1);
  const std::string before = DumpTreeForTest(tree_, store_);

  FilesTreeFilter filter(tree_, store_, lock_, shown_, &status_);
  filter.TurnOn();
  EXPECT_TRUE(filter.IsOn());
  EXPECT_EQ(filter.HiddenCount(), 7u);  // ., b, D, e, Images, x, z
  EXPECT_EQ(tree_.Children(kNoNode).size(), 2u);
  EXPECT_TRUE(tree_.IsValid(kept));
  EXPECT_TRUE(store_.FindRef(2)->HasNoNodes());
  EXPECT_EQ(HiddenFlags(11), (std::vector<uint8_t>{1, 0}));
  EXPECT_TRUE(tree_.RedrawEnabled());

  filter.TurnOff();
  EXPECT_FALSE(filter.IsOn());
  EXPECT_EQ(filter.HiddenCount(), 0u);
  EXPECT_EQ(DumpTreeForTest(tree_, store_), before);
  EXPECT_EQ(HiddenFlags(11), (std::vector<uint8_t>{0, 0}));
  EXPECT_EQ(status_.texts,
            (std::vector<std::string>{"Filtering...", "", "Turn off filter...", ""}));
}

TEST_F(TreeFilterTest, TheShownFolderIsForgottenWhenHidden) {
  const TreeNode volumeRoot = AddFolder(kNoNode, ".", kImageHoldsDeleted, 1);
  const TreeNode ordinary = AddFolder(volumeRoot, "plain", kImageFolder, 2);
  const TreeNode deleted = AddFolder(volumeRoot, "gone", kImageDeletedFolder, 3);
  struct Case {
    TreeNode shown;
    TreeNode afterwards;
  };
  for (const Case& c : {Case{ordinary, kNoNode}, Case{deleted, deleted}}) {
    FilesTreeFilter filter(tree_, store_, lock_, shown_, nullptr);
    shown_.store(c.shown);
    filter.TurnOn();
    EXPECT_EQ(shown_.load(), c.afterwards);
    filter.TurnOff();
    EXPECT_EQ(shown_.load(), c.afterwards);
  }
}

class CorpusTreeFilterTest : public ::testing::TestWithParam<std::string> {};

TEST_P(CorpusTreeFilterTest, TurningItOnAndOffGivesTheTreeBack) {
  test::AnalyzedCorpus corpus(GetParam());
  ASSERT_TRUE(corpus.Built());
  VolumeAnalysis& analysis = corpus.Analysis();
  ItemStore& store = analysis.Store();
  FolderTree& tree = analysis.Tree();
  ReadWriteLock& lock = analysis.StoreLock();
  const std::string before = DumpTreeForTest(tree, store);

  FilesTreeFilter filter(tree, store, lock, analysis.Shown(), nullptr);
  filter.TurnOn();
  EXPECT_GT(filter.HiddenCount(), 0u);
  EXPECT_NE(DumpTreeForTest(tree, store), before);
  filter.TurnOff();
  EXPECT_EQ(DumpTreeForTest(tree, store), before);
}

INSTANTIATE_TEST_SUITE_P(Images, CorpusTreeFilterTest, ::testing::Values("fat16", "ntfs512"));

}  // namespace
}  // namespace orvande
