// The search job over a whole-disk image that holds a corpus volume at an odd sector, the disk
// partition numbering, the kept lists and the DISK@N names.
#include "app/partition_search_job.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "app/disk_partition_list.h"
#include "app/disk_partition_source.h"
#include "app/disk_source.h"
#include "app/engine_setup.h"
#include "app/remembered_partitions.h"
#include "app/sleeping_wait.h"
#include "common/corpus.h"
#include "common/temp_folder.h"
#include "disk/partition_node.h"
#include "support/result_codes.h"

namespace orvande {
namespace {

namespace fs = std::filesystem;

constexpr uint64_t kVolumeAt = 3001;
constexpr uint64_t kDiskSectors = 200000;

class PartitionSearchJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PrepareEngine();
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr) oldState_ = state;
    setenv("XDG_STATE_HOME", (folder_ / "state").c_str(), 1);
    // A sparse disk with the FAT16 corpus volume copied in at an odd sector.
    const test::CorpusImage& volume = test::LoadCorpusImage("fat16");
    std::ifstream in(volume.imagePath, std::ios::binary);
    std::fstream out(disk_, std::ios::binary | std::ios::out | std::ios::trunc);
    out.seekp(static_cast<std::streamoff>(kVolumeAt * 512));
    out << in.rdbuf();
    out.close();
    fs::resize_file(disk_, kDiskSectors * 512);
  }
  void TearDown() override {
    if (oldState_) {
      setenv("XDG_STATE_HOME", oldState_->c_str(), 1);
    } else {
      unsetenv("XDG_STATE_HOME");
    }
  }

  OpenedDisk Open() {
    std::string problem;
    std::optional<OpenedDisk> opened = OpenNamedDisk(disk_.string(), 512, &problem);
    EXPECT_TRUE(opened.has_value()) << problem;
    return opened ? std::move(*opened) : OpenedDisk{};
  }

  static PartitionSearchRequest WholeDisk(OpenedDisk& disk) {
    PartitionSearchRequest request;
    request.disk = disk.node.get();
    request.range = {0, disk.totalSectors - 1};
    return request;
  }

  // Runs the job to its end; `whileRunning` sees it after every step.
  static void Run(PartitionSearchJob& job,
                  const std::function<void(PartitionSearchJob&)>& whileRunning = nullptr) {
    ASSERT_TRUE(job.Start());
    job.WindowShown();
    SleepingWait wait;
    while (!job.Finished()) {
      if (whileRunning) whileRunning(job);
      wait.WaitStep(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(job.WaitUntilDone(wait));
  }

  test::TempFolder folder_{"orvande-search-job-"};
  fs::path disk_ = folder_ / "disk.img";
  std::optional<std::string> oldState_;
};

TEST_F(PartitionSearchJobTest, FindsTheVolumeAndPublishesIt) {
  OpenedDisk disk = Open();
  PartitionSearchJob job(WholeDisk(disk));
  Run(job);
  const auto found = job.TakeFound();
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0]->GetFirstSector(), kVolumeAt);
  EXPECT_EQ(found[0]->GetFatWidth(), 16);
  EXPECT_EQ(disk.node->Partitions().size(), 1u);
  EXPECT_TRUE(job.TakeFound().empty());
  EXPECT_EQ(job.Total(), kDiskSectors - 1);
  EXPECT_FALSE(job.StopWasAsked());
  EXPECT_EQ(job.TimeLeftText(7), search_texts::kFinished);
}

TEST_F(PartitionSearchJobTest, RemovePreviousEmptiesTheListFirst) {
  for (bool removePrevious : {false, true}) {
    OpenedDisk disk = Open();
    PartitionNode earlier(0);
    const uint8_t boot[512] = {};
    ASSERT_TRUE(earlier.InitPartition(512, kFsFat, 77, 1000, boot));
    disk.node->AddPartition(earlier);
    PartitionSearchRequest request = WholeDisk(disk);
    request.removePrevious = removePrevious;
    PartitionSearchJob job(request);
    Run(job);
    EXPECT_EQ(disk.node->Partitions().size(), removePrevious ? 1u : 2u);
    EXPECT_EQ(disk.node->Partitions().back()->GetFirstSector(), kVolumeAt);
  }
}

TEST_F(PartitionSearchJobTest, StopKeepsWhatWasFound) {
  OpenedDisk disk = Open();
  PartitionSearchJob job(WholeDisk(disk));
  Run(job, [](PartitionSearchJob& running) {
    if (running.Total() != 0 && !running.TakeFound().empty()) running.Stop();
  });
  EXPECT_TRUE(job.StopWasAsked());
  ASSERT_FALSE(disk.node->Partitions().empty());
  EXPECT_EQ(disk.node->Partitions().front()->GetFirstSector(), kVolumeAt);
}

TEST_F(PartitionSearchJobTest, StopBeforeTheWindowIsShownEndsTheSearch) {
  OpenedDisk disk = Open();
  PartitionSearchJob job(WholeDisk(disk));
  ASSERT_TRUE(job.Start());
  job.Stop();
  SleepingWait wait;
  ASSERT_TRUE(job.WaitUntilDone(wait));
  EXPECT_TRUE(job.Finished());
}

TEST(PartitionSearchTimes, FollowTheWindowRules) {
  PartitionSearchJob job(PartitionSearchRequest{});
  EXPECT_EQ(job.TimeLeftText(30), "??:??");
  job.SetTotal(100);
  job.position = 25;
  EXPECT_EQ(job.TimeLeftText(30), "01:30");
  EXPECT_EQ(PartitionSearchJob::ElapsedText(59), "00:59");
  EXPECT_EQ(PartitionSearchJob::ElapsedText(3725), "01:02:05");
  job.position = SearchProgress::kFinished;
  EXPECT_EQ(job.TimeLeftText(30), "Finished");
}

TEST_F(PartitionSearchJobTest, NumbersTheTableFirstThenTheKeptList) {
  OpenedDisk disk = Open();
  PartitionSearchJob job(WholeDisk(disk));
  Run(job);
  const std::string kept = RememberedPartitionsFile(disk.canonicalPath, disk.SizeBytes());
  ASSERT_EQ(kept.rfind((folder_ / "state" / "orvande" / "partitions").string(), 0), 0u) << kept;
  EXPECT_NE(kept, RememberedPartitionsFile(disk.canonicalPath, disk.SizeBytes() + 512));
  ASSERT_TRUE(IsSuccess(RememberPartitions(*disk.node, kept)));

  // A later run reaches the found volume by its number.
  std::string problem;
  std::optional<DiskWithPartitions> later =
      OpenDiskWithPartitions(disk_.string(), DiskSourceOptions{}, &problem);
  ASSERT_TRUE(later) << problem;
  std::unique_ptr<PartitionNode> first = PickDiskPartition(*later, 1, &problem);
  ASSERT_NE(first, nullptr) << problem;
  EXPECT_EQ(first->GetFirstSector(), kVolumeAt);
  EXPECT_EQ(PickDiskPartition(*later, 2, &problem), nullptr);
  EXPECT_NE(problem.find("numbered 1 to 1"), std::string::npos) << problem;

  auto table = std::make_shared<PartitionNode>(0);
  const auto numbered = NumberPartitions({table}, later->disk.node->Partitions());
  ASSERT_EQ(numbered.size(), 2u);
  EXPECT_EQ(numbered[0].number, 1u);
  EXPECT_STREQ(PartitionOriginName(numbered[0].origin), "table");
  EXPECT_EQ(numbered[1].number, 2u);
  EXPECT_STREQ(PartitionOriginName(numbered[1].origin), "found");
  EXPECT_EQ(numbered[1].node->GetFirstSector(), kVolumeAt);
}

TEST_F(PartitionSearchJobTest, RefusesDisksItCannotRead) {
  struct Case {
    uint64_t bytes;
    uint32_t sectorSize;
    const char* says;
  };
  const std::vector<Case> cases = {
      {100, 512, "shorter than one sector"},
      {4000, 4096, "shorter than one sector"},
      {8192, 256, "not supported"},
  };
  for (const Case& c : cases) {
    fs::resize_file(disk_, c.bytes);
    std::string problem;
    EXPECT_FALSE(OpenNamedDisk(disk_.string(), c.sectorSize, &problem));
    EXPECT_NE(problem.find(c.says), std::string::npos) << problem;
  }
}

TEST(DiskPartitionName, SplitsAtTheLastAt) {
  struct Case {
    const char* text;
    const char* disk;  // null: not a DISK@N name
    uint32_t number;
  };
  const std::vector<Case> cases = {
      {"disk.img@2", "disk.img", 2}, {"a@b.img@13", "a@b.img", 13}, {"/dev/sdb@1", "/dev/sdb", 1},
      {"disk.img@0", nullptr, 0},    {"disk.img@", nullptr, 0},     {"@1", nullptr, 0},
      {"disk.img@1a", nullptr, 0},   {"disk.img", nullptr, 0},      {"disk.img@-1", nullptr, 0},
  };
  for (const Case& c : cases) {
    const auto name = ParseDiskPartitionName(c.text);
    ASSERT_EQ(name.has_value(), c.disk != nullptr) << c.text;
    if (!name) continue;
    EXPECT_EQ(name->diskPath, c.disk);
    EXPECT_EQ(name->number, c.number);
  }
}

}  // namespace
}  // namespace orvande
