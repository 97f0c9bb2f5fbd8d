// The lost partition search over a whole disk that is an image file: byte-built traces judged by
// an analyzer that accepts every volume, and volumes made by the real formatting tools.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "common/idle_analyzer.h"
#include "common/temp_folder.h"
#include "core/analyzer_factory.h"
#include "disk/physical_disk_node.h"
#include "disk/whole_disk_device.h"
#include "fat/fat_analyzer.h"
#include "ntfs/ntfs_analyzer.h"
#include "platform/raw_io.h"
#include "platform/version.h"
#include "search/lost_partition_search.h"
#include "support/le_reader.h"

namespace orvande {
namespace {

using Sector = std::array<uint8_t, 512>;

// A file that reports another sector size than the 512 bytes of a regular file.
class SectorSizeIo : public platform::RawIo {
 public:
  explicit SectorSizeIo(uint32_t bytesPerSector) : bytesPerSector_(bytesPerSector) {}
  Handle OpenReadOnly(const std::string& path, uint32_t* error) override {
    return real_.OpenReadOnly(path, error);
  }
  void Close(Handle handle) override { real_.Close(handle); }
  bool ReadAt(Handle handle, uint64_t offset, void* buffer, size_t size, size_t* bytesRead,
              uint32_t* error) override {
    return real_.ReadAt(handle, offset, buffer, size, bytesRead, error);
  }
  bool QueryGeometry(Handle handle, platform::BlockGeometry* geometry, uint32_t* error) override {
    if (!real_.QueryGeometry(handle, geometry, error)) return false;
    if (bytesPerSector_ != 0) geometry->bytesPerSector = bytesPerSector_;
    return true;
  }

 private:
  platform::RawIo& real_ = platform::SystemRawIo();
  uint32_t bytesPerSector_;
};

class RecordingProgress : public SearchProgress {
 public:
  RecordingProgress() { ready = true; }
  void SetTotal(uint32_t value) override { total = value; }
  void AddPartition(const std::shared_ptr<PartitionNode>& partition) override {
    shown.push_back(partition);
    if (onAdd) onAdd();
  }
  uint32_t total = 0;
  std::vector<std::shared_ptr<PartitionNode>> shown;
  std::function<void()> onAdd;
};

std::unique_ptr<VolumeAnalyzer> MakeAcceptingAnalyzer() {
  return std::make_unique<test::IdleAnalyzer>();
}

void Put(Sector& s, size_t offset, uint64_t value, size_t width) {
  for (size_t i = 0; i < width; ++i) s[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

Sector FatBoot(uint32_t bytesPerSector, uint32_t total16) {
  Sector s{};
  Put(s, 0x0B, bytesPerSector, 2);
  s[0x0D] = 4;                      // sectors per cluster
  Put(s, 0x0E, 1, 2);               // reserved
  s[0x10] = 2;                      // tables
  Put(s, 0x11, 512, 2);             // root entries
  Put(s, 0x13, total16, 2);
  Put(s, 0x16, 32, 2);              // sectors per table
  std::copy_n("FAT16", 5, s.begin() + 0x36);
  s[510] = 0x55;
  s[511] = 0xAA;
  return s;
}

// The first record of a master file table: "FILE" and a resident file name "$MFT".
Sector MftOwnRecord() {
  Sector s{};
  std::copy_n("FILE", 4, s.begin());
  Put(s, 0x14, 0x38, 2);         // first attribute
  Put(s, 0x38, 0x30, 4);         // $FILE_NAME
  Put(s, 0x3C, 0x68, 4);         // length
  Put(s, 0x38 + 0x10, 0x4A, 4);  // value length
  Put(s, 0x38 + 0x14, 0x18, 2);  // value offset
  s[0x50 + 0x40] = 4;
  const char16_t name[] = u"$MFT";
  for (size_t i = 0; i < 4; ++i) Put(s, 0x50 + 0x42 + 2 * i, name[i], 2);
  Put(s, 0xA0, 0xFFFFFFFF, 4);
  return s;
}

class SearchDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterAnalyzer(kFsFat, &MakeAcceptingAnalyzer);
    RegisterAnalyzer(kFsNtfs, &MakeAcceptingAnalyzer);
  }
  void TearDown() override {
    RegisterAnalyzer(kFsFat, nullptr);
    RegisterAnalyzer(kFsNtfs, nullptr);
  }

  // A sparse disk image of `sectors` 512-byte sectors.
  void MakeDisk(uint64_t sectors) {
    std::ofstream(path_, std::ios::binary | std::ios::trunc).close();
    std::filesystem::resize_file(path_, sectors * 512);
  }
  void PutSector(uint64_t sector, const Sector& bytes) {
    std::fstream file(path_, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(static_cast<std::streamoff>(sector * 512));
    file.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }

  // Searches first..last with the given options; the device is opened and closed here.
  uint32_t Search(uint64_t first, uint64_t last, uint32_t options, uint32_t sectorSize = 0) {
    SectorSizeIo io(sectorSize);
    DevicePorts ports;
    ports.io = sectorSize != 0 ? static_cast<platform::RawIo*>(&io) : &platform::SystemRawIo();
    ports.queryVersion = [] { return platform::PlatformVersion{platform::kAccessModeDevicePaths, 4}; };
    ports.diskPath = [this](uint32_t) { return path_.string(); };
    disk_ = std::make_unique<PhysicalDiskNode>(0, "Disk 0", ports);
    // The same list across searches, as the frame keeps one node per disk.
    for (const auto& kept : kept_) disk_->AddPartition(*kept);
    WholeDiskDevice device(disk_.get(), ports);
    EXPECT_TRUE(device.Open(true, nullptr));
    const uint32_t result =
        SearchLostPartitions(device, &cancel_, first, last, progress_, [options] { return options; });
    device.Close();
    kept_ = disk_->Partitions();
    return result;
  }

  // Makes a volume with `make` (%s: its file) and copies it onto the disk at sector `at` of
  // `sectorBytes`. mkntfs wants an existing file of the volume's size: `ntfsSectors` of them.
  bool PlaceVolume(size_t index, std::string make, uint64_t ntfsSectors, uint64_t at,
                   uint32_t sectorBytes) {
    const auto volumePath = folder_ / ("v" + std::to_string(index));
    make.replace(make.find("%s"), 2, "'" + volumePath.string() + "'");
    if (make.starts_with("mkntfs")) {
      std::ofstream(volumePath).close();
      std::filesystem::resize_file(volumePath, ntfsSectors * sectorBytes);
    }
    if (std::system((make + " >/dev/null 2>&1").c_str()) != 0) return false;
    const std::string copy = "dd if='" + volumePath.string() + "' of='" + path_.string() +
                             "' bs=" + std::to_string(sectorBytes) + " seek=" +
                             std::to_string(at) + " conv=notrunc,sparse status=none";
    return std::system(copy.c_str()) == 0;
  }

  std::shared_ptr<PartitionNode> ListedAt(uint64_t firstSector) const {
    for (const auto& p : kept_)
      if (p->GetFirstSector() == firstSector) return p;
    return nullptr;
  }

  test::TempFolder folder_{"search"};
  std::filesystem::path path_ = folder_ / "disk.img";
  StopFlag cancel_{0};
  RecordingProgress progress_;
  std::unique_ptr<PhysicalDiskNode> disk_;
  std::vector<std::shared_ptr<PartitionNode>> kept_;
};

constexpr uint32_t kFatOnly = SearchFat12 | SearchFat16 | SearchFat32;

TEST_F(SearchDisk, SectorsBelow512BytesAreRefused) {
  MakeDisk(64);
  EXPECT_EQ(Search(0, 63, kAllSearchOptions, 256), ErrSectorTooSmall);
  EXPECT_TRUE(kept_.empty());
}

TEST_F(SearchDisk, RecordTraceNearTheStartPlacesTheTableAtAnEarlierCluster) {
  MakeDisk(64);
  PutSector(10, MftOwnRecord());
  EXPECT_EQ(Search(0, 63, SearchNtfs), kSuccess);
  auto found = ListedAt(2);
  ASSERT_NE(found, nullptr);
  LeReader boot(found->GetBootSector(), 512);
  EXPECT_EQ(found->GetPartitionFsKind(), static_cast<uint32_t>(kFsNtfs));
  EXPECT_EQ(boot.U64(0x30), 1u);
  EXPECT_EQ(boot.U64(0x28), 62u);
  EXPECT_EQ(found->GetSectorCount(), 62u);
  EXPECT_EQ(progress_.total, 63u);
}

TEST_F(SearchDisk, BootSectorFieldsArePutRight) {
  MakeDisk(20000);
  PutSector(1000, FatBoot(512, 29000));  // runs 10,000 sectors past the disk's end
  PutSector(3001, FatBoot(3000, 8000));
  EXPECT_EQ(Search(0, 19999, kFatOnly), kSuccess);
  auto cut = ListedAt(1000);
  ASSERT_NE(cut, nullptr);
  EXPECT_EQ(cut->GetSectorCount(), 19000u);
  EXPECT_EQ(LeReader(cut->GetBootSector(), 512).U16(0x13), 19000u);
  auto odd = ListedAt(3001);
  ASSERT_NE(odd, nullptr);
  EXPECT_EQ(LeReader(odd->GetBootSector(), 512).U16(0x0B), 512u);
  EXPECT_EQ(progress_.shown.size(), 2u);
}

TEST_F(SearchDisk, TracesAtTheEdgesOfReadBatchesAndOfTheRangeAreFound) {
  constexpr uint64_t kBatch = kSearchBatchBytes / 512;
  constexpr uint64_t kDiskSectors = 3 * kBatch + 100;
  constexpr uint64_t kLast = kDiskSectors - 50;  // the range stops short of the disk's end
  MakeDisk(kDiskSectors);
  const std::vector<uint64_t> found = {kBatch - 1, kBatch, 2 * kBatch - 1, 3 * kBatch, kLast};
  for (uint64_t at : found) PutSector(at, FatBoot(512, 40));
  PutSector(kLast + 1, FatBoot(512, 40));
  EXPECT_EQ(Search(0, kLast, kFatOnly), kSuccess);
  for (uint64_t at : found) EXPECT_NE(ListedAt(at), nullptr) << at;
  EXPECT_EQ(ListedAt(kLast + 1), nullptr);
  ASSERT_EQ(progress_.shown.size(), found.size());
  for (size_t i = 0; i < found.size(); ++i)  // in disk order
    EXPECT_EQ(progress_.shown[i]->GetFirstSector(), found[i]);
}

TEST_F(SearchDisk, ASecondSearchListsNothingTwice) {
  MakeDisk(4000);
  PutSector(777, FatBoot(512, 3000));
  Search(0, 3999, kFatOnly);
  ASSERT_EQ(kept_.size(), 1u);
  progress_.shown.clear();
  Search(0, 3999, kFatOnly);
  EXPECT_EQ(kept_.size(), 1u);
  EXPECT_TRUE(progress_.shown.empty());
}

TEST_F(SearchDisk, CancelStillJudgesTheExtraNtfsCandidateWithoutShowingIt) {
  MakeDisk(600000);  // a few batches, so the cancel comes mid-scan
  PutSector(5, FatBoot(512, 3000));
  PutSector(500000, FatBoot(512, 3000));
  progress_.onAdd = [this] { cancel_ = 1; };
  EXPECT_EQ(Search(0, 599999, kAllSearchOptions), kSuccess);
  EXPECT_NE(ListedAt(5), nullptr);
  EXPECT_EQ(ListedAt(500000), nullptr);
  auto extra = ListedAt(63);
  ASSERT_NE(extra, nullptr);
  EXPECT_EQ(extra->GetSectorCount(), 600000u - 63);
  EXPECT_EQ(progress_.shown.size(), 1u);

  // Cancelled before it starts: nothing at all, not even the extra candidate.
  kept_.clear();
  EXPECT_EQ(Search(0, 599999, kAllSearchOptions), kSuccess);
  EXPECT_TRUE(kept_.empty());
}

TEST_F(SearchDisk, FindsVolumesMadeByTheFormattingTools) {
  if (std::system("command -v mkfs.fat >/dev/null && command -v mkntfs >/dev/null") != 0)
    GTEST_SKIP() << "mkfs.fat or mkntfs is not installed";
  RegisterAnalyzer(kFsFat, &MakeFatAnalyzer);
  RegisterAnalyzer(kFsNtfs, &MakeNtfsAnalyzer);
  struct Volume {
    std::string make;  // %s: the image file
    uint64_t sectors;
    uint64_t count;  // as its boot sector tells
    uint64_t at;
    int width;         // FAT width, 0 for NTFS
  };
  const std::vector<Volume> volumes = {
      {"mkfs.fat -F 12 -C %s 2048", 4096, 4096, 2001, 12},
      {"mkfs.fat -F 16 -C %s 16384", 32768, 32768, 10003, 16},
      {"mkntfs -F -q -Q -s 512 %s 16384", 16384, 16383, 50001, 0},
      {"mkfs.fat -F 32 -C %s 36864", 73728, 73728, 70000, 32},
  };
  MakeDisk(150000);
  for (size_t i = 0; i < volumes.size(); ++i) {
    ASSERT_TRUE(PlaceVolume(i, volumes[i].make, volumes[i].sectors, volumes[i].at, 512))
        << volumes[i].make;
  }
  EXPECT_EQ(Search(0, 149999, kAllSearchOptions), kSuccess);
  // 1,172 chunks of 128 sectors: the one report comes at the 1,001st.
  EXPECT_EQ(progress_.position.load(), 128000u);
  for (const auto& volume : volumes) {
    auto found = ListedAt(volume.at);
    ASSERT_NE(found, nullptr) << volume.make;
    EXPECT_EQ(found->GetSectorCount(), volume.count) << volume.make;
    if (volume.width != 0) {
      EXPECT_EQ(found->GetFatWidth(), volume.width) << volume.make;
    }
  }
}

// On a disk of 4096-byte sectors the boot signature still sits at byte 510 of the sector.
TEST_F(SearchDisk, FindsVolumesOnADiskOfLargeSectors) {
  if (std::system("command -v mkfs.fat >/dev/null && command -v mkntfs >/dev/null") != 0)
    GTEST_SKIP() << "mkfs.fat or mkntfs is not installed";
  RegisterAnalyzer(kFsFat, &MakeFatAnalyzer);
  RegisterAnalyzer(kFsNtfs, &MakeNtfsAnalyzer);
  struct Volume {
    std::string make;  // %s: the image file
    uint64_t sectors;  // of 4096 bytes
    uint64_t at;
  };
  const std::vector<Volume> volumes = {
      {"mkfs.fat -F 32 -S 4096 -C %s 65536", 16384, 301},
      {"mkntfs -F -q -Q -s 4096 -c 4096 %s", 8192, 20003},
  };
  MakeDisk(30000 * 8);
  for (size_t i = 0; i < volumes.size(); ++i) {
    ASSERT_TRUE(PlaceVolume(i, volumes[i].make, volumes[i].sectors, volumes[i].at, 4096))
        << volumes[i].make;
  }
  EXPECT_EQ(Search(0, 29999, kAllSearchOptions, 4096), kSuccess);
  for (const auto& volume : volumes) {
    auto found = ListedAt(volume.at);
    ASSERT_NE(found, nullptr) << volume.make;
    EXPECT_EQ(found->GetBytesPerSector(), 4096u) << volume.make;
  }
}

}  // namespace
}  // namespace orvande
