#include "support/debug_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace orvande {
namespace {

class DebugLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = std::filesystem::temp_directory_path() /
            ("orvande_trace_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt");
  }
  void TearDown() override {
    log_.Disable();
    std::filesystem::remove(path_);
  }
  std::string FileText() {
    log_.Disable();  // closes and flushes
    std::ifstream in(path_, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::filesystem::path path_;
  DebugLog log_;
};

TEST_F(DebugLogTest, HexDumpOfTwentyBytesHasOneFullLineAndOnePaddedLine) {
  ASSERT_TRUE(log_.Enable(path_.string()));
  uint8_t bytes[20];
  for (int i = 0; i < 20; ++i) bytes[i] = static_cast<uint8_t>(0x41 + i);
  bytes[1] = 0x00;
  bytes[2] = 0x7F;
  bytes[3] = 0x80;
  log_.TraceHexDump("Boot", bytes, sizeof bytes);
  std::string expected =
      "\r\n"
      "Boot\r\n"
      "     00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F  \r\n" +
      std::string(71, '-') +
      "\r\n"
      "0000 41 00 7F 80 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50   A.\x7f.EFGHIJKLMNOP\r\n"
      "0010 51 52 53 54 " +
      std::string(12 * 3, ' ') +
      "  QRST\r\n"
      "\r\n";
  EXPECT_EQ(FileText(), expected);
}

TEST_F(DebugLogTest, TracesOnlyWhileEnabledAndEnablingStartsAFreshFile) {
  log_.TraceLine("lost %d", 1);  // not enabled: nowhere to go
  ASSERT_TRUE(log_.Enable(path_.string()));
  log_.Trace("a=%d ", 5);
  log_.TraceLine("b=%s", "x");
  EXPECT_EQ(FileText(), "a=5 b=x\r\n");

  ASSERT_TRUE(log_.Enable(path_.string()));
  log_.Trace("new");
  EXPECT_EQ(FileText(), "new");
  log_.Trace("after disable");
  EXPECT_EQ(FileText(), "new");
}

TEST_F(DebugLogTest, AFileThatCannotBeCreatedLeavesTracingOff) {
  EXPECT_FALSE(log_.Enable((path_ / "no" / "such" / "folder.txt").string()));
  EXPECT_FALSE(log_.IsEnabled());
  log_.TraceHexDump(nullptr, nullptr, 0);  // harmless
}

}  // namespace
}  // namespace orvande
