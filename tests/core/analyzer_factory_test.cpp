#include "core/analyzer_factory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/idle_analyzer.h"
#include "common/memory_device.h"
#include "common/port_doubles.h"
#include "core/default_boot_sector.h"
#include "disk/logical_drive_node.h"
#include "support/le_reader.h"
#include "support/operation_log.h"
#include "support/result_codes.h"

namespace orvande {
namespace {

using test::MemoryNode;
using test::MemorySectorDevice;

constexpr char kNoFileSystemText[] = "No valid supported file system present on the volume.";

// Records what the factory made; Open can be told to fail after the base part ran.
class FakeAnalyzer : public test::IdleAnalyzer {
 public:
  explicit FakeAnalyzer(int kind) : kind(kind) {}
  bool Open(SectorDevice* device, bool quiet, OperationLog* log) override {
    if (!VolumeAnalyzer::Open(device, quiet, log)) return false;
    return !failOpen;
  }

  const int kind;
  static inline bool failOpen = false;
};

std::unique_ptr<VolumeAnalyzer> MakeFakeFat() {
  return std::make_unique<FakeAnalyzer>(kFsFat);
}
std::unique_ptr<VolumeAnalyzer> MakeFakeNtfs() {
  return std::make_unique<FakeAnalyzer>(kFsNtfs);
}

int KindOf(const std::unique_ptr<VolumeAnalyzer>& analyzer) {
  auto* fake = dynamic_cast<FakeAnalyzer*>(analyzer.get());
  return fake ? fake->kind : -1;
}

std::vector<uint8_t> BootSectorWith(size_t offset, const std::string& text) {
  std::vector<uint8_t> bytes(4096, 0);
  std::copy(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
  return bytes;
}

int Detect(std::vector<uint8_t> bytes) {
  auto* device = new MemorySectorDevice(std::move(bytes));
  device->Open(false, nullptr);
  int kind = DetectFileSystem(device);
  device->Release();
  return kind;
}

TEST(DetectFileSystemTest, NamesInTheBootSector) {
  EXPECT_EQ(DetectFileSystem(nullptr), kFsNone);
  EXPECT_EQ(Detect(BootSectorWith(3, "NTFS    ")), kFsNtfs);
  EXPECT_EQ(Detect(BootSectorWith(3, "ntfs")), kFsNone);
  EXPECT_EQ(Detect(BootSectorWith(4, "NTFS")), kFsNone);
  EXPECT_EQ(Detect(BootSectorWith(54, "FAT12   ")), kFsFat);
  EXPECT_EQ(Detect(BootSectorWith(54, "fAt")), kFsFat);
  EXPECT_EQ(Detect(BootSectorWith(82, "FAT32   ")), kFsFat);
  EXPECT_EQ(Detect(BootSectorWith(82, "fat")), kFsFat);
  EXPECT_EQ(Detect(BootSectorWith(55, "FAT")), kFsNone);
  EXPECT_EQ(Detect(BootSectorWith(54, "FA")), kFsNone);
  EXPECT_EQ(Detect(std::vector<uint8_t>(4096, 0)), kFsNone);
}

TEST(DetectFileSystemTest, StoredBootSectorIsUsedInsteadOfReading) {
  auto* device = new MemorySectorDevice(BootSectorWith(54, "FAT16"));
  device->Open(false, nullptr);
  std::array<uint8_t, 512> stored{};
  std::copy_n("NTFS", 4, stored.begin() + 3);
  device->Image().storedBootSector = stored;
  EXPECT_EQ(DetectFileSystem(device), kFsNtfs);
  EXPECT_TRUE(device->Probe().reads.empty());
  device->Release();
}

TEST(DetectFileSystemTest, UnreadableOrShortBootSectorIsNone) {
  auto* device = new MemorySectorDevice(BootSectorWith(3, "NTFS"));
  device->Open(false, nullptr);
  device->Image().Fail(0, ErrDataError);
  EXPECT_EQ(DetectFileSystem(device), kFsNone);
  ASSERT_EQ(device->Probe().reads.size(), 1u);
  EXPECT_FALSE(device->Probe().reads[0].fillBadSectors);
  EXPECT_EQ(device->Probe().reads[0].unitShift, 9);
  device->Release();

  // An image that ends inside its first sector.
  std::vector<uint8_t> shortImage = BootSectorWith(3, "NTFS");
  shortImage.resize(300);
  EXPECT_EQ(Detect(shortImage), kFsNone);
}

class CreateAnalyzerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterAnalyzer(kFsFat, &MakeFakeFat);
    RegisterAnalyzer(kFsNtfs, &MakeFakeNtfs);
    FakeAnalyzer::failOpen = false;
  }
  void TearDown() override {
    RegisterAnalyzer(kFsFat, nullptr);
    RegisterAnalyzer(kFsNtfs, nullptr);
    FakeAnalyzer::failOpen = false;
  }

  test::ScriptedPrompter prompter_;
  OperationLog log_;
};

TEST_F(CreateAnalyzerTest, MakesTheDetectedKindHoldingTheOnlyReference) {
  MemoryNode node(BootSectorWith(82, "FAT32"));
  {
    auto analyzer = CreateAnalyzer(&node, false, &log_, &prompter_);
    ASSERT_NE(analyzer, nullptr);
    EXPECT_EQ(KindOf(analyzer), kFsFat);
    EXPECT_EQ(node.Probe().devicesAlive, 1);
    EXPECT_EQ(node.Probe().references, 1);
    EXPECT_TRUE(static_cast<MemorySectorDevice*>(analyzer->Device())->IsOpen());
  }
  EXPECT_EQ(node.Probe().devicesAlive, 0);
  EXPECT_TRUE(prompter_.Prompts().empty());
}

TEST_F(CreateAnalyzerTest, KindKnownToTheNodeIsTrustedWithoutReading) {
  MemoryNode node(BootSectorWith(82, "FAT32"), kNodePartition, kFsNtfs);
  auto analyzer = CreateAnalyzer(&node, false, &log_, &prompter_);
  ASSERT_NE(analyzer, nullptr);
  EXPECT_EQ(KindOf(analyzer), kFsNtfs);
  EXPECT_TRUE(node.Probe().reads.empty());
}

TEST_F(CreateAnalyzerTest, FailuresReturnNullAndGiveTheDeviceBack) {
  EXPECT_EQ(CreateAnalyzer(nullptr, false, &log_, &prompter_), nullptr);

  MemoryNode noDevice(BootSectorWith(3, "NTFS"));
  noDevice.failCreate = true;
  EXPECT_EQ(CreateAnalyzer(&noDevice, false, &log_, &prompter_), nullptr);

  MemoryNode closed(BootSectorWith(3, "NTFS"));
  closed.Image().openSucceeds = false;
  EXPECT_EQ(CreateAnalyzer(&closed, false, &log_, &prompter_), nullptr);
  EXPECT_EQ(closed.Probe().devicesMade, 1);
  EXPECT_EQ(closed.Probe().devicesAlive, 0);

  MemoryNode refused(BootSectorWith(3, "NTFS"));
  FakeAnalyzer::failOpen = true;
  EXPECT_EQ(CreateAnalyzer(&refused, false, &log_, &prompter_), nullptr);
  EXPECT_EQ(refused.Probe().devicesAlive, 0);
  EXPECT_GE(refused.Probe().closes, 1);
  FakeAnalyzer::failOpen = false;

  RegisterAnalyzer(kFsNtfs, nullptr);
  MemoryNode unregistered(BootSectorWith(3, "NTFS"));
  EXPECT_EQ(CreateAnalyzer(&unregistered, false, &log_, &prompter_), nullptr);
  EXPECT_EQ(unregistered.Probe().devicesAlive, 0);

  // None of these is a missing file system: no message.
  EXPECT_TRUE(prompter_.Prompts().empty());
}

TEST_F(CreateAnalyzerTest, UnknownFileSystemIsReportedUnlessQuiet) {
  MemoryNode node(std::vector<uint8_t>(4096, 0), kNodeLogicalDrive, kFsNone, 'C');
  EXPECT_EQ(CreateAnalyzer(&node, true, &log_, &prompter_), nullptr);
  EXPECT_TRUE(prompter_.Prompts().empty());
  EXPECT_EQ(node.Probe().devicesAlive, 0);

  EXPECT_EQ(CreateAnalyzer(&node, false, &log_, &prompter_), nullptr);
  ASSERT_EQ(prompter_.Prompts().size(), 1u);
  EXPECT_EQ(prompter_.Prompts()[0].text, kNoFileSystemText);
  EXPECT_EQ(prompter_.Prompts()[0].caption, "Error");
  EXPECT_EQ(prompter_.Prompts()[0].icon, MessageIcon::kError);
  EXPECT_EQ(node.Probe().devicesAlive, 0);
  EXPECT_EQ(node.Probe().opens, node.Probe().closes);
}

// A logical drive over a blank diskette image in a temporary file.
class FloppyDriveTest : public CreateAnalyzerTest {
 protected:
  void SetUp() override {
    CreateAnalyzerTest::SetUp();
    path_ = std::filesystem::temp_directory_path() /
            ("orvande-floppy-" +
             std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".img");
    std::ofstream(path_, std::ios::binary) << std::string(2880 * 512, '\0');
  }
  void TearDown() override {
    std::filesystem::remove(path_);
    CreateAnalyzerTest::TearDown();
  }
  std::filesystem::path path_;
};

TEST_F(FloppyDriveTest, DriveAWithoutFileSystemGetsTheDefaultDisketteBootSector) {
  LogicalDriveNode node(path_.string(), "A:", kFsNone, true, 'A');
  auto analyzer = CreateAnalyzer(&node, false, &log_, &prompter_);
  ASSERT_NE(analyzer, nullptr);
  EXPECT_EQ(KindOf(analyzer), kFsFat);
  EXPECT_TRUE(prompter_.Prompts().empty());

  std::array<uint8_t, 512> sector{};
  uint32_t result = 1;
  ASSERT_EQ(analyzer->ReadVolumeSectors(0, sector.data(), 512, &result, 1, false, false), 1u);
  LeReader boot(sector.data(), sector.size());
  EXPECT_EQ(boot.U16(11), 512u);
  EXPECT_EQ(boot.U8(13), 1u);
  EXPECT_EQ(boot.U16(14), 1u);
  EXPECT_EQ(boot.U8(16), 2u);
  EXPECT_EQ(boot.U16(17), 224u);
  EXPECT_EQ(boot.U16(19), 2880u);
  EXPECT_EQ(boot.U8(21), 0xF0u);
  EXPECT_EQ(boot.U16(22), 9u);
  EXPECT_EQ(boot.U16(24), 18u);
  EXPECT_EQ(boot.U16(26), 2u);
  EXPECT_EQ(boot.U32(28), 0u);
  EXPECT_EQ(boot.U8(510), 0x55u);
  EXPECT_EQ(boot.U8(511), 0xAAu);
  EXPECT_TRUE(std::equal(sector.begin(), sector.end(), DefaultFloppyBootSector().begin()));

  // The medium itself is untouched: kept sector 0 is still blank.
  ASSERT_EQ(analyzer->ReadVolumeSectors(0, sector.data(), 512, &result, 1, false, true), 1u);
  EXPECT_EQ(std::count(sector.begin(), sector.end(), 0), 512);
}

TEST_F(FloppyDriveTest, OtherDrivesWithoutFileSystemAreRefused) {
  LogicalDriveNode node(path_.string(), "C:", kFsNone, false, 'C');
  EXPECT_EQ(CreateAnalyzer(&node, false, &log_, &prompter_), nullptr);
  EXPECT_EQ(prompter_.Texts(), std::vector<std::string>{kNoFileSystemText});
  EXPECT_EQ(node.GetStoredBootSector(), nullptr);
}

}  // namespace
}  // namespace orvande
