// The partitions information file: its bytes, the round trip, what a malformed file adds, and
// the boxes the load and save commands show.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

#include "common/jpeg_sample.h"
#include "common/port_doubles.h"
#include "common/temp_folder.h"
#include "disk/partition_node.h"
#include "disk/partitions_file.h"
#include "disk/partitions_file_layout.h"
#include "disk/partitions_file_messages.h"
#include "disk/physical_disk_node.h"
#include "support/le_reader.h"
#include "support/result_codes.h"

namespace orvande {
namespace {

using Bytes = std::vector<uint8_t>;

// Three partitions whose every field differs from the others' and from zero.
PartitionNode Partition(uint32_t fsKind, uint32_t bytesPerSector, uint64_t first, uint64_t count,
                        uint8_t fill) {
  Bytes boot(PartitionNode::kBootSectorSize);
  for (size_t i = 0; i < boot.size(); ++i) boot[i] = static_cast<uint8_t>(fill + i);
  PartitionNode node(1);
  node.InitPartition(bytesPerSector, fsKind, first, count, boot.data());
  return node;
}

void AddThree(PhysicalDiskNode& disk) {
  disk.AddPartition(Partition(kFsFat, 512, 0x1'2345'6789ULL, 0x2'0000'0003ULL, 0x11));
  disk.AddPartition(Partition(kFsNtfs, 4096, 63, 1'000'000, 0x22));
  disk.AddPartition(Partition(kFsNone, 2048, 0xFFFF'FFFF'FFFF'0000ULL, 7, 0x33));
}

Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class PartitionsFileTest : public ::testing::Test {
 protected:
  // A saved file of disk 1 with three partitions.
  Bytes SavedThree() {
    PhysicalDiskNode disk(1, "Disk 1");
    AddThree(disk);
    EXPECT_EQ(SavePartitions(disk, path_.string()), kSuccess);
    return ReadFile(path_);
  }

  ResultCode Load(PhysicalDiskNode& disk, int* added) {
    return LoadPartitions(disk, path_.string(), added);
  }

  test::TempFolder folder_{"ovp"};
  std::filesystem::path path_ = folder_ / "disk.ovp";
};

TEST_F(PartitionsFileTest, SavedFileHoldsHeaderAndOneRecordEach) {
  const Bytes file = SavedThree();
  ASSERT_EQ(file.size(), 1642u);
  const LeReader bytes(file.data(), file.size());
  EXPECT_TRUE(std::equal(ovp::kMagic.begin(), ovp::kMagic.end(), file.begin()));
  EXPECT_EQ(bytes.U16(ovp::kHeaderBootSectorSize), 512u);
  EXPECT_EQ(bytes.U32(ovp::kHeaderDiskNumber), 1u);
  EXPECT_EQ(bytes.U32(ovp::kHeaderRecordCount), 3u);
  const size_t second = ovp::kHeaderSize + ovp::kRecordSize;
  EXPECT_EQ(bytes.U32(second + ovp::kRecordBootSectorSizeField), 512u);
  EXPECT_EQ(bytes.U32(second + ovp::kRecordFsKind), 2u);
  EXPECT_EQ(bytes.U32(second + ovp::kRecordBytesPerSector), 4096u);
  EXPECT_EQ(bytes.U64(second + ovp::kRecordFirstSector), 63u);
  EXPECT_EQ(bytes.U64(second + ovp::kRecordSectorCount), 1'000'000u);
  EXPECT_EQ(bytes.U8(second + ovp::kRecordBootSector + 511), static_cast<uint8_t>(0x22 + 511));
}

TEST_F(PartitionsFileTest, LoadPutsThePartitionsOnTheLoadingDiskOnce) {
  SavedThree();
  PhysicalDiskNode disk0(0, "Disk 0");
  int added = -1;
  ASSERT_EQ(Load(disk0, &added), kSuccess);
  EXPECT_EQ(added, 3);
  PhysicalDiskNode original(1, "Disk 1");
  AddThree(original);
  const auto loaded = disk0.Partitions();
  const auto expected = original.Partitions();
  ASSERT_EQ(loaded.size(), 3u);
  for (size_t i = 0; i < loaded.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(loaded[i]->GetDiskNumber(), 0);
    EXPECT_EQ(loaded[i]->GetPartitionFsKind(), expected[i]->GetPartitionFsKind());
    EXPECT_EQ(loaded[i]->GetBytesPerSector(), expected[i]->GetBytesPerSector());
    EXPECT_EQ(loaded[i]->GetFirstSector(), expected[i]->GetFirstSector());
    EXPECT_EQ(loaded[i]->GetSectorCount(), expected[i]->GetSectorCount());
    EXPECT_TRUE(std::equal(loaded[i]->GetBootSector(), loaded[i]->GetBootSector() + 512,
                           expected[i]->GetBootSector()));
  }
  EXPECT_EQ(Load(disk0, &added), kSuccess);
  EXPECT_EQ(added, 0);
  EXPECT_EQ(disk0.Partitions().size(), 3u);
}

struct Malformation {
  const char* name;
  std::function<void(Bytes&)> damage;
  ResultCode result;
  int added;
};

void Put32(Bytes& file, size_t offset, uint32_t value) { StoreLe(file, offset, value, 4); }

constexpr size_t kSecondRecord = ovp::kHeaderSize + ovp::kRecordSize;

TEST_F(PartitionsFileTest, MalformedFilesAddWhatCameBeforeTheFault) {
  const Bytes good = SavedThree();
  const Malformation cases[] = {
      {"magic", [](Bytes& f) { f[ovp::kHeaderMagic + 11] = 'Z'; }, ErrInvalidPartitionsData, 0},
      {"header boot sector size",
       [](Bytes& f) { StoreLe(f, ovp::kHeaderBootSectorSize, 1024, 2); },
       ErrInvalidPartitionsData, 0},
      {"header cut short", [](Bytes& f) { f.resize(ovp::kHeaderSize - 1); },
       ErrInvalidPartitionsData, 0},
      {"empty file", [](Bytes& f) { f.clear(); }, ErrInvalidPartitionsData, 0},
      {"record boot sector size",
       [](Bytes& f) { Put32(f, kSecondRecord + ovp::kRecordBootSectorSizeField, 511); },
       ErrInvalidPartitionsData, 1},
      {"record kind", [](Bytes& f) { Put32(f, kSecondRecord + ovp::kRecordFsKind, 3); },
       ErrInvalidPartitionsData, 1},
      {"record cut short", [](Bytes& f) { f.resize(kSecondRecord + ovp::kRecordBootSector + 9); },
       ErrInvalidPartitionsData, 1},
      {"more records counted than held",
       [](Bytes& f) { Put32(f, ovp::kHeaderRecordCount, 4); }, ErrInvalidPartitionsData, 3},
      {"fewer records counted than held",
       [](Bytes& f) { Put32(f, ovp::kHeaderRecordCount, 2); }, kSuccess, 2},
      {"disk number is not checked", [](Bytes& f) { Put32(f, ovp::kHeaderDiskNumber, 77); },
       kSuccess, 3},
  };
  for (const Malformation& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes file = good;
    c.damage(file);
    WriteFile(path_, file);
    PhysicalDiskNode disk(0, "Disk 0");
    int added = -1;
    EXPECT_EQ(Load(disk, &added), c.result);
    EXPECT_EQ(added, c.added);
    EXPECT_EQ(disk.Partitions().size(), static_cast<size_t>(c.added));
  }
}

TEST_F(PartitionsFileTest, PictureIsNoPartitionsFile) {
  WriteFile(path_, test::SmallJpeg(4000));
  PhysicalDiskNode disk(0, "Disk 0");
  int added = -1;
  EXPECT_EQ(Load(disk, &added), ErrInvalidPartitionsData);
  EXPECT_EQ(added, 0);
}

TEST_F(PartitionsFileTest, MissingFileGivesThePlatformError) {
  PhysicalDiskNode disk(0, "Disk 0");
  int added = -1;
  EXPECT_EQ(LoadPartitions(disk, (folder_ / "none.ovp").string(), &added), kErrFileNotFound);
  EXPECT_EQ(added, 0);
}

TEST_F(PartitionsFileTest, FailedWriteLeavesNoFile) {
  PhysicalDiskNode disk(1, "Disk 1");
  AddThree(disk);
  // The process may not make files longer than the header and a bit: the first record fails.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 100;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const ResultCode result = SavePartitions(disk, path_.string());
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(IsSuccess(result));
  EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST(PartitionsFileMessages, LoadReportsFailureAndWhatWasAdded) {
  struct Case {
    ResultCode result;
    int added;
    std::vector<std::string> texts;
  };
  const Case cases[] = {
      {kSuccess, 2, {"2 partition(s) were added for Disk 0."}},
      {kSuccess, 0, {}},
      {ErrInvalidPartitionsData, 1,
       {"Invalid partitions information.", "1 partition(s) were added for Disk 0."}},
      {ErrInvalidPartitionsData, 0, {"Invalid partitions information."}},
  };
  for (const Case& c : cases) {
    test::ScriptedPrompter prompter;
    EXPECT_EQ(ReportPartitionsLoad(prompter, c.result, c.added, "Disk 0"), c.added > 0);
    EXPECT_EQ(prompter.Texts(), c.texts);
  }
}

TEST(PartitionsFileMessages, FailedSaveSaysSo) {
  test::ScriptedPrompter prompter;
  ReportPartitionsSave(prompter, kSuccess);
  ReportPartitionsSave(prompter, kErrDiskFull);
  ASSERT_EQ(prompter.Prompts().size(), 1u);
  EXPECT_EQ(prompter.Prompts()[0].text, "Can't save partitions information.");
  EXPECT_EQ(prompter.Prompts()[0].icon, MessageIcon::kError);
}

}  // namespace
}  // namespace orvande
