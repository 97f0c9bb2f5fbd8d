// The analysis of every NTFS image of the corpus against its manifest (each folder and file at
// its path with its deleted state, size and time; records whose parent was reused under their
// placeholder; probabilities; deleted files recovered byte for byte with their streams) and
// against an independent reader, The Sleuth Kit's fls.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/corpus.h"
#include "core/file_record.h"
#include "core/recovery_context.h"
#include "disk/image_file_node.h"
#include "disk/sector_device.h"
#include "ntfs/ntfs_analyzer.h"
#include "ntfs_tree_fixture.h"

namespace orvande {
namespace {

constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000;
constexpr uint64_t kFileTimeUnitsPerSecond = 10000000;
constexpr char kPlaceholderPrefix[] = "$$folder_";

// One image analysed the way the application does it: an analyzing and a reader instance.
struct Analysis {
  explicit Analysis(const test::CorpusImage& image) : node(image.imagePath) {
    analyzer = OpenOne(true);
    reader = OpenOne(false);
    if (analyzer == nullptr || reader == nullptr) return;
    BuildTreeContext context = tree.Context(reader.get());
    status = analyzer->BuildTree(context, &log);
    items = tree.List();
  }
  std::unique_ptr<NtfsAnalyzer> OpenOne(bool logged) {
    SectorDevice* device = node.CreateDevice();
    if (device == nullptr || !device->Open(false, nullptr)) return nullptr;
    auto opened = std::make_unique<NtfsAnalyzer>();
    const bool ok = opened->Open(device, false, logged ? &log : nullptr);
    device->Release();
    return ok ? std::move(opened) : nullptr;
  }

  ImageFileNode node;
  std::unique_ptr<NtfsAnalyzer> analyzer;
  std::unique_ptr<NtfsAnalyzer> reader;
  test::TreeUnderTest tree;
  OperationLog log;
  uint32_t status = ~0u;
  std::map<std::string, test::ListedEntry> items;
};

// Where the analysis shows an entry: a folder whose record was taken by another file since can't
// be found, so what lay in it sits under the placeholder for its record number.
std::string ExpectedPath(const test::CorpusImage& image, const test::CorpusEntry& entry) {
  std::string path = entry.path;
  for (size_t slash = path.find('/'); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    const test::CorpusEntry* ancestor = image.Find(path.substr(0, slash));
    if (ancestor != nullptr && !ancestor->entryIntact && ancestor->mftRecord) {
      path = kPlaceholderPrefix + std::to_string(*ancestor->mftRecord) + path.substr(slash);
      slash = path.find('/');
    }
  }
  return path;
}

int64_t UnixSeconds(uint64_t fileTime) {
  return (static_cast<int64_t>(fileTime) - static_cast<int64_t>(kUnixEpochAsFileTime)) /
         static_cast<int64_t>(kFileTimeUnitsPerSecond);
}

bool ToolAvailable(const char* tool) {
  const std::string command = std::string("command -v ") + tool + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

// The lines a command prints on standard output.
std::vector<std::string> OutputLines(const std::string& command) {
  std::vector<std::string> lines;
  FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return lines;
  std::string line;
  char chunk[4096];
  while (std::fgets(chunk, sizeof chunk, pipe) != nullptr) {
    line += chunk;
    if (line.back() != '\n') continue;
    line.pop_back();
    lines.push_back(std::move(line));
    line.clear();
  }
  pclose(pipe);
  return lines;
}

// The modification time ($STANDARD_INFORMATION) of every record as fls reads it, by record
// number; empty without fls.
std::map<uint64_t, int64_t> SleuthTimes(const std::string& imagePath) {
  std::map<uint64_t, int64_t> times;
  if (!ToolAvailable("fls")) return times;
  // Body lines: md5|name|inode|mode|uid|gid|size|atime|mtime|ctime|crtime; the inode is
  // "record-type-id", and type 48 lines carry the $FILE_NAME times.
  for (const std::string& line : OutputLines("fls -r -p -m '' '" + imagePath + "'")) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t bar = line.find('|'); bar != std::string::npos; bar = line.find('|', start)) {
      fields.push_back(line.substr(start, bar - start));
      start = bar + 1;
    }
    fields.push_back(line.substr(start));
    if (fields.size() < 11) continue;
    const std::string& inode = fields[2];
    const size_t dash = inode.find('-');
    if (dash == std::string::npos || inode.compare(dash, 4, "-48-") == 0) continue;
    times.emplace(std::stoull(inode.substr(0, dash)), std::stoll(fields[8]));
  }
  return times;
}

class NtfsCorpusAnalysis : public test::NtfsOutputTest {
 protected:
  void SetUp() override {
    test::NtfsOutputTest::SetUp();
    names_ = test::CorpusImageNames("ntfs");
    if (names_.empty()) GTEST_SKIP() << "no NTFS images in tests/data";
  }
  std::vector<std::string> names_;
};

TEST_F(NtfsCorpusAnalysis, EveryEntryAtItsPathWithItsChances) {
  for (const std::string& name : names_) {
    SCOPED_TRACE(name);
    const test::CorpusImage& image = test::LoadCorpusImage(name);
    Analysis analysis(image);
    ASSERT_NE(analysis.analyzer, nullptr) << test::Lines(analysis.log);
    EXPECT_EQ(analysis.status, 0u) << test::Lines(analysis.log);
    EXPECT_TRUE(analysis.reader->HasClusterBitmap());
    const std::map<uint64_t, int64_t> volumeTimes = SleuthTimes(image.imagePath);
    int checked = 0;
    int underPlaceholders = 0;
    int timesFromVolume = 0;
    for (const test::CorpusEntry& entry : image.entries) {
      // A record taken by a later file describes that file now.
      if (entry.IsStream() || !entry.entryIntact) continue;
      const std::string path = ExpectedPath(image, entry);
      SCOPED_TRACE(path);
      auto found = analysis.items.find(path);
      ASSERT_NE(found, analysis.items.end());
      const test::ListedEntry& item = found->second;
      EXPECT_EQ(item.folder, entry.IsFolder());
      EXPECT_EQ(item.deleted, entry.deleted);
      if (entry.mftRecord) {
        EXPECT_EQ(item.id, *entry.mftRecord);
      }
      if (!entry.IsFolder()) {
        EXPECT_EQ(item.size, entry.size);
      }
      // The volume's own time, as an independent reader sees it, where the generator could not
      // set the time it recorded (its filler, files deleted while the volume was full).
      if (entry.mtime && entry.mftRecord) {
        auto onVolume = volumeTimes.find(*entry.mftRecord);
        const int64_t expected = onVolume != volumeTimes.end() ? onVolume->second : *entry.mtime;
        EXPECT_EQ(UnixSeconds(item.modified), expected);
        timesFromVolume += onVolume != volumeTimes.end() && onVolume->second != *entry.mtime;
      }
      // The clusters of a deleted file that is still whole are all free; a live file is no
      // question at all. Clusters that were overwritten and freed again look free too, so the
      // bitmap says nothing certain about files that are no longer whole.
      if (!entry.IsFolder()) {
        ItemLocation location = item.location;
        const uint32_t probability = analysis.reader->GetRecoveryProbability(location, 0, nullptr);
        if (!entry.deleted) {
          EXPECT_EQ(probability, kProbabilityNotDeleted);
        } else if (entry.intact) {
          EXPECT_EQ(probability, kProbabilityGood);
        }
      }
      underPlaceholders += path.rfind(kPlaceholderPrefix, 0) == 0;
      ++checked;
    }
    EXPECT_GT(checked, 100);
    // Only a few times may differ from what the generator recorded.
    EXPECT_LT(timesFromVolume * 20, checked)
        << timesFromVolume << " times differ from the manifest";
    // Each image has a folder whose record a later file took.
    EXPECT_GT(underPlaceholders, 0);
  }
}

TEST_F(NtfsCorpusAnalysis, DeletedFilesComeBackWholeWithTheirStreams) {
  for (const std::string& name : names_) {
    SCOPED_TRACE(name);
    const test::CorpusImage& image = test::LoadCorpusImage(name);
    Analysis analysis(image);
    ASSERT_NE(analysis.analyzer, nullptr);
    int recovered = 0;
    int streams = 0;
    for (const test::CorpusEntry& entry : image.entries) {
      if (!entry.deleted || !entry.intact || !entry.entryIntact || entry.IsFolder()) continue;
      // The generator's filler, megabytes of one pattern, adds time and nothing else here.
      if (entry.notes.rfind("fills the volume", 0) == 0) continue;
      SCOPED_TRACE(entry.path);
      std::string filePath = entry.path;
      std::string stream;
      if (entry.IsStream()) {
        const size_t colon = filePath.rfind(':');
        stream = filePath.substr(colon);
        filePath.resize(colon);
      }
      const test::CorpusEntry* file = image.Find(filePath);
      ASSERT_NE(file, nullptr);
      const test::ListedEntry& item = analysis.items.at(ExpectedPath(image, *file));
      ItemLocation location = item.location;
      const std::string out = PathOf(name + "_" + std::to_string(recovered + streams));
      RecoveryContext context;
      OperationLog log;
      ASSERT_TRUE(analysis.analyzer->RecoverFile(location, item.size, out, true, context, &log))
          << test::Lines(log);
      EXPECT_EQ(test::Sha256OfFile(out + stream), entry.sha256) << test::Lines(log);
      (entry.IsStream() ? streams : recovered) += 1;
    }
    EXPECT_GT(recovered, 10);
    EXPECT_GT(streams, 0);
  }
}

// One line of `fls -r -p`: its path, and whether the name or its record is deleted.
struct SleuthEntry {
  std::string path;
  bool deleted = false;
  bool file = false;
  bool reallocated = false;
};

std::vector<SleuthEntry> SleuthListing(const std::string& imagePath) {
  std::vector<SleuthEntry> entries;
  for (const std::string& line : OutputLines("fls -r -p '" + imagePath + "'")) {
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    SleuthEntry entry;
    const std::string head = line.substr(0, tab);
    entry.path = line.substr(tab + 1);
    entry.file = head.size() >= 3 && head[2] == 'r';
    entry.deleted = head.find(" * ") != std::string::npos;
    const std::string realloc = " (realloc)";
    if (entry.path.size() > realloc.size() &&
        entry.path.compare(entry.path.size() - realloc.size(), realloc.size(), realloc) == 0) {
      entry.reallocated = true;
      entry.path.resize(entry.path.size() - realloc.size());
    }
    entries.push_back(entry);
  }
  return entries;
}

bool IsSystemPath(const std::string& path) {
  return path.rfind("$", 0) == 0 && path.rfind(kPlaceholderPrefix, 0) != 0 &&
         path.rfind("$OrphanFiles/", 0) != 0;
}

TEST_F(NtfsCorpusAnalysis, SameFilesAsTheSleuthKit) {
  if (!ToolAvailable("fls")) GTEST_SKIP() << "fls (sleuthkit) is not installed";
  for (const std::string& name : names_) {
    SCOPED_TRACE(name);
    const test::CorpusImage& image = test::LoadCorpusImage(name);
    Analysis analysis(image);
    ASSERT_NE(analysis.analyzer, nullptr);

    // Ordinary files only: system files and streams are left out on both sides.
    std::map<std::string, bool> theirs;
    std::set<std::string> reallocated;
    for (const SleuthEntry& entry : SleuthListing(image.imagePath)) {
      if (!entry.file || entry.path.find(':') != std::string::npos || IsSystemPath(entry.path))
        continue;
      if (entry.reallocated) {
        reallocated.insert(entry.path);
        continue;
      }
      theirs[entry.path] = entry.deleted;
    }
    ASSERT_FALSE(theirs.empty());
    std::map<std::string, bool> ours;
    for (const auto& [path, item] : analysis.items) {
      if (!item.folder && !IsSystemPath(path)) ours[path] = item.deleted;
    }

    // Where the two may differ, and why:
    // - fls files a deleted record whose parent folder's record was taken by another file under
    //   "$OrphanFiles/"; the analysis puts it under the placeholder for that parent number.
    // - fls shows records that have no name at all as "$OrphanFiles/OrphanFile-<n>"; a record
    //   without a name adds nothing to the tree.
    // - fls lists a deleted name left in a folder's index whose record now holds another file as
    //   "(realloc)"; the analysis reads only the record, which shows the file it holds now.
    std::map<std::string, bool> orphans;
    for (auto it = theirs.begin(); it != theirs.end();) {
      if (it->first.rfind("$OrphanFiles/", 0) == 0) {
        const std::string rest = it->first.substr(std::string("$OrphanFiles/").size());
        if (rest.rfind("OrphanFile-", 0) != 0) orphans[rest] = it->second;
        it = theirs.erase(it);
      } else {
        ++it;
      }
    }
    for (auto it = ours.begin(); it != ours.end();) {
      const size_t slash = it->first.find('/');
      if (it->first.rfind(kPlaceholderPrefix, 0) == 0 && slash != std::string::npos) {
        const std::string rest = it->first.substr(slash + 1);
        auto orphan = orphans.find(rest);
        EXPECT_NE(orphan, orphans.end())
            << it->first << " is under a placeholder, fls has no orphan";
        if (orphan != orphans.end()) {
          EXPECT_EQ(orphan->second, it->second) << it->first;
          orphans.erase(orphan);
        }
        it = ours.erase(it);
      } else {
        ++it;
      }
    }
    EXPECT_TRUE(orphans.empty()) << orphans.size()
                                 << " orphans of fls not under a placeholder, e.g. "
                                 << orphans.begin()->first;
    for (const auto& [path, deleted] : theirs) {
      auto it = ours.find(path);
      if (it == ours.end()) {
        ADD_FAILURE() << "fls lists " << path << (deleted ? " (deleted)" : "") << ", we do not";
      } else {
        EXPECT_EQ(it->second, deleted) << path;
      }
    }
    for (const auto& [path, deleted] : ours) {
      if (theirs.count(path) == 0 && reallocated.count(path) == 0)
        ADD_FAILURE() << "we list " << path << (deleted ? " (deleted)" : "") << ", fls does not";
    }
  }
}

}  // namespace
}  // namespace orvande
