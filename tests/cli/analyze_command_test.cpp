// orvande-cli analyze on the bundled FAT16 sample volume, run in-process.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/tree_listing.h"
#include "common/cli_runner.h"
#include "common/corpus.h"
#include "common/idle_analyzer.h"
#include "common/jpeg_sample.h"
#include "common/temp_folder.h"
#include "core/folder_item.h"
#include "core/item_store.h"
#include "core/read_write_lock.h"
#include "core/volume_analyzer.h"
#include "support/le_reader.h"

namespace orvande::cli {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;
using test::RunCliInProcess;

bool IsProbabilityName(const Json& value) {
  return value == "good" || value == "average" || value == "poor" || value == "unknown";
}

class AnalyzeCommandTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new test::TempFolder("orvande-analyze-");
    ASSERT_NO_THROW(sample_ = new std::string(test::UnpackSampleVolume(folder_->Path())));
  }
  static void TearDownTestSuite() {
    delete folder_;
    delete sample_;
  }

  static Json AnalyzeJson(const std::string& image, std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"analyze", image, "--json"};
    args.insert(args.end(), extra.begin(), extra.end());
    auto o = RunCliInProcess(args);
    EXPECT_EQ(o.exitCode, 0) << o.err;
    return Json::parse(o.out);
  }

  static std::map<std::string, Json> ItemsByPath(const Json& listing) {
    std::map<std::string, Json> items;
    for (const Json& item : listing["items"]) items[item["path"].get<std::string>()] = item;
    return items;
  }

  static test::TempFolder* folder_;
  static std::string* sample_;
};

test::TempFolder* AnalyzeCommandTest::folder_ = nullptr;
std::string* AnalyzeCommandTest::sample_ = nullptr;

TEST_F(AnalyzeCommandTest, JsonDescribesTheVolumeAndEveryItem) {
  const Json listing = AnalyzeJson(*sample_);
  std::vector<std::string> keys;
  for (const auto& [key, value] : listing.items()) keys.push_back(key);
  EXPECT_EQ(keys, (std::vector<std::string>{"source", "file_system", "total_sectors",
                                            "bytes_per_sector", "bytes_per_cluster", "time_zone",
                                            "complete", "items", "log"}));
  EXPECT_EQ(listing["complete"], true);
  EXPECT_EQ(listing["source"], *sample_);
  EXPECT_EQ(listing["file_system"], "FAT16");
  EXPECT_EQ(listing["total_sectors"], 16384);
  EXPECT_EQ(listing["bytes_per_sector"], 512);
  EXPECT_EQ(listing["bytes_per_cluster"], 1024);
  EXPECT_TRUE(listing["log"].is_array());

  for (const Json& item : listing["items"]) {
    std::vector<std::string> itemKeys;
    for (const auto& [key, value] : item.items()) itemKeys.push_back(key);
    EXPECT_EQ(itemKeys, (std::vector<std::string>{"path", "type", "id", "deleted", "size",
                                                  "probability", "created", "modified"}));
    const std::string path = item["path"];
    EXPECT_FALSE(path.empty());
    EXPECT_NE(path[0], '/') << path;
    EXPECT_NE(path.rfind("./", 0), 0u) << path;
    // Only deleted files have a probability.
    if (item["deleted"] && item["type"] == "file")
      EXPECT_TRUE(IsProbabilityName(item["probability"])) << path;
    else
      EXPECT_TRUE(item["probability"].is_null()) << path;
  }

  const auto items = ItemsByPath(listing);
  ASSERT_TRUE(items.count("Documents/Quarterly Report 2004.txt"));
  const Json& report = items.at("Documents/Quarterly Report 2004.txt");
  EXPECT_EQ(report["type"], "file");
  EXPECT_EQ(report["deleted"], false);
  EXPECT_EQ(report["size"], 9720);
  EXPECT_EQ(report["modified"], "2004-06-15T17:45:10Z");

  ASSERT_TRUE(items.count("Pictures/Holiday 2003"));
  EXPECT_EQ(items.at("Pictures/Holiday 2003")["type"], "folder");
  EXPECT_EQ(items.at("Pictures/Holiday 2003")["deleted"], true);
  ASSERT_TRUE(items.count("Pictures/Holiday 2003/beach sunset.jpg"));
  const Json& beach = items.at("Pictures/Holiday 2003/beach sunset.jpg");
  EXPECT_EQ(beach["deleted"], true);
  EXPECT_EQ(beach["size"], 9000);
  EXPECT_TRUE(IsProbabilityName(beach["probability"])) << beach["probability"];
  EXPECT_TRUE(items.count("Projects/Orvande Notes/design notes for the recovery engine.txt"));
}

TEST_F(AnalyzeCommandTest, DeletedOnlyKeepsDeletedItemsAndTheFoldersLeadingToThem) {
  const auto all = ItemsByPath(AnalyzeJson(*sample_));
  const auto deleted = ItemsByPath(AnalyzeJson(*sample_, {"--deleted-only"}));
  size_t deletedInAll = 0;
  for (const auto& [path, item] : all) {
    if (item["deleted"]) {
      ++deletedInAll;
      EXPECT_TRUE(deleted.count(path)) << path;
    }
  }
  size_t deletedKept = 0;
  for (const auto& [path, item] : deleted) {
    if (item["deleted"]) {
      ++deletedKept;
      continue;
    }
    // A live item stays only as a folder on the way to something deleted.
    EXPECT_EQ(item["type"], "folder") << path;
    bool leads = false;
    for (const auto& [other, otherItem] : deleted)
      leads = leads || (otherItem["deleted"] && other.rfind(path + "/", 0) == 0);
    EXPECT_TRUE(leads) << path;
  }
  EXPECT_EQ(deletedKept, deletedInAll);
  EXPECT_GE(deletedKept, 5u);
  EXPECT_TRUE(deleted.count("Projects"));
  EXPECT_FALSE(deleted.count("Projects/Orvande Notes"));
}

TEST_F(AnalyzeCommandTest, TextListsOneItemPerLineInColumns) {
  auto o = RunCliInProcess({"analyze", *sample_});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  // A FAT volume's listing first names the zone its local times were read in.
  const size_t zoneLineEnd = o.out.find('\n');
  EXPECT_EQ(o.out.rfind("Local times of this FAT volume read in zone ", 0), 0u) << o.out;
  EXPECT_EQ(o.out.substr(zoneLineEnd + 1, o.out.find('\n', zoneLineEnd + 1) - zoneLineEnd - 1),
            "T D            SIZE PROB     MODIFIED (UTC)       PATH");
  EXPECT_NE(o.out.find("\nf -            9720 -        2004-06-15 17:45:10  "
                       "Documents/Quarterly Report 2004.txt\n"),
            std::string::npos)
      << o.out;
  EXPECT_NE(
      o.out.find("\nd D               - -        2004-07-01 14:00:00  Pictures/Holiday 2003\n"),
      std::string::npos)
      << o.out;
  EXPECT_NE(o.out.find("\nf D            2760 "), std::string::npos) << o.out;
}

// FAT keeps local times: --tz says whose. The sample was written at 17:45:10 local time.
TEST_F(AnalyzeCommandTest, TimesAreReadInTheZoneGivenAndTheListingNamesIt) {
  struct Case {
    const char* zone;
    const char* modified;  // of Documents/Quarterly Report 2004.txt, June (summer time)
  };
  const Case cases[] = {{"UTC", "2004-06-15T17:45:10Z"},
                        {"Europe/Berlin", "2004-06-15T15:45:10Z"},
                        {"America/New_York", "2004-06-15T21:45:10Z"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.zone);
    const Json listing = AnalyzeJson(*sample_, {"--tz", c.zone});
    EXPECT_EQ(listing["time_zone"], c.zone);
    EXPECT_EQ(ItemsByPath(listing).at("Documents/Quarterly Report 2004.txt")["modified"],
              c.modified);
    auto text = RunCliInProcess({"analyze", *sample_, "--tz", c.zone});
    EXPECT_EQ(text.out.rfind(std::string("Local times of this FAT volume read in zone ") + c.zone +
                                 ", shown in UTC\n",
                             0),
              0u)
        << text.out;
  }
  auto unknown = RunCliInProcess({"analyze", *sample_, "--tz", "Mars/Olympus"});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_NE(unknown.err.find("unknown time zone"), std::string::npos) << unknown.err;
}

// The listing is written as the tree is walked: a filtered one must still be the full listing's
// items in the full listing's order, each folder before what it holds.
bool KeepsTheOrderOf(const Json& all, const Json& filtered) {
  size_t at = 0;
  for (const Json& item : filtered["items"]) {
    while (at < all["items"].size() && all["items"][at]["path"] != item["path"]) ++at;
    if (at == all["items"].size()) return false;
    ++at;
  }
  return true;
}

// A filter keeps the files it matches and only the folders that lead to one of them.
TEST_F(AnalyzeCommandTest, FiltersKeepOnlyTheFoldersLeadingToAKeptFile) {
  struct Case {
    std::vector<std::string> args;
    bool (*keeps)(const Json& file);
  };
  const Case cases[] = {
      {{"--name", "*.jpg"},
       [](const Json& f) {
         const std::string path = f["path"];
         return path.size() > 4 && path.substr(path.size() - 4) == ".jpg";
       }},
      {{"--min-size", "9000"}, [](const Json& f) { return f["size"].get<uint64_t>() >= 9000; }},
      {{"--probability", "average"}, [](const Json& f) { return f["probability"] == "average"; }},
  };
  const Json all = AnalyzeJson(*sample_);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    const Json listing = AnalyzeJson(*sample_, c.args);
    std::vector<std::string> files, expected;
    for (const Json& item : all["items"])
      if (item["type"] == "file" && c.keeps(item)) expected.push_back(item["path"]);
    for (const Json& item : listing["items"]) {
      const std::string path = item["path"];
      if (item["type"] == "file") {
        files.push_back(path);
        continue;
      }
      bool leads = false;
      for (const Json& other : listing["items"])
        leads = leads || (other["type"] == "file" &&
                          other["path"].get<std::string>().rfind(path + "/", 0) == 0);
      EXPECT_TRUE(leads) << path;
    }
    EXPECT_EQ(files, expected);
    EXPECT_FALSE(files.empty());
    EXPECT_TRUE(KeepsTheOrderOf(all, listing));
  }
  EXPECT_TRUE(KeepsTheOrderOf(all, AnalyzeJson(*sample_, {"--deleted-only"})));
}

TEST_F(AnalyzeCommandTest, AnImageInAFreeClusterIsListedUnderLostAndFound) {
  std::vector<uint8_t> volume(16384 * 512);
  std::ifstream(*sample_, std::ios::binary)
      .read(reinterpret_cast<char*>(volume.data()), static_cast<std::streamsize>(volume.size()));
  LeReader boot(volume.data(), 512);
  const uint64_t firstData =
      boot.U16(14) + uint64_t{boot.U8(16)} * boot.U16(22) + uint64_t{boot.U16(17)} * 32 / 512;
  const uint64_t sector = firstData + 2 * 7000;  // a cluster far past the sample's few files
  const std::vector<uint8_t> jpeg = test::SmallJpeg(3000);
  std::copy(jpeg.begin(), jpeg.end(), volume.begin() + static_cast<std::ptrdiff_t>(sector * 512));
  const std::string image = (*folder_ / "with-image.img").string();
  std::ofstream(image, std::ios::binary)
      .write(reinterpret_cast<const char*>(volume.data()),
             static_cast<std::streamsize>(volume.size()));

  const Json listing = AnalyzeJson(image);
  EXPECT_TRUE(listing["log"].empty()) << listing["log"];  // the plug-in was found
  const auto items = ItemsByPath(listing);
  ASSERT_TRUE(items.count("Lost&Found"));
  ASSERT_TRUE(items.count("Lost&Found/Images"));
  ASSERT_TRUE(items.count("Lost&Found/Images/Image_1.jpg"));
  const Json& found = items.at("Lost&Found/Images/Image_1.jpg");
  EXPECT_EQ(found["deleted"], true);
  EXPECT_EQ(found["size"], jpeg.size());
  EXPECT_EQ(found["id"].get<uint32_t>() < 0xFFFFFFFDu, true);
  EXPECT_FALSE(items.count("Lost&Found/Images/Image_2.jpg"));
}

TEST_F(AnalyzeCommandTest, SourcesWithoutAVolumeFail) {
  const std::string junk = (*folder_ / "junk.img").string();
  std::ofstream(junk, std::ios::binary) << std::string(4096, 'Z');
  auto o = RunCliInProcess({"analyze", junk, "--json"});
  EXPECT_EQ(o.exitCode, 1);
  EXPECT_NE(o.err.find("No valid supported file system present on the volume."), std::string::npos)
      << o.err;
  EXPECT_TRUE(o.out.empty()) << o.out;

  auto missing = RunCliInProcess({"analyze", (*folder_ / "absent.img").string()});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_FALSE(missing.err.empty());
}

// A reader that rates every file "average", and counts how often it was asked.
class AverageReader : public test::IdleAnalyzer {
 public:
  uint32_t GetRecoveryProbability(ItemLocation&, uint64_t, OperationLog*) override {
    ++asked;
    return 1;
  }
  int asked = 0;
};

TEST(TreeListingTest, AsksTheReaderOnlyAboutDeletedFilesAndListsAFolderUnderEachOfItsNodes) {
  FolderTree tree;
  ItemStore store;
  ReadWriteLock lock(true);
  auto add = [&](uint32_t id, TreeNode parent, const char* name) {
    auto* folder = new FolderItem(id);
    store.Insert(id, folder);
    folder->Release();
    return tree.Insert(parent, InsertPlace::kSorted, name, kImageFolder, id);
  };
  const TreeNode root = add(1, kNoNode, ".");
  const TreeNode a = add(2, root, "a");
  const TreeNode b = add(3, root, "b");
  add(4, a, "shared");
  tree.Insert(b, InsertPlace::kSorted, "shared", kImageFolder, 4);  // a second node of folder 4
  store.FindRef(4)->AddFile(10, ItemLocation(), "gone.txt", 5, 0, 0, 1);
  store.FindRef(1)->AddFile(11, ItemLocation(), "live.txt", 7, 116444736000000000ull, 0, 0);

  AverageReader reader;
  ListingOptions options;
  options.reader = &reader;
  std::vector<std::string> paths;
  for (const ListedItem& item : ListTree(tree, store, lock, options)) paths.push_back(item.path);
  EXPECT_EQ(paths, (std::vector<std::string>{"live.txt", "a", "a/shared", "a/shared/gone.txt", "b",
                                             "b/shared", "b/shared/gone.txt"}));
  EXPECT_EQ(reader.asked, 2);

  options.deletedOnly = true;
  const std::vector<ListedItem> deleted = ListTree(tree, store, lock, options);
  ASSERT_EQ(deleted.size(), 6u);
  EXPECT_EQ(deleted[2].path, "a/shared/gone.txt");
  EXPECT_EQ(deleted[2].probability, 1u);

  EXPECT_EQ(UtcTimeText(116444736000000000ull, true), "1970-01-01T00:00:00Z");
  EXPECT_EQ(UtcTimeText(116444736000000000ull + 10'000'000ull * 86461, false),
            "1970-01-02 00:01:01");
  EXPECT_EQ(UtcTimeText(0, true), "");
}

}  // namespace
}  // namespace orvande::cli
