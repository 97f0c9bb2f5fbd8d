#include "core/lost_and_found.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "common/jpeg_sample.h"
#include "common/port_doubles.h"
#include "core/found_file_result.h"
#include "core/item_store.h"
#include "core/read_write_lock.h"
#include "stub_analyzer.h"

namespace orvande {
namespace {

using test::SmallJpeg;
using test::StubAnalyzer;

TEST(FoundFileResultTest, RunsMergeWithTheLastRunOnly) {
  FoundFileResult result(0);
  result.AddRun(7, 5);
  EXPECT_EQ(result.Runs().Runs(), (std::vector<SectorRun>{{5, 7}}));
  result.AddSector(8);
  EXPECT_EQ(result.Runs().Runs(), (std::vector<SectorRun>{{5, 8}}));
  result.AddRun(20, 30);
  result.AddRun(6, 6);  // inside the first run but not the last: appended
  EXPECT_EQ(result.Runs().Runs(), (std::vector<SectorRun>{{5, 8}, {20, 30}, {6, 6}}));
  EXPECT_TRUE(result.Contains(25));
  EXPECT_FALSE(result.Contains(9));
}

class LostAndFoundTest : public ::testing::Test {
 protected:
  LostAndFoundTest() : context_{&stop_, &sink_, store_, tree_, &shown_, lock_, nullptr, nullptr} {
    root_ = tree_.Insert(kNoNode, InsertPlace::kLast, ".", kImageFolder, 1);
    other_ = tree_.Insert(kNoNode, InsertPlace::kLast, "zzz", kImageFolder, 2);
  }

  std::vector<std::string> NamesIn(uint32_t folderId) {
    std::vector<std::string> names;
    FolderRef folder = store_.FindRef(folderId);
    if (folder) {
      for (const FileRecord& file : folder->Files()) names.emplace_back(file.Name());
    }
    return names;
  }

  StopFlag stop_{0};
  test::RecordingNotifySink sink_;
  ItemStore store_;
  FolderTree tree_;
  ShownNode shown_{kNoNode};
  ReadWriteLock lock_{true};
  BuildTreeContext context_;
  TreeNode root_ = kNoNode;
  TreeNode other_ = kNoNode;
};

TEST_F(LostAndFoundTest, ImagesFoundByTheSweepAreNumberedInClusterOrder) {
  // 64 one-sector clusters; three images of different lengths, the first spanning 3 sectors.
  const std::vector<std::pair<uint32_t, std::vector<uint8_t>>> images = {
      {10, SmallJpeg(1200)}, {20, SmallJpeg(10)}, {40, SmallJpeg(700)}};
  std::vector<uint8_t> volume(64 * 512, 0);
  for (const auto& [sector, file] : images)
    std::memcpy(volume.data() + sector * 512, file.data(), file.size());
  StubAnalyzer analyzer(volume, 64);

  FindFileTypePlugin plugin;
  plugin.Load(REAL_TYPEPROBE);
  ASSERT_TRUE(plugin.IsReady());
  ImageSearch search;
  search.Prepare(plugin, nullptr);
  ASSERT_TRUE(search.IsOn());

  uint32_t nextId = 100;
  for (uint32_t sector = 0; sector < 64; ++sector)
    search.OnCluster(analyzer, volume.data() + sector * 512, 512, sector, nextId, context_, root_);
  EXPECT_EQ(nextId, 103u);

  EXPECT_EQ(NamesIn(kImagesFolderId),
            (std::vector<std::string>{"Image_1.jpg", "Image_2.jpg", "Image_3.jpg"}));
  FolderRef folder = store_.FindRef(kImagesFolderId);
  ASSERT_TRUE(folder);
  for (size_t i = 0; i < images.size(); ++i) {
    SCOPED_TRACE(i);
    const FileRecord& file = folder->Files()[i];
    const uint32_t first = images[i].first;
    const uint64_t size = images[i].second.size();
    EXPECT_EQ(file.id, 100 + i);
    EXPECT_EQ(file.size, size);
    EXPECT_EQ(file.deleted, 1);
    EXPECT_NE(file.modified, 0u);
    ASSERT_NE(file.location.Runs(), nullptr);
    EXPECT_EQ(file.location.Runs()->Runs(),
              (std::vector<SectorRun>{{first, first + static_cast<uint32_t>((size - 1) / 512)}}));
  }

  // "Lost&Found" sits right after the volume root, "Images" below it, both marked.
  const std::vector<TreeNode> top = tree_.Children(kNoNode);
  ASSERT_EQ(top.size(), 3u);
  EXPECT_EQ(top[0], root_);
  EXPECT_EQ(tree_.Text(top[1]), "Lost&Found");
  EXPECT_EQ(tree_.Data(top[1]), kLostAndFoundId);
  EXPECT_EQ(top[2], other_);
  const std::vector<TreeNode> below = tree_.Children(top[1]);
  ASSERT_EQ(below.size(), 1u);
  EXPECT_EQ(tree_.Text(below[0]), "Images");
  EXPECT_EQ(tree_.Image(top[1]), kImageHoldsDeleted);
  EXPECT_EQ(tree_.Image(below[0]), kImageHoldsDeleted);
  EXPECT_TRUE(tree_.IsExpanded(top[1]));
  EXPECT_EQ(tree_.Image(root_), kImageFolder);
  EXPECT_TRUE(store_.FindRef(kLostAndFoundId));
}

TEST_F(LostAndFoundTest, AnotherTypeMakesLostAndFoundButFilesNothing) {
  LostAndFound lf;
  FoundFileResult result(5);
  result.AddRun(3, 4);
  result.SetSize(900);
  EXPECT_EQ(AddFoundFile(lf, result, 7, context_, kNoNode), 0u);
  ASSERT_NE(lf.lostAndFoundNode, kNoNode);
  EXPECT_EQ(tree_.Children(kNoNode).back(), lf.lostAndFoundNode);  // no root given: last
  EXPECT_FALSE(tree_.HasChildren(lf.lostAndFoundNode));
  EXPECT_FALSE(store_.FindRef(kImagesFolderId));
  ASSERT_TRUE(store_.FindRef(kLostAndFoundId));
  EXPECT_TRUE(store_.FindRef(kLostAndFoundId)->Files().empty());
  EXPECT_EQ(tree_.Image(lf.lostAndFoundNode), kImageFolder);

  // A second call does not make a second folder.
  EXPECT_EQ(AddFoundFile(lf, result, 8, context_, kNoNode), 0u);
  EXPECT_EQ(tree_.Count(), 3u);
}

TEST_F(LostAndFoundTest, TheFileListIsToldWhenItShowsTheImagesFolder) {
  LostAndFound lf;
  FoundFileResult result(0);
  result.AddRun(3, 4);
  result.SetSize(900);
  ASSERT_EQ(AddFoundFile(lf, result, 7, context_, root_), 0u);
  EXPECT_EQ(sink_.Count(kMsgFolderChanged), 0u);

  shown_ = lf.imagesNode;
  ASSERT_EQ(AddFoundFile(lf, result, 8, context_, root_), 0u);
  EXPECT_EQ(sink_.Of(kMsgFolderChanged),
            (std::vector<test::SentMessage>{{kMsgFolderChanged, lf.imagesNode, 0}}));
  EXPECT_EQ(NamesIn(kImagesFolderId), (std::vector<std::string>{"Image_1.jpg", "Image_2.jpg"}));
}

}  // namespace
}  // namespace orvande
