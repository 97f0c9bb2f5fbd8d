// Unreadable sectors during an analysis: a bad directory sector costs only its own entries, the
// sectors a read filled with zeros are each named once, and the analysis ends with their number.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "common/port_doubles.h"
#include "common/temp_folder.h"
#include "core/recovery_writer.h"
#include "fat/fat_image_builder.h"
#include "fat/fat_test_volume.h"

namespace orvande::test {
namespace {

constexpr int kFiles = 40;  // two and a half sectors of directory entries
constexpr uint32_t kEntriesPerSector = 512 / 32;

std::string FileName(int i) {
  char name[16];
  std::snprintf(name, sizeof name, "F%02d", i);
  return name;
}

void WriteFiles(FatImageBuilder& image, uint64_t offset) {
  DirectoryWriter writer(image, offset);
  for (int i = 0; i < kFiles; ++i) writer.Add(FileEntry(FileName(i) + "     TXT", 0, 10));
}

// The names a directory should show when its sector `bad` (0-based) is unreadable.
std::vector<std::string> NamesWithout(uint32_t bad) {
  std::vector<std::string> names;
  for (int i = 0; i < kFiles; ++i)
    if (static_cast<uint32_t>(i) / kEntriesPerSector != bad) names.push_back(FileName(i) + ".TXT");
  return names;
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

std::string BadSectorLine(uint64_t sector) {
  char line[64];
  std::snprintf(line, sizeof line, "WARNING: Bad sector at: 0x%016llx",
                static_cast<unsigned long long>(sector));
  return line;
}

size_t Occurrences(const std::vector<std::string>& lines, const std::string& line) {
  return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}

struct DirectoryCase {
  const char* what;
  bool inRoot;  // else a folder of four-sector clusters
};

class BadDirectorySector : public ::testing::TestWithParam<DirectoryCase> {};

TEST_P(BadDirectorySector, LosesOnlyItsOwnEntries) {
  FatLayout layout = FatLayout::SmallFat16();
  if (!GetParam().inRoot) {
    layout.sectorsPerCluster = 4;
    layout.width = 12;  // 2,024 clusters
  }
  FatImageBuilder image(layout);
  uint64_t directorySector = image.RootDirSector();
  std::string folder;
  if (!GetParam().inRoot) {
    DirectoryWriter(image, image.RootDirOffset()).Add(DirEntryBytes("SUB", 5));
    image.Chain({5});
    directorySector = image.ClusterOffset(5) / 512;
    folder = "SUB";
  }
  WriteFiles(image, directorySector * 512);
  FatTestVolume volume(image.Bytes());
  volume.Image().Fail(directorySector + 1, 23);
  ASSERT_TRUE(volume.Open());
  ASSERT_EQ(volume.Build(), 0u);

  EXPECT_EQ(Sorted(volume.FileNames(folder)), NamesWithout(1));
  const std::vector<std::string>& lines = volume.log.Lines();
  EXPECT_EQ(Occurrences(lines, BadSectorLine(directorySector + 1)), 1u) << volume.log.JoinedText();
  EXPECT_EQ(Occurrences(lines,
                        "WARNING: 1 bad sector(s) could not be read; their contents were "
                        "taken as zeros."),
            1u)
      << volume.log.JoinedText();
}

INSTANTIATE_TEST_SUITE_P(FatDirectories, BadDirectorySector,
                         ::testing::Values(DirectoryCase{"root", true},
                                           DirectoryCase{"folder", false}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST(FatBadSectors, FilledDataSectorsAreNamedOnceAndCounted) {
  FatImageBuilder image(FatLayout::SmallFat16());
  DirectoryWriter(image, image.RootDirOffset()).Add(FileEntry("DATA    BIN", 100, 3 * 512));
  image.Chain({100, 101, 102});
  const uint64_t first = image.ClusterOffset(100) / 512;
  FatTestVolume volume(image.Bytes());
  volume.Image().Fail(first, 23);
  volume.Image().Fail(first + 2, 23);
  ASSERT_TRUE(volume.Open());
  ASSERT_EQ(volume.Build(), 0u);
  EXPECT_EQ(Sorted(volume.FileNames("")), std::vector<std::string>{"DATA.BIN"});
  const std::vector<std::string>& lines = volume.log.Lines();
  EXPECT_EQ(Occurrences(lines, BadSectorLine(first)), 1u) << volume.log.JoinedText();
  EXPECT_EQ(Occurrences(lines, BadSectorLine(first + 2)), 1u);
  EXPECT_EQ(lines.back(),
            "WARNING: 2 bad sector(s) could not be read; their contents were taken as zeros.");
  EXPECT_EQ(volume.analyzer.BadSectors().Count(), 2u);
}

TEST(FatBadSectors, CleanVolumeEndsWithoutABadSectorWarning) {
  FatImageBuilder image(FatLayout::SmallFat16());
  DirectoryWriter(image, image.RootDirOffset()).Add(FileEntry("DATA    BIN", 100, 10));
  image.Chain({100});
  FatTestVolume volume(image.Bytes());
  ASSERT_TRUE(volume.Open());
  ASSERT_EQ(volume.Build(), 0u);
  for (const std::string& line : volume.log.Lines())
    EXPECT_EQ(line.find("bad sector"), std::string::npos) << line;
  EXPECT_EQ(volume.analyzer.BadSectors().Count(), 0u);
}

// A file written over one unreadable sector says so in its outcome, whether the analysis met the
// sector first (the live file's data is read for its type) or only the writing did.
TEST(FatBadSectors, RecoveredFileCountsTheSectorsItsWritingFilled) {
  struct Case {
    const char* name83;
    bool deleted;
  };
  for (const Case& c : {Case{"LIVE    BIN", false}, Case{"GONE    BIN", true}}) {
    SCOPED_TRACE(c.name83);
    FatImageBuilder image(FatLayout::SmallFat16());
    EntryBytes entry = FileEntry(c.name83, 100, 3 * 512);
    DirectoryWriter(image, image.RootDirOffset()).Add(c.deleted ? Deleted(entry) : entry);
    if (!c.deleted) image.Chain({100, 101, 102});
    const uint64_t bad = image.ClusterOffset(101) / 512;
    FatTestVolume volume(image.Bytes());
    volume.Image().Fail(bad, 23);
    ASSERT_TRUE(volume.Open());
    ASSERT_EQ(volume.Build(), 0u);
    FolderRef root = volume.Folder("");
    ASSERT_TRUE(root);
    ASSERT_EQ(root->Files().size(), 1u);
    const FileRecord record = root->Files()[0];

    TempFolder out("orvande_fat_bad");
    RecordingRecoveryListener reports;
    RecoveryContext job;
    job.stop = &volume.stop;
    job.listener = &reports;
    job.recoverAllFiles = true;
    job.replacementCharacter = "_";  // the deleted name lost its first character
    job.destination = out.Path().string() + "/";
    RecoveryWriter writer(job, volume.analyzer, &volume.log);
    ASSERT_TRUE(writer.RecoverSelectedFile(*root, record.id, record.Name(), job.destination));

    ASSERT_EQ(reports.files.size(), 1u);
    const RecoveryOutcome& outcome = reports.files[0].second;
    EXPECT_EQ(outcome.kind, RecoveryOutcome::Kind::kBadSectors);
    EXPECT_EQ(outcome.Label(), "bad-sectors 1");
    EXPECT_EQ(outcome.bytes, 3u * 512);
    EXPECT_FALSE(outcome.Whole());
  }
}

}  // namespace
}  // namespace orvande::test
