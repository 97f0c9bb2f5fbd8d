// The whole analysis of small volumes: the MFT walk with the bitmap for both analyzers, records
// beyond the table's valid data, the search for lost records in free clusters, found partitions,
// stops, and damaged or hostile tables that must end the walk cleanly.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "common/jpeg_sample.h"
#include "common/temp_folder.h"
#include "core/file_record.h"
#include "core/file_type_plugin.h"
#include "core/internal_failure.h"
#include "core/recovery_context.h"
#include "ntfs/ntfs_status.h"
#include "ntfs_tree_fixture.h"
#include "support/le_reader.h"

namespace orvande {
namespace {

using test::Bytes;
using test::EncodeRuns;
using test::FileName;
using test::NameFields;
using test::RecordBuilder;
using test::SimpleRecord;
using test::TestVolume;
using test::TreeUnderTest;

constexpr uint64_t kMftClusters = 128;  // 512 records in clusters 16 to 143
constexpr uint64_t kFirstFreeCluster = 16 + kMftClusters;

class NtfsBuildTree : public ::testing::Test {
 protected:
  void SetUp() override { test::AddSystemRecords(volume_, {300, 301}); }

  // Opens the analyzing instance and a reader on the same image; node null: an image file.
  void Open(DeviceNode* node = nullptr) {
    if (node == nullptr) {
      ASSERT_NE(volume_.Open(), nullptr);
    } else {
      ASSERT_NE(
          volume_.OpenWith(new test::MemorySectorDevice(volume_.SharedImage(), nullptr, node)),
          nullptr);
    }
    reader_ = std::make_unique<NtfsAnalyzer>();
    SectorDevice* device = new test::MemorySectorDevice(volume_.SharedImage());
    ASSERT_TRUE(device->Open(true, nullptr));
    ASSERT_TRUE(reader_->Open(device, true, nullptr));
    device->Release();
  }
  uint32_t Build(bool withReader = true) {
    if (volume_.Analyzer() == nullptr) Open();
    context_ =
        std::make_unique<BuildTreeContext>(tree_.Context(withReader ? reader_.get() : nullptr));
    return volume_.Analyzer()->BuildTree(*context_, &log_);
  }
  uint32_t Probability(const std::string& path) {
    ItemLocation location = tree_.List().at(path).location;
    return reader_->GetRecoveryProbability(location, 0, nullptr);
  }
  // Four 1024-byte records filling one cluster outside the MFT, numbered as their names say.
  void PutLooseCluster(uint64_t lcn, const std::string& prefix, uint32_t parent) {
    Bytes cluster;
    for (int i = 0; i < 4; ++i) {
      const std::string name = prefix + std::to_string(i);
      const Bytes record =
          SimpleRecord({.name = std::u16string(name.begin(), name.end()), .parent = parent}, 0);
      cluster.insert(cluster.end(), record.begin(), record.end());
    }
    volume_.PutCluster(lcn, cluster);
  }

  TestVolume volume_{test::VolumeGeometry{.mftClusters = kMftClusters}};
  std::unique_ptr<NtfsAnalyzer> reader_;
  TreeUnderTest tree_;
  std::unique_ptr<BuildTreeContext> context_;
  OperationLog log_;
};

TEST_F(NtfsBuildTree, TheWalkFillsTheTreeAndHandsTheBitmapToTheReader) {
  volume_.PutRecord(64, SimpleRecord({.name = u"docs", .directory = true}, 3));
  volume_.PutRecord(65,
                    RecordBuilder()
                        .Flags(0)
                        .Resident(kAttrFileName, u"", FileName({.name = u"gone.bin", .parent = 64}))
                        .NonResident(kAttrData, u"", EncodeRuns({{2, 300}, {2, 100}}), 0, 3, 16000)
                        .Build());
  volume_.PutRecord(66, SimpleRecord({.name = u"kept.txt", .parent = 64}, 1, Bytes(9, 'k')));
  EXPECT_EQ(Build(), 0u);
  EXPECT_EQ(tree_.Summary(), "$Bitmap:f- $MFT:f- docs:d- docs/gone.bin:fD docs/kept.txt:f-");
  EXPECT_EQ(tree_.List().at("docs/gone.bin").id, 65u);

  // Both analyzers have the bitmap; the reader judges: 2 used, 2 free clusters.
  EXPECT_TRUE(volume_.Analyzer()->HasClusterBitmap());
  ASSERT_TRUE(reader_->HasClusterBitmap());
  EXPECT_FALSE(reader_->IsClusterFree(300, nullptr));
  EXPECT_TRUE(reader_->IsClusterFree(400, nullptr));
  EXPECT_EQ(Probability("docs/gone.bin"), kProbabilityAverage);
  EXPECT_EQ(Probability("docs/kept.txt"), kProbabilityNotDeleted);

  // The root is selected and shown expanded; the bar ends at 0.
  const TreeNode root = tree_.tree.Children(kNoNode).front();
  EXPECT_EQ(tree_.tree.Text(root), ".");
  EXPECT_EQ(tree_.tree.Selected(), root);
  EXPECT_TRUE(tree_.tree.IsExpanded(root));
  EXPECT_EQ(tree_.progress.Position(), 0u);
  const std::string text = log_.JoinedText();
  EXPECT_NE(text.find("First analyzing step..."), std::string::npos) << text;
  EXPECT_NE(text.find("Done"), std::string::npos) << text;

  // A second analysis starts from nothing: without a reader no bitmap is looked for.
  TreeUnderTest again;
  BuildTreeContext context = again.Context(nullptr);
  EXPECT_EQ(volume_.Analyzer()->BuildTree(context, nullptr), 0u);
  EXPECT_FALSE(volume_.Analyzer()->HasClusterBitmap());
  EXPECT_EQ(again.Summary(), tree_.Summary());
}

TEST_F(NtfsBuildTree, RecordsBeyondTheValidDataArriveAsOutside) {
  // The table's data ends after record 100; records up to 511 are still read.
  Bytes table = volume_.MftOwnRecord();
  test::PatchAttribute(table, kAttrData, 48, 100 * 1024, 8);
  volume_.PutRecord(0, table);
  volume_.PutRecord(64, SimpleRecord({.name = u"docs", .directory = true}, 3));
  volume_.PutRecord(150, SimpleRecord({.name = u"was in docs.txt", .parent = 64}));
  volume_.PutRecord(151, SimpleRecord({.name = u"was in root.txt", .parent = 5}));
  volume_.PutRecord(160, SimpleRecord({.name = u"later", .directory = true}, 3));
  volume_.PutRecord(161, SimpleRecord({.name = u"in later.txt", .parent = 160}));
  EXPECT_EQ(Build(), 0u);
  // Record 150 is the first outside: parents from 11 to 150 are not trusted, later ones are.
  EXPECT_EQ(
      tree_.Summary(),
      "$$folder_2147483712:dD $$folder_2147483712/was in docs.txt:fD $Bitmap:f- $MFT:f- docs:d- "
      "later:dD later/in later.txt:fD was in root.txt:fD");
}

TEST_F(NtfsBuildTree, LostRecordsInFreeClustersAfterTheTable) {
  // Cluster 144 is free, 145 used, 146 free but without records: the search ends there.
  test::AddSystemRecords(volume_, {kFirstFreeCluster + 1});
  PutLooseCluster(kFirstFreeCluster, "lost", 5);
  PutLooseCluster(kFirstFreeCluster + 1, "behind", 5);
  volume_.PutRecord(1, SimpleRecord({.name = u"$MFTMirr"}));
  EXPECT_EQ(Build(), 0u);
  EXPECT_EQ(tree_.Summary(), "$Bitmap:f- $MFT:f- $MFTMirr:f- lost0:fD lost1:fD lost2:fD lost3:fD");
  const auto entries = tree_.List();
  // Numbered after the table's 512 slots, read from their byte offsets.
  EXPECT_EQ(entries.at("lost0").id, 512u);
  EXPECT_EQ(entries.at("lost3").id, 515u);
  EXPECT_EQ(entries.at("lost1").location, ItemLocation(0, kFirstFreeCluster * 4096 + 1024, 1));
  EXPECT_NE(log_.JoinedText().find("Second analyzing step..."), std::string::npos);
  // Records the walk has read (the spare sectors of the table's first cluster among them) are
  // never found a second time.
  FolderRef root = tree_.store.FindRef(test::kRootRecord);
  ASSERT_TRUE(root);
  EXPECT_EQ(root->Files().size(), 7u);
}

// Records that a driver freed by taking their names off and keeping their data, as the Linux
// kernel's own NTFS driver does on unlink.
class NtfsNamelessRecords : public NtfsBuildTree {
 protected:
  void SetUp() override {
    NtfsBuildTree::SetUp();
    loadedHere_ = !TypePlugin().IsReady();
    if (loadedHere_) TypePlugin().Load(REAL_TYPEPROBE);
    ASSERT_TRUE(TypePlugin().IsReady());
  }
  void TearDown() override {
    if (loadedHere_) TypePlugin().Unload();
  }
  // A record with times and an unnamed $DATA but no $FILE_NAME.
  static RecordBuilder Nameless(uint16_t flags) {
    return RecordBuilder().Flags(flags).Resident(
        kAttrStandardInformation, u"",
        test::StandardInformation(0x01D8000000000010, 0x01D8000000000020));
  }
  // A record found loose on the disk, with its own number in its header.
  static Bytes Loose(uint32_t ownNumber) {
    Bytes record = Nameless(0).Resident(kAttrData, u"", Bytes(40, 'x')).Build();
    StoreLe(record, 0x2C, ownNumber, 4);
    return record;
  }

  bool loadedHere_ = false;
};

TEST_F(NtfsNamelessRecords, AreListedInLostAndFoundAndRecovered) {
  const Bytes jpeg = test::SmallJpeg(5000);
  volume_.PutCluster(400, jpeg);
  volume_.PutRecord(
      70,
      Nameless(0).NonResident(kAttrData, u"", EncodeRuns({{2, 400}}), 0, 1, jpeg.size()).Build());
  volume_.PutRecord(71,
                    Nameless(1).Resident(kAttrData, u"", Bytes{'h', 'e', 'l', 'l', 'o'}).Build());
  // Not lost data: runs outside the volume, an extension record, a system record, no data.
  volume_.PutRecord(
      72, Nameless(0).NonResident(kAttrData, u"", EncodeRuns({{2, 5000}}), 0, 1, 8000).Build());
  volume_.PutRecord(73, Nameless(0)
                            .BaseReference(71 | (uint64_t{1} << 48))
                            .Resident(kAttrData, u"", Bytes(9, 'e'))
                            .Build());
  volume_.PutRecord(12, Nameless(0).Resident(kAttrData, u"", Bytes(9, 's')).Build());
  volume_.PutRecord(74, Nameless(0).Resident(kAttrData, u"", Bytes{}).Build());
  volume_.PutRecord(75, Nameless(0).Build());
  // Loose in the first free cluster: a user record and a copy of a system record.
  Bytes loose = Loose(90);
  const Bytes system = Loose(3);
  loose.insert(loose.end(), system.begin(), system.end());
  volume_.PutCluster(kFirstFreeCluster, loose);

  EXPECT_EQ(Build(), 0u);
  EXPECT_EQ(tree_.Summary(),
            "$Bitmap:f- $MFT:f- Lost&Found:d- Lost&Found/Records:d- "
            "Lost&Found/Records/Record_512:fD Lost&Found/Records/Record_70.jpg:fD "
            "Lost&Found/Records/Record_71:f-");
  const auto entries = tree_.List();
  const test::ListedEntry& found = entries.at("Lost&Found/Records/Record_70.jpg");
  EXPECT_EQ(found.id, 70u);
  EXPECT_EQ(found.size, jpeg.size());
  EXPECT_EQ(found.created, 0x01D8000000000010u);
  EXPECT_EQ(found.modified, 0x01D8000000000020u);
  EXPECT_EQ(found.location, ItemLocation(1, volume_.MftPosition(70), 1));
  EXPECT_EQ(entries.at("Lost&Found/Records/Record_512").location.Kind(), 0u);
  EXPECT_EQ(Probability("Lost&Found/Records/Record_70.jpg"), kProbabilityGood);
  EXPECT_EQ(Probability("Lost&Found/Records/Record_71"), kProbabilityNotDeleted);

  test::TempFolder folder("orvande_nameless_");
  const std::string path = (folder / "Record_70.jpg").string();
  RecoveryContext recovery;
  ItemLocation location = found.location;
  ASSERT_TRUE(reader_->RecoverFile(location, found.size, path, false, recovery, &log_));
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(in), {}), jpeg);
}

TEST_F(NtfsBuildTree, WithoutABitmapEveryClusterCountsAsFree) {
  volume_.PutRecord(test::kBitmapRecord, SimpleRecord({.name = u"$Bitmap.old"}));
  test::AddSystemRecords(volume_, {});
  volume_.PutRecord(test::kBitmapRecord, SimpleRecord({.name = u"not the bitmap"}));
  PutLooseCluster(kFirstFreeCluster, "lost", 5);
  PutLooseCluster(kFirstFreeCluster + 1, "behind", 40);
  volume_.PutRecord(70, RecordBuilder()
                            .Flags(0)
                            .Resident(kAttrFileName, u"", FileName({.name = u"deleted.bin"}))
                            .NonResident(kAttrData, u"", EncodeRuns({{2, 400}}), 0, 1, 8000)
                            .Build());
  EXPECT_EQ(Build(), 0u);
  EXPECT_FALSE(reader_->HasClusterBitmap());
  EXPECT_EQ(Probability("deleted.bin"), kProbabilityUnknown);
  // Both loose clusters are searched; parent 40 lies within the table, so it is not trusted.
  EXPECT_EQ(tree_.Summary(),
            "$$folder_2147483688:dD $$folder_2147483688/behind0:fD $$folder_2147483688/behind1:fD "
            "$$folder_2147483688/behind2:fD $$folder_2147483688/behind3:fD $MFT:f- deleted.bin:fD "
            "lost0:fD lost1:fD lost2:fD lost3:fD not the bitmap:f-");
}

TEST_F(NtfsBuildTree, AnUnreadableRecordEndsTheWalkTolerantlyOnlyOnFoundPartitions) {
  volume_.PutRecord(80, SimpleRecord({.name = u"before.txt"}));
  Bytes broken = SimpleRecord({.name = u"broken.txt"});
  StoreLe(broken, 28, 41, 4);  // allocated size below the smallest record
  volume_.PutRecord(81, broken);
  volume_.PutRecord(82, SimpleRecord({.name = u"after.txt"}));
  // Far away in free space, behind empty clusters.
  PutLooseCluster(600, "far", 5);

  EXPECT_EQ(Build(), kStatusMftRecordTooSmall);
  EXPECT_EQ(tree_.Summary(), "$Bitmap:f- $MFT:f- before.txt:f-");
  EXPECT_NE(log_.JoinedText().find(
                "ERROR: MFT structure is invalid (position: 0x0000000000014400). Status 85670b0a"),
            std::string::npos)
      << log_.JoinedText();

  // On a partition found inside a disk the walk ends with a warning, and every free cluster is
  // searched.
  test::MemoryNode partition({}, kNodePartition);
  Open(&partition);
  TreeUnderTest tolerant;
  BuildTreeContext context = tolerant.Context(reader_.get());
  OperationLog log;
  EXPECT_EQ(volume_.Analyzer()->BuildTree(context, &log), 0u);
  EXPECT_EQ(tolerant.Summary(), "$Bitmap:f- $MFT:f- before.txt:f- far0:fD far1:fD far2:fD far3:fD");
  EXPECT_NE(log.JoinedText().find("WARNING: MFT structure is invalid"), std::string::npos)
      << log.JoinedText();
}

TEST_F(NtfsBuildTree, AStopEndsTheAnalysis) {
  PutLooseCluster(kFirstFreeCluster, "lost", 5);
  Open();
  tree_.stop = 1;
  EXPECT_EQ(Build(), 0u);
  EXPECT_EQ(tree_.Summary(), "");
  EXPECT_EQ(log_.JoinedText().find("Second analyzing step..."), std::string::npos);
}

TEST_F(NtfsBuildTree, TableRunsThatLeaveTheVolumeOrPointBackEndTheWalk) {
  volume_.PutRecord(70, SimpleRecord({.name = u"kept.txt"}));
  // The table's second run lies far outside the volume.
  const Bytes runs = EncodeRuns({{kMftClusters, 16}, {64, 100000}});
  const Bytes outside =
      RecordBuilder()
          .Resident(kAttrFileName, u"", test::FileNameValue(u"$MFT"))
          .NonResident(kAttrData, u"", runs, 0, kMftClusters + 63, (kMftClusters + 64) * 4096)
          .Build();
  volume_.PutRecord(0, outside);
  EXPECT_EQ(Build(), kStatusMftStreamReadFailed);
  EXPECT_EQ(tree_.List().count("kept.txt"), 1u);

  // Runs that map the table's clusters again and again, claiming terabytes: the walk ends
  // where they repeat, at once.
  TreeUnderTest repeated;
  volume_.PutRecord(
      0, RecordBuilder()
             .Resident(kAttrFileName, u"", test::FileNameValue(u"$MFT"))
             .NonResident(kAttrData, u"", EncodeRuns({{kMftClusters, 16}, {0xFFFFFFFF, 0}}), 0, 0,
                          uint64_t{1} << 44)
             .Build());
  Open();
  BuildTreeContext context = repeated.Context(reader_.get());
  OperationLog log;
  EXPECT_EQ(volume_.Analyzer()->BuildTree(context, &log), kStatusMftStreamReadFailed);
  EXPECT_EQ(repeated.List().count("kept.txt"), 1u);

  // A sparse stretch of terabytes holds no records and is stepped over.
  TreeUnderTest sparse;
  volume_.PutRecord(0, RecordBuilder()
                           .Resident(kAttrFileName, u"", test::FileNameValue(u"$MFT"))
                           .NonResident(kAttrData, u"",
                                        EncodeRuns({{kMftClusters, 16}, test::Sparse(0xFFFFFFFF)}),
                                        0, 0, uint64_t{1} << 44)
                           .Build());
  Open();
  BuildTreeContext sparseContext = sparse.Context(reader_.get());
  EXPECT_EQ(volume_.Analyzer()->BuildTree(sparseContext, &log), kStatusMftStreamReadFailed);
  EXPECT_EQ(sparse.List().count("kept.txt"), 1u);
}

TEST_F(NtfsBuildTree, HostileRecordsEndCleanly) {
  // Attribute lists that name their own record, and two records that name each other.
  const Bytes selfList = [] {
    Bytes list = test::ListEntry(kAttrFileName, u"", 0, 90);
    const Bytes other = test::ListEntry(kAttrFileName, u"", 0, 91);
    list.insert(list.end(), other.begin(), other.end());
    return list;
  }();
  volume_.PutRecord(90, RecordBuilder().Resident(kAttrAttributeList, u"", selfList).Build());
  volume_.PutRecord(
      91, RecordBuilder()
              .Resident(kAttrAttributeList, u"", test::ListEntry(kAttrFileName, u"", 0, 90))
              .Build());
  // A record of 65536 bytes full of noise after its header.
  Bytes noise(65536);
  uint32_t state = 12345;
  for (uint8_t& byte : noise)
    byte = static_cast<uint8_t>((state = state * 1103515245 + 12345) >> 16);
  noise[0] = 'F', noise[1] = 'I', noise[2] = 'L', noise[3] = 'E';
  StoreLe(noise, 4, 0x30, 2);
  StoreLe(noise, 6, 129, 2);
  StoreLe(noise, 20, 0x138, 2);
  StoreLe(noise, 24, 60000, 4);
  StoreLe(noise, 28, 65536, 4);
  StoreLe(noise, 32, 0, 8);
  volume_.PutRecord(100, noise);
  volume_.PutRecord(200, SimpleRecord({.name = u"after the noise.txt"}));
  EXPECT_EQ(Build(), 0u);
  EXPECT_EQ(tree_.List().count("after the noise.txt"), 1u) << tree_.Summary();
}

// Reports what the analysis hands to the crash reporter.
class RecordingReporter : public InternalFailureReporter {
 public:
  explicit RecordingReporter(const DeviceNode* selected) : selected_(selected) {}
  const DeviceNode* SelectedNode() const override { return selected_; }
  void OfferCrashReport(std::string_view text) override { texts.emplace_back(text); }
  std::vector<std::string> texts;

 private:
  const DeviceNode* selected_;
};

TEST(NtfsInternalFailure, AnAnalysisWithoutADeviceIsReported) {
  test::MemoryNode node({}, kNodeImageFile, kFsNtfs, '0');
  RecordingReporter reporter(&node);
  SetActiveInternalFailureReporter(&reporter);
  NtfsAnalyzer unopened;
  TreeUnderTest tree;
  BuildTreeContext context = tree.Context();
  EXPECT_EQ(unopened.BuildTree(context, nullptr), 0u);
  SetActiveInternalFailureReporter(nullptr);
  EXPECT_EQ(reporter.texts, std::vector<std::string>{"NVI163 0 memory"});
  EXPECT_EQ(InternalFailureText("NVI246", nullptr), "NVI246");
}

}  // namespace
}  // namespace orvande
