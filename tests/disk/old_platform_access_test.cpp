// Access modes 1 and 2 of the old DOS-based platform family: the absolute-disk-read calls of the
// volume device and the I/O driver of raw disks, both through doubles.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "common/port_doubles.h"
#include "disk/device_ref.h"
#include "disk/logical_drive_node.h"
#include "disk/raw_disk.h"
#include "disk/volume_service_calls.h"
#include "fake_raw_io.h"
#include "support/le_reader.h"
#include "support/result_codes.h"
#include "support/string_table.h"
#include "test_ports.h"

namespace orvande {
namespace {

using test::FakeRawIo;
using test::TestPorts;

uint32_t Low32(const void* p) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p));
}

// Answers every call by filling the buffer with 0x5C, or fails with a chosen error; keeps the
// last call for inspection.
class FakeServiceCalls : public VolumeServiceCalls {
 public:
  Handle Open(uint32_t* error) override {
    *error = openError;
    return openError ? kInvalidHandle : 7;
  }
  void Close(Handle) override { ++closes; }
  bool Call(Handle, DosDiskCall* call, uint8_t* buffer, uint32_t* error) override {
    last = *call;
    ++calls;
    if (callError) {
      *error = callError;
      return false;
    }
    LeReader packet(call->packet.data(), call->packet.size());
    std::fill_n(buffer, packet.U16(kPacketSectorCount) * 512u, 0x5C);
    return true;
  }

  uint32_t openError = 0;
  uint32_t callError = 0;
  int calls = 0;
  int closes = 0;
  DosDiskCall last;
};

TEST(DosDiskCall, ExtendedReadLayout) {
  std::vector<uint8_t> buffer(512);
  DosDiskCall call;
  ASSERT_TRUE(BuildDosDiskCall(1, 'C', 0x12345678, 0x0203, buffer.data(), &call));
  LeReader packet(call.packet.data(), call.packet.size());
  LeReader regs(call.registers.data(), call.registers.size());
  EXPECT_EQ(packet.U32(kPacketStartSector), 0x12345678u);
  EXPECT_EQ(packet.U16(kPacketSectorCount), 0x0203u);
  EXPECT_EQ(packet.U32(kPacketBufferAddress), Low32(buffer.data()));
  EXPECT_EQ(regs.U32(kRegEbx), Low32(call.packet.data()));
  EXPECT_EQ(regs.U32(kRegEdx), 3u);  // A is 1
  EXPECT_EQ(regs.U32(kRegEcx), 0xFFFFFFFFu);
  EXPECT_EQ(regs.U32(kRegEax), 0x7305u);
  EXPECT_EQ(regs.U32(kRegEdi) | regs.U32(kRegEsi) | regs.U32(kRegFlags), 0u);
  EXPECT_EQ(call.controlCode, 6u);
}

TEST(DosDiskCall, OldReadLayout) {
  std::vector<uint8_t> buffer(512);
  DosDiskCall call;
  ASSERT_TRUE(BuildDosDiskCall(2, 'A', 9, 1, buffer.data(), &call));
  LeReader regs(call.registers.data(), call.registers.size());
  EXPECT_EQ(regs.U32(kRegEbx), Low32(call.packet.data()));
  EXPECT_EQ(regs.U32(kRegEdx), 0u);
  EXPECT_EQ(regs.U32(kRegEcx), 0xFFFFu);
  EXPECT_EQ(regs.U32(kRegEax), 0u);  // A is 0
  EXPECT_EQ(call.controlCode, 2u);
  EXPECT_FALSE(BuildDosDiskCall(0, 'A', 9, 1, buffer.data(), &call));
}

class VolumeThroughService : public ::testing::TestWithParam<uint32_t> {
 protected:
  FakeRawIo io_;
  FakeServiceCalls calls_;
  LogicalDriveNode node_{"", "D:", kFsFat, false, 'D', TestPorts(io_, GetParam(), &calls_)};
  std::vector<uint8_t> buffer_ = std::vector<uint8_t>(8 * 512, 0xAA);
};

TEST_P(VolumeThroughService, SuccessfulCallDeliversTheRun) {
  DeviceRef device(node_.CreateDevice());
  ASSERT_TRUE(device->Open(true, nullptr));
  uint32_t result = 0xDEADBEEF;
  EXPECT_EQ(device->ReadSectors(40, buffer_.data(), 4096, &result, 8, 9, false), 8u);
  EXPECT_EQ(result, kSuccess);
  EXPECT_EQ(buffer_[4095], 0x5C);
  LeReader packet(calls_.last.packet.data(), kPacketSize);
  EXPECT_EQ(packet.U32(kPacketStartSector), 40u);
  EXPECT_EQ(packet.U16(kPacketSectorCount), 8u);
  device->Close();
  EXPECT_EQ(calls_.closes, 1);
}

TEST_P(VolumeThroughService, FailedCallWithFillZeroesTheWholeRunAndKeepsTheCode) {
  calls_.callError = ErrDataError;
  DeviceRef device(node_.CreateDevice());
  ASSERT_TRUE(device->Open(true, nullptr));
  uint32_t result = kSuccess;
  EXPECT_EQ(device->ReadSectors(40, buffer_.data(), 4096, &result, 8, 9, true), 8u);
  EXPECT_EQ(result, ErrDataError);
  for (uint8_t b : buffer_) ASSERT_EQ(b, 0);

  calls_.callError = 21;
  EXPECT_EQ(device->ReadSectors(40, buffer_.data(), 4096, &result, 8, 9, true), 0u);
  EXPECT_EQ(result, 21u);
}

TEST_P(VolumeThroughService, RunsThePacketCannotHoldAreRefused) {
  DeviceRef device(node_.CreateDevice());
  ASSERT_TRUE(device->Open(true, nullptr));
  uint32_t result = kSuccess;
  EXPECT_EQ(device->ReadSectors(uint64_t{1} << 32, buffer_.data(), 4096, &result, 1, 9, false), 0u);
  EXPECT_EQ(result, ErrBadPosition);
  EXPECT_EQ(device->ReadSectors(0, buffer_.data(), 4096, &result, 9, 9, false), 0u);
  EXPECT_EQ(result, ErrBufferTooSmall);
  EXPECT_EQ(calls_.calls, 0);
}

TEST_P(VolumeThroughService, MissingServiceDeviceFailsSilently) {
  test::ScriptedPrompter prompter;
  calls_.openError = 2;
  DeviceRef device(node_.CreateDevice());
  EXPECT_FALSE(device->Open(false, &prompter));
  EXPECT_TRUE(prompter.Prompts().empty());
}

INSTANTIATE_TEST_SUITE_P(Modes, VolumeThroughService, ::testing::Values(1u, 2u));

// A driver with one drive whose record says 512-byte sectors and 5,000 sectors, optionally
// answering the extended geometry request.
class FakeDriver : public IoDriver {
 public:
  Handle Open(uint32_t* error) override {
    *error = openError;
    return openError ? kInvalidHandle : 3;
  }
  void Close(Handle) override { ++closes; }
  uint32_t GetDriveCount(Handle, uint32_t* error) override {
    *error = countError;
    return countError ? 0 : 1;
  }
  bool GetDriveRecord(Handle, uint32_t index, DriveRecord* record, uint32_t* error) override {
    if (recordError) {
      *error = recordError;
      return false;
    }
    record->fill(0);
    StoreLe(*record, kRecBytesPerSector, 512, 4);
    StoreLe(*record, kRecTracksPerCylinder, 16, 4);
    StoreLe(*record, kRecCylinders, 100, 4);
    StoreLe(*record, kRecSectorsPerTrack, 63, 4);
    StoreLe(*record, kRecTotalSectors, 5000, 8);
    StoreLe(*record, kRecUnitNumber, 0x81, 1);
    StoreLe(*record, kRecFeatures, extendedSupported ? 1 : 0, 1);
    recordIndex = index;
    return true;
  }
  bool GetExtendedGeometry(Handle, uint32_t unit, uint32_t flag, ExtendedGeometry* answer,
                           uint32_t*) override {
    askedUnit = unit;
    askedFlag = flag;
    *answer = extended;
    return true;
  }
  uint32_t ReadDriveSectors(Handle, uint32_t index, uint64_t first, uint8_t* buffer, uint32_t count,
                            uint32_t bytesPerSector, uint32_t* error) override {
    readIndex = index;
    readFirst = first;
    readBytesPerSector = bytesPerSector;
    if (readError) {
      *error = readError;
      return 0;
    }
    std::fill_n(buffer, count * bytesPerSector, 0x77);
    return count;
  }

  uint32_t openError = 0, countError = 0, recordError = 0, readError = 0;
  bool extendedSupported = false;
  ExtendedGeometry extended;
  uint32_t recordIndex = 99, askedUnit = 0, askedFlag = 0, readIndex = 99, readBytesPerSector = 0;
  uint64_t readFirst = 0;
  int closes = 0;
};

TEST(RawDiskThroughDriver, GeometryFromTheRecordAndReads) {
  FakeRawIo io;
  FakeDriver driver;
  RawDisk disk(TestPorts(io, 1, nullptr, &driver));
  ASSERT_TRUE(disk.Open(0, true, nullptr));
  EXPECT_EQ(driver.recordIndex, 0u);
  EXPECT_EQ(disk.BytesPerSector(), 512u);
  EXPECT_EQ(disk.TotalSectors(), 5000u);
  EXPECT_TRUE(disk.ExtendedGeometryFlag());

  std::vector<uint8_t> buffer(1024);
  uint32_t result = kSuccess;
  EXPECT_EQ(disk.Read(4999, buffer.data(), 1024, &result, 2), 2u);
  EXPECT_EQ(driver.readFirst, 4999u);
  EXPECT_EQ(driver.readBytesPerSector, 512u);
  EXPECT_EQ(buffer[1023], 0x77);
  EXPECT_EQ(disk.Read(5000, buffer.data(), 1024, &result, 1), 0u);
  EXPECT_EQ(result, ErrBadPosition);
  driver.readError = ErrDataError;
  EXPECT_EQ(disk.Read(0, buffer.data(), 1024, &result, 1), 0u);
  EXPECT_EQ(result, ErrDataError);
}

TEST(RawDiskThroughDriver, ExtendedGeometryReplacesTheRecordUnlessUnavailable) {
  FakeRawIo io;
  FakeDriver driver;
  driver.extendedSupported = true;
  driver.extended = ExtendedGeometry{2048, 255, 7, 63, 123456, 0};
  RawDisk disk(TestPorts(io, 2, nullptr, &driver));
  ASSERT_TRUE(disk.Open(0, true, nullptr));
  EXPECT_EQ(driver.askedUnit, 0x81u);
  EXPECT_EQ(driver.askedFlag, 1u);
  EXPECT_EQ(disk.BytesPerSector(), 2048u);
  EXPECT_EQ(disk.TotalSectors(), 123456u);
  EXPECT_FALSE(disk.ExtendedGeometryFlag());  // status 0 clears it

  FakeDriver noExtended;
  noExtended.extendedSupported = true;
  noExtended.extended = ExtendedGeometry{2048, 255, 7, 63, 123456, 255};
  RawDisk other(TestPorts(io, 2, nullptr, &noExtended));
  ASSERT_TRUE(other.Open(0, true, nullptr));
  EXPECT_EQ(other.BytesPerSector(), 512u);
  EXPECT_EQ(other.TotalSectors(), 5000u);
  EXPECT_FALSE(other.ExtendedGeometryFlag());
}

TEST(RawDiskThroughDriver, FailuresAndTheirMessages) {
  test::ScriptedPrompter prompter;
  FakeRawIo io;

  FakeDriver missing;
  missing.openError = 2;
  RawDisk a(TestPorts(io, 1, nullptr, &missing));
  EXPECT_FALSE(a.Open(0, true, &prompter));
  EXPECT_FALSE(a.Open(0, false, &prompter));

  FakeDriver badRecord;
  badRecord.recordError = 0xD0000012;
  RawDisk b(TestPorts(io, 1, nullptr, &badRecord));
  EXPECT_FALSE(b.Open(0, false, &prompter));
  EXPECT_EQ(badRecord.closes, 1);

  // A number past the driver's drives opens, but nothing can be read.
  FakeDriver oneDrive;
  RawDisk c(TestPorts(io, 1, nullptr, &oneDrive));
  EXPECT_TRUE(c.Open(5, false, &prompter));
  std::vector<uint8_t> buffer(512);
  uint32_t result = kSuccess;
  EXPECT_EQ(c.Read(0, buffer.data(), 512, &result, 1), 0u);
  EXPECT_EQ(result, ErrBadPosition);

  ASSERT_EQ(prompter.Texts().size(), 2u);
  EXPECT_EQ(prompter.Texts()[0], strings::kCantOpenDriver);
  EXPECT_EQ(prompter.Texts()[1], "Error in Orvande I/O virtual driver: 0xd0000012");
}

}  // namespace
}  // namespace orvande
