// orvande-cli on corpus images cut short with truncate: the log says so with both sizes, files
// whose data lies past the end are rated and recovered as at a volume's end and say why, and an
// image too short to hold anything fails.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "common/cli_runner.h"
#include "common/corpus.h"
#include "common/temp_folder.h"

namespace orvande::cli {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using test::RunCliInProcess;

// FAT: just before the deleted file that lies furthest in, so that its data is cut off.
uint64_t FatCut(const test::CorpusImage& image) {
  uint32_t last = 0;
  for (const test::CorpusEntry& entry : image.entries)
    if (entry.deleted && entry.intact && !entry.clusters.empty())
      last = std::max(last, entry.clusters.front().first);
  const uint64_t firstClusterSector = image.manifest["first_cluster_sector"].get<uint64_t>();
  return firstClusterSector * image.bytesPerSector + uint64_t{last - 2} * image.bytesPerCluster;
}

struct ShortCase {
  const char* image;
  uint64_t cutBytes;  // 0: FatCut
};

class ShortImage : public ::testing::TestWithParam<ShortCase> {
 protected:
  static Json Analyze(const std::string& path) {
    auto outcome = RunCliInProcess({"analyze", path, "--json"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    return Json::parse(outcome.out);
  }
  static std::map<std::string, std::string> DeletedFileRatings(const Json& listing) {
    std::map<std::string, std::string> ratings;
    for (const Json& item : listing["items"])
      if (item["type"] == "file" && item["deleted"] == true && item["probability"].is_string())
        ratings[item["path"]] = item["probability"];
    return ratings;
  }
};

TEST_P(ShortImage, SaysSoRatesAndRecoversAsAtTheVolumeEnd) {
  const test::CorpusImage& corpus = test::LoadCorpusImage(GetParam().image);
  const uint64_t cut = GetParam().cutBytes != 0 ? GetParam().cutBytes : FatCut(corpus);
  test::TempFolder folder("orvande-short-");
  const std::string path = (folder / "cut.img").string();
  fs::copy_file(corpus.imagePath, path);
  fs::resize_file(path, cut);

  const Json full = Analyze(corpus.imagePath);
  const Json shortened = Analyze(path);
  int warnings = 0;
  for (const Json& line : shortened["log"]) {
    const std::string text = line.get<std::string>();
    if (text.find("but the image or device holds only " + std::to_string(cut) + " bytes") !=
        std::string::npos)
      ++warnings;
  }
  EXPECT_EQ(warnings, 1) << shortened["log"].dump(1);

  // Some deleted file that could come back whole from the full image is poor now.
  const auto before = DeletedFileRatings(full);
  const auto after = DeletedFileRatings(shortened);
  int downgraded = 0;
  for (const auto& [file, rating] : after)
    if (rating == "poor" && before.count(file) && before.at(file) != "poor") ++downgraded;
  EXPECT_GT(downgraded, 0);

  const std::string out = (folder / "out").string();
  auto recovered = RunCliInProcess(
      {"recover", path, "--out", out, "--on-exists", "replace", "--replace-char", "_"});
  EXPECT_NE(recovered.err.find("lies past the end of the image or device"), std::string::npos)
      << recovered.err;
  EXPECT_EQ(recovered.exitCode, 1) << "files cut short make the run not whole";

  // Each line tells what is on disk, and a file cut off at the end is never ok.
  std::map<std::string, uint64_t> listedSize;
  for (const Json& item : shortened["items"]) {
    if (item["type"] != "file" || !item["size"].is_number()) continue;
    std::string listed = item["path"].get<std::string>();
    for (char& c : listed)
      if (c == '?') c = '_';  // the unknown first character, as --replace-char makes it
    listedSize[out + "/" + listed] = item["size"].get<uint64_t>();
  }
  int shortFiles = 0;
  std::istringstream lines(recovered.out);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string label, bytes, file;
    if (!(fields >> label >> bytes) || bytes.empty() || !std::isdigit(bytes[0])) continue;
    fields.get();
    std::getline(fields, file);
    SCOPED_TRACE(line);
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(fs::file_size(file), std::stoull(bytes));
    auto listed = listedSize.find(file);
    if (listed == listedSize.end()) continue;
    // Fewer bytes than its size: short (or overwritten, or failed where a read failed), never ok.
    if (std::stoull(bytes) < listed->second) {
      EXPECT_NE(label, "ok");
      EXPECT_NE(label, "bad-sectors");
    }
    shortFiles += label == "short";
  }
  // FAT walks end where the image does; NTFS reads of runs past it fail and say why.
  if (GetParam().cutBytes == 0) {
    EXPECT_GT(shortFiles, 0) << recovered.out;
  }
}

TEST_P(ShortImage, TooShortToHoldAnythingFails) {
  const test::CorpusImage& corpus = test::LoadCorpusImage(GetParam().image);
  test::TempFolder folder("orvande-tiny-");
  const std::string path = (folder / "tiny.img").string();
  fs::copy_file(corpus.imagePath, path);
  fs::resize_file(path, 16 * 1024);
  auto outcome = RunCliInProcess({"analyze", path});
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_NE(outcome.err.find("Nothing of the volume can be read"), std::string::npos)
      << outcome.err;
}

INSTANTIATE_TEST_SUITE_P(Corpus, ShortImage,
                         ::testing::Values(ShortCase{"fat16", 0}, ShortCase{"ntfs512", 20u << 20}),
                         [](const auto& info) { return std::string(info.param.image); });

}  // namespace
}  // namespace orvande::cli
