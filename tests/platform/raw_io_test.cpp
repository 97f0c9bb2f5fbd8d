#include "platform/raw_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/error_numbers.h"
#include "temp_folder.h"

namespace orvande::platform {
namespace {

using RawIoTest = TempFolderTest;

TEST_F(RawIoTest, ReadsAtOffsetsAndReturnsShortReadsAtTheEnd) {
  std::string content(1000, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
  std::string path = WriteFile("image.img", content);
  RawIo& io = SystemRawIo();
  uint32_t error = 99;
  RawIo::Handle h = io.OpenReadOnly(path, &error);
  ASSERT_NE(h, RawIo::kInvalidHandle);
  EXPECT_EQ(error, 0u);

  std::vector<char> buffer(512, 'x');
  size_t got = 0;
  ASSERT_TRUE(io.ReadAt(h, 512, buffer.data(), buffer.size(), &got, &error));
  EXPECT_EQ(got, 488u);
  EXPECT_EQ(std::string(buffer.data(), got), content.substr(512));

  ASSERT_TRUE(io.ReadAt(h, 5000, buffer.data(), buffer.size(), &got, &error));
  EXPECT_EQ(got, 0u);
  EXPECT_FALSE(io.ReadAt(h, UINT64_MAX - 10, buffer.data(), buffer.size(), &got, &error));
  EXPECT_EQ(error, kErrInvalidParameter);

  BlockGeometry g;
  ASSERT_TRUE(io.QueryGeometry(h, &g, &error));
  EXPECT_EQ(g.sizeBytes, 1000u);
  EXPECT_EQ(g.bytesPerSector, 512u);
  io.Close(h);
}

TEST_F(RawIoTest, OnlyFilesAndBlockDevicesOpen) {
  RawIo& io = SystemRawIo();
  uint32_t error = 0;
  EXPECT_EQ(io.OpenReadOnly(root_.string(), &error), RawIo::kInvalidHandle);
  EXPECT_EQ(error, kErrDirectory);

  // A pipe must be refused without waiting for a writer.
  std::string fifo = PathOf("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(io.OpenReadOnly(fifo, &error), RawIo::kInvalidHandle);
  EXPECT_EQ(error, kErrNotSupported);

  EXPECT_EQ(io.OpenReadOnly(PathOf("missing.img"), &error), RawIo::kInvalidHandle);
  EXPECT_EQ(error, kErrFileNotFound);
  EXPECT_EQ(io.OpenReadOnly("", &error), RawIo::kInvalidHandle);
}

TEST_F(RawIoTest, ReadsOnAClosedHandleFail) {
  size_t got = 1;
  uint32_t error = 0;
  char byte;
  EXPECT_FALSE(SystemRawIo().ReadAt(RawIo::kInvalidHandle, 0, &byte, 1, &got, &error));
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(error, kErrInvalidHandle);
}

}  // namespace
}  // namespace orvande::platform
