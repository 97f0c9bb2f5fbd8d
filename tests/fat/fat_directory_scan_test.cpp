// The first pass over directories: names, deleted entries, long names, times, loops and limits.
#include <gtest/gtest.h>

#include "fat/fat_directory_entry.h"
#include "fat/fat_image_builder.h"
#include "fat/fat_test_volume.h"
#include "platform/file_time.h"

namespace orvande::test {
namespace {

uint64_t Local(int y, int mo, int d, int h, int mi, int s) {
  return platform::LocalCalendarToFileTime(y, mo, d, h, mi, s, nullptr);
}

EntryBytes Dot(uint32_t cluster) { return DirEntryBytes(".", cluster); }
EntryBytes DotDot(uint32_t cluster) { return DirEntryBytes("..", cluster); }

class FatDirectoryScanTest : public ::testing::Test {
 protected:
  FatImageBuilder image{FatLayout::SmallFat16()};
  DirectoryWriter Root() { return DirectoryWriter(image, image.RootDirOffset()); }
  DirectoryWriter Cluster(uint32_t c) {
    image.Chain({c});
    return DirectoryWriter(image, image.ClusterOffset(c));
  }
  std::unique_ptr<FatTestVolume> Analyze() {
    auto volume = std::make_unique<FatTestVolume>(image.Bytes());
    EXPECT_TRUE(volume->Open());
    EXPECT_EQ(volume->Build(), 0u);
    return volume;
  }
};

TEST_F(FatDirectoryScanTest, LiveTreeWithLongNamesTimesAndIds) {
  ShortEntryFields report;
  report.name83 = "QUARTE~1TXT";
  report.firstCluster = 10;
  report.size = 1234;
  report.createDate = DosDate(2019, 1, 2);
  report.createTime = DosTime(3, 4, 6);
  report.createTenths = 7;
  report.writeDate = DosDate(2020, 5, 17);
  report.writeTime = DosTime(10, 20, 30);
  ShortEntryFields label;
  label.name83 = "MY VOLUME  ";
  label.attributes = 0x08;
  Root()
      .Add(ShortEntry(label))
      .Add(LongNamePieces(u"Quarterly Report.txt", Checksum83("QUARTE~1TXT")))
      .Add(ShortEntry(report))
      .Add(DirEntryBytes("DOCS", 20));
  Cluster(20)
      .Add(Dot(20))
      .Add(DotDot(0))
      .Add(FileEntry("A       TXT", 30, 5))
      .Add(Deleted(FileEntry("BCDEF   TXT", 31, 7)))
      .Add(DirEntryBytes("SUB", 21));
  Cluster(21).Add(Dot(21)).Add(DotDot(20)).Add(FileEntry("C       BIN", 40, 100));

  auto v = Analyze();
  EXPECT_EQ(v->FileNames(""), std::vector<std::string>{"Quarterly Report.txt"});
  EXPECT_EQ(v->FolderNames(""), std::vector<std::string>{"DOCS"});
  EXPECT_EQ(v->FileNames("DOCS"), (std::vector<std::string>{"A.TXT", "?CDEF.TXT"}));
  EXPECT_EQ(v->FolderNames("DOCS"), std::vector<std::string>{"SUB"});
  EXPECT_EQ(v->FileNames("DOCS/SUB"), std::vector<std::string>{"C.BIN"});
  EXPECT_TRUE(v->FolderNames("DOCS/SUB").empty());
  EXPECT_EQ(v->store.Size(), 3u);

  auto quarterly = v->File("Quarterly Report.txt");
  ASSERT_TRUE(quarterly);
  EXPECT_EQ(quarterly->size, 1234u);
  EXPECT_EQ(quarterly->deleted, 0);
  EXPECT_EQ(quarterly->location.Kind(), 0u);
  EXPECT_EQ(quarterly->location.Position(), 10u);
  EXPECT_EQ(quarterly->created, Local(2019, 1, 2, 3, 4, 6));
  EXPECT_EQ(quarterly->modified, Local(2020, 5, 17, 10, 20, 30));

  // One counter for folders and files, the root first, in the order found.
  EXPECT_EQ(v->Folder("")->Id(), 1u);
  EXPECT_EQ(quarterly->id, 2u);
  EXPECT_EQ(v->Folder("DOCS")->Id(), 3u);
  EXPECT_EQ(v->File("DOCS/A.TXT")->id, 4u);
  EXPECT_EQ(v->File("DOCS/?CDEF.TXT")->id, 5u);
  EXPECT_EQ(v->Folder("DOCS/SUB")->Id(), 6u);
  EXPECT_EQ(v->File("DOCS/SUB/C.BIN")->id, 7u);
  EXPECT_EQ(v->analyzer.NextId(), 8u);

  EXPECT_EQ(v->Folder("DOCS")->Location().Position(), 20u);
  auto deleted = v->File("DOCS/?CDEF.TXT");
  EXPECT_EQ(deleted->deleted, 1);
  EXPECT_EQ(deleted->location.Deleted(), 1);
  // Deleted content below marks the ordinary folders up to the top.
  EXPECT_EQ(v->tree.Image(v->Node("")), kImageHoldsDeleted);
  EXPECT_EQ(v->tree.Image(v->Node("DOCS")), kImageHoldsDeleted);
  EXPECT_EQ(v->tree.Image(v->Node("DOCS/SUB")), kImageFolder);
  EXPECT_TRUE(v->tree.IsExpanded(v->Node("")));
  EXPECT_EQ(v->tree.Selected(), v->Node(""));
  EXPECT_EQ(v->TopLevelNames(), std::vector<std::string>{"."});
}

TEST_F(FatDirectoryScanTest, DeletedFileKeepsItsLongNameOrLosesItsFirstCharacter) {
  Root()
      .Add(DeletedPieces(LongNamePieces(u"Report.txt", Checksum83("REPORT  TXT"))))
      .Add(Deleted(FileEntry("REPORT  TXT", 50, 10)))
      .Add(Deleted(FileEntry("REPORT  TXT", 51, 10)));
  auto v = Analyze();
  EXPECT_EQ(v->FileNames(""), (std::vector<std::string>{"Report.txt", "?EPORT.TXT"}));
}

TEST_F(FatDirectoryScanTest, AdjacentDeletedLongNamesWithDifferentChecksumsStaySeparate) {
  // The first name's short entry was overwritten; its pieces must not prefix the second name.
  Root()
      .Add(DeletedPieces(LongNamePieces(u"First long name.txt", Checksum83("FIRSTL~1TXT"))))
      .Add(DeletedPieces(LongNamePieces(u"Second name.txt", Checksum83("SECOND~1TXT"))))
      .Add(Deleted(FileEntry("SECOND~1TXT", 60, 1)));
  auto v = Analyze();
  EXPECT_EQ(v->FileNames(""), std::vector<std::string>{"Second name.txt"});
}

TEST_F(FatDirectoryScanTest, DeletedMiddlePieceWithATerminatorStartsANewName) {
  std::vector<EntryBytes> pieces =
      LongNamePieces(u"abcdefghijklmnopqrstuvwxyz0123456789", Checksum83("ABCDEF~1   "));
  ASSERT_EQ(pieces.size(), 3u);
  pieces[1][30] = 0;  // the last unit of the middle piece ('z')
  pieces[1][31] = 0;
  Root().Add(DeletedPieces(pieces)).Add(Deleted(FileEntry("ABCDEF~1   ", 61, 1)));
  auto v = Analyze();
  EXPECT_EQ(v->FileNames(""), std::vector<std::string>{"abcdefghijklmnopqrstuvwxy"});
}

TEST_F(FatDirectoryScanTest, LiveLongNameWithTheWrongChecksumIsDropped) {
  Root()
      .Add(LongNamePieces(u"Budget 2020.xls", Checksum83("OTHER   XLS")))
      .Add(FileEntry("BUDGET~1XLS", 62, 1))
      // A live middle piece that does not follow a last piece belongs to no name.
      .Add(std::vector<EntryBytes>{LongNamePieces(u"abcdefghijklmnopq", Checksum83("PLAIN   TXT"))[1]})
      .Add(FileEntry("PLAIN   TXT", 63, 1));
  auto v = Analyze();
  EXPECT_EQ(v->FileNames(""), (std::vector<std::string>{"BUDGET~1.XLS", "PLAIN.TXT"}));
}

TEST_F(FatDirectoryScanTest, DeletedFolderMakesEverythingBelowItDeleted) {
  Root().Add(Deleted(DirEntryBytes("OLD", 20)));
  Cluster(20).Add(Dot(20)).Add(DotDot(0)).Add(FileEntry("KEPT    TXT", 70, 3)).Add(DirEntryBytes("INNER", 21));
  Cluster(21).Add(FileEntry("DEEP    TXT", 71, 3));
  auto v = Analyze();
  ASSERT_EQ(v->FolderNames(""), std::vector<std::string>{"?LD"});
  EXPECT_EQ(v->Folder("?LD")->Deleted(), 1);
  EXPECT_EQ(v->File("?LD/KEPT.TXT")->deleted, 1);
  EXPECT_EQ(v->File("?LD/INNER/DEEP.TXT")->deleted, 1);
  EXPECT_EQ(v->tree.Image(v->Node("?LD")), kImageDeletedFolder);
  EXPECT_EQ(v->tree.Image(v->Node("?LD/INNER")), kImageDeletedFolder);
  EXPECT_EQ(v->tree.Image(v->Node("")), kImageHoldsDeleted);
}

TEST_F(FatDirectoryScanTest, FoldersPointingUpTheirPathAreNotScannedAgain) {
  Root().Add(DirEntryBytes("A", 20));
  Cluster(20).Add(Dot(20)).Add(DotDot(0)).Add(FileEntry("ONE     TXT", 80, 1)).Add(DirEntryBytes("B", 21));
  // "SELF" is the directory itself and "BACK" its parent: neither becomes an item.
  Cluster(21)
      .Add(Dot(21))
      .Add(DotDot(20))
      .Add(DirEntryBytes("SELF", 21))
      .Add(DirEntryBytes("BACK", 20))
      .Add(DirEntryBytes("C", 22));
  // Three levels up: made, but its contents are not read again.
  Cluster(22).Add(DirEntryBytes("ANCESTOR", 20));
  auto v = Analyze();
  EXPECT_EQ(v->FolderNames("A/B"), std::vector<std::string>{"C"});
  EXPECT_EQ(v->FolderNames("A/B/C"), std::vector<std::string>{"ANCESTOR"});
  EXPECT_TRUE(v->FolderNames("A/B/C/ANCESTOR").empty());
  EXPECT_TRUE(v->FileNames("A/B/C/ANCESTOR").empty());
  EXPECT_EQ(v->FileNames("A"), std::vector<std::string>{"ONE.TXT"});
}

TEST_F(FatDirectoryScanTest, ChainThatLoopsOnItselfEndsWithoutRepeatingEntries) {
  Root().Add(DirEntryBytes("LOOP", 20));
  DirectoryWriter first(image, image.ClusterOffset(20));
  DirectoryWriter second(image, image.ClusterOffset(21));
  for (int i = 0; i < 16; ++i) {
    first.Add(FileEntry("A" + std::to_string(100 + i) + "    TXT", 90, 1));
    second.Add(FileEntry("B" + std::to_string(100 + i) + "    TXT", 90, 1));
  }
  image.SetFat(20, 21);
  image.SetFat(21, 20);
  auto v = Analyze();
  EXPECT_EQ(v->FileNames("LOOP").size(), 32u);
}

TEST_F(FatDirectoryScanTest, ChainsPointingPastTheVolumeEnd) {
  Root().Add(DirEntryBytes("DIR", 20)).Add(FileEntry("GOOD    TXT", 5, 1))
      // Beyond the cluster count: the entry is invalid and ends the root's parsing.
      .Add(FileEntry("FAR     TXT", 9000, 1))
      .Add(FileEntry("AFTER   TXT", 6, 1));
  Cluster(20).Add(FileEntry("INSIDE  TXT", 7, 1));
  image.SetFat(20, 9000);  // a next cluster that lies outside the data area
  auto v = Analyze();
  EXPECT_EQ(v->FileNames(""), std::vector<std::string>{"GOOD.TXT"});
  EXPECT_EQ(v->FileNames("DIR"), std::vector<std::string>{"INSIDE.TXT"});
  for (const ReadCall& read : v->Device().Probe().reads)
    EXPECT_LE(read.first + read.count, 8192u) << "read at " << read.first;
}

TEST_F(FatDirectoryScanTest, DirectoriesBelowTheDepthLimitAreMadeButNotScanned) {
  constexpr uint32_t kFirst = 20;
  constexpr uint32_t kLevels = 1100;
  Root().Add(DirEntryBytes("D", kFirst));
  for (uint32_t i = 0; i < kLevels; ++i) {
    DirectoryWriter level = Cluster(kFirst + i);
    if (i + 1 < kLevels) level.Add(DirEntryBytes("D", kFirst + i + 1));
  }
  auto v = Analyze();
  std::string path = "D";
  for (int depth = 1; depth < 1025; ++depth) path += "/D";
  const TreeNode deepest = v->Node(path);
  ASSERT_NE(deepest, kNoNode);
  EXPECT_FALSE(v->tree.HasChildren(deepest));
  // What lies below was never reached by the walk: the sweep finds it as a lost directory.
  EXPECT_NE(v->Node("/$$folder_1044"), kNoNode);
}

TEST_F(FatDirectoryScanTest, LongNameOf1023PiecesKeepsItsFirst1023Units) {
  constexpr int kPieces = 1023;
  const uint8_t checksum = Checksum83("HUGE    TXT");
  std::vector<EntryBytes> entries;
  for (int j = kPieces; j >= 1; --j) {
    EntryBytes piece = LongNamePieces(std::u16string(13, u'a' + (j - 1) % 26), checksum)[0];
    piece[0] = static_cast<uint8_t>(j == kPieces ? 0x41 : 0x01);
    entries.push_back(piece);
  }
  entries.push_back(FileEntry("HUGE    TXT", 100, 1));
  // 1024 entries fill 64 clusters.
  std::vector<uint32_t> chain;
  for (uint32_t c = 20; c < 84; ++c) chain.push_back(c);
  image.Chain(chain);
  Root().Add(DirEntryBytes("BIG", 20));
  DirectoryWriter(image, image.ClusterOffset(20)).Add(entries);
  auto v = Analyze();
  std::string expected;
  for (int j = 1; expected.size() < 1023; ++j) expected += std::string(13, 'a' + (j - 1) % 26);
  expected.resize(1023);
  ASSERT_EQ(v->FileNames("BIG").size(), 1u);
  EXPECT_EQ(v->FileNames("BIG")[0], expected);
}

TEST_F(FatDirectoryScanTest, Fat16IgnoresTheHighWordOfTheFirstCluster) {
  Root().Add(FileEntry("HIGH    TXT", 0x00030007, 1));
  auto v = Analyze();
  EXPECT_EQ(v->File("HIGH.TXT")->location.Position(), 7u);
}

TEST_F(FatDirectoryScanTest, CreationTimeGainsASecondFromItsHundredths) {
  ShortEntryFields fields;
  fields.name83 = "TIMES   TXT";
  fields.createDate = fields.writeDate = DosDate(2022, 8, 9);
  fields.createTime = fields.writeTime = static_cast<uint16_t>((13 << 11) | (14 << 5) | 29);  // :58
  fields.createTenths = 150;
  Root().Add(ShortEntry(fields));
  auto v = Analyze();
  auto file = v->File("TIMES.TXT");
  EXPECT_EQ(file->created, Local(2022, 8, 9, 13, 14, 59));
  EXPECT_EQ(file->modified, Local(2022, 8, 9, 13, 14, 58));
}

TEST(FatDosTime, ConversionRules) {
  const uint16_t date = DosDate(2001, 12, 31);
  EXPECT_EQ(DosTimeToFileTime(date, DosTime(23, 59, 58), 99), Local(2001, 12, 31, 23, 59, 58));
  EXPECT_EQ(DosTimeToFileTime(date, DosTime(23, 59, 58), 100), Local(2001, 12, 31, 23, 59, 59));
  EXPECT_EQ(DosTimeToFileTime(date, DosTime(0, 0, 0), 199), Local(2001, 12, 31, 0, 0, 1));
  // A calendar time that does not exist gives the current time.
  const uint64_t before = platform::NowFileTime();
  const uint64_t invalid = DosTimeToFileTime(DosDate(2001, 0, 1), 0, 0);
  EXPECT_GE(invalid, before);
  EXPECT_LE(invalid, platform::NowFileTime());
  DosTimeConverter cached;
  EXPECT_EQ(cached.Convert(date, DosTime(1, 2, 4), 0), Local(2001, 12, 31, 1, 2, 4));
  EXPECT_EQ(cached.Convert(date, DosTime(1, 2, 4), 150), Local(2001, 12, 31, 1, 2, 5));
  EXPECT_EQ(cached.Convert(date, DosTime(1, 2, 4), 0), Local(2001, 12, 31, 1, 2, 4));
}

TEST(FatShortName, BlanksExtensionsAndCodePage) {
  const auto text = [](const std::string& raw) {
    EntryBytes e = FileEntry(raw, 0, 0);
    return ShortNameText(DirEntry(e), "");
  };
  EXPECT_EQ(text("README     "), "README");
  EXPECT_EQ(text("A       B  "), "A.B");
  EXPECT_EQ(text("NAME    TX "), "NAME.TX");
  EXPECT_EQ(text("\x81" "BER    TXT"), "üBER.TXT");
}

// Log lines about folder data reached again, at warning level or not.
size_t LinkedAgainLines(const OperationLog& log, bool warnings) {
  size_t count = 0;
  for (const std::string& line : log.Lines()) {
    if (line.find("is linked from more than one place") == std::string::npos) continue;
    if ((line.rfind("WARNING: ", 0) == 0) == warnings) ++count;
  }
  return count;
}

// Short entries as stored, with their case flags, and the names shown and recovered.
struct ShortNameCase {
  std::string name83;
  uint8_t caseFlags;
  bool deleted;
  std::string shown;
};

TEST_F(FatDirectoryScanTest, ShortNamesWithTheEscapedFirstByteAndTheCaseFlags) {
  const std::vector<ShortNameCase> cases = {
      {"\005ABC    TXT", 0x00, false, "\u03C3ABC.TXT"},  // 0x05 stands for 0xE5
      {"\005ABC    TXT", 0x08, false, "\u03C3abc.TXT"},
      {"NUMBERS CSV", 0x18, false, "numbers.csv"},
      {"README  TXT", 0x08, false, "readme.TXT"},
      {"DATA    BIN", 0x10, false, "DATA.bin"},
      {"MAKEFILE   ", 0x18, false, "makefile"},
      {"NUMBERS CSV", 0x18, true, "?umbers.csv"},  // the lost first character stays unknown
  };
  DirectoryWriter root = Root();
  uint32_t cluster = 100;
  for (const ShortNameCase& c : cases) {
    EntryBytes entry = FileEntry(c.name83, cluster++, 1);
    entry[12] = c.caseFlags;
    root.Add(c.deleted ? Deleted(entry) : entry);
  }
  root.Add(FileEntry("AFTER   TXT", cluster, 1));
  auto v = Analyze();
  std::vector<std::string> expected;
  for (const ShortNameCase& c : cases) expected.push_back(c.shown);
  expected.push_back("AFTER.TXT");
  EXPECT_EQ(v->FileNames(""), expected);
}

TEST_F(FatDirectoryScanTest, FileOnTheLastClusterAndTheEntriesAfterIt) {
  constexpr uint32_t kLastCluster = 8096;  // the cluster count of this volume + 1
  Root()
      .Add(FileEntry("FILLER  BIN", 2, 8094 * 512))
      .Add(FileEntry("LAST    TXT", kLastCluster, 1))
      .Add(FileEntry("AFTER   TXT", 10, 1));
  auto v = Analyze();
  ASSERT_EQ(v->analyzer.ClusterCount() + 1, kLastCluster);
  EXPECT_EQ(v->FileNames(""), (std::vector<std::string>{"FILLER.BIN", "LAST.TXT", "AFTER.TXT"}));
  EXPECT_EQ(v->File("LAST.TXT")->location.Position(), kLastCluster);
}

TEST_F(FatDirectoryScanTest, FoldersSharingTheirClustersAreReadOnce) {
  // Four entries on each of twelve levels all point at the next level's cluster: read once per
  // path, the last level would be read 4^12 times.
  constexpr uint32_t kLevels = 12;
  constexpr uint32_t kFirst = 100;
  const auto level = [](DirectoryWriter writer, uint32_t next) {
    for (int i = 0; i < 4; ++i) writer.Add(DirEntryBytes("D" + std::to_string(i), next));
  };
  level(Root(), kFirst);
  for (uint32_t k = 0; k < kLevels; ++k) level(Cluster(kFirst + k), kFirst + k + 1);
  Cluster(kFirst + kLevels).Add(FileEntry("BOTTOM  TXT", 5, 1));

  auto v = Analyze();
  EXPECT_EQ(v->store.Size(), 1 + 4 * (kLevels + 1));
  std::string path = "D0";
  for (uint32_t k = 0; k < kLevels; ++k) path += "/D0";
  EXPECT_EQ(v->FileNames(path), std::vector<std::string>{"BOTTOM.TXT"});
  EXPECT_TRUE(v->FolderNames("D1").empty());
  // Each extra link is logged once, as a warning since the folders are live.
  EXPECT_EQ(LinkedAgainLines(v->log, true), 3 * (kLevels + 1));
  EXPECT_NE(v->log.JoinedText().find("cluster 101 is linked"), std::string::npos);
}

TEST_F(FatDirectoryScanTest, LiveFolderKeepsTheClusterADeletedFolderOnceHeld) {
  // OLD was deleted and NEW took its cluster: the files there are NEW's, and live.
  Root().Add(Deleted(DirEntryBytes("OLD", 20))).Add(DirEntryBytes("NEW", 20));
  Cluster(20).Add(FileEntry("LIVE    TXT", 30, 5));
  auto v = Analyze();
  EXPECT_EQ(v->FileNames("NEW"), std::vector<std::string>{"LIVE.TXT"});
  EXPECT_EQ(v->File("NEW/LIVE.TXT")->deleted, 0);
  EXPECT_TRUE(v->FileNames("?LD").empty());
  // Reused clusters of deleted folders are ordinary: a plain line, no warning.
  EXPECT_EQ(LinkedAgainLines(v->log, true), 0u);
  EXPECT_EQ(LinkedAgainLines(v->log, false), 1u);
}

class FatTreeMessages : public FatDirectoryScanTest {};

TEST_F(FatTreeMessages, ShownFolderHearsOfItsNewFilesAndSubfolders) {
  Root().Add(FileEntry("ONE     TXT", 5, 1)).Add(DirEntryBytes("SUB", 20)).Add(Deleted(FileEntry("TWO     TXT", 6, 1)));
  Cluster(20).Add(FileEntry("THREE   TXT", 7, 1));
  FatTestVolume v(image.Bytes());
  ASSERT_TRUE(v.Open());
  // The root node is made and selected before its directory is read: show it from then on.
  const uint64_t rootSector = image.RootDirSector();
  v.Device().onRead = [&](const ReadCall& call) {
    if (call.first == rootSector) v.shown.store(v.tree.Selected());
  };
  ASSERT_EQ(v.Build(), 0u);
  const TreeNode root = v.Node("");
  const TreeNode sub = v.Node("SUB");
  std::vector<SentMessage> changed = v.notify.Of(kMsgFolderChanged);
  EXPECT_EQ(changed, (std::vector<SentMessage>{{kMsgFolderChanged, root, 0},
                                               {kMsgFolderChanged, root, sub},
                                               {kMsgFolderChanged, root, 0}}));
}

TEST_F(FatTreeMessages, StopDuringTheWalkEndsTheBuild) {
  Root().Add(DirEntryBytes("SUB", 20));
  DirectoryWriter sub = Cluster(20);
  for (int i = 0; i < 16; ++i) sub.Add(FileEntry("F" + std::to_string(1000 + i) + "   TXT", 5, 1));
  FatTestVolume v(image.Bytes());
  ASSERT_TRUE(v.Open());
  const uint64_t subSector = image.ClusterOffset(20) / 512;
  v.Device().onRead = [&](const ReadCall& call) {
    if (call.first == subSector) v.stop.store(1);
  };
  EXPECT_EQ(v.Build(), 0u);
  EXPECT_TRUE(v.FileNames("SUB").empty());
  // Nothing is read after the stop.
  EXPECT_EQ(v.Device().Probe().reads.back().first, subSector);
}

}  // namespace
}  // namespace orvande::test
