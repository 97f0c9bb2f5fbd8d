// orvande-cli on the NTFS corpus images: analyze names the file system and judges deleted files
// through its reader, recover writes alternate streams as "file:stream" only when asked, and
// internal failures of the engine reach the error stream with the source's name; analyze --streams
// lists the alternate streams and recovered ones get their file's time.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_internal_failure.h"
#include "common/cli_runner.h"
#include "common/corpus.h"
#include "common/memory_device.h"
#include "common/temp_folder.h"

namespace orvande::cli {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using test::RunCliInProcess;

class NtfsCli : public ::testing::Test {
 protected:
  void SetUp() override {
    names_ = test::CorpusImageNames("ntfs");
    if (names_.empty()) GTEST_SKIP() << "no NTFS images in tests/data";
  }

  std::vector<std::string> names_;
  test::TempFolder folder_{"orvande_ntfs_cli_"};
  const fs::path& root_ = folder_.Path();
};

TEST_F(NtfsCli, AnalyzeJudgesDeletedFilesThroughItsReader) {
  for (const std::string& name : names_) {
    SCOPED_TRACE(name);
    const test::CorpusImage& image = test::LoadCorpusImage(name);
    const auto outcome = RunCliInProcess({"analyze", image.imagePath, "--json"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    const Json listing = Json::parse(outcome.out);
    EXPECT_EQ(listing["file_system"], "NTFS");
    EXPECT_EQ(listing["bytes_per_cluster"], image.bytesPerCluster);
    std::map<std::string, Json> items;
    for (const Json& item : listing["items"]) items[item["path"]] = item;
    int judged = 0;
    for (const test::CorpusEntry& entry : image.entries) {
      if (entry.type != "file" || !entry.entryIntact || entry.path.find('/') == std::string::npos)
        continue;
      auto found = items.find(entry.path);
      if (found == items.end()) continue;  // under a placeholder: the analysis tests cover those
      const Json& item = found->second;
      EXPECT_EQ(item["deleted"], entry.deleted) << entry.path;
      if (!entry.deleted) {
        EXPECT_TRUE(item["probability"].is_null()) << entry.path;
      } else if (entry.intact) {
        EXPECT_EQ(item["probability"], "good") << entry.path;
        ++judged;
      }
    }
    EXPECT_GT(judged, 10);
    for (const Json& line : listing["log"])
      EXPECT_EQ(line.get<std::string>().rfind("ERROR", 0), std::string::npos) << line;
  }
}

TEST_F(NtfsCli, RecoverWritesStreamsOnlyWhenAsked) {
  for (const std::string& name : names_) {
    SCOPED_TRACE(name);
    const test::CorpusImage& image = test::LoadCorpusImage(name);
    const test::CorpusEntry* file = nullptr;
    std::vector<const test::CorpusEntry*> streams;
    for (const test::CorpusEntry& entry : image.entries) {
      if (entry.IsStream() && entry.deleted && entry.intact && entry.entryIntact) {
        const std::string host = entry.path.substr(0, entry.path.rfind(':'));
        if (file == nullptr) file = image.Find(host);
        if (file != nullptr && file->path == host) streams.push_back(&entry);
      }
    }
    ASSERT_NE(file, nullptr) << "the image has no deleted file with streams";
    const std::string leaf = file->path.substr(file->path.rfind('/') + 1);

    const fs::path with = root_ / (name + "_with");
    auto outcome = RunCliInProcess(
        {"recover", image.imagePath, "--out", with.string(), file->path, "--streams", "--yes"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(test::Sha256OfFile((with / leaf).string()), file->sha256);
    for (const test::CorpusEntry* stream : streams) {
      const std::string streamName = stream->path.substr(stream->path.rfind(':'));
      EXPECT_EQ(test::Sha256OfFile((with / (leaf + streamName)).string()), stream->sha256);
    }

    const fs::path without = root_ / (name + "_without");
    outcome = RunCliInProcess(
        {"recover", image.imagePath, "--out", without.string(), file->path, "--yes"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    size_t written = 0;
    for (const auto& item : fs::directory_iterator(without)) {
      EXPECT_EQ(item.path().filename(), leaf);
      ++written;
    }
    EXPECT_EQ(written, 1u);
  }
}

// Sparse files come back with their content and their holes kept as holes; the file system's own
// streams are never written, even with --streams ($BadClus:$Bad is as large as the volume).
TEST_F(NtfsCli, SparseFilesKeepTheirHolesAndSystemStreamsStayOut) {
  for (const std::string& name : names_) {
    SCOPED_TRACE(name);
    const test::CorpusImage& image = test::LoadCorpusImage(name);
    const fs::path out = root_ / (name + "-sparse");
    const auto outcome = RunCliInProcess(
        {"recover", image.imagePath, "--out", out.string(), "--all-files", "--streams"});
    EXPECT_TRUE(fs::exists(out / "$BadClus")) << outcome.out;
    EXPECT_FALSE(fs::exists(out / "$BadClus:$Bad"));
    int checked = 0;
    for (const test::CorpusEntry& entry : image.entries) {
      if (!entry.sparse || entry.type != "file" || !entry.intact || entry.size < (1u << 20))
        continue;
      const fs::path written = out / entry.path;
      if (!fs::exists(written)) continue;  // under a placeholder: the analysis tests cover those
      EXPECT_EQ(test::Sha256OfFile(written.string()), entry.sha256) << entry.path;
      struct stat st {};
      ASSERT_EQ(stat(written.c_str(), &st), 0);
      EXPECT_LT(uint64_t(st.st_blocks) * 512, entry.size / 2) << entry.path << " has no holes";
      ++checked;
    }
    EXPECT_GE(checked, 1) << outcome.out;
  }
}

// analyze --streams lists each file's user streams with their sizes, as "path:name" lines and as
// a "streams" array; the file system's own ("$BadClus:$Bad") stay out. NTFS keeps UTC: no zone.
TEST_F(NtfsCli, AnalyzeListsAlternateStreamsWithTheirSizes) {
  for (const std::string& name : names_) {
    SCOPED_TRACE(name);
    const test::CorpusImage& image = test::LoadCorpusImage(name);
    auto json = RunCliInProcess({"analyze", image.imagePath, "--streams", "--json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const Json listing = Json::parse(json.out);
    EXPECT_TRUE(listing["time_zone"].is_null());
    std::map<std::string, uint64_t> listed;  // "path:name" -> size
    for (const Json& item : listing["items"]) {
      if (item["type"] != "file") continue;
      for (const Json& stream : item["streams"])
        listed[item["path"].get<std::string>() + ":" + stream["name"].get<std::string>()] =
            stream["size"];
    }
    auto text = RunCliInProcess({"analyze", image.imagePath, "--streams"});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    size_t checked = 0;
    for (const test::CorpusEntry& entry : image.entries) {
      if (!entry.IsStream() || !entry.entryIntact) continue;
      ASSERT_TRUE(listed.count(entry.path)) << entry.path;
      EXPECT_EQ(listed.at(entry.path), entry.size) << entry.path;
      EXPECT_NE(text.out.find(" " + std::to_string(entry.size) + " "), std::string::npos);
      EXPECT_NE(text.out.find("  " + entry.path + "\n"), std::string::npos) << entry.path;
      ++checked;
    }
    EXPECT_GE(checked, 2u);
    for (const auto& [path, size] : listed) EXPECT_EQ(path.find(":$"), std::string::npos) << path;
  }
}

// A recovered file's streams are the same file's: they get its time.
TEST_F(NtfsCli, RecoveredStreamsGetTheirFilesTime) {
  for (const std::string& name : names_) {
    SCOPED_TRACE(name);
    const test::CorpusImage& image = test::LoadCorpusImage(name);
    std::map<std::string, std::vector<std::string>> streamsOf;  // file path -> stream names
    for (const test::CorpusEntry& entry : image.entries) {
      if (!entry.IsStream() || !entry.entryIntact || !entry.intact) continue;
      const size_t colon = entry.path.rfind(':');
      streamsOf[entry.path.substr(0, colon)].push_back(entry.path.substr(colon));
    }
    ASSERT_FALSE(streamsOf.empty());
    for (const auto& [file, streams] : streamsOf) {
      const fs::path out = root_ / (name + "-times");
      auto run = RunCliInProcess(
          {"recover", image.imagePath, "--out", out.string(), file, "--streams", "--all-files"});
      ASSERT_EQ(run.exitCode, 0) << run.err << run.out;
      const fs::path written = out / file.substr(file.rfind('/') + 1);
      const auto fileTime = fs::last_write_time(written);
      EXPECT_LT(fileTime, fs::file_time_type::clock::now() - std::chrono::hours(24)) << file;
      for (const std::string& stream : streams)
        EXPECT_EQ(fs::last_write_time(written.string() + stream), fileTime) << file << stream;
    }
  }
}

TEST(CliInternalFailure, PrintsTheCodeWithTheSource) {
  test::MemoryNode node({}, kNodeImageFile, kFsNtfs, '0');
  std::ostringstream err;
  {
    CliInternalFailureReporter reporter(err, &node);
    ReportInternalFailure("NVI246");
  }
  EXPECT_EQ(err.str(), "orvande-cli: internal failure, please report: NVI246 0 memory\n");
  // Once the command is over, reports no longer go to its stream.
  EXPECT_EQ(ActiveInternalFailureReporter().SelectedNode(), nullptr);
}

}  // namespace
}  // namespace orvande::cli
