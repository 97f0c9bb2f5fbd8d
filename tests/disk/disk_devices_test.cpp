// Raw disks by number and the partition and whole-disk devices built on them: positions, unit
// conversion, open failures and the per-sector bad-sector fill.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "common/port_doubles.h"
#include "disk/device_bytes.h"
#include "disk/device_ref.h"
#include "disk/partition_device.h"
#include "disk/partition_node.h"
#include "disk/physical_disk_node.h"
#include "disk/raw_disk.h"
#include "disk/whole_disk_device.h"
#include "fake_raw_io.h"
#include "platform/error_numbers.h"
#include "support/result_codes.h"
#include "support/string_table.h"
#include "test_ports.h"

namespace orvande {
namespace {

using test::FakeRawIo;
using test::TestPorts;

constexpr uint32_t kSentinel = 0xDEADBEEF;
constexpr uint64_t kDiskSectors = 1000;

TEST(RawDisk, OnlyTheFirstSectorIsCheckedAgainstTheEnd) {
  FakeRawIo io;
  io.AddImage("disk0", kDiskSectors * 512);
  RawDisk disk(TestPorts(io));
  ASSERT_TRUE(disk.Open(0, true, nullptr));
  EXPECT_EQ(disk.TotalSectors(), kDiskSectors);
  std::vector<uint8_t> buffer(8 * 512);
  uint32_t result = kSuccess;

  EXPECT_EQ(disk.Read(kDiskSectors, buffer.data(), 4096, &result, 1), 0u);
  EXPECT_EQ(result, ErrBadPosition);
  EXPECT_TRUE(io.Reads().empty());

  EXPECT_EQ(disk.Read(kDiskSectors - 1, buffer.data(), 4096, &result, 8), 1u);
  EXPECT_EQ(result, kSuccess);
  ASSERT_EQ(io.Reads().size(), 1u);
  EXPECT_EQ(io.Reads()[0].offset, (kDiskSectors - 1) * 512);
  EXPECT_EQ(io.Reads()[0].size, 4096u);
}

TEST(RawDisk, SectorSizeMustBeAPowerOfTwo) {
  test::ScriptedPrompter prompter;
  for (uint32_t size : {0u, 3u, 520u}) {
    FakeRawIo io;
    io.AddImage("disk0", 4096, size);
    RawDisk disk(TestPorts(io));
    EXPECT_FALSE(disk.Open(0, false, &prompter)) << size;
    EXPECT_EQ(io.OpenHandles(), 0u) << size;
  }
  EXPECT_EQ(prompter.Prompts().size(), 3u);
  FakeRawIo io;
  io.AddImage("disk0", 4096 * 8, 4096);
  RawDisk disk(TestPorts(io));
  EXPECT_TRUE(disk.Open(0, true, &prompter));
  EXPECT_EQ(disk.TotalSectors(), 8u);
}

TEST(RawDisk, WithoutRawAccessNothingOpensOrReads) {
  test::ScriptedPrompter prompter;
  FakeRawIo io;
  io.AddImage("disk0", 4096);
  RawDisk disk(TestPorts(io, platform::kAccessModeNone));
  EXPECT_FALSE(disk.Open(0, false, &prompter));
  ASSERT_EQ(prompter.Texts().size(), 1u);
  EXPECT_EQ(prompter.Texts()[0], strings::kNoDiskAccess);
  std::vector<uint8_t> buffer(512);
  uint32_t result = kSuccess;
  EXPECT_EQ(disk.Read(0, buffer.data(), 512, &result, 1), 0u);
  EXPECT_EQ(result, ErrNotAvailable);
}

TEST(RawDisk, ReopenClosesTheOldHandleAndUnknownNumbersFail) {
  FakeRawIo io;
  io.AddImage("disk0", 4096);
  RawDisk disk(TestPorts(io));
  ASSERT_TRUE(disk.Open(0, true, nullptr));
  ASSERT_TRUE(disk.Open(0, true, nullptr));
  EXPECT_EQ(io.OpenHandles(), 1u);
  EXPECT_FALSE(disk.Open(7, true, nullptr));
  EXPECT_EQ(io.OpenHandles(), 0u);
  EXPECT_EQ(disk.LastOpenError(), platform::kErrFileNotFound);
  std::vector<uint8_t> buffer(512);
  uint32_t result = kSuccess;
  EXPECT_EQ(disk.Read(0, buffer.data(), 512, &result, 1), 0u);
  EXPECT_EQ(result, ErrNotOpen);
}

class PartitionOnDisk : public ::testing::Test {
 protected:
  PartitionNode& MakeNode(uint32_t sectorSize, uint32_t diskSectorSize = 512) {
    io_.AddImage("disk0", kDiskSectors * diskSectorSize, diskSectorSize);
    node_ = std::make_unique<PartitionNode>(0, "", TestPorts(io_));
    std::array<uint8_t, 512> boot{};
    boot[510] = 0x55;
    boot[511] = 0xAA;
    node_->InitPartition(sectorSize, kFsFat, kStart, 500, boot.data());
    device_ = DeviceRef(node_->CreateDevice());
    return *node_;
  }

  static constexpr uint64_t kStart = 63;
  FakeRawIo io_;
  std::unique_ptr<PartitionNode> node_;
  DeviceRef device_;
  std::vector<uint8_t> buffer_ = std::vector<uint8_t>(8 * 1024, 0xAA);
};

TEST_F(PartitionOnDisk, CallerUnitsBecomeWholePartitionSectors) {
  MakeNode(1024, 1024);
  ASSERT_TRUE(device_->Open(true, nullptr));
  uint32_t result = kSentinel;
  // 3 x 512 bytes hold one 1,024-byte sector: two of the caller's units come back.
  EXPECT_EQ(device_->ReadSectors(5, buffer_.data(), 1536, &result, 3, 9, false), 2u);
  EXPECT_EQ(result, kSuccess);
  ASSERT_EQ(io_.Reads().size(), 1u);
  EXPECT_EQ(io_.Reads()[0].offset, (kStart + 5) * 1024);
  EXPECT_EQ(io_.Reads()[0].size, 1024u);
  EXPECT_EQ(buffer_[1023], FakeRawIo::PatternByte((kStart + 5) * 1024 + 1023));
  EXPECT_EQ(buffer_[1024], 0xAA);

  // Less than one partition sector reads nothing.
  EXPECT_EQ(device_->ReadSectors(5, buffer_.data(), 1536, &result, 1, 9, false), 0u);
  EXPECT_EQ(io_.Reads().size(), 1u);
}

// A partition counts positions in its own sectors: a byte range anywhere in it comes back as
// the disk's bytes at the partition's start plus the offset.
TEST_F(PartitionOnDisk, ByteRangesReadAtTheirOwnOffset) {
  struct Case {
    uint32_t sectorSize;
    uint64_t offset;
    uint32_t count;
  };
  const Case cases[] = {{512, 0, 4096},         {512, 3 * 512 + 100, 1000},
                        {512, 65536, 4096},     {4096, 3 * 4096 + 7, 5000},
                        {4096, 65536 + 4090, 20}, {4096, 32768, 8192}};
  for (const Case& c : cases) {
    MakeNode(c.sectorSize, c.sectorSize);
    ASSERT_TRUE(device_->Open(true, nullptr));
    std::vector<uint8_t> bytes(c.count, 0xAA);
    uint32_t result = kSentinel;
    ASSERT_EQ(ReadDeviceBytes(*device_, c.offset, bytes.data(), c.count, &result), c.count)
        << c.sectorSize << " at " << c.offset;
    EXPECT_EQ(result, kSuccess);
    const uint64_t diskOffset = kStart * c.sectorSize + c.offset;
    for (uint32_t i = 0; i < c.count; ++i)
      ASSERT_EQ(bytes[i], FakeRawIo::PatternByte(diskOffset + i)) << c.offset << " + " << i;
    device_ = DeviceRef();
  }
}

TEST_F(PartitionOnDisk, ZeroSectorSizeLeavesTheResultAlone) {
  MakeNode(0);
  ASSERT_TRUE(device_->Open(true, nullptr));
  uint32_t result = kSentinel;
  EXPECT_EQ(device_->ReadSectors(0, buffer_.data(), 4096, &result, 4, 9, false), 0u);
  EXPECT_EQ(result, kSentinel);
  EXPECT_TRUE(io_.Reads().empty());
}

TEST_F(PartitionOnDisk, FillsEachUnreadableSector) {
  MakeNode(512);
  io_.FailRange((kStart + 10 + 2) * 512 + 7, 3, ErrDataError);
  // A good neighbour inside the failing page reads when asked around the cache.
  io_.FailRange((kStart + 10 + 3) * 512, 512, ErrDataError, /*cachedOnly=*/true);
  test::FilledRanges filled;
  device_->SetFilledSectorListener(&filled);
  ASSERT_TRUE(device_->Open(true, nullptr));
  uint32_t result = kSentinel;
  EXPECT_EQ(device_->ReadSectors(10, buffer_.data(), 4096, &result, 8, 9, true), 8u);
  EXPECT_EQ(result, kSuccess);
  for (uint32_t s = 0; s < 8; ++s) {
    for (uint32_t i = 0; i < 512; ++i) {
      uint8_t expected = s == 2 ? 0 : FakeRawIo::PatternByte((kStart + 10 + s) * 512 + i);
      ASSERT_EQ(buffer_[s * 512 + i], expected) << "sector " << s << " byte " << i;
    }
  }
  // Told in the partition's own bytes.
  EXPECT_EQ(filled.ranges, (std::vector<std::pair<uint64_t, uint64_t>>{{(10 + 2) * 512, 512}}));
}

TEST_F(PartitionOnDisk, OtherErrorsAreNotFilled) {
  MakeNode(512);
  io_.FailRange((kStart + 12) * 512, 512, platform::kErrNotReady);
  ASSERT_TRUE(device_->Open(true, nullptr));
  uint32_t result = kSuccess;
  EXPECT_EQ(device_->ReadSectors(10, buffer_.data(), 4096, &result, 8, 9, true), 0u);
  EXPECT_EQ(result, platform::kErrNotReady);
}

TEST_F(PartitionOnDisk, HandsOutItsBootSectorAndBufferLimits) {
  PartitionNode& node = MakeNode(512);
  EXPECT_EQ(node.GetFsKind(), kFsNone);
  EXPECT_EQ(node.GetPartitionFsKind(), static_cast<uint32_t>(kFsFat));
  ASSERT_NE(device_->GetStoredBootSector(), nullptr);
  EXPECT_EQ(device_->GetStoredBootSector()[511], 0xAA);

  ASSERT_TRUE(device_->Open(true, nullptr));
  uint32_t result = kSuccess;
  EXPECT_EQ(device_->ReadSectors(0, buffer_.data(), 1023, &result, 2, 9, false), 0u);
  EXPECT_EQ(result, ErrBufferTooSmall);
}

TEST(PartitionNode, NullBootSectorIsRefusedAndClearsTheOldOne) {
  PartitionNode node(2);
  std::array<uint8_t, 512> boot{};
  boot.fill(0x5A);
  ASSERT_TRUE(node.InitPartition(512, kFsNtfs, 2048, 100, boot.data()));
  EXPECT_FALSE(node.InitPartition(4096, kFsFat, 1, 1, nullptr));
  EXPECT_EQ(node.GetBytesPerSector(), 512u);
  EXPECT_EQ(node.GetFirstSector(), 2048u);
  for (size_t i = 0; i < 512; ++i) ASSERT_EQ(node.GetBootSector()[i], 0) << i;
}

TEST(WholeDiskDevice, ReadsDiskSectorsAndFillsPerSector) {
  FakeRawIo io;
  io.AddImage("disk0", kDiskSectors * 4096, 4096);
  io.FailRange(22 * 4096, 1, ErrDataError);
  PhysicalDiskNode node(0, "Disk 0", TestPorts(io));
  DeviceRef device(node.CreateDevice());
  ASSERT_TRUE(device->Open(true, nullptr));
  std::vector<uint8_t> buffer(8 * 4096, 0xAA);
  uint32_t result = kSentinel;

  // unitShift plays no part: counts are the disk's own 4,096-byte sectors.
  EXPECT_EQ(device->ReadSectors(20, buffer.data(), 8 * 4096 - 1, &result, 8, 9, true), 0u);
  EXPECT_EQ(result, ErrBufferTooSmall);
  EXPECT_EQ(device->ReadSectors(20, buffer.data(), 8 * 4096, &result, 8, 9, true), 8u);
  EXPECT_EQ(result, kSuccess);
  EXPECT_EQ(buffer[2 * 4096 + 100], 0);
  EXPECT_EQ(buffer[3 * 4096 + 100], FakeRawIo::PatternByte(23 * 4096 + 100));
  EXPECT_EQ(buffer[1 * 4096 + 4095], FakeRawIo::PatternByte(21 * 4096 + 4095));

  EXPECT_EQ(device->ReadSectors(20, buffer.data(), 8 * 4096, &result, 8, 9, false), 0u);
  EXPECT_EQ(result, ErrDataError);
  EXPECT_EQ(device->GetStoredBootSector(), nullptr);
}

}  // namespace
}  // namespace orvande
