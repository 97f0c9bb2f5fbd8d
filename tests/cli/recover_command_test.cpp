// orvande-cli recover on the corpus images and the sample volume: what comes back and how it is
// named, the free-cluster walk of fragmented deleted files, options that decide questions nobody
// can answer, and a source that is never written.
#include "cli/recover_command.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_prompter.h"
#include "common/cli_runner.h"
#include "common/corpus.h"
#include "common/scoped_time_zone.h"
#include "common/temp_folder.h"
#include "platform/file_system.h"
#include "platform/file_time.h"
#include "support/le_reader.h"

namespace orvande::cli {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;
using test::CorpusEntry;
using test::CorpusImage;
using test::RunCliInProcess;

std::vector<uint8_t> ReadBytes(const fs::path& path) {
  std::vector<uint8_t> bytes(fs::file_size(path));
  std::ifstream(path, std::ios::binary)
      .read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

std::vector<std::string> Split(const std::string& path) {
  std::vector<std::string> parts;
  std::stringstream stream(path);
  for (std::string part; std::getline(stream, part, '/');) parts.push_back(part);
  return parts;
}

// Reads allocation-table entries straight from the image bytes, to predict the walk of a deleted
// file independently of the analyzer.
class ImageTable {
 public:
  ImageTable(const std::vector<uint8_t>& image, const CorpusImage& corpus)
      : image_(image),
        width_(corpus.fs == "FAT12"   ? 12
               : corpus.fs == "FAT16" ? 16
                                      : 32) {
    LeReader boot(image.data(), 512);
    bytesPerSector_ = boot.U16(11);
    fatStart_ = uint64_t{boot.U16(14)} * bytesPerSector_;
    const uint32_t sectorsPerFat = boot.U16(22) != 0 ? boot.U16(22) : boot.U32(36);
    const uint64_t rootBytes = uint64_t{boot.U16(17)} * 32;
    dataStart_ = fatStart_ + uint64_t{boot.U8(16)} * sectorsPerFat * bytesPerSector_ +
                 (rootBytes + bytesPerSector_ - 1) / bytesPerSector_ * bytesPerSector_;
    clusterBytes_ = corpus.bytesPerCluster;
  }

  uint32_t Entry(uint32_t cluster) const {
    if (width_ == 12) {
      uint64_t at = fatStart_ + cluster + cluster / 2;
      uint32_t word = image_[at] | (image_[at + 1] << 8);
      return cluster % 2 ? word >> 4 : word & 0xFFF;
    }
    if (width_ == 16) {
      uint64_t at = fatStart_ + uint64_t{cluster} * 2;
      return image_[at] | (image_[at + 1] << 8);
    }
    uint64_t at = fatStart_ + uint64_t{cluster} * 4;
    return (image_[at] | (image_[at + 1] << 8) | (image_[at + 2] << 16) |
            (uint32_t{image_[at + 3]} << 24)) &
           0x0FFFFFFF;
  }

  // From the first cluster, each next cluster is the next free one; a step that passes used
  // clusters is one gap.
  std::vector<uint32_t> FreeWalk(uint32_t first, uint64_t size, uint32_t* gaps) const {
    std::vector<uint32_t> clusters{first};
    uint32_t c = first;
    *gaps = 0;
    while (uint64_t{clusters.size()} * clusterBytes_ < size) {
      bool passedUsed = false;
      do {
        ++c;
        passedUsed = passedUsed || Entry(c) != 0;
      } while (Entry(c) != 0);
      if (passedUsed) ++*gaps;
      clusters.push_back(c);
    }
    return clusters;
  }

  std::vector<uint8_t> Bytes(const std::vector<uint32_t>& clusters, uint64_t size) const {
    std::vector<uint8_t> bytes;
    for (uint32_t c : clusters) {
      auto at = image_.begin() +
                static_cast<std::ptrdiff_t>(dataStart_ + uint64_t{c - 2} * clusterBytes_);
      bytes.insert(bytes.end(), at, at + clusterBytes_);
    }
    bytes.resize(size);
    return bytes;
  }

 private:
  const std::vector<uint8_t>& image_;
  uint32_t width_;
  uint32_t bytesPerSector_ = 512;
  uint64_t fatStart_ = 0;
  uint64_t dataStart_ = 0;
  uint32_t clusterBytes_ = 512;
};

class RecoverCorpusTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override { corpus_ = &test::LoadCorpusImage(GetParam()); }

  // The name the analyzer lists: names without long-name entries in their upper-case 8.3 form,
  // a deleted one without its first character.
  std::string ListedPath(const std::string& path) const {
    std::string listed, prefix;
    for (const std::string& part : Split(path)) {
      prefix += prefix.empty() ? part : "/" + part;
      const CorpusEntry* entry = corpus_->Find(prefix);
      std::string name = part;
      if (entry != nullptr && !entry->longName) {
        for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (entry->deleted) name[0] = '?';
      }
      listed += listed.empty() ? name : "/" + name;
    }
    return listed;
  }

  // Where recover put it: the unknown character became the --replace-char.
  fs::path WrittenPath(std::string listed) const {
    std::replace(listed.begin(), listed.end(), '?', '_');
    return out_ / listed;
  }

  std::map<std::string, Json> Listing() {
    auto o = RunCliInProcess({"analyze", corpus_->imagePath, "--json"});
    EXPECT_EQ(o.exitCode, 0) << o.err;
    std::map<std::string, Json> items;
    const Json listing = Json::parse(o.out);
    for (const Json& item : listing["items"]) items[item["path"]] = item;
    return items;
  }

  // FAT times are local times; the corpus was made with the zone set to UTC.
  test::ScopedTimeZone zone_{"UTC"};
  const CorpusImage* corpus_ = nullptr;
  test::TempFolder folder_{"orvande-recover-" + GetParam() + "-"};
  const fs::path& out_ = folder_.Path();
};

TEST_P(RecoverCorpusTest, EveryFileComesBackAsTheManifestAndTheWalkSay) {
  const std::map<std::string, Json> listed = Listing();
  auto run = RunCliInProcess({"recover", corpus_->imagePath, "--out", out_.string(), "--all-files",
                              "--replace-char", "_", "--on-exists", "rename"});
  ASSERT_EQ(run.exitCode, 0) << run.err << run.out;

  const std::vector<uint8_t> image = ReadBytes(corpus_->imagePath);
  const ImageTable table(image, *corpus_);
  size_t whole = 0, walked = 0;
  for (const CorpusEntry& entry : corpus_->entries) {
    if (entry.type != "file" || !entry.entryIntact) continue;
    const std::string path = ListedPath(entry.path);
    // Entries the directory scan cannot reach are that scan's matter, tested with it.
    auto item = listed.find(path);
    if (item == listed.end()) continue;
    SCOPED_TRACE(entry.path + " listed as " + path);
    const fs::path written = WrittenPath(path);
    ASSERT_TRUE(fs::exists(written)) << run.out;

    if (entry.deleted && !entry.intact) continue;  // overwritten: nothing to compare with
    if (entry.deleted && entry.firstClusterHighCleared) continue;  // no type to probe a .bin for

    if (!entry.deleted || entry.clusters.size() <= 1) {
      EXPECT_EQ(test::Sha256OfFile(written.string()), entry.sha256);
      uint64_t modified = 0;
      ASSERT_EQ(platform::GetFileModifiedTime(written.string(), &modified), 0u);
      int64_t seconds = 0;
      long nanoseconds = 0;
      platform::FileTimeToUnix(modified, &seconds, &nanoseconds);
      ASSERT_TRUE(entry.mtime.has_value());
      EXPECT_EQ(seconds, *entry.mtime);
      if (entry.deleted) {
        EXPECT_EQ(item->second["probability"], "average");
      }
      ++whole;
      continue;
    }

    // A fragmented deleted file: the first cluster, then the next free ones.
    uint32_t gaps = 0;
    const std::vector<uint32_t> walk = table.FreeWalk(entry.firstCluster, entry.size, &gaps);
    const std::vector<uint8_t> predicted = table.Bytes(walk, entry.size);
    EXPECT_EQ(test::Sha256OfFile(written.string()), test::Sha256Hex(predicted));
    EXPECT_EQ(item->second["probability"], gaps <= 1 ? "average" : "poor");
    std::vector<uint32_t> real;
    for (const auto& [first, count] : entry.clusters)
      for (uint32_t i = 0; i < count; ++i) real.push_back(first + i);
    if (walk == real) {
      EXPECT_EQ(test::Sha256Hex(predicted), entry.sha256);
    }
    ++walked;
  }
  EXPECT_GT(whole, 50u);
  EXPECT_GE(walked, 2u);
  EXPECT_NE(run.out.find(" files written, "), std::string::npos);
  EXPECT_NE(run.out.find(" 0 failures, "), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Images, RecoverCorpusTest, ::testing::Values("fat12", "fat16", "fat32"));

// One line of recover's output: "LABEL BYTES PATH".
struct RecoveredLine {
  std::string label;
  uint64_t bytes = 0;
  std::string path;
};

std::vector<RecoveredLine> RecoveredLines(const std::string& out) {
  std::vector<RecoveredLine> lines;
  std::istringstream stream(out);
  for (std::string line; std::getline(stream, line);) {
    std::istringstream fields(line);
    RecoveredLine parsed;
    std::string bytes;
    if (!(fields >> parsed.label >> bytes)) continue;
    if (parsed.label == "bad-sectors" && !(fields >> bytes)) continue;
    if (bytes.empty() || !std::isdigit(static_cast<unsigned char>(bytes[0]))) continue;
    parsed.bytes = std::stoull(bytes);
    fields.get();
    std::getline(fields, parsed.path);
    if (parsed.path.empty()) continue;
    lines.push_back(parsed);
  }
  return lines;
}

// Without PATH every deleted file analyze lists is written, under the root, the lost folders and
// Lost&Found alike; each once; and each line says what is on disk.
class RecoverEverythingTest : public ::testing::TestWithParam<std::string> {};

TEST_P(RecoverEverythingTest, WritesEveryListedDeletedFileOnceAndSaysWhatIsOnDisk) {
  const CorpusImage& corpus = test::LoadCorpusImage(GetParam());
  test::TempFolder folder("orvande-recover-all-" + GetParam() + "-");
  auto listing = RunCliInProcess({"analyze", corpus.imagePath, "--json"});
  ASSERT_EQ(listing.exitCode, 0) << listing.err;
  size_t deleted = 0;
  const Json parsed = Json::parse(listing.out);
  for (const Json& item : parsed["items"])
    if (item["type"] == "file" && item["deleted"] == true) ++deleted;

  const std::string out = (folder.Path() / "out").string();
  auto run = RunCliInProcess({"recover", corpus.imagePath, "--out", out});
  const std::vector<RecoveredLine> lines = RecoveredLines(run.out);
  size_t written = 0;
  std::set<std::string> paths;
  for (const RecoveredLine& line : lines) {
    SCOPED_TRACE(line.path);
    EXPECT_TRUE(paths.insert(line.path).second) << "written twice";
    if (line.label == "skipped") continue;
    ++written;
    ASSERT_TRUE(fs::is_regular_file(line.path));
    EXPECT_EQ(fs::file_size(line.path), line.bytes);
  }
  EXPECT_EQ(written, deleted) << run.out;
  size_t onDisk = 0;
  for (const auto& entry : fs::recursive_directory_iterator(out)) onDisk += entry.is_regular_file();
  EXPECT_EQ(onDisk, written);
  EXPECT_NE(run.out.find(std::to_string(written) + " files written, "), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Images, RecoverEverythingTest,
                         ::testing::ValuesIn(test::CorpusImageNames()));

// A scripted run nobody can answer: unreadable first characters and names that exist already are
// decided as the warnings say, and the run finishes, twice into the same folder.
TEST(RecoverBatch, FinishesWithoutATerminalAndSaysWhatItChose) {
  const CorpusImage& corpus = test::LoadCorpusImage("fat32");
  test::TempFolder folder("orvande-recover-batch-");
  const std::string out = (folder.Path() / "out").string();
  auto first = RunCliInProcess({"recover", corpus.imagePath, "--out", out});
  EXPECT_EQ(first.exitCode, 0) << first.err;
  EXPECT_NE(first.err.find("WARNING: The name \"?"), std::string::npos) << first.err;
  const size_t written = RecoveredLines(first.out).size();
  EXPECT_GT(written, 50u);

  auto second = RunCliInProcess({"recover", corpus.imagePath, "--out", out});
  EXPECT_EQ(second.exitCode, 0) << second.err;
  EXPECT_NE(second.err.find("WARNING: File \""), std::string::npos) << second.err;
  size_t copies = 0;
  for (const RecoveredLine& line : RecoveredLines(second.out))
    copies += line.path.find("[Copy 00") != std::string::npos;
  EXPECT_EQ(copies, written);
}

// Deleted files whose clusters live data holds now (FAT: a later file took the first cluster;
// NTFS: the clusters are allocated again): written as described with a warning, or left out with
// --skip-overwritten, and counted either way.
TEST(RecoverOverwritten, ReportedAndCountedOrLeftOut) {
  struct Case {
    std::string image, folder, file, bytes;
    std::string liveFile;  // named where the file system tells the owner: FAT's chains do
  };
  for (const Case& c :
       {Case{"fat12", "DOCS", "DOCS/_ARTIAL.TXT", "1024", "DOCS/REPORTS/REUSER.TXT"},
        Case{"ntfs4k", "Documents", "Documents/overwritten.bin", "163840", ""}}) {
    const CorpusImage& corpus = test::LoadCorpusImage(c.image);
    test::TempFolder folder("orvande-recover-overwritten-");
    for (const bool skip : {false, true}) {
      SCOPED_TRACE(c.image + (skip ? " skipped" : " kept"));
      const std::string out = (folder.Path() / (skip ? "skip" : "keep")).string();
      std::vector<std::string> args{"recover", corpus.imagePath, "--out", out, c.folder};
      if (skip) args.push_back("--skip-overwritten");
      auto run = RunCliInProcess(args);
      EXPECT_EQ(run.exitCode, 0) << run.err;
      const std::string taken = out + "/" + c.file;
      EXPECT_EQ(fs::exists(taken), !skip);
      EXPECT_NE(run.out.find((skip ? "skipped                  0 "
                                   : "overwritten   " + std::string(12 - c.bytes.size(), ' ') +
                                         c.bytes + " ") +
                             taken + "\n"),
                std::string::npos)
          << run.out;
      EXPECT_NE(run.out.find(skip ? " 1 skipped, 0 overwritten, " : " 0 skipped, 1 overwritten, "),
                std::string::npos)
          << run.out;
      const std::string owner = skip || c.liveFile.empty() ? std::string("live data")
                                                           : "the live file \"" + c.liveFile + "\"";
      EXPECT_NE(run.err.find("WARNING: \"" + taken + "\": its data is in use by " + owner + " now"),
                std::string::npos)
          << run.err;
    }
  }
}

// Choosing by the ids of analyze --json, by paths that match FAT names without regard to case,
// and filters on what was chosen.
TEST(RecoverChoosing, ByIdAndByPathWithoutRegardToCase) {
  const CorpusImage& corpus = test::LoadCorpusImage("fat12");
  test::TempFolder folder("orvande-recover-choose-");
  auto listing = RunCliInProcess({"analyze", corpus.imagePath, "--json"});
  ASSERT_EQ(listing.exitCode, 0);
  const Json parsed = Json::parse(listing.out);
  std::map<std::string, std::string> idOf;
  for (const Json& item : parsed["items"])
    idOf[item["path"]] = std::to_string(item["id"].get<uint32_t>());
  ASSERT_TRUE(idOf.count("DOCS/?ARTIAL.TXT") && idOf.count("CAMERA/?MG_0005.JPG"));

  struct Case {
    std::vector<std::string> choice;
    int exitCode;
    std::vector<std::string> files;
  };
  const std::vector<Case> cases = {
      {{"--id", idOf["DOCS/?ARTIAL.TXT"]}, 0, {"_ARTIAL.TXT"}},
      {{"--id", idOf["DOCS/?ARTIAL.TXT"], "--id", idOf["CAMERA/?MG_0005.JPG"]},
       0,
       {"_ARTIAL.TXT", "_MG_0005.JPG"}},
      {{"camera/?mg_0005.jpg", "--structure"}, 0, {"CAMERA/_MG_0005.JPG"}},
      {{"--id", "4000000000"}, 1, {}},
      // Filters narrow the chosen set.
      {{"CAMERA", "--name", "deleted*"}, 0, {"CAMERA/Deleted sunset photo.jpg"}},
      {{"CAMERA", "--max-size", "2000"}, 0, {"CAMERA/_MG_0005.JPG"}},
      {{"CAMERA", "--modified-before", "2021-03-16T02:30"}, 0, {"CAMERA/_MG_0005.JPG"}},
  };
  int run = 0;
  for (const Case& c : cases) {
    const fs::path out = folder.Path() / std::to_string(run++);
    std::vector<std::string> args{"recover", corpus.imagePath, "--out", out.string()};
    args.insert(args.end(), c.choice.begin(), c.choice.end());
    SCOPED_TRACE(args.back());
    auto o = RunCliInProcess(args);
    EXPECT_EQ(o.exitCode, c.exitCode) << o.err;
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(out))
      if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), out).string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, c.files) << o.out;
  }
}

// Bad usage and a destination that cannot be made are told before any analysis.
TEST(RecoverDestination, EmptyOrUnmakeableDestinationFailsFirst) {
  const CorpusImage& corpus = test::LoadCorpusImage("fat12");
  test::TempFolder folder("orvande-recover-destination-");
  std::ofstream(folder.Path() / "file") << "x";
  struct Case {
    std::string out;
    int exitCode;
    std::string message;
  };
  for (const Case& c : {Case{"", 2, "--out"}, Case{"  ", 2, "--out"},
                        Case{(folder.Path() / "file" / "below").string(), 1,
                             "cannot make the destination folder"}}) {
    SCOPED_TRACE(c.out);
    auto run = RunCliInProcess({"recover", corpus.imagePath, "--out", c.out});
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(run.out.find("files written"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("Recovered files are in"), std::string::npos);
  }
}

class RecoverSampleTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NO_THROW(image_ = test::UnpackSampleVolume(folder_.Path())); }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(image_, fs::perms::owner_all, ec);
  }

  static std::vector<std::string> Files(const fs::path& under) {
    std::vector<std::string> names;
    if (!fs::exists(under)) return names;
    for (const auto& entry : fs::recursive_directory_iterator(under))
      if (entry.is_regular_file()) names.push_back(fs::relative(entry.path(), under).string());
    std::sort(names.begin(), names.end());
    return names;
  }

  test::TempFolder folder_{"orvande-recover-sample-"};
  std::string image_;
  fs::path out_ = folder_ / "out";
};

TEST_F(RecoverSampleTest, DeletedFilesOnlyUnlessAllAreAskedFor) {
  auto o = RunCliInProcess({"recover", image_, "--out", out_.string(), "--replace-char", "_"});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  // Short names written in lower case come back so (the entries' case flags say it).
  EXPECT_EQ(Files(out_), (std::vector<std::string>{"Documents/_odo.txt", "Documents/old draft.txt",
                                                   "Pictures/Holiday 2003/beach sunset.jpg",
                                                   "Pictures/Holiday 2003/mountain view.jpg",
                                                   "Projects/_uild.log"}));
  EXPECT_NE(o.out.find("ok                    9000 " + out_.string() +
                       "/Pictures/Holiday 2003/beach sunset.jpg\n"),
            std::string::npos)
      << o.out;
  EXPECT_NE(o.out.find("5 files written, 16388 bytes, 0 failures, "), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("Recovered files are in " + out_.string() + "/"), std::string::npos);
}

// --replace-char takes any one UTF-8 character and puts it only where the first character was
// lost; more than one character is a usage error.
TEST_F(RecoverSampleTest, ReplaceCharIsAnyOneCharacterOfTheNames) {
  auto o = RunCliInProcess(
      {"recover", image_, "--out", out_.string(), "--replace-char", "\xC3\xBC", "Documents"});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  EXPECT_EQ(Files(out_),
            (std::vector<std::string>{"Documents/old draft.txt", "Documents/\xC3\xBCodo.txt"}));
  for (const char* refused : {"ab", "\xC3", "/"}) {
    auto bad =
        RunCliInProcess({"recover", image_, "--out", out_.string(), "--replace-char", refused});
    EXPECT_EQ(bad.exitCode, 2) << refused;
  }
}

TEST_F(RecoverSampleTest, PathsChooseFoldersAndFilesAndStructureKeepsTheirPlace) {
  auto o = RunCliInProcess({"recover", image_, "--out", out_.string(), "--structure", "--all-files",
                            "Pictures/Holiday 2003", "./Documents/Quarterly Report 2004.txt",
                            "Projects/"});
  // Nobody can be asked for ?uild.log's first character: it becomes '_', with a warning.
  ASSERT_EQ(o.exitCode, 0) << o.err;
  EXPECT_NE(o.err.find("WARNING: The name \"?uild.log\""), std::string::npos) << o.err;
  EXPECT_EQ(Files(out_), (std::vector<std::string>{"Documents/Quarterly Report 2004.txt",
                                                   "Pictures/Holiday 2003/beach sunset.jpg",
                                                   "Pictures/Holiday 2003/mountain view.jpg",
                                                   "Projects/Orvande Notes/design notes for the "
                                                   "recovery engine.txt",
                                                   "Projects/_uild.log"}));

  fs::remove_all(out_);
  o = RunCliInProcess({"recover", image_, "--out", out_.string(), "Pictures/Holiday 2003",
                       "Documents/old draft.txt"});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  EXPECT_EQ(Files(out_),
            (std::vector<std::string>{"Holiday 2003/beach sunset.jpg",
                                      "Holiday 2003/mountain view.jpg", "old draft.txt"}));

  o = RunCliInProcess({"recover", image_, "--out", out_.string(), "Documents/nothing.txt"});
  EXPECT_EQ(o.exitCode, 1);
  EXPECT_NE(o.err.find("\"Documents/nothing.txt\" is neither a folder nor a file"),
            std::string::npos);
}

TEST_F(RecoverSampleTest, ExistingFilesWithoutATerminalAreKeptAndTheNewOnesRenamed) {
  ASSERT_EQ(RunCliInProcess({"recover", image_, "--out", out_.string(), "Documents/old draft.txt"})
                .exitCode,
            0);
  auto o = RunCliInProcess({"recover", image_, "--out", out_.string(), "Documents/old draft.txt"});
  EXPECT_EQ(o.exitCode, 0) << o.err;
  EXPECT_NE(o.err.find("WARNING: File \"" + (out_ / "old draft.txt").string() + "\" exists."),
            std::string::npos)
      << o.err;
  EXPECT_TRUE(fs::exists(out_ / "old draft[Copy 001].txt"));

  o = RunCliInProcess({"recover", image_, "--out", out_.string(), "Documents/old draft.txt",
                       "--on-exists", "rename"});
  EXPECT_EQ(o.exitCode, 0) << o.err;
  EXPECT_TRUE(fs::exists(out_ / "old draft[Copy 002].txt"));

  for (const char* bad : {"?", "/", "ab", ""}) {
    o = RunCliInProcess({"recover", image_, "--out", out_.string(), "--replace-char", bad});
    EXPECT_EQ(o.exitCode, 2) << bad;
  }
}

TEST_F(RecoverSampleTest, ReadOnlySourceIsNeverWritten) {
  fs::permissions(image_, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const std::string before = test::Sha256OfFile(image_);
  const auto timeBefore = fs::last_write_time(image_);
  ASSERT_EQ(RunCliInProcess({"analyze", image_}).exitCode, 0);
  auto o = RunCliInProcess(
      {"recover", image_, "--out", out_.string(), "--all-files", "--replace-char", "_"});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  EXPECT_EQ(test::Sha256OfFile(image_), before);
  EXPECT_EQ(fs::last_write_time(image_), timeBefore);
  EXPECT_EQ(Files(out_).size(), 10u);

  // The same through a read-only loop device, where this machine lets us make one.
  if (geteuid() != 0 || std::system("command -v losetup >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "no loop devices here";
  const fs::path deviceFile = folder_ / "loop";
  if (std::system(("losetup --read-only --find --show '" + image_ + "' > '" + deviceFile.string() +
                   "' 2>/dev/null")
                      .c_str()) != 0)
    GTEST_SKIP() << "losetup refused";
  std::string device;
  std::ifstream(deviceFile) >> device;
  fs::remove_all(out_);
  o = RunCliInProcess({"recover", device, "--out", out_.string(), "--replace-char", "_"});
  std::system(("losetup -d '" + device + "'").c_str());
  EXPECT_EQ(o.exitCode, 0) << o.err;
  EXPECT_EQ(Files(out_).size(), 5u);
  EXPECT_EQ(test::Sha256OfFile(image_), before);
}

TEST(RecoverPrompter, TerminalAnswersAndRememberedAllAnswers) {
  std::ostringstream err;
  std::istringstream in("x\nk\n\n*\nnew?.txt\n_\n");
  CliPrompter prompter(err, &in);
  // An unknown key asks again; "skip all" holds for later questions without reading.
  EXPECT_EQ(prompter.ConfirmFileReplace("/out/a.txt"), ReplaceAnswer::kSkipAll);
  EXPECT_EQ(prompter.ConfirmFileReplace("/out/b.txt"), ReplaceAnswer::kSkipAll);
  EXPECT_NE(err.str().find("File \"/out/a.txt\" exists."), std::string::npos) << err.str();

  // A refused symbol is explained and the dialog asked again.
  BrokenNameAnswer answer = prompter.AskBrokenFileName("?ILE.DOC");
  EXPECT_EQ(answer.action, BrokenNameAnswer::kRename);
  EXPECT_EQ(answer.newName, "new?.txt");
  EXPECT_TRUE(answer.changeAll);
  EXPECT_EQ(answer.symbol, "_");
  EXPECT_NE(err.str().find("Please enter valid symbol."), std::string::npos) << err.str();

  // Options answer without asking; without a terminal "ask" renames and the unknown character
  // becomes '_', each said once as a warning, and the run goes on.
  StopFlag stop{0};
  CliPrompter silent(err, nullptr);
  silent.SetRecoveryAnswers({RecoveryAnswers::OnExists::kRename, "Q", &stop});
  EXPECT_EQ(silent.ConfirmFileReplace("/out/a.txt"), ReplaceAnswer::kAutoRenameAll);
  EXPECT_EQ(silent.AskBrokenFileName("?X").symbol, "Q");
  EXPECT_FALSE(silent.UnansweredQuestion());
  std::ostringstream log;
  CliPrompter batch(log, nullptr);
  batch.SetRecoveryAnswers({RecoveryAnswers::OnExists::kAsk, "", &stop});
  EXPECT_EQ(batch.ConfirmFileReplace("/out/a.txt"), ReplaceAnswer::kAutoRenameAll);
  EXPECT_EQ(batch.ConfirmFileReplace("/out/b.txt"), ReplaceAnswer::kAutoRenameAll);
  const BrokenNameAnswer broken = batch.AskBrokenFileName("?X");
  EXPECT_EQ(broken.action, BrokenNameAnswer::kRename);
  EXPECT_TRUE(broken.changeAll);
  EXPECT_EQ(broken.symbol, "_");
  EXPECT_EQ(stop.load(), 0);
  EXPECT_FALSE(batch.UnansweredQuestion());
  EXPECT_NE(log.str().find("WARNING: File \"/out/a.txt\" exists."), std::string::npos);
  EXPECT_EQ(log.str().find("/out/b.txt"), std::string::npos) << "one warning for the choice";
  EXPECT_NE(log.str().find("WARNING: The name \"?X\""), std::string::npos);
}

}  // namespace
}  // namespace orvande::cli
