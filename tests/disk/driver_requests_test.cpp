// The I/O driver's four control requests as bytes on the wire, through a fake channel that
// records each request and answers from a script.
#include <gtest/gtest.h>

#include <vector>

#include "disk/driver_requests.h"
#include "platform/error_numbers.h"
#include "support/le_reader.h"
#include "support/result_codes.h"

namespace orvande {
namespace {

using Bytes = std::vector<uint8_t>;

class FakeChannel : public DriverControlChannel {
 public:
  Handle Open(uint32_t* error) override {
    *error = 0;
    return 3;
  }
  void Close(Handle) override {}
  bool Control(Handle handle, uint32_t code, std::span<const uint8_t> input,
               std::span<uint8_t> output, size_t* returned, uint32_t* error) override {
    EXPECT_EQ(handle, 3);
    lastCode = code;
    lastInput.assign(input.begin(), input.end());
    outputSize = output.size();
    if (failWith != 0) {
      *error = failWith;
      return false;
    }
    const size_t n = std::min(answer.size(), output.size());
    std::copy_n(answer.begin(), n, output.begin());
    *returned = n;
    return true;
  }

  Bytes answer;
  uint32_t failWith = 0;
  uint32_t lastCode = 0;
  Bytes lastInput;
  size_t outputSize = 0;
};

Bytes Le(std::initializer_list<std::pair<uint64_t, size_t>> fields) {
  Bytes bytes;
  for (auto [value, width] : fields)
    for (size_t i = 0; i < width; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
  return bytes;
}

class DriverRequestsTest : public ::testing::Test {
 protected:
  FakeChannel channel_;
  ControlRequestIoDriver driver_{channel_};
  uint32_t error_ = 0xFFFF;
};

TEST_F(DriverRequestsTest, DriveCountAsksWithoutInput) {
  channel_.answer = Le({{5, 4}});
  EXPECT_EQ(driver_.GetDriveCount(3, &error_), 5u);
  EXPECT_EQ(error_, 0u);
  EXPECT_EQ(channel_.lastCode, 0x210001u);
  EXPECT_TRUE(channel_.lastInput.empty());
  EXPECT_EQ(channel_.outputSize, 4u);
}

TEST_F(DriverRequestsTest, DriveRecordSendsTheIndex) {
  channel_.answer.assign(kDriveRecordSize, 0);
  channel_.answer[122] = 0x7E;
  DriveRecord record{};
  EXPECT_TRUE(driver_.GetDriveRecord(3, 0x01020304, &record, &error_));
  EXPECT_EQ(channel_.lastCode, 0x210002u);
  EXPECT_EQ(channel_.lastInput, Le({{0x01020304, 4}}));
  EXPECT_EQ(channel_.outputSize, 123u);
  EXPECT_EQ(record[122], 0x7E);
}

TEST_F(DriverRequestsTest, ReadSendsFirstCountAndDrive) {
  channel_.answer.assign(3 * 2048, 0xA5);
  Bytes buffer(3 * 2048);
  EXPECT_EQ(driver_.ReadDriveSectors(3, 2, 0x0102030405060708ULL, buffer.data(), 3, 2048, &error_),
            3u);
  EXPECT_EQ(channel_.lastCode, 0x210003u);
  EXPECT_EQ(channel_.lastInput, Le({{0x0102030405060708ULL, 8}, {3, 4}, {2, 4}}));
  EXPECT_EQ(channel_.outputSize, buffer.size());
  EXPECT_EQ(buffer.back(), 0xA5);
}

TEST_F(DriverRequestsTest, ExtendedGeometryDecodesEveryField) {
  channel_.answer = Le({{4096, 4}, {255, 4}, {0x12345, 4}, {63, 4}, {0x1'0000'0002ULL, 8}, {7, 4}});
  ExtendedGeometry answer;
  EXPECT_TRUE(driver_.GetExtendedGeometry(3, 0x81, 1, &answer, &error_));
  EXPECT_EQ(channel_.lastCode, 0x210004u);
  EXPECT_EQ(channel_.lastInput, Le({{0x81, 4}, {1, 4}}));
  EXPECT_EQ(channel_.outputSize, 28u);
  EXPECT_EQ(answer.bytesPerSector, 4096u);
  EXPECT_EQ(answer.tracksPerCylinder, 255u);
  EXPECT_EQ(answer.cylinders, 0x12345u);
  EXPECT_EQ(answer.sectorsPerTrack, 63u);
  EXPECT_EQ(answer.totalSectors, 0x1'0000'0002ULL);
  EXPECT_EQ(answer.status, 7u);
}

TEST_F(DriverRequestsTest, FailedOrShortAnswersFail) {
  channel_.failWith = 0xD0000005;
  EXPECT_EQ(driver_.GetDriveCount(3, &error_), 0u);
  EXPECT_EQ(error_, 0xD0000005u);
  channel_.failWith = 0;
  channel_.answer = Le({{9, 2}});
  Bytes buffer(512);
  EXPECT_EQ(driver_.ReadDriveSectors(3, 0, 0, buffer.data(), 1, 512, &error_), 0u);
  EXPECT_EQ(error_, platform::kErrInvalidFunction);
}

TEST(IoDriverDevicePath, NamesTheDriverInTheProgramFolder) {
  EXPECT_EQ(IoDriverDevicePath("C:\\PROGRA~1\\ORVANDE"), "\\\\.\\C:\\PROGRA~1\\ORVANDE\\ZEVA.DOR");
}

}  // namespace
}  // namespace orvande
