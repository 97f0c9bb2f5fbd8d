// Image files and volumes opened by device path: short reads at the end, buffer limits, handle
// lifetime, and the per-unit bad-sector fill.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "common/port_doubles.h"
#include "disk/device_ref.h"
#include "disk/image_file_device.h"
#include "disk/image_file_node.h"
#include "disk/logical_drive_device.h"
#include "disk/logical_drive_node.h"
#include "fake_raw_io.h"
#include "platform/error_numbers.h"
#include "support/result_codes.h"
#include "support/string_table.h"
#include "test_ports.h"

namespace orvande {
namespace {

namespace fs = std::filesystem;
using test::FakeRawIo;

constexpr uint32_t kSentinel = 0xDEADBEEF;

class TempFile {
 public:
  explicit TempFile(size_t size) {
    path_ = fs::temp_directory_path() /
            ("orvande-disk-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".img");
    std::ofstream out(path_, std::ios::binary);
    for (size_t i = 0; i < size; ++i) out.put(static_cast<char>(i * 7 + 1));
  }
  ~TempFile() { fs::remove(path_); }
  std::string Path() const { return path_.string(); }

 private:
  fs::path path_;
};

size_t OpenDescriptors() {
  size_t n = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) ++n;
  return n;
}

TEST(ImageFileDevice, ShortReadsAtTheEndOfTheFile) {
  TempFile file(1000);
  ImageFileNode node(file.Path());
  DeviceRef device(node.CreateDevice());
  ASSERT_TRUE(device->Open(true, nullptr));

  std::vector<uint8_t> buffer(4 * 512, 0xAA);
  uint32_t result = kSentinel;
  EXPECT_EQ(device->ReadSectors(0, buffer.data(), 2048, &result, 4, 9, false), 1u);
  EXPECT_EQ(result, kSuccess);
  EXPECT_EQ(buffer[0], 1);
  EXPECT_EQ(buffer[999], static_cast<uint8_t>(999 * 7 + 1));

  result = kSentinel;
  EXPECT_EQ(device->ReadSectors(2, buffer.data(), 2048, &result, 4, 9, false), 0u);
  EXPECT_EQ(result, kSuccess);

  // Byte units see every byte there is.
  EXPECT_EQ(device->ReadSectors(512, buffer.data(), 2048, &result, 1000, 0, false), 488u);
}

TEST(ImageFileDevice, RunOneByteLargerThanTheBufferReadsNothing) {
  FakeRawIo io;
  io.AddImage("img", 8192);
  ImageFileNode node("img", "", io);
  DeviceRef device(node.CreateDevice());
  ASSERT_TRUE(device->Open(true, nullptr));
  std::vector<uint8_t> buffer(1024);
  uint32_t result = kSuccess;
  // 1 << 10 is one byte more than 1023.
  EXPECT_EQ(device->ReadSectors(0, buffer.data(), 1023, &result, 1, 10, false), 0u);
  EXPECT_EQ(result, ErrBufferTooSmall);
  EXPECT_TRUE(io.Reads().empty());
  EXPECT_EQ(device->ReadSectors(0, buffer.data(), 1024, &result, 1, 10, false), 1u);
  EXPECT_EQ(result, kSuccess);
}

TEST(ImageFileDevice, ReopeningKeepsOneDescriptorAndReleaseClosesIt) {
  TempFile file(4096);
  ImageFileNode node(file.Path());
  const size_t before = OpenDescriptors();
  {
    DeviceRef device(node.CreateDevice());
    ASSERT_TRUE(device->Open(true, nullptr));
    ASSERT_TRUE(device->Open(true, nullptr));
    EXPECT_EQ(OpenDescriptors(), before + 1);
    device->Close();
    device->Close();
    EXPECT_EQ(OpenDescriptors(), before);
    ASSERT_TRUE(device->Open(true, nullptr));
  }
  EXPECT_EQ(OpenDescriptors(), before);
}

TEST(ImageFileDevice, NeverFillsAndReportsUnopenedReads) {
  FakeRawIo io;
  io.AddImage("img", 8 * 512);
  io.FailRange(2 * 512, 512, ErrDataError);
  ImageFileNode node("img", "", io);
  DeviceRef device(node.CreateDevice());
  std::vector<uint8_t> buffer(8 * 512);
  uint32_t result = kSuccess;
  EXPECT_EQ(device->ReadSectors(0, buffer.data(), 4096, &result, 8, 9, true), 0u);
  EXPECT_EQ(result, ErrNotOpen);

  ASSERT_TRUE(device->Open(true, nullptr));
  EXPECT_EQ(device->ReadSectors(0, buffer.data(), 4096, &result, 8, 9, true), 0u);
  EXPECT_EQ(result, ErrDataError);
  // The failed read leaves the device usable.
  EXPECT_EQ(device->ReadSectors(3, buffer.data(), 4096, &result, 5, 9, true), 5u);
  EXPECT_EQ(result, kSuccess);
}

TEST(ImageFileDevice, PositionsBeyondTheFileLayerAreRefusedNotWrapped) {
  FakeRawIo io;
  io.AddImage("img", 4096);
  ImageFileNode node("img", "", io);
  DeviceRef device(node.CreateDevice());
  ASSERT_TRUE(device->Open(true, nullptr));
  std::vector<uint8_t> buffer(512);
  uint32_t result = kSuccess;
  // 2^55 sectors of 512 bytes would wrap a 64-bit byte position to 0.
  EXPECT_EQ(device->ReadSectors(uint64_t{1} << 55, buffer.data(), 512, &result, 1, 9, false), 0u);
  EXPECT_EQ(result, ErrBadPosition);
  EXPECT_TRUE(io.Reads().empty());
}

TEST(ImageFileDevice, OpenFailureMessages) {
  test::ScriptedPrompter prompter;
  FakeRawIo io;
  io.FailOpen("locked", platform::kErrAccessDenied);

  ImageFileNode locked("locked", "", io);
  DeviceRef device(locked.CreateDevice());
  EXPECT_FALSE(device->Open(true, &prompter));
  EXPECT_TRUE(prompter.Prompts().empty());
  EXPECT_FALSE(device->Open(false, &prompter));
  ASSERT_EQ(prompter.Prompts().size(), 1u);
  EXPECT_EQ(prompter.Prompts()[0].text, strings::kNoImageAccess);
  EXPECT_EQ(prompter.Prompts()[0].caption, "Error");
  EXPECT_EQ(prompter.Prompts()[0].icon, MessageIcon::kError);

  ImageFileNode unnamed("", "", io);
  DeviceRef silent(unnamed.CreateDevice());
  EXPECT_FALSE(silent->Open(false, &prompter));
  EXPECT_EQ(prompter.Prompts().size(), 1u);
}

class VolumeByPath : public ::testing::Test {
 protected:
  void SetUp() override {
    io_.AddImage("/dev/vol", 64 * 512);
    device_ = DeviceRef(node_.CreateDevice());
    ASSERT_TRUE(device_->Open(true, nullptr));
    buffer_.assign(8 * 512, 0xAA);
  }
  bool Intact(uint32_t sector) const {
    for (uint32_t i = 0; i < 512; ++i) {
      if (buffer_[sector * 512 + i] != FakeRawIo::PatternByte((kFirst + sector) * 512 + i)) {
        return false;
      }
    }
    return true;
  }
  bool Zeroed(uint32_t sector) const {
    for (uint32_t i = 0; i < 512; ++i) {
      if (buffer_[sector * 512 + i] != 0) return false;
    }
    return true;
  }

  static constexpr uint64_t kFirst = 10;
  FakeRawIo io_;
  LogicalDriveNode node_{"/dev/vol", "vol", kFsFat, false, '0', test::TestPorts(io_)};
  DeviceRef device_;
  std::vector<uint8_t> buffer_;
};

TEST_F(VolumeByPath, FillsOnlyTheUnreadableSector) {
  io_.FailRange((kFirst + 2) * 512 + 100, 1, ErrDataError);
  uint32_t result = kSentinel;
  EXPECT_EQ(device_->ReadSectors(kFirst, buffer_.data(), 4096, &result, 8, 9, true), 8u);
  EXPECT_EQ(result, kSuccess);
  for (uint32_t s = 0; s < 8; ++s) {
    if (s == 2) {
      EXPECT_TRUE(Zeroed(s));
    } else {
      EXPECT_TRUE(Intact(s)) << "sector " << s;
    }
  }
}

TEST_F(VolumeByPath, OtherErrorsAndUnaskedFillReturnNothing) {
  io_.FailRange((kFirst + 2) * 512, 512, platform::kErrNotReady);
  uint32_t result = kSuccess;
  EXPECT_EQ(device_->ReadSectors(kFirst, buffer_.data(), 4096, &result, 8, 9, true), 0u);
  EXPECT_EQ(result, platform::kErrNotReady);

  FakeRawIo io;
  io.AddImage("/dev/vol", 64 * 512);
  io.FailRange((kFirst + 2) * 512, 512, ErrDataError);
  LogicalDriveNode node("/dev/vol", "vol", kFsFat, false, '0', test::TestPorts(io));
  DeviceRef device(node.CreateDevice());
  ASSERT_TRUE(device->Open(true, nullptr));
  EXPECT_EQ(device->ReadSectors(kFirst, buffer_.data(), 4096, &result, 8, 9, false), 0u);
  EXPECT_EQ(result, ErrDataError);
}

TEST_F(VolumeByPath, BadSectorCostsOnlyItselfInLargerUnits) {
  // Units of 2,048 bytes: the retry goes by the medium's 512-byte sectors.
  io_.FailRange((kFirst * 4 + 5) * 512, 512, ErrDataError);
  uint32_t result = kSentinel;
  EXPECT_EQ(device_->ReadSectors(kFirst, buffer_.data(), 4096, &result, 2, 11, true), 2u);
  EXPECT_EQ(result, kSuccess);
  for (uint32_t i = 0; i < 4096; ++i) {
    const bool bad = i >= 5 * 512 && i < 6 * 512;
    ASSERT_EQ(buffer_[i], bad ? 0 : FakeRawIo::PatternByte(kFirst * 2048 + i)) << i;
  }
}

TEST_F(VolumeByPath, FilledSectorsAreToldAndRetriedAroundTheCache) {
  io_.FailRange((kFirst + 2) * 512, 1, ErrDataError);
  io_.FailRange((kFirst + 6) * 512 + 300, 1, ErrDataError);
  test::FilledRanges filled;
  device_->SetFilledSectorListener(&filled);
  io_.ClearReads();
  uint32_t result = kSentinel;
  EXPECT_EQ(device_->ReadSectors(kFirst, buffer_.data(), 4096, &result, 8, 9, true), 8u);
  EXPECT_EQ(result, kSuccess);
  EXPECT_EQ(filled.ranges, (std::vector<std::pair<uint64_t, uint64_t>>{
                               {(kFirst + 2) * 512, 512}, {(kFirst + 6) * 512, 512}}));
  // One cached read of the run, then one direct read per sector.
  ASSERT_EQ(io_.Reads().size(), 9u);
  EXPECT_FALSE(io_.Reads()[0].direct);
  for (size_t k = 1; k < 9; ++k) {
    EXPECT_TRUE(io_.Reads()[k].direct);
    EXPECT_EQ(io_.Reads()[k].offset, (kFirst + k - 1) * 512);
    EXPECT_EQ(io_.Reads()[k].size, 512u);
  }
  // Reads without fill tell nobody.
  filled.ranges.clear();
  EXPECT_EQ(device_->ReadSectors(kFirst, buffer_.data(), 4096, &result, 8, 9, false), 0u);
  EXPECT_EQ(result, ErrDataError);
  EXPECT_TRUE(filled.ranges.empty());
}

TEST_F(VolumeByPath, RunThatFailsOnlyThroughTheCacheIsReadWhole) {
  // A bad sector's good neighbours fail with it while the cache reads whole pages.
  io_.FailRange(kFirst * 512, 4096, ErrDataError, /*cachedOnly=*/true);
  test::FilledRanges filled;
  device_->SetFilledSectorListener(&filled);
  for (bool fill : {false, true}) {
    uint32_t result = kSentinel;
    EXPECT_EQ(device_->ReadSectors(kFirst, buffer_.data(), 4096, &result, 8, 9, fill), 8u);
    EXPECT_EQ(result, kSuccess);
    for (uint32_t s = 0; s < 8; ++s) EXPECT_TRUE(Intact(s)) << s;
  }
  EXPECT_TRUE(filled.ranges.empty());
}

TEST(LogicalDriveNode, KeepsTheFirstStoredBootSector) {
  LogicalDriveNode node("/dev/fd0", "floppy", kFsNone, true, 'A');
  EXPECT_EQ(node.IsRemovable(), 1);
  EXPECT_FALSE(node.StoreBootSector(nullptr));
  EXPECT_EQ(node.GetStoredBootSector(), nullptr);
  std::array<uint8_t, 512> first{}, second{};
  first.fill(0x11);
  second.fill(0x22);
  EXPECT_TRUE(node.StoreBootSector(first.data()));
  EXPECT_TRUE(node.StoreBootSector(second.data()));
  ASSERT_NE(node.GetStoredBootSector(), nullptr);
  EXPECT_EQ(node.GetStoredBootSector()[511], 0x11);
  DeviceRef device(node.CreateDevice());
  EXPECT_EQ(device->GetStoredBootSector(), node.GetStoredBootSector());
}

TEST(LogicalDriveDevice, OpenFailureSaysWhy) {
  test::ScriptedPrompter prompter;
  FakeRawIo io;
  io.FailOpen("/dev/denied", platform::kErrAccessDenied);
  io.FailOpen("/dev/absent", platform::kErrFileNotFound);

  LogicalDriveNode denied("/dev/denied", "", kFsNone, false, '0', test::TestPorts(io));
  LogicalDriveNode absent("/dev/absent", "", kFsNone, false, '0', test::TestPorts(io));
  LogicalDriveNode noRawAccess("/dev/x", "", kFsNone, false, '0',
                               test::TestPorts(io, platform::kAccessModeNone));
  for (DeviceNode* node : std::initializer_list<DeviceNode*>{&denied, &absent, &noRawAccess}) {
    DeviceRef device(node->CreateDevice());
    EXPECT_FALSE(device->Open(true, &prompter));
    EXPECT_FALSE(device->Open(false, &prompter));
  }
  ASSERT_EQ(prompter.Texts().size(), 3u);
  EXPECT_EQ(prompter.Texts()[0], strings::kNoDiskAccess);
  EXPECT_EQ(prompter.Texts()[1], platform::SystemErrorText(platform::kErrFileNotFound));
  EXPECT_EQ(prompter.Texts()[2], strings::kNoDiskAccess);
  for (const auto& prompt : prompter.Prompts()) EXPECT_EQ(prompt.caption, "Error");
}

}  // namespace
}  // namespace orvande
