// Planning a recovery: the destination root as typed, the folder path of a files-tree node, and
// how chosen folders and files are grouped into jobs.
#include "app/recovery_plan.h"

#include <gtest/gtest.h>

namespace orvande {
namespace {

TEST(RecoveryPlan, DestinationRootIsTrimmedAndEndsWithASlash) {
  struct Case {
    const char* typed;
    const char* root;
  } cases[] = {
      {"out", "out/"}, {"  out\t", "out/"}, {"out/", "out/"}, {"/mnt/a b/", "/mnt/a b/"},
      {"", ""},        {" \t ", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(DestinationRoot(c.typed), c.root) << '"' << c.typed << '"';
}

class RecoveryPlanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = tree_.Insert(kNoNode, InsertPlace::kLast, ".", kImageFolder, 1);
    docs_ = tree_.Insert(root_, InsertPlace::kLast, "Docs", kImageFolder, 2);
    old_ = tree_.Insert(docs_, InsertPlace::kLast, "..", kImageFolder, 3);
    lost_ = tree_.Insert(kNoNode, InsertPlace::kLast, "$$folder_4", kImageFolder, 4);
  }

  static ChosenFile File(TreeNode folder, uint32_t folderId, uint32_t id) {
    return {folder, folderId, id, "f" + std::to_string(id)};
  }

  FolderTree tree_;
  TreeNode root_ = kNoNode;
  TreeNode docs_ = kNoNode;
  TreeNode old_ = kNoNode;
  TreeNode lost_ = kNoNode;
};

TEST_F(RecoveryPlanTest, FolderPathLeavesOutTheVolumeRootAndMakesNamesSafe) {
  EXPECT_EQ(NodeFolderPath(tree_, kNoNode), "");
  EXPECT_EQ(NodeFolderPath(tree_, root_), "");
  EXPECT_EQ(NodeFolderPath(tree_, docs_), "Docs/");
  EXPECT_EQ(NodeFolderPath(tree_, old_), "Docs/_../");
  EXPECT_EQ(NodeFolderPath(tree_, lost_), "$$folder_4/");
}

TEST_F(RecoveryPlanTest, JobsShareADestinationAndTheirFilesOneFolder) {
  ChosenItems chosen;
  chosen.folders = {old_, lost_};
  chosen.files = {File(docs_, 2, 20), File(docs_, 2, 21), File(root_, 1, 10)};
  struct Case {
    bool keepPlace;
    std::vector<std::string> destinations;
    std::vector<size_t> sizes;
  } cases[] = {
      // Both folders and the first folder's files go straight under the root; a file of
      // another folder needs a job of its own.
      {false, {"out/", "out/"}, {4, 1}},
      // Each keeps its place: the folders' parents, then the files' folders.
      {true, {"out/Docs/", "out/", "out/Docs/", "out/"}, {1, 1, 2, 1}},
  };
  for (const Case& c : cases) {
    RecoveryPlan plan(tree_, "out/");
    plan.AddChosen(chosen, c.keepPlace);
    std::vector<std::string> destinations;
    std::vector<size_t> sizes;
    for (const RecoveryJobPlan& job : plan.Jobs()) {
      destinations.push_back(job.destination);
      sizes.push_back(job.selection.size());
    }
    EXPECT_EQ(destinations, c.destinations) << c.keepPlace;
    EXPECT_EQ(sizes, c.sizes) << c.keepPlace;
  }
  RecoveryPlan plan(tree_, "out/");
  plan.AddChosen(chosen, false);
  EXPECT_EQ(plan.Jobs()[0].shownFolderId, 2u);
  EXPECT_TRUE(plan.Jobs()[0].selection[0].IsFolder());
  EXPECT_EQ(plan.Jobs()[0].selection[2].fileName, "f20");
  EXPECT_EQ(plan.Jobs()[1].shownFolderId, 1u);
}

}  // namespace
}  // namespace orvande
