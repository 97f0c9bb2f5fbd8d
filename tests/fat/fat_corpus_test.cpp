// Whole-volume checks on the corpus images that mkfs.fat and mtools made: every file and folder
// the manifest lists comes back at its path with its deleted state, size and time, and the
// orphaned JPEG images are found by their content.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <map>

#include "common/corpus.h"
#include "common/scoped_time_zone.h"
#include "core/file_type_plugin.h"
#include "core/lost_and_found.h"
#include "fat/fat_test_volume.h"
#include "platform/file_time.h"

namespace orvande::test {
namespace {

std::vector<uint8_t> ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  std::vector<uint8_t> bytes(static_cast<size_t>(in.tellg()));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

std::vector<std::string> Split(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    const size_t slash = path.find('/', start);
    parts.push_back(path.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  return parts;
}

class FatCorpusTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
#ifdef REAL_TYPEPROBE
    loadedHere_ = !TypePlugin().IsReady();
    if (loadedHere_) TypePlugin().Load(REAL_TYPEPROBE);
#endif
    corpus_ = &LoadCorpusImage(GetParam());
    volume_ = std::make_unique<FatTestVolume>(ReadWhole(corpus_->imagePath));
    ASSERT_TRUE(volume_->Open());
    ASSERT_EQ(volume_->Build(), 0u);
  }
  void TearDown() override {
    if (loadedHere_) TypePlugin().Unload();
  }

  // How the analyzer names a manifest path: names without long-name entries are shown as they
  // were written (the case flags of the short entry keep a lower-case base name or extension),
  // and a deleted one has lost its first character.
  std::string ShownPath(const std::string& path) const {
    std::string shown;
    std::string prefix;
    for (const std::string& part : Split(path)) {
      prefix += prefix.empty() ? part : "/" + part;
      const CorpusEntry* entry = corpus_->Find(prefix);
      std::string name = part;
      if (entry != nullptr && !entry->longName) {
        if (entry->deleted && !name.empty()) name = "?" + name.substr(1);
      }
      shown += shown.empty() ? name : "/" + name;
    }
    return shown;
  }

  std::unique_ptr<FileRecord> FindInLostDirectories(const std::string& name) const {
    for (const std::string& top : volume_->TopLevelNames()) {
      if (top.rfind("$$folder_", 0) != 0) continue;
      if (auto file = volume_->File("/" + top + "/" + name)) return file;
    }
    return nullptr;
  }

  static uint32_t ExpectedCluster(const CorpusEntry& entry) {
    return entry.firstClusterHighCleared ? entry.firstCluster & 0xFFFF : entry.firstCluster;
  }

  // The FAT times are local times; the generator wrote them with the zone set to UTC.
  test::ScopedTimeZone zone_{"UTC"};
  const CorpusImage* corpus_ = nullptr;
  std::unique_ptr<FatTestVolume> volume_;
  bool loadedHere_ = false;
};

TEST_P(FatCorpusTest, EveryListedEntryComesBackAtItsPath) {
  ASSERT_EQ(volume_->analyzer.BytesPerCluster(), corpus_->bytesPerCluster);
  ASSERT_EQ("FAT" + std::to_string(volume_->analyzer.FatWidth()), corpus_->fs);
  size_t checked = 0;
  for (const CorpusEntry& entry : corpus_->entries) {
    if (!entry.entryIntact || entry.IsStream()) continue;
    const std::string path = ShownPath(entry.path);
    SCOPED_TRACE(entry.path + " shown as " + path);
    if (entry.IsFolder()) {
      FolderRef folder = volume_->Folder(path);
      ASSERT_TRUE(folder) << "missing folder";
      EXPECT_EQ(folder->Deleted() != 0, entry.deleted);
      if (entry.firstCluster != 0) {
        EXPECT_EQ(folder->Location().Position(), ExpectedCluster(entry));
      }
      if (entry.deleted) {
        EXPECT_EQ(volume_->tree.Image(volume_->Node(path)), kImageDeletedFolder);
      }
    } else {
      std::unique_ptr<FileRecord> file = volume_->File(path);
      // A deleted folder's table chain is cleared: the walk reads its first cluster only, and
      // the sweep finds the later ones as lost directories.
      if (!file && entry.deleted) file = FindInLostDirectories(path.substr(path.rfind('/') + 1));
      ASSERT_TRUE(file) << "missing file";
      EXPECT_EQ(file->deleted != 0, entry.deleted);
      EXPECT_EQ(file->size, entry.size);
      EXPECT_EQ(file->location.Position(), ExpectedCluster(entry));
      if (entry.mtime) {
        int64_t seconds = 0;
        long nanoseconds = 0;
        platform::FileTimeToUnix(file->modified, &seconds, &nanoseconds);
        EXPECT_EQ(seconds, *entry.mtime);
      }
    }
    ++checked;
  }
  EXPECT_GT(checked, 100u);
  // Deleted content is marked on the root.
  EXPECT_EQ(volume_->tree.Image(volume_->Node("")), kImageHoldsDeleted);
}

TEST_P(FatCorpusTest, OrphanedImagesAreFoundInClusterOrder) {
  if (!TypePlugin().IsReady()) GTEST_SKIP() << "the file-type plug-in is not built";
  ASSERT_FALSE(corpus_->orphans.empty());
  FolderRef images = volume_->Folder("/Lost&Found/Images");
  ASSERT_TRUE(images);
  EXPECT_EQ(images->Id(), kImagesFolderId);
  EXPECT_EQ(volume_->Folder("/Lost&Found")->Id(), kLostAndFoundId);
  // Image_N by first sector, numbered in the order met.
  std::map<uint64_t, const FileRecord*> byFirstSector;
  uint64_t previous = 0;
  int number = 0;
  for (const FileRecord& record : images->Files()) {
    ++number;
    EXPECT_EQ(record.Name(), "Image_" + std::to_string(number) + ".jpg");
    ASSERT_NE(record.location.Runs(), nullptr);
    const uint64_t first = record.location.Runs()->Runs().front().first;
    EXPECT_GT(first, previous);
    previous = first;
    byFirstSector[first] = &record;
    EXPECT_EQ(record.deleted, 1);
  }
  for (const CorpusOrphan& orphan : corpus_->orphans) {
    SCOPED_TRACE(orphan.path);
    auto found = byFirstSector.find(volume_->analyzer.ClusterToSector(orphan.firstCluster));
    ASSERT_NE(found, byFirstSector.end()) << "orphan not found";
    EXPECT_EQ(found->second->size, orphan.size);
  }
}

INSTANTIATE_TEST_SUITE_P(Images, FatCorpusTest, ::testing::ValuesIn(CorpusImageNames("fat")));
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(FatCorpusTest);

}  // namespace
}  // namespace orvande::test
