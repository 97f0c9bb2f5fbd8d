#include "core/volume_analyzer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/idle_analyzer.h"
#include "common/memory_device.h"
#include "common/port_doubles.h"
#include "core/recovery_context.h"
#include "core/sector_run_list.h"
#include "support/operation_log.h"
#include "support/result_codes.h"

namespace orvande {
namespace {

using test::MemorySectorDevice;

using PlainAnalyzer = test::IdleAnalyzer;

// An image whose every byte tells its own position, so misplaced data shows.
std::vector<uint8_t> PatternBytes(size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>((i * 7 + i / 512) & 0xFF);
  return bytes;
}

std::array<uint8_t, 512> MarkedBootSector() {
  std::array<uint8_t, 512> block{};
  block.fill(0xB5);
  return block;
}

// Holds a device with one reference of the test's own.
struct DeviceHolder {
  explicit DeviceHolder(std::vector<uint8_t> bytes)
      : device(new MemorySectorDevice(std::move(bytes))) {
    device->Open(false, nullptr);
  }
  ~DeviceHolder() { device->Release(); }
  MemorySectorDevice* device;
};

TEST(VolumeAnalyzerTest, OpenHoldsOneReferenceAndDestructionClosesAndReleasesIt) {
  DeviceHolder holder(PatternBytes(4096));
  auto& probe = holder.device->Probe();
  {
    PlainAnalyzer analyzer;
    EXPECT_FALSE(analyzer.Open(nullptr, true, nullptr));
    analyzer.SetGeometry(2048, 2);
    ASSERT_TRUE(analyzer.Open(holder.device, true, nullptr));
    EXPECT_EQ(probe.references, 2);
    EXPECT_EQ(analyzer.BytesPerSector(), 512u);
    EXPECT_EQ(analyzer.SectorsPerCluster(), 8u);
    EXPECT_EQ(analyzer.BytesPerCluster(), 4096u);
    EXPECT_EQ(analyzer.SectorShift(), 9u);
    EXPECT_EQ(analyzer.ClusterShift(), 12u);
    // Opening the same device again must not take a second reference.
    ASSERT_TRUE(analyzer.Open(holder.device, true, nullptr));
    EXPECT_EQ(probe.references, 2);
  }
  EXPECT_EQ(probe.references, 1);
  EXPECT_EQ(probe.closes, 1);
}

TEST(VolumeAnalyzerTest, ReadWithoutDeviceOrSectorsFails) {
  PlainAnalyzer analyzer;
  std::vector<uint8_t> buffer(512);
  uint32_t result = 0;
  EXPECT_EQ(analyzer.ReadVolumeSectors(0, buffer.data(), 512, &result, 1, false, false), 0u);
  EXPECT_EQ(result, kStatusNoDevice);

  DeviceHolder holder(PatternBytes(4096));
  ASSERT_TRUE(analyzer.Open(holder.device, true, nullptr));
  result = 0;
  EXPECT_EQ(analyzer.ReadVolumeSectors(1, buffer.data(), 512, &result, 0, false, false), 0u);
  EXPECT_EQ(result, kStatusNoDevice);
  EXPECT_TRUE(holder.device->Probe().reads.empty());
}

TEST(VolumeAnalyzerTest, StoredBootSectorReplacesSectorZeroUnlessKept) {
  std::vector<uint8_t> image = PatternBytes(8192);
  DeviceHolder holder(image);
  holder.device->Image().storedBootSector = MarkedBootSector();
  PlainAnalyzer analyzer;
  ASSERT_TRUE(analyzer.Open(holder.device, true, nullptr));

  std::vector<uint8_t> buffer(1024);
  uint32_t result = 1;
  ASSERT_EQ(analyzer.ReadVolumeSectors(0, buffer.data(), 1024, &result, 2, false, false), 2u);
  EXPECT_EQ(result, kSuccess);
  EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + 512, MarkedBootSector().begin()));
  EXPECT_TRUE(std::equal(buffer.begin() + 512, buffer.end(), image.begin() + 512));

  ASSERT_EQ(analyzer.ReadVolumeSectors(0, buffer.data(), 1024, &result, 2, false, true), 2u);
  EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), image.begin()));

  // Only a read that starts at sector 0 is touched.
  ASSERT_EQ(analyzer.ReadVolumeSectors(1, buffer.data(), 512, &result, 1, false, false), 1u);
  EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + 512, image.begin() + 512));
}

TEST(VolumeAnalyzerTest, StoredBootSectorCopyIsBoundedByBufferAndBlock) {
  std::vector<uint8_t> image = PatternBytes(16384);
  DeviceHolder holder(image);
  holder.device->Image().storedBootSector = MarkedBootSector();
  PlainAnalyzer analyzer;
  ASSERT_TRUE(analyzer.Open(holder.device, true, nullptr));

  // A buffer smaller than a sector: the device refuses, the copy still fits the buffer.
  std::vector<uint8_t> small(100, 0);
  uint32_t result = 0;
  EXPECT_EQ(analyzer.ReadVolumeSectors(0, small.data(), 100, &result, 1, false, false), 0u);
  EXPECT_EQ(result, ErrBufferTooSmall);
  EXPECT_EQ(small, std::vector<uint8_t>(100, 0xB5));

  // With 4096-byte sectors only the 512 stored bytes replace the start of the sector.
  analyzer.SetGeometry(4096, 1);
  std::vector<uint8_t> big(4096);
  ASSERT_EQ(analyzer.ReadVolumeSectors(0, big.data(), 4096, &result, 1, false, false), 1u);
  EXPECT_TRUE(std::equal(big.begin(), big.begin() + 512, MarkedBootSector().begin()));
  EXPECT_TRUE(std::equal(big.begin() + 512, big.end(), image.begin() + 512));
}

TEST(VolumeAnalyzerTest, SectorSizeChangeChangesTheUnitOfLaterReads) {
  std::vector<uint8_t> image = PatternBytes(32768);
  DeviceHolder holder(image);
  PlainAnalyzer analyzer;
  ASSERT_TRUE(analyzer.Open(holder.device, true, nullptr));
  std::vector<uint8_t> buffer(8192);
  uint32_t result = 0;
  ASSERT_EQ(analyzer.ReadVolumeSectors(3, buffer.data(), 512, &result, 1, false, true), 1u);

  analyzer.SetGeometry(4096, 2);
  EXPECT_EQ(analyzer.SectorShift(), 12u);
  EXPECT_EQ(analyzer.BytesPerCluster(), 8192u);
  EXPECT_EQ(analyzer.ClusterShift(), 13u);
  ASSERT_EQ(analyzer.ReadVolumeSectors(2, buffer.data(), 4096, &result, 1, false, true), 1u);
  EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + 4096, image.begin() + 2 * 4096));

  const auto& reads = holder.device->Probe().reads;
  ASSERT_EQ(reads.size(), 2u);
  EXPECT_EQ(reads[0].unitShift, 9);
  EXPECT_EQ(reads[1].unitShift, 12);
  EXPECT_EQ(reads[1].first, 2u);

  // A cluster is whole or not at all: the image ends inside cluster 3.
  analyzer.SetGeometry(4096, 2);
  result = 1;
  EXPECT_TRUE(analyzer.ReadVolumeCluster(2, buffer.data(), 8192, &result, false, true));
  EXPECT_EQ(result, kSuccess);
  EXPECT_FALSE(analyzer.ReadVolumeCluster(7, buffer.data(), 8192, &result, false, true));
  analyzer.SetGeometry(512, 0);
  EXPECT_FALSE(analyzer.ReadVolumeCluster(0, buffer.data(), 8192, &result, false, true));
}

// Writes runs of a memory volume to a file in a fresh folder and reads the file back.
class WriteRunsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("orvande-runs-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    image_ = PatternBytes(64 * 512);
    device_ = new MemorySectorDevice(image_);
    device_->Open(false, nullptr);
    ASSERT_TRUE(analyzer_.Open(device_, true, nullptr));
    context_.progressBar = &progress_;
    context_.stop = &stop_;
  }
  void TearDown() override {
    device_->Release();
    std::filesystem::remove_all(folder_);
  }

  std::string PathOf(const char* name) const { return (folder_ / name).string(); }
  static std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }
  // The image bytes of sectors [first, last], in order.
  std::vector<uint8_t> Sectors(uint32_t first, uint32_t last) const {
    return std::vector<uint8_t>(image_.begin() + first * 512, image_.begin() + (last + 1) * 512);
  }
  static SectorRunList Runs(std::initializer_list<std::pair<uint32_t, uint32_t>> runs) {
    SectorRunList list;
    for (auto [a, b] : runs) list.AddRun(a, b);
    return list;
  }

  std::filesystem::path folder_;
  std::vector<uint8_t> image_;
  MemorySectorDevice* device_ = nullptr;
  PlainAnalyzer analyzer_;
  test::RecordingProgressBar progress_;
  StopFlag stop_{0};
  RecoveryContext context_;
  OperationLog log_;
};

TEST_F(WriteRunsTest, WritesRunsInOrderCutToTheSize) {
  std::string path = PathOf("out.bin");
  std::ofstream(path) << "older content that must go away, and more of it than the new file";
  SectorRunList runs = Runs({{10, 12}, {3, 4}});
  ASSERT_TRUE(analyzer_.WriteRunsToFile(path, 4 * 512 + 100, runs, context_, &log_));
  std::vector<uint8_t> expected = Sectors(10, 12);
  std::vector<uint8_t> tail = Sectors(3, 3);
  expected.insert(expected.end(), tail.begin(), tail.begin() + 512);
  tail = Sectors(4, 4);
  expected.insert(expected.end(), tail.begin(), tail.begin() + 100);
  EXPECT_EQ(ReadFile(path), expected);
  // Progress counts whole sectors only.
  EXPECT_EQ(progress_.High(), 4u * 512 + 100);
  EXPECT_EQ(progress_.Position(), 4u * 512);
  EXPECT_EQ(log_.LineCount(), 0u);
}

TEST_F(WriteRunsTest, SizeZeroReadsOneSectorAndLeavesAnEmptyFile) {
  std::string path = PathOf("empty.bin");
  ASSERT_TRUE(analyzer_.WriteRunsToFile(path, 0, Runs({{5, 9}}), context_, &log_));
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(std::filesystem::file_size(path), 0u);
  ASSERT_EQ(device_->Probe().reads.size(), 1u);
  EXPECT_EQ(device_->Probe().reads[0].first, 5u);
  EXPECT_EQ(device_->Probe().reads[0].count, 1u);
  EXPECT_TRUE(device_->Probe().reads[0].fillBadSectors);
}

TEST_F(WriteRunsTest, RunsShorterThanTheSizeLeaveAShorterFile) {
  std::string path = PathOf("short.bin");
  ASSERT_TRUE(analyzer_.WriteRunsToFile(path, 100000, Runs({{0, 1}}), context_, &log_));
  EXPECT_EQ(ReadFile(path), Sectors(0, 1));
}

TEST_F(WriteRunsTest, SectorZeroIsTheRealOneEvenWithAStoredBootSector) {
  device_->Image().storedBootSector = MarkedBootSector();
  std::string path = PathOf("zero.bin");
  ASSERT_TRUE(analyzer_.WriteRunsToFile(path, 1024, Runs({{0, 1}}), context_, &log_));
  EXPECT_EQ(ReadFile(path), Sectors(0, 1));
}

TEST_F(WriteRunsTest, ReadFailureEndsTheFileBeforeTheFailingSector) {
  device_->Image().Fail(7, 5);
  std::string path = PathOf("partial.bin");
  EXPECT_FALSE(analyzer_.WriteRunsToFile(path, 20 * 512, Runs({{2, 20}}), context_, &log_));
  EXPECT_EQ(ReadFile(path), Sectors(2, 6));
  EXPECT_EQ(progress_.Position(), 5u * 512);
}

TEST_F(WriteRunsTest, DataErrorSectorIsWrittenAsZeros) {
  device_->Image().Fail(4, ErrDataError);
  std::string path = PathOf("filled.bin");
  ASSERT_TRUE(analyzer_.WriteRunsToFile(path, 4 * 512, Runs({{2, 5}}), context_, &log_));
  std::vector<uint8_t> expected = Sectors(2, 5);
  std::fill(expected.begin() + 2 * 512, expected.begin() + 3 * 512, 0);
  EXPECT_EQ(ReadFile(path), expected);
}

TEST_F(WriteRunsTest, LargeSizesUseAProgressRangeShiftedByFour) {
  std::string path = PathOf("large.bin");
  ASSERT_TRUE(analyzer_.WriteRunsToFile(path, 0x10000000, Runs({{0, 3}}), context_, &log_));
  EXPECT_EQ(progress_.High(), 0x10000000u >> 4);
  EXPECT_EQ(progress_.Position(), 4u * (512 >> 4));
  EXPECT_EQ(std::filesystem::file_size(path), 4u * 512);

  ASSERT_TRUE(analyzer_.WriteRunsToFile(path, 0x0FFFFFFF, Runs({{0, 0}}), context_, &log_));
  EXPECT_EQ(progress_.High(), 0x0FFFFFFFu);
}

TEST_F(WriteRunsTest, StopEndsTheWritingWithSuccess) {
  std::string path = PathOf("stopped.bin");
  // Asked while the first sector is read: that sector is still written, no later one.
  device_->onRead = [this](const test::ReadCall&) { stop_ = 1; };
  ASSERT_TRUE(analyzer_.WriteRunsToFile(path, 30 * 512, Runs({{1, 30}}), context_, &log_));
  EXPECT_EQ(ReadFile(path), Sectors(1, 1));

  // Asked before the start: the file exists and stays empty.
  device_->onRead = nullptr;
  size_t readsBefore = device_->Probe().reads.size();
  ASSERT_TRUE(analyzer_.WriteRunsToFile(path, 30 * 512, Runs({{1, 30}}), context_, &log_));
  EXPECT_EQ(std::filesystem::file_size(path), 0u);
  EXPECT_EQ(device_->Probe().reads.size(), readsBefore);
}

TEST_F(WriteRunsTest, LongFilesAreReadInLargePieces) {
  auto image = PatternBytes(4096 * 512);
  auto* device = new MemorySectorDevice(image);
  device->Open(false, nullptr);
  PlainAnalyzer analyzer;
  ASSERT_TRUE(analyzer.Open(device, true, nullptr));
  device->Release();
  std::string path = PathOf("long.bin");
  ASSERT_TRUE(analyzer.WriteRunsToFile(path, image.size(), Runs({{0, 4095}}), context_, &log_));
  EXPECT_EQ(ReadFile(path), image);
  EXPECT_LE(device->Probe().reads.size(), 4u);
}

TEST_F(WriteRunsTest, CreateAndWriteFailuresAreLogged) {
  std::string missing = PathOf("no/such/folder/file.bin");
  EXPECT_FALSE(analyzer_.WriteRunsToFile(missing, 512, Runs({{0, 0}}), context_, &log_));
  ASSERT_EQ(log_.Lines().size(), 2u);
  EXPECT_EQ(log_.Lines()[0], "ERROR: Can't create file \"" + missing + "\"");
  EXPECT_EQ(log_.FlaggedCount(), 2u);
  EXPECT_TRUE(device_->Probe().reads.empty());

  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no full device here";
  log_.Clear();
  EXPECT_FALSE(analyzer_.WriteRunsToFile("/dev/full", 2048, Runs({{0, 3}}), context_, &log_));
  ASSERT_GE(log_.Lines().size(), 1u);
  EXPECT_EQ(log_.Lines()[0], "ERROR: Can't write to file \"/dev/full\".");
}

TEST_F(WriteRunsTest, EmptyRunListMakesNoFile) {
  std::string path = PathOf("none.bin");
  EXPECT_FALSE(analyzer_.WriteRunsToFile(path, 512, SectorRunList(), context_, &log_));
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(WriteRunsTest, FilledSectorsAreLoggedOnceAndCountedPerFile) {
  device_->Image().Fail(4, ErrDataError);
  device_->Image().Fail(9, ErrDataError);
  analyzer_.BadSectors().SetLog(&log_);
  for (const char* name : {"first.bin", "second.bin"}) {
    BadSectorTally tally(analyzer_.BadSectors());
    ASSERT_TRUE(analyzer_.WriteRunsToFile(PathOf(name), 8 * 512, Runs({{2, 9}}), context_, &log_));
    EXPECT_EQ(tally.Count(), 2u) << name;
  }
  // Each sector is named once, however often it is read.
  EXPECT_EQ(log_.Lines(), (std::vector<std::string>{"WARNING: Bad sector at: 0x0000000000000004",
                                                    "WARNING: Bad sector at: 0x0000000000000009"}));
  BadSectorTally clean(analyzer_.BadSectors());
  ASSERT_TRUE(analyzer_.WriteRunsToFile(PathOf("clean.bin"), 512, Runs({{2, 2}}), context_, &log_));
  EXPECT_EQ(clean.Count(), 0u);
}

TEST_F(WriteRunsTest, ShortDeviceIsReportedOnceWithBothSizes) {
  EXPECT_TRUE(analyzer_.CheckDeviceHoldsVolume(64, &log_));
  EXPECT_EQ(analyzer_.ReadableSectors(64), 64u);
  EXPECT_EQ(log_.LineCount(), 0u);
  EXPECT_FALSE(analyzer_.CheckDeviceHoldsVolume(100, &log_));
  EXPECT_FALSE(analyzer_.CheckDeviceHoldsVolume(100, &log_));
  EXPECT_EQ(analyzer_.ReadableSectors(100), 64u);
  ASSERT_EQ(log_.Lines().size(), 1u);
  EXPECT_NE(log_.Lines()[0].find("The volume is 51200 bytes long, but the image or device holds "
                                 "only 32768 bytes."),
            std::string::npos)
      << log_.Lines()[0];
}

}  // namespace
}  // namespace orvande
