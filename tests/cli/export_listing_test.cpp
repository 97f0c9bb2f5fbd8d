// analyze --bodyfile and --dfxml on corpus images, checked against other tools and the manifest.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/cli_runner.h"
#include "common/corpus.h"
#include "common/temp_folder.h"

namespace orvande::cli {
namespace {

using test::RunCliInProcess;

bool HasTool(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

std::string ReadWhole(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteWhole(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t bar; (bar = line.find('|', start)) != std::string::npos; start = bar + 1)
    fields.push_back(line.substr(start, bar - start));
  fields.push_back(line.substr(start));
  return fields;
}

// File lines by name, with what our listing keeps no record of set to 0: inode numbers (each
// tool numbers its own way), owner, access and change time, permissions, and the type letter of
// the name (on NTFS it tells whether a folder index still holds a deleted name). The NTFS
// metadata files are left out: their records are read for the volume, not listed as files are.
std::map<std::string, std::string> FileLinesByName(const std::string& body) {
  std::map<std::string, std::string> lines;
  std::istringstream in(body);
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> f = Fields(line);
    if (f.size() != 11 || f[3].size() < 3 || f[3][2] != 'r' || f[1].starts_with("/$")) continue;
    f[2] = f[4] = f[5] = f[7] = f[9] = "0";
    f[3] = f[3].substr(2, 1);
    std::string joined = f[0];
    for (size_t i = 1; i < f.size(); ++i) joined += "|" + f[i];
    lines[f[1]] = joined;
  }
  return lines;
}

class ExportListingTest : public ::testing::TestWithParam<std::string> {};

TEST_P(ExportListingTest, TimelineOfTheBodyFileMatchesTheOtherToolsOne) {
  if (!HasTool("fls") || !HasTool("mactime")) GTEST_SKIP() << "sleuthkit is not installed";
  const test::CorpusImage& image = test::LoadCorpusImage(GetParam());
  test::TempFolder folder("orvande-bodyfile-");
  const auto ours = RunCliInProcess({"analyze", image.imagePath, "--bodyfile", "--tz", "UTC"});
  ASSERT_EQ(ours.exitCode, 0) << ours.err;
  const std::string theirsFile = (folder / "fls.body").string();
  ASSERT_EQ(
      std::system(("fls -r -m / -z UTC '" + image.imagePath + "' > '" + theirsFile + "'").c_str()),
      0);

  const std::map<std::string, std::string> ourLines = FileLinesByName(ours.out);
  const std::map<std::string, std::string> theirLines = FileLinesByName(ReadWhole(theirsFile));
  std::string ourBody, theirBody;
  for (const auto& [name, line] : ourLines) {
    const auto theirs = theirLines.find(name);
    // A deleted short name may differ in its lost first character; a live one is always shared.
    if (theirs == theirLines.end()) {
      EXPECT_NE(name.find(" (deleted)"), std::string::npos) << name;
      continue;
    }
    ourBody += line + "\n";
    theirBody += theirs->second + "\n";
  }
  WriteWhole(folder / "ours.body", ourBody);
  WriteWhole(folder / "theirs.body", theirBody);
  const auto timeline = [&](const std::string& body) {
    const std::string out = (folder / (body + ".timeline")).string();
    EXPECT_EQ(
        std::system(
            ("TZ=UTC mactime -y -d -b '" + (folder / body).string() + "' > '" + out + "'").c_str()),
        0);
    return ReadWhole(out);
  };
  const std::string ourTimeline = timeline("ours.body");
  EXPECT_FALSE(ourTimeline.empty());
  EXPECT_EQ(ourTimeline, timeline("theirs.body"));
}

struct FileObject {
  std::string filename;
  uint64_t size = 0;
  bool unalloc = false;
  std::string mtime;
  std::vector<std::pair<uint64_t, uint64_t>> runs;  // img_offset, len
  std::vector<uint64_t> fileOffsets;                // of each run
};

// Split with find, not a regex: std::regex recurses per character and a file of many runs
// would overflow the stack.
std::map<std::string, FileObject> FileObjects(const std::string& xml) {
  static const std::regex run("file_offset='(\\d+)' img_offset='(\\d+)' len='(\\d+)'");
  const auto field = [](const std::string& text, const std::string& name) {
    const std::string open = "<" + name + ">";
    const size_t start = text.find(open);
    if (start == std::string::npos) return std::string();
    const size_t end = text.find("</" + name + ">", start);
    return end == std::string::npos ? std::string()
                                    : text.substr(start + open.size(), end - start - open.size());
  };
  std::map<std::string, FileObject> objects;
  const std::string open = "<fileobject>", close = "</fileobject>";
  for (size_t at = xml.find(open); at != std::string::npos; at = xml.find(open, at)) {
    const size_t end = xml.find(close, at);
    if (end == std::string::npos) break;
    const std::string text = xml.substr(at + open.size(), end - at - open.size());
    at = end;
    FileObject o;
    o.filename = field(text, "filename");
    o.size = std::stoull(field(text, "filesize"));
    o.unalloc = !field(text, "unalloc").empty();
    o.mtime = field(text, "mtime");
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
      std::smatch r;
      if (!std::regex_search(line, r, run)) continue;
      o.fileOffsets.push_back(std::stoull(r[1].str()));
      o.runs.emplace_back(std::stoull(r[2].str()), std::stoull(r[3].str()));
    }
    objects[o.filename] = o;
  }
  return objects;
}

std::string IsoUtc(int64_t seconds) {
  const time_t t = static_cast<time_t>(seconds);
  tm parts{};
  gmtime_r(&t, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
  return text;
}

// The image bytes of a FAT file's clusters, joined where they touch, cut to its size.
std::vector<std::pair<uint64_t, uint64_t>> ManifestRuns(const test::CorpusImage& image,
                                                        const test::CorpusEntry& entry) {
  const uint64_t firstSector = image.manifest["first_cluster_sector"].get<uint64_t>();
  std::vector<std::pair<uint64_t, uint64_t>> runs;
  uint64_t left = entry.size;
  for (const auto& [cluster, count] : entry.clusters) {
    const uint64_t offset =
        (firstSector * image.bytesPerSector) + (cluster - 2) * image.bytesPerCluster;
    const uint64_t length = std::min<uint64_t>(left, uint64_t{count} * image.bytesPerCluster);
    if (!runs.empty() && runs.back().first + runs.back().second == offset)
      runs.back().second += length;
    else
      runs.emplace_back(offset, length);
    left -= length;
  }
  return runs;
}

TEST_P(ExportListingTest, DfxmlValidatesAndItsFileObjectsMatchTheManifest) {
  const test::CorpusImage& image = test::LoadCorpusImage(GetParam());
  const auto o = RunCliInProcess({"analyze", image.imagePath, "--dfxml", "--tz", "UTC"});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  if (HasTool("xmllint")) {
    test::TempFolder folder("orvande-dfxml-");
    WriteWhole(folder / "listing.xml", o.out);
    const std::string schema =
        std::string(std::getenv("ORVANDE_SOURCE_DIR")) + "/tests/data/dfxml_listing.xsd";
    EXPECT_EQ(std::system(("xmllint --noout --schema '" + schema + "' '" +
                           (folder / "listing.xml").string() + "' 2>/dev/null")
                              .c_str()),
              0);
  }
  const std::map<std::string, FileObject> objects = FileObjects(o.out);
  size_t checked = 0;
  for (const test::CorpusEntry& entry : image.entries) {
    if (entry.IsStream() || entry.deleted || !entry.entryIntact) continue;
    const auto found = objects.find(entry.path);
    ASSERT_NE(found, objects.end()) << entry.path;
    const FileObject& object = found->second;
    EXPECT_FALSE(object.unalloc) << entry.path;
    if (entry.IsFolder()) continue;
    ++checked;
    EXPECT_EQ(object.size, entry.size) << entry.path;
    if (entry.mtime) {
      EXPECT_EQ(object.mtime, IsoUtc(*entry.mtime)) << entry.path;
    }
    if (image.IsFat() && entry.size > 0) {
      EXPECT_EQ(object.runs, ManifestRuns(image, entry)) << entry.path;
    }
  }
  EXPECT_GT(checked, 10u);
  // Deleted files are there too, marked unallocated.
  for (const test::CorpusEntry& entry : image.entries) {
    const auto found = objects.find(entry.path);
    if (entry.deleted && found != objects.end()) {
      EXPECT_TRUE(found->second.unalloc) << entry.path;
    }
  }
}

// The file's bytes as its runs place them in the image, with zeros where no run tells (holes).
std::string BytesAtRuns(std::ifstream& image, const FileObject& object) {
  std::string content(object.size, '\0');
  for (size_t i = 0; i < object.runs.size(); ++i) {
    const auto [imageOffset, length] = object.runs[i];
    if (object.fileOffsets[i] + length > content.size()) return {};
    image.seekg(static_cast<std::streamoff>(imageOffset));
    image.read(content.data() + object.fileOffsets[i], static_cast<std::streamsize>(length));
    if (!image) return {};
  }
  return content;
}

// Data in clusters (fragmented and sparse files too) and data kept in the file record (whose
// last bytes of each block the record keeps in its update sequence array), live and deleted:
// read back from the image where the runs say, it is the file's content. Compressed data has no
// place in the image as it reads and is not checked.
TEST(DfxmlNtfsRuns, BytesAtTheRunsAreTheFilesContent) {
  for (const std::string& name : test::CorpusImageNames("ntfs")) {
    SCOPED_TRACE(name);
    const test::CorpusImage& image = test::LoadCorpusImage(name);
    const auto o = RunCliInProcess({"analyze", image.imagePath, "--dfxml"});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    const std::map<std::string, FileObject> objects = FileObjects(o.out);
    std::ifstream in(image.imagePath, std::ios::binary);
    std::map<std::string, size_t> checked;
    for (const test::CorpusEntry& entry : image.entries) {
      if (entry.type != "file" || !entry.intact || !entry.entryIntact || entry.compressed ||
          entry.size == 0)
        continue;
      const auto found = objects.find(entry.path);
      if (found == objects.end()) continue;  // a deleted name the volume no longer holds
      EXPECT_EQ(test::Sha256Hex(BytesAtRuns(in, found->second)), entry.sha256) << entry.path;
      ++checked[entry.resident ? "resident" : entry.sparse ? "sparse" : "clusters"];
      if (entry.deleted) ++checked["deleted"];
    }
    EXPECT_GT(checked["resident"], 10u);
    EXPECT_GT(checked["clusters"], 10u);
    EXPECT_GT(checked["sparse"], 0u);
    EXPECT_GT(checked["deleted"], 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(Corpus, ExportListingTest, ::testing::Values("fat16", "fat32", "ntfs512"));

}  // namespace
}  // namespace orvande::cli
