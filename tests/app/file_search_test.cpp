// Find and Find next: over an analysed corpus image, Find then Find next until the search comes
// round reaches exactly what a plain walk of the same tree matches, in the same order; and the
// command steps (busy, empty text, resuming, not found, cancel, the dialog's end message).
#include "app/file_search.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/every_match.h"
#include "app/name_match.h"
#include "analyzed_corpus.h"
#include "app/volume_analysis.h"
#include "common/port_doubles.h"
#include "core/folder_item.h"
#include "core/item_location.h"
#include "core/item_store.h"
#include "core/read_write_lock.h"

namespace orvande {
namespace {

std::string Line(const FolderTree& tree, TreeNode folder, const std::string* fileName) {
  const std::string path = tree.PathOf(folder);
  if (fileName == nullptr) return "d " + path;
  return "f " + (path.empty() ? *fileName : path + "/" + *fileName);
}

// What the search should reach: pre-order, each folder's name, then its files in their order.
std::vector<std::string> PlainWalk(const FolderTree& tree, const ItemStore& store,
                                   const NameQuery& query) {
  std::vector<std::string> lines;
  std::vector<TreeNode> pending;
  const std::vector<TreeNode> top = tree.Children(kNoNode);
  pending.assign(top.rbegin(), top.rend());
  while (!pending.empty()) {
    const TreeNode node = pending.back();
    pending.pop_back();
    const uint32_t image = tree.Image(node);
    const bool deletedFolder = image == 2 || image == kImageDeletedFolder;
    if ((!query.deletedOnly || deletedFolder) &&
        NameMatches(tree.Text(node), query.text, query.wholeName, query.matchCase))
      lines.push_back(Line(tree, node, nullptr));
    if (FolderRef folder = store.FindRef(tree.Data(node))) {
      for (const FileRecord& record : folder->Files()) {
        const std::string name(record.Name());
        if ((!query.deletedOnly || record.deleted != 0) &&
            NameMatches(name, query.text, query.wholeName, query.matchCase))
          lines.push_back(Line(tree, node, &name));
      }
    }
    const std::vector<TreeNode> children = tree.Children(node);
    pending.insert(pending.end(), children.rbegin(), children.rend());
  }
  return lines;
}

class CorpusFindTest : public ::testing::TestWithParam<std::string> {};

TEST_P(CorpusFindTest, FindNextReachesWhatAPlainWalkMatches) {
  test::AnalyzedCorpus corpus(GetParam());
  ASSERT_TRUE(corpus.Built());
  VolumeAnalysis& analysis = corpus.Analysis();
  ItemStore& store = analysis.Store();
  FolderTree& tree = analysis.Tree();
  ReadWriteLock& lock = analysis.StoreLock();

  const NameQuery queries[] = {
      {"*", false, false, false},      {"report", false, false, false},
      {"*.txt", false, false, false},  {"*_000?.*", false, false, false},
      {"RÉSUMÉ", false, false, false}, {"für", true, false, false},
      {"DOC", false, true, false},     {"*", false, false, true},
      {"*.txt", false, false, true},   {"no such name", false, false, false},
  };
  size_t matched = 0;
  for (const NameQuery& query : queries) {
    SCOPED_TRACE(query.text);
    std::vector<std::string> found;
    for (const MatchedItem& item : FindEveryMatch(tree, store, lock, query))
      found.push_back(Line(tree, item.folderNode, item.file ? &item.fileName : nullptr));
    const std::vector<std::string> expected = PlainWalk(tree, store, query);
    EXPECT_EQ(found, expected);
    matched += expected.empty() ? 0 : 1;
  }
  EXPECT_GE(matched, 8u);  // the table is not vacuous
}

INSTANTIATE_TEST_SUITE_P(Images, CorpusFindTest, ::testing::Values("fat16", "ntfs512"));

TEST(FindCommandTest, StepsOfFindAndFindNext) {
  ItemStore store;
  FolderTree tree;
  ReadWriteLock lock(true);
  const TreeNode root = tree.Insert(kNoNode, InsertPlace::kLast, ".", kImageHoldsDeleted, 1);
  const TreeNode docs = tree.Insert(root, InsertPlace::kLast, "docs", kImageFolder, 2);
  for (uint32_t id : {1u, 2u}) {
    auto* folder = new FolderItem(id);
    store.Insert(id, folder);
    folder->Release();
  }
  store.FindRef(2)->AddFile(3, ItemLocation(), "notes.txt", 1, 0, 0, 0);
  ShownNode shown{root};
  test::RecordingNotifySink dialog;
  const FileSearchContext context{tree, store, lock, &shown, nullptr, &dialog};
  FindState state;

  // Nothing happens while busy, nor for a cancelled dialog or an empty text.
  ASSERT_TRUE(BeginFind(state));
  EXPECT_FALSE(BeginFind(state));
  EXPECT_FALSE(PrepareFind(state, std::nullopt, root));
  EXPECT_FALSE(state.busy.load());
  EXPECT_FALSE(PrepareFindNext(state, root));  // nothing searched yet
  ASSERT_TRUE(BeginFind(state));
  EXPECT_FALSE(PrepareFind(state, FindSettings{"", true, true, true}, root));

  // Find leaves whole name and case off whatever is stored.
  ASSERT_TRUE(BeginFind(state));
  const FindSettings answer{"NOTES", false, true, true};
  const std::optional<FindSettings> stored = PrepareFind(state, answer, root);
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->lastSearchString, "NOTES");
  EXPECT_FALSE(state.query.wholeName || state.query.matchCase);
  RunFileSearch(state, context);
  FindOutcome outcome = FinishFind(state, root, false);
  EXPECT_EQ(outcome.action, FindAction::kSelectFileInFolder);
  EXPECT_EQ(outcome.folder, docs);
  EXPECT_TRUE(outcome.selectFolderNode);
  EXPECT_EQ(state.foundFileName, "notes.txt");
  EXPECT_EQ(dialog.Count(kMsgWorkerMessage), 1u);

  // Find next from elsewhere starts there with its name tested; from the stop it skips the name.
  ASSERT_TRUE(PrepareFindNext(state, root));
  EXPECT_FALSE(state.skipStartName);
  EXPECT_FALSE(PrepareFindNext(state, root));  // busy
  FinishFind(state, root, true);
  state.startNode = docs;
  ASSERT_TRUE(PrepareFindNext(state, docs));
  EXPECT_TRUE(state.skipStartName);
  shown.store(docs);  // the shown folder is left to the file list, which has no row here
  RunFileSearch(state, context);
  outcome = FinishFind(state, docs, false);
  EXPECT_EQ(outcome.action, FindAction::kNotFound);
  EXPECT_EQ(outcome.message, "Cannot find the file 'NOTES'.");
  EXPECT_FALSE(state.busy.load());

  // A cancelled search tells the dialog nothing and the front end does nothing.
  ASSERT_TRUE(PrepareFindNext(state, docs));
  state.cancel.store(true);
  RunFileSearch(state, context);
  EXPECT_EQ(dialog.Count(kMsgWorkerMessage), 2u);
  EXPECT_EQ(FinishFind(state, docs, true).action, FindAction::kNothing);
}

}  // namespace
}  // namespace orvande
