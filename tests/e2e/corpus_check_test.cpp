// The corpus checked by a reader that is not ours: The Sleuth Kit's fls and icat must agree with
// every manifest on names, paths and deleted state, and on the content of the live files. Where
// that reader legitimately sees things differently, the difference is listed below with its
// reason instead of loosening the comparison.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/corpus.h"

namespace orvande::test {
namespace {

// --- running the other reader ---------------------------------------------------------------------

std::string Quote(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

bool HaveSleuthKit() { return std::system("command -v fls >/dev/null 2>&1 && command -v icat >/dev/null 2>&1") == 0; }

// Output of a command; empty optional when it fails.
std::optional<std::string> RunCommand(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return std::nullopt;
  std::string out;
  char buffer[65536];
  size_t got = 0;
  while ((got = fread(buffer, 1, sizeof buffer, pipe.get())) > 0) out.append(buffer, got);
  if (pclose(pipe.release()) != 0) return std::nullopt;
  return out;
}

struct TskRow {
  std::string kinds;    // "r/r", "d/d", "-/r", "v/v", ...
  bool deleted = false;
  bool reallocated = false;
  std::string address;  // FAT: "4"; NTFS: "67-128-2"
  std::string path;
  bool IsFolder() const { return kinds.size() == 3 && (kinds[2] == 'd' || kinds[0] == 'd'); }
  bool IsVirtual() const { return kinds == "v/v" || kinds == "V/V"; }
};

// Parses lines like "-/r * 67-128-2(realloc):\tdir/name".
std::vector<TskRow> ParseFls(const std::string& text) {
  std::vector<TskRow> rows;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    size_t tab = line.find(":\t");
    if (tab == std::string::npos) continue;
    TskRow row;
    row.path = line.substr(tab + 2);
    std::string head = line.substr(0, tab);
    if (head.rfind("+ ", 0) == 0) head = head.substr(2);
    size_t space = head.find(' ');
    row.kinds = head.substr(0, space);
    std::string rest = head.substr(space + 1);
    if (rest.rfind("* ", 0) == 0) {
      row.deleted = true;
      rest = rest.substr(2);
    }
    const std::string realloc = "(realloc)";
    if (rest.size() > realloc.size() && rest.compare(rest.size() - realloc.size(), realloc.size(), realloc) == 0) {
      row.reallocated = true;
      rest.resize(rest.size() - realloc.size());
    }
    row.address = rest;
    rows.push_back(row);
  }
  return rows;
}

// --- known differences ------------------------------------------------------------------------------

// Entries under `folder` that The Sleuth Kit may list as $OrphanFiles/<rest of the path> instead of
// at their path.
struct RelocatedByTsk {
  const char* imagePrefix;
  const char* folder;
  const char* reason;
};

constexpr RelocatedByTsk kRelocated[] = {
    {"fat", "Old Project/LOGS",
     "a deleted folder's cluster chain is freed, so TSK reads only its first cluster; the entries in "
     "its later clusters are found by the orphan scan and filed under $OrphanFiles"},
    {"ntfs", "Gone",
     "the folder's MFT record was taken by Documents/reborn.txt, so TSK cannot place its children "
     "(their parent reference has the old sequence number) and files them under $OrphanFiles"},
};

// Rows that are not files the generator made.
std::string WhyIgnored(const CorpusImage& image, const TskRow& row) {
  if (row.IsVirtual()) return "TSK's virtual files ($MBR, $FAT1, $OrphanFiles)";
  if (image.IsFat() && row.path.find("(Volume Label Entry)") != std::string::npos) {
    return "the volume label entry written by mkfs.fat";
  }
  if (!image.IsFat() && row.path.rfind("$OrphanFiles/OrphanFile-", 0) == 0) {
    // mkntfs leaves MFT records 16 to 23 reserved and unused; TSK lists each as an orphan.
    int record = std::atoi(row.path.c_str() + std::string("$OrphanFiles/OrphanFile-").size());
    if (record >= 16 && record <= 23) return "reserved MFT records 16-23, unused";
  }
  if (row.path.rfind("$", 0) == 0 && row.path.rfind("$OrphanFiles/", 0) != 0) {
    return "file system metadata ($MFT, $Extend/..., $FAT1, ...)";
  }
  return "";
}

// The path TSK shows for an entry: a deleted FAT entry without long-name entries has lost its first
// character to the 0xE5 mark, which TSK shows as '_' (the same for each deleted folder above it).
std::string TskPathOf(const CorpusImage& image, const std::string& path) {
  if (!image.IsFat()) return path;
  std::string out;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    std::string component = path.substr(start, slash - start);
    const CorpusEntry* entry = image.Find(path.substr(0, slash));
    if (entry != nullptr && entry->deleted && !entry->longName && !component.empty()) component[0] = '_';
    out += (out.empty() ? "" : "/") + component;
    start = slash + 1;
  }
  return out;
}

// --- the check --------------------------------------------------------------------------------------

class CorpusCheck : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    if (!HaveSleuthKit()) GTEST_SKIP() << "The Sleuth Kit (fls, icat; Debian package sleuthkit) is not installed";
    image_ = &LoadCorpusImage(GetParam());
    auto listing = RunCommand("fls -r -p " + Quote(image_->imagePath));
    ASSERT_TRUE(listing.has_value()) << "fls failed on " << image_->imagePath;
    rows_ = ParseFls(*listing);
    ASSERT_FALSE(rows_.empty());
  }

  // Where TSK should list each entry whose directory entry or MFT record still exists.
  std::map<std::string, const CorpusEntry*> Expected() const {
    std::map<std::string, const CorpusEntry*> expected;
    for (const CorpusEntry& entry : image_->entries) {
      if (entry.entryIntact) expected[TskPathOf(*image_, entry.path)] = &entry;
    }
    return expected;
  }

  // The $OrphanFiles path of an entry in a folder TSK is known to lose, or "".
  std::string RelocatedPath(const std::string& tskPath) const {
    for (const RelocatedByTsk& known : kRelocated) {
      if (image_->name.rfind(known.imagePrefix, 0) != 0) continue;
      std::string folder = TskPathOf(*image_, known.folder) + "/";
      if (tskPath.rfind(folder, 0) == 0) return "$OrphanFiles/" + tskPath.substr(folder.size());
    }
    return "";
  }

  const CorpusImage* image_ = nullptr;
  std::vector<TskRow> rows_;
};

TEST_P(CorpusCheck, EverythingTskListsIsInTheManifestWithTheSameState) {
  auto expected = Expected();
  std::map<std::string, std::string> relocated;  // $OrphanFiles path -> path in the manifest
  for (const auto& [path, entry] : expected) {
    std::string moved = RelocatedPath(path);
    if (!moved.empty()) relocated[moved] = path;
  }
  std::set<std::string> seen;
  for (const TskRow& row : rows_) {
    if (!WhyIgnored(*image_, row).empty()) continue;
    std::string path = row.path;
    if (auto moved = relocated.find(path); moved != relocated.end()) path = moved->second;
    auto found = expected.find(path);
    if (found == expected.end()) {
      // A deleted name whose MFT record now holds another file: the name is the generator's, the
      // record is not, and the manifest says so.
      const CorpusEntry* entry = image_->Find(row.path);
      if (row.reallocated && entry != nullptr && entry->deleted && !entry->entryIntact) continue;
      ADD_FAILURE() << image_->name << ": TSK lists '" << row.path << "' (" << row.kinds
                    << (row.deleted ? ", deleted" : "") << "), the manifest has no such entry";
      continue;
    }
    const CorpusEntry& entry = *found->second;
    seen.insert(path);
    EXPECT_EQ(row.deleted, entry.deleted) << image_->name << ": deleted state of " << entry.path;
    EXPECT_EQ(row.IsFolder(), entry.IsFolder()) << image_->name << ": type of " << entry.path;
  }
  for (const auto& [path, entry] : expected) {
    EXPECT_TRUE(seen.count(path)) << image_->name << ": TSK does not list '" << entry->path
                                   << "'" << (path != entry->path ? " (shown as '" + path + "')" : "");
  }
}

// SHA-256 of what icat reads at each address, in one shell.
std::map<std::string, std::string> IcatHashes(const std::string& image, const std::vector<std::string>& addresses) {
  std::filesystem::path list = std::filesystem::path(ORVANDE_BINARY_DIR) / "corpus" /
                               (std::filesystem::path(image).filename().string() + ".addresses");
  {
    std::ofstream out(list);
    for (const std::string& address : addresses) out << address << "\n";
  }
  auto text = RunCommand("while read -r a; do printf '%s ' \"$a\"; icat " + Quote(image) +
                         " \"$a\" | sha256sum; done < " + Quote(list.string()));
  std::filesystem::remove(list);
  std::map<std::string, std::string> hashes;
  if (!text) return hashes;
  std::istringstream lines(*text);
  std::string address;
  std::string hash;
  std::string dash;
  while (lines >> address >> hash >> dash) hashes[address] = hash;
  return hashes;
}

// SHA-256 of every file tsk_recover extracts (all allocated files, by path), in two processes.
std::map<std::string, std::string> RecoveredHashes(const std::string& image, const std::filesystem::path& into) {
  std::filesystem::remove_all(into);
  std::filesystem::create_directories(into);
  std::map<std::string, std::string> hashes;
  if (!RunCommand("tsk_recover -a " + Quote(image) + " " + Quote(into.string()) + " >/dev/null")) return hashes;
  auto text = RunCommand("cd " + Quote(into.string()) + " && find . -type f -print0 | xargs -0 -r sha256sum");
  if (!text) return hashes;
  std::istringstream lines(*text);
  std::string line;
  while (std::getline(lines, line)) {
    // "<hash>  ./<path>"
    if (line.size() > 68) hashes[line.substr(68)] = line.substr(0, 64);
  }
  return hashes;
}

TEST_P(CorpusCheck, TskReadsTheRecordedContentOfEveryLiveFile) {
  std::map<std::string, std::string> addressOf;
  for (const TskRow& row : rows_) {
    if (!row.deleted) addressOf[row.path] = row.address;
  }
  auto into = std::filesystem::path(ORVANDE_BINARY_DIR) / "corpus" / (image_->name + ".recovered");
  auto files = RecoveredHashes(image_->imagePath, into);
  ASSERT_FALSE(files.empty()) << "tsk_recover extracted nothing from " << image_->imagePath;

  std::vector<const CorpusEntry*> streams;
  std::vector<std::string> streamAddresses;
  const std::string emptyHash = Sha256Hex(std::string());
  for (const CorpusEntry& entry : image_->entries) {
    if (entry.deleted || entry.IsFolder()) continue;
    if (entry.IsStream()) {
      // tsk_recover extracts only the unnamed data; icat reads the named ones.
      auto address = addressOf.find(entry.path);
      if (address == addressOf.end()) {
        ADD_FAILURE() << image_->name << ": no live TSK entry for stream " << entry.path;
        continue;
      }
      streams.push_back(&entry);
      streamAddresses.push_back(address->second);
      continue;
    }
    auto hash = files.find(entry.path);
    if (hash == files.end()) {
      // tsk_recover writes no file for an empty one; the listing check has found it.
      EXPECT_EQ(entry.sha256, emptyHash) << image_->name << ": tsk_recover did not extract " << entry.path;
      continue;
    }
    EXPECT_EQ(hash->second, entry.sha256) << image_->name << ": content of " << entry.path;
  }
  auto streamHashes = IcatHashes(image_->imagePath, streamAddresses);
  for (size_t i = 0; i < streams.size(); ++i) {
    EXPECT_EQ(streamHashes[streamAddresses[i]], streams[i]->sha256)
        << image_->name << ": content of " << streams[i]->path;
  }
  std::filesystem::remove_all(into);
}

// Orphans have no entry any reader could list, so their place is checked in the raw image: each
// starts at its first cluster and, being contiguous, runs on for its size.
class CorpusOrphans : public ::testing::TestWithParam<std::string> {};

TEST_P(CorpusOrphans, ContentSitsAtItsFirstCluster) {
  const CorpusImage& image = LoadCorpusImage(GetParam());
  ASSERT_FALSE(image.orphans.empty()) << image.name;
  uint64_t firstClusterSector = image.manifest.at("first_cluster_sector").get<uint64_t>();
  std::ifstream in(image.imagePath, std::ios::binary);
  uint32_t previous = 0;
  for (const CorpusOrphan& orphan : image.orphans) {
    EXPECT_GT(orphan.firstCluster, previous) << "orphans are listed by first cluster";
    previous = orphan.firstCluster;
    uint64_t offset = firstClusterSector * image.bytesPerSector +
                      uint64_t{orphan.firstCluster - 2} * image.bytesPerCluster;
    std::string bytes(orphan.size, '\0');
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(in) << orphan.path;
    EXPECT_EQ(Sha256Hex(bytes), orphan.sha256) << image.name << ": " << orphan.path;
    EXPECT_EQ(bytes.substr(0, 3), "\xFF\xD8\xFF") << orphan.path;
    const CorpusEntry* entry = image.Find(orphan.path);
    ASSERT_NE(entry, nullptr) << orphan.path;
    EXPECT_FALSE(entry->entryIntact) << orphan.path;
  }
}

std::string ImageName(const ::testing::TestParamInfo<std::string>& info) { return info.param; }

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusCheck, ::testing::ValuesIn(CorpusImageNames()), ImageName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(CorpusCheck);

std::vector<std::string> FatImageNames() {
  std::vector<std::string> names;
  for (const std::string& name : CorpusImageNames()) {
    if (name.rfind("fat", 0) == 0) names.push_back(name);
  }
  return names;
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusOrphans, ::testing::ValuesIn(FatImageNames()), ImageName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(CorpusOrphans);

}  // namespace
}  // namespace orvande::test
