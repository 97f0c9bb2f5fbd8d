// Evidence sets and split raw images analyse exactly like the raw image they were made from.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "common/cli_runner.h"
#include "common/corpus.h"
#include "common/temp_folder.h"

namespace orvande::cli {
namespace {

using Json = nlohmann::ordered_json;
using test::RunCliInProcess;

// When this test program started, as the listing writes times ("2026-01-31T12:00:00Z").
const std::string& ProgramStart() {
  static const std::string start = [] {
    const std::time_t now = std::time(nullptr);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", std::gmtime(&now));
    return std::string(text);
  }();
  return start;
}

// The folders that the analysis makes up (Lost&Found, folders of orphans) carry the time they
// were made; two analyses a second apart differ there and nowhere else.
void BlankTimesOfMadeUpFolders(Json& listing) {
  if (!listing.is_object() || !listing.contains("items")) return;
  for (Json& item : listing["items"]) {
    for (const char* key : {"created", "modified", "accessed"}) {
      if (item.contains(key) && item[key].is_string() &&
          item[key].get<std::string>() >= ProgramStart())
        item[key] = "made at analysis";
    }
  }
}

// The listing without the source's name and the analysis time, which are all that may differ.
Json ListingWithoutSource(const std::string& source) {
  ProgramStart();
  const auto o = RunCliInProcess({"analyze", source, "--json", "--tz", "UTC"});
  EXPECT_EQ(o.exitCode, 0) << source << ": " << o.err;
  Json listing = Json::parse(o.out, nullptr, false);
  if (listing.is_object()) listing.erase("source");
  BlankTimesOfMadeUpFolders(listing);
  return listing;
}

bool HasEwfAcquire() {
  return std::system("command -v ewfacquire >/dev/null 2>&1") == 0;
}

// Makes TARGET.E01 (and further segments) from the image; "" when ewfacquire failed.
std::string Acquire(const std::string& image, const std::filesystem::path& target,
                    const std::string& options) {
  const std::string command = "ewfacquire -u -q " + options + " -t '" + target.string() + "' '" +
                              image + "' >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return {};
  return target.string() + ".E01";
}

TEST(ImageFormats, EvidenceSetsAnalyseLikeTheRawImage) {
  if (!HasEwfAcquire()) GTEST_SKIP() << "ewfacquire is not installed";
  struct Case {
    const char* image;
    const char* options;
    size_t segments;
  };
  for (const Case& c : {Case{"fat16", "-c deflate:fast", 1}, Case{"fat12", "-c none -S 1MiB", 2},
                        Case{"ntfs4kn", "-c deflate:fast -P 4096", 1}}) {
    const test::CorpusImage& image = test::LoadCorpusImage(c.image);
    test::TempFolder folder("orvande-ewf-");
    const std::string evidence = Acquire(image.imagePath, folder / "evidence", c.options);
    ASSERT_FALSE(evidence.empty()) << c.image;
    size_t segments = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
      segments += entry.path().extension().string().starts_with(".E") ? 1 : 0;
    EXPECT_EQ(segments, c.segments) << c.image;
    EXPECT_EQ(ListingWithoutSource(evidence), ListingWithoutSource(image.imagePath)) << c.image;
  }
}

TEST(ImageFormats, CutOffEvidenceSetIsRefusedWithItsReason) {
  if (!HasEwfAcquire()) GTEST_SKIP() << "ewfacquire is not installed";
  const test::CorpusImage& image = test::LoadCorpusImage("fat16");
  test::TempFolder folder("orvande-ewf-");
  const std::string evidence = Acquire(image.imagePath, folder / "whole", "-c deflate:fast");
  ASSERT_FALSE(evidence.empty());
  const auto size = std::filesystem::file_size(evidence);
  for (const uintmax_t keep : {uintmax_t{100}, size / 2, size - 64}) {
    const std::filesystem::path cut = folder / ("cut" + std::to_string(keep) + ".E01");
    std::filesystem::copy_file(evidence, cut);
    std::filesystem::resize_file(cut, keep);
    const auto o = RunCliInProcess({"analyze", cut.string()});
    EXPECT_EQ(o.exitCode, 1) << keep;
    EXPECT_NE(o.err.find("damaged or incomplete"), std::string::npos) << keep << ": " << o.err;
  }
}

TEST(ImageFormats, SplitRawImageReadsAsOne) {
  const test::CorpusImage& image = test::LoadCorpusImage("fat16");
  test::TempFolder folder("orvande-split-");
  std::ifstream in(image.imagePath, std::ios::binary);
  // Pieces that do not end on a sector, so that reads cross them mid-sector.
  std::vector<char> piece(3'000'001);
  int number = 0;
  while (in.read(piece.data(), static_cast<std::streamsize>(piece.size())) || in.gcount() > 0) {
    char name[24];
    std::snprintf(name, sizeof name, "disk.%03d", ++number);
    std::ofstream(folder / name, std::ios::binary).write(piece.data(), in.gcount());
  }
  ASSERT_GT(number, 2);
  EXPECT_EQ(ListingWithoutSource((folder / "disk.001").string()),
            ListingWithoutSource(image.imagePath));
  // A first piece on its own is just a raw image: here a volume cut short.
  std::filesystem::rename(folder / "disk.002", folder / "spare");
  const auto alone = RunCliInProcess({"analyze", (folder / "disk.001").string(), "--json"});
  EXPECT_NE(Json::parse(alone.out, nullptr, false).dump(),
            ListingWithoutSource(image.imagePath).dump());
}

}  // namespace
}  // namespace orvande::cli
