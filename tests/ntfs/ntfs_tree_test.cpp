// Placing records in the item tree (names, times, sizes, parents that come late or can't be
// trusted, names kept in extension records) and judging a deleted file's chances from the
// cluster bitmap.
#include <gtest/gtest.h>

#include <memory>

#include "core/file_record.h"
#include "ntfs/cluster_bitmap.h"
#include "ntfs/ntfs_tree_builder.h"
#include "ntfs/recovery_probability.h"
#include "ntfs_tree_fixture.h"

namespace orvande {
namespace {

using test::Bytes;
using test::EncodeRuns;
using test::FileName;
using test::NameFields;
using test::RecordBuilder;
using test::SimpleRecord;
using test::StandardInformation;
using test::TestVolume;
using test::TreeUnderTest;

class NtfsTree : public ::testing::Test {
 protected:
  void SetUp() override { test::AddSystemRecords(volume_); }

  NtfsAnalyzer& Analyzer() {
    if (volume_.Analyzer() == nullptr) volume_.Open();
    return *volume_.Analyzer();
  }
  // The analyzer keeps clusters it read, so records put on the volume afterwards need a new one.
  void Put(uint32_t number, const Bytes& bytes) {
    volume_.PutRecord(number, bytes);
    volume_.Open();
  }
  std::unique_ptr<MftRecord> Read(uint64_t number) {
    auto record = std::make_unique<MftRecord>(&Analyzer());
    uint64_t next = 0;
    EXPECT_EQ(record->ReadFromMft(Analyzer().MftTable(), volume_.MftPosition(number), &next, &log_),
              0u);
    return record;
  }
  // Puts the record at its number and hands it to the builder.
  void Add(uint32_t number, const Bytes& bytes, bool outside = false, uint32_t limit = 0,
           std::string* name = nullptr) {
    Put(number, bytes);
    std::unique_ptr<MftRecord> record = Read(number);
    EXPECT_EQ(builder_.AddRecordToTree(*record, number, name, outside, limit, &log_), 0u);
  }
  void AddRoot() { Add(test::kRootRecord, SimpleRecord({.name = u".", .directory = true}, 3)); }

  // 512 records of 1024 bytes in clusters 16 to 143.
  TestVolume volume_{test::VolumeGeometry{.mftClusters = 128}};
  TreeUnderTest tree_;
  BuildTreeContext context_ = tree_.Context();
  NtfsTreeBuilder builder_{context_};
  OperationLog log_;
};

TEST_F(NtfsTree, ParentsThatComeLaterAreStoodInForThenTakeTheirPlace) {
  Add(70, SimpleRecord({.name = u"a.txt", .parent = 64}, 1, Bytes(5, 'a')));
  EXPECT_EQ(tree_.Summary(), "$$folder_64:dD $$folder_64/a.txt:f-");
  Add(64, SimpleRecord({.name = u"docs", .parent = test::kRootRecord, .directory = true}, 3));
  EXPECT_EQ(tree_.Summary(), "$$folder_5:dD $$folder_5/docs:d- $$folder_5/docs/a.txt:f-");
  AddRoot();
  EXPECT_EQ(tree_.Summary(), "docs:d- docs/a.txt:f-");

  const auto entries = tree_.List();
  const test::ListedEntry& docs = entries.at("docs");
  EXPECT_EQ(docs.id, 64u);
  EXPECT_EQ(docs.location, ItemLocation(1, 64 * 1024));
  EXPECT_EQ(docs.image, kImageFolder);
  EXPECT_EQ(docs.created, 0x01D7000000000001u);
  const test::ListedEntry& file = entries.at("docs/a.txt");
  EXPECT_EQ(file.id, 70u);
  EXPECT_EQ(file.size, 5u);
  EXPECT_EQ(file.location, ItemLocation(1, 70 * 1024));
  EXPECT_EQ(tree_.tree.Children(kNoNode).size(), 1u);
}

TEST_F(NtfsTree, ParentsThatMayHaveBeenReusedAreNotTrusted) {
  AddRoot();
  Add(40, SimpleRecord({.name = u"real parent", .directory = true}, 3));
  // Found beyond the valid data: parent 40 may hold something else by now.
  Add(300, SimpleRecord({.name = u"lost.txt", .parent = 40}), true, 1000);
  // System parents are always trusted, so lost records of the root stay in the root.
  Add(301, SimpleRecord({.name = u"root.txt", .parent = 5}), true, 1000);
  // Parents above the limit are records found along with this one.
  Add(302, SimpleRecord({.name = u"beyond.txt", .parent = 1200}), true, 1000);
  EXPECT_EQ(tree_.Summary(),
            "$$folder_1200:dD $$folder_1200/beyond.txt:fD $$folder_2147483688:dD "
            "$$folder_2147483688/lost.txt:fD real parent:d- root.txt:fD");
  EXPECT_EQ(tree_.List().at("$$folder_2147483688").id, 0x80000000u + 40);
}

TEST_F(NtfsTree, TheNameShownIsTheFirstLongNameMadeShowable) {
  AddRoot();
  std::string chosen;
  Add(80,
      RecordBuilder()
          .Resident(kAttrStandardInformation, u"", StandardInformation(11, 12))
          .Resident(kAttrFileName, u"", FileName({.name = u"LONGNA~1.TXT", .nameSpace = 2}))
          .Resident(kAttrFileName, u"", FileName({.name = u"skipped", .flags = 0x40}))
          .Resident(kAttrFileName, u"", FileName({.name = u"Ünïcode <long>: name€.txt"}))
          .Resident(kAttrFileName, u"", FileName({.name = u"second hard link"}))
          .Build(),
      false, 0, &chosen);
  EXPECT_EQ(chosen, "Ünïcode ?long?? name€.txt");
  Add(81, SimpleRecord({.name = std::u16string(u"ctl\x01\x1f|*\"x")}));
  std::string none = "stale";
  Add(82,
      RecordBuilder()
          .Resident(kAttrFileName, u"", FileName({.name = u"SHORT~1.TXT", .nameSpace = 2}))
          .Build(),
      false, 0, &none);
  EXPECT_EQ(none, "");
  EXPECT_EQ(tree_.Summary(), "ctl?????x:f- Ünïcode ?long?? name€.txt:f-");
}

TEST_F(NtfsTree, TimesSizeAndDeletedMark) {
  AddRoot();
  // Times missing from $STANDARD_INFORMATION come from the $FILE_NAME; the size from $DATA.
  Add(90,
      RecordBuilder()
          .Flags(0)
          .Resident(kAttrStandardInformation, u"", StandardInformation(0, 0x2222))
          .Resident(
              kAttrFileName, u"",
              FileName({.name = u"gone.bin", .created = 0x1111, .modified = 0x9999, .dataSize = 7}))
          .NonResident(kAttrData, u"", EncodeRuns({{3, 200}}), 0, 2, 12345)
          .Build());
  const test::ListedEntry file = tree_.List().at("gone.bin");
  EXPECT_TRUE(file.deleted);
  EXPECT_EQ(file.location.Deleted(), 1);
  EXPECT_EQ(file.created, 0x1111u);
  EXPECT_EQ(file.modified, 0x2222u);
  EXPECT_EQ(file.size, 12345u);
  // The root now shows that something below it is deleted.
  EXPECT_EQ(tree_.tree.Image(tree_.tree.Children(kNoNode).front()), kImageHoldsDeleted);

  // A deleted folder inside a live one.
  Add(91, SimpleRecord({.name = u"live", .directory = true}, 3));
  Add(92, SimpleRecord({.name = u"old", .parent = 91, .directory = true}, 2));
  Add(93, SimpleRecord({.name = u"in old.txt", .parent = 92}, 0));
  const auto entries = tree_.List();
  EXPECT_EQ(entries.at("live").image, kImageHoldsDeleted);
  EXPECT_EQ(entries.at("live/old").image, kImageDeletedFolder);
  EXPECT_TRUE(entries.at("live/old/in old.txt").deleted);
}

TEST_F(NtfsTree, NamesKeptInExtensionRecords) {
  AddRoot();
  Bytes list = test::ListEntry(kAttrStandardInformation, u"", 0, 101);
  const Bytes name = test::ListEntry(kAttrFileName, u"", 0, 101);
  list.insert(list.end(), name.begin(), name.end());
  volume_.PutRecord(101, RecordBuilder()
                             .BaseReference(100 | (uint64_t{1} << 48))
                             .Resident(kAttrStandardInformation, u"", StandardInformation(5, 6))
                             .Resident(kAttrFileName, u"", FileName({.name = u"far name.txt"}))
                             .Build());
  Add(100, RecordBuilder()
               .Resident(kAttrAttributeList, u"", list)
               .Resident(kAttrData, u"", Bytes(3, 1))
               .Build());
  const auto entries = tree_.List();
  ASSERT_EQ(entries.count("far name.txt"), 1u) << tree_.Summary();
  EXPECT_EQ(entries.at("far name.txt").id, 100u);
  EXPECT_EQ(entries.at("far name.txt").modified, 6u);
}

TEST_F(NtfsTree, FoldersNamingEachOtherAsParentsStayInTheTree) {
  AddRoot();
  Add(110, SimpleRecord({.name = u"a", .parent = 111, .directory = true}, 3));
  Add(111, SimpleRecord({.name = u"b", .parent = 110, .directory = true}, 3));
  Add(112, SimpleRecord({.name = u"f.txt", .parent = 110}));
  // b can't go under its own child a; it keeps its node at the top with its own name.
  EXPECT_EQ(tree_.Summary(), "b:d- b/a:d- b/a/f.txt:f-");
}

// Clusters 0-143 hold the boot area and the MFT; 200-299 are used, 300-399 free.
class NtfsProbability : public NtfsTree {
 protected:
  void SetUp() override {
    test::AddSystemRecords(volume_);
    volume_.PutRecord(
        test::kBitmapRecord,
        SimpleRecord({.name = u"$Bitmap"}, 1, test::BitmapBytes(1024, {{0, 144}, {200, 100}})));
    LoadBitmap();
  }
  void LoadBitmap() {
    bitmap_ = std::make_unique<ClusterBitmap>(&Analyzer());
    ASSERT_EQ(bitmap_->Load(volume_.MftPosition(test::kBitmapRecord), &log_), 0u);
  }
  ClusterTally Tally(const std::vector<test::TestRun>& runs) {
    const Bytes bytes = EncodeRuns(runs);
    return TallyRuns(bytes, 0, *bitmap_, &log_);
  }
  uint32_t Judge(uint32_t number, const Bytes& record) {
    bitmap_.reset();
    Put(number, record);
    LoadBitmap();
    return EvaluateRecordProbability(*Read(number), *bitmap_, &log_);
  }
  static Bytes DeletedFile(const std::vector<test::TestRun>& runs, uint64_t lastVcn = 0) {
    return RecordBuilder()
        .Flags(0)
        .Resident(kAttrFileName, u"", FileName({.name = u"f"}))
        .NonResident(kAttrData, u"", EncodeRuns(runs), 0, lastVcn, 4096)
        .Build();
  }

  std::unique_ptr<ClusterBitmap> bitmap_;
};

TEST_F(NtfsProbability, TheBitmapAnswersPerCluster) {
  EXPECT_FALSE(bitmap_->IsFree(0, &log_));
  EXPECT_FALSE(bitmap_->IsFree(250, &log_));
  EXPECT_TRUE(bitmap_->IsFree(300, &log_));
  // Beyond the bitmap's data nothing is free.
  EXPECT_FALSE(bitmap_->IsFree(1024, &log_));
  EXPECT_EQ(bitmap_->CountFree(190, 120, &log_), 10u + 10u);
  EXPECT_EQ(bitmap_->CountFree(1000, ~uint64_t{0} - 1000, &log_), 24u);
  uint64_t c = 16;
  ASSERT_TRUE(bitmap_->Advance(&c, &log_));
  EXPECT_EQ(c, 144u);
  c = 199;
  ASSERT_TRUE(bitmap_->Advance(&c, &log_));
  EXPECT_EQ(c, 300u);
  c = 1023;
  EXPECT_FALSE(bitmap_->Advance(&c, &log_));
}

TEST_F(NtfsProbability, FreeAgainstUsedClusters) {
  // 10 free and 30 used: poor; 25 free and 30 used: average; nothing used: good.
  EXPECT_EQ(Judge(70, DeletedFile({{30, 200}, {10, 100}})), kProbabilityPoor);
  EXPECT_EQ(Judge(71, DeletedFile({{25, 300}, {30, -100}})), kProbabilityAverage);
  EXPECT_EQ(Judge(72, DeletedFile({{10, 300}})), kProbabilityGood);
  EXPECT_EQ(Judge(73, RecordBuilder().Flags(0).Resident(kAttrData, u"", Bytes(10, 1)).Build()),
            kProbabilityGood);
  // In use and read through the MFT: not deleted.
  EXPECT_EQ(Judge(74, SimpleRecord({.name = u"live"})), kProbabilityNotDeleted);
  // No unnamed $DATA at all: nothing to judge.
  EXPECT_EQ(Judge(75, RecordBuilder().Flags(0).Build()), kProbabilityUnknown);
}

TEST_F(NtfsProbability, UnitsOfSixteenClusters) {
  // A sparse unit counts as 16 free clusters.
  ClusterTally t = Tally({test::Sparse(16), {16, 200}});
  EXPECT_EQ(t.free, 16u);
  EXPECT_EQ(t.used, 16u);
  EXPECT_TRUE(t.complete);
  // The sparse tail of a compressed unit counts nothing.
  t = Tally({{4, 200}, test::Sparse(12), {16, 100}});
  EXPECT_EQ(t.free, 16u);
  EXPECT_EQ(t.used, 4u);
  // A run crossing units is counted cluster by cluster.
  t = Tally({{20, 290}});
  EXPECT_EQ(t.free, 10u);
  EXPECT_EQ(t.used, 10u);
}

TEST_F(NtfsProbability, BrokenAndEndlessRunLists) {
  // A run header with a nine-byte offset field: the runs can't be judged.
  Bytes broken = EncodeRuns({{10, 300}});
  broken.back() = 0x91;
  broken.insert(broken.end(), {1, 1, 1, 1, 1, 1, 0});
  EXPECT_FALSE(TallyRuns(broken, 0, *bitmap_, &log_).complete);
  // Mostly used before the break: judged without reading further.
  Bytes early = EncodeRuns({{30, 200}});
  early.back() = 0x51;
  EXPECT_TRUE(TallyRuns(early, 0, *bitmap_, &log_).complete);
  // A run of four thousand million clusters is more than the volume holds: damaged, so the
  // chances are unknown, found without a walk over each cluster.
  EXPECT_FALSE(Tally({{0xFFFFFFFF, 300}}).complete);
  EXPECT_EQ(Judge(76, DeletedFile({{0xFFFFFFFF, 300}}, 0xFFFFFFFE)), kProbabilityUnknown);
  // Sparse units hold no clusters, so a sparse file may be larger than its volume.
  const ClusterTally sparse = Tally({test::Sparse(0xFFFFFFF0), {16, 300}});
  EXPECT_TRUE(sparse.complete);
  EXPECT_EQ(sparse.free, uint64_t{0xFFFFFFF0} + 16);
}

TEST_F(NtfsProbability, HostileRunListsAreUnknownWithALogLine) {
  uint32_t number = 80;
  for (const test::HostileRunList& hostile : test::HostileRunLists()) {
    Bytes record = RecordBuilder()
                       .Flags(0)
                       .NonResident(kAttrData, u"", hostile.runs, 0, hostile.lastVcn, 4096)
                       .Build();
    log_.Clear();
    EXPECT_EQ(Judge(number, record), kProbabilityUnknown) << hostile.fault;
    EXPECT_NE(test::Lines(log_).find("refused: " + hostile.fault), std::string::npos)
        << test::Lines(log_);
    ++number;
  }
}

TEST_F(NtfsProbability, FewClustersLookIntoExtensionRecords) {
  // 10 free clusters here, 30 used ones in the extension: poor, not good.
  const Bytes list = [] {
    Bytes entries = test::ListEntry(kAttrData, u"", 0, 130);
    const Bytes more = test::ListEntry(kAttrData, u"", 10, 131);
    entries.insert(entries.end(), more.begin(), more.end());
    return entries;
  }();
  volume_.PutRecord(131, RecordBuilder()
                             .Flags(0)
                             .BaseReference(130 | (uint64_t{1} << 48))
                             .NonResident(kAttrData, u"", EncodeRuns({{30, 200}}), 10, 39, 0)
                             .Build());
  const Bytes base = RecordBuilder()
                         .Flags(0)
                         .Resident(kAttrAttributeList, u"", list)
                         .Resident(kAttrFileName, u"", FileName({.name = u"big"}))
                         .NonResident(kAttrData, u"", EncodeRuns({{10, 300}}), 0, 9, 40 * 4096)
                         .Build();
  EXPECT_EQ(Judge(130, base), kProbabilityPoor);

  // Through the analyzer: unknown without a bitmap, average for a location given as runs.
  ItemLocation location(1, volume_.MftPosition(130));
  EXPECT_EQ(Analyzer().GetRecoveryProbability(location, 0, &log_), kProbabilityUnknown);
  Analyzer().BitmapSlot().Reset(std::move(bitmap_));
  EXPECT_EQ(Analyzer().GetRecoveryProbability(location, 0, &log_), kProbabilityPoor);
  ItemLocation runs{SectorRunList()};
  EXPECT_EQ(Analyzer().GetRecoveryProbability(runs, 0, &log_), kProbabilityAverage);
  EXPECT_TRUE(Analyzer().HasClusterBitmap());
  EXPECT_TRUE(Analyzer().IsClusterFree(300, &log_));
  EXPECT_FALSE(Analyzer().IsClusterFree(200, &log_));
}

}  // namespace
}  // namespace orvande
