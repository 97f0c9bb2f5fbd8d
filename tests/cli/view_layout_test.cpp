// The view command's text layout, driven in-process, and the terminal prompter.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/cli_prompter.h"
#include "cli/hex_layout.h"
#include "common/temp_folder.h"

namespace orvande::cli {
namespace {

namespace fs = std::filesystem;

// 20 whole sectors and 488 bytes more; byte i holds i & 0xFF.
constexpr size_t kImageBytes = 20 * 512 + 488;

class ViewCommandTest : public ::testing::Test {
 protected:
  // A folder of its own: tests of this suite may run side by side in other processes.
  void SetUp() override {
    folder_ = std::make_unique<test::TempFolder>("view-test");
    image_ = *folder_ / "image.img";
    std::ofstream out(image_, std::ios::binary);
    for (size_t i = 0; i < kImageBytes; ++i) out.put(static_cast<char>(i & 0xFF));
  }
  void TearDown() override { folder_.reset(); }

  int Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"orvande-cli", "view", image_.string()});
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    out_.str("");
    err_.str("");
    return RunCli(static_cast<int>(argv.size()), argv.data(), out_, err_);
  }
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::istringstream in(out_.str());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  std::unique_ptr<test::TempFolder> folder_;
  fs::path image_;
  std::ostringstream out_, err_;
};

TEST_F(ViewCommandTest, OneSectorIsAHeaderAndThirtyTwoRows) {
  ASSERT_EQ(Run({}), 0) << err_.str();
  std::vector<std::string> lines = Lines();
  ASSERT_EQ(lines.size(), 33u);
  EXPECT_EQ(lines[0], "Sector 0 (cluster 0)");
  EXPECT_EQ(lines[1], "000: 00 01 02 03 04 05 06 07-08 09 0A 0B 0C 0D 0E 0F  ................");
  EXPECT_EQ(lines[5], "040: 40 41 42 43 44 45 46 47-48 49 4A 4B 4C 4D 4E 4F  @ABCDEFGHIJKLMNO");
  EXPECT_EQ(lines[8], "070: 70 71 72 73 74 75 76 77-78 79 7A 7B 7C 7D 7E 7F  pqrstuvwxyz{|}~.");
  EXPECT_EQ(lines[32], "1F0: F0 F1 F2 F3 F4 F5 F6 F7-F8 F9 FA FB FC FD FE FF  ................");
  EXPECT_TRUE(err_.str().empty());
}

TEST_F(ViewCommandTest, OffsetWidthFollowsTheLastOffsetShown) {
  // Sectors 7 and 8 end at 0x11FF: four digits, also on the first row.
  ASSERT_EQ(Run({"--sector", "7", "--count", "2"}), 0) << err_.str();
  std::vector<std::string> lines = Lines();
  ASSERT_EQ(lines.size(), 66u);
  EXPECT_EQ(lines[0], "Sector 7 (cluster 7)");
  EXPECT_EQ(lines[1].substr(0, 6), "0E00: ");
  EXPECT_EQ(lines[33], "Sector 8 (cluster 8)");
  EXPECT_EQ(lines[34].substr(0, 6), "1000: ");
}

TEST_F(ViewCommandTest, LastPartialSectorEndsWithAShortRowAlignedWithTheOthers) {
  ASSERT_EQ(Run({"--sector", "20"}), 0) << err_.str();
  std::vector<std::string> lines = Lines();
  ASSERT_EQ(lines.size(), 1u + 31u);  // 488 bytes: 30 full rows and one of 8
  const std::string& full = lines[30];
  const std::string& last = lines[31];
  EXPECT_EQ(full.substr(0, 5), "29D0:");
  EXPECT_EQ(last, "29E0: E0 E1 E2 E3 E4 E5 E6 E7" + std::string(24, ' ') + "  ........");
  EXPECT_EQ(full.size() - 16, last.size() - 8);  // the character column starts at one place
}

TEST_F(ViewCommandTest, RangesBeyondTheEndFail) {
  EXPECT_EQ(Run({"--sector", "21"}), 1);
  EXPECT_TRUE(out_.str().empty());
  EXPECT_NE(err_.str().find("sector 21 lies beyond the end"), std::string::npos) << err_.str();

  // What exists is shown; the missing rest is reported.
  EXPECT_EQ(Run({"--sector", "19", "--count", "5"}), 1);
  EXPECT_EQ(Lines().size(), 33u + 32u);
  EXPECT_NE(err_.str().find("ends before sector 21; 2 of 5 sectors shown"), std::string::npos)
      << err_.str();
}

TEST(HexLayout, OffsetDigitsStayBetweenTwoAndSixteen) {
  EXPECT_EQ(OffsetDigits(0), 2);
  EXPECT_EQ(OffsetDigits(0xFF), 2);
  EXPECT_EQ(OffsetDigits(0x100), 3);
  EXPECT_EQ(OffsetDigits(0xFFFFFFFF), 8);
  EXPECT_EQ(OffsetDigits(0x100000000), 9);
  EXPECT_EQ(OffsetDigits(UINT64_MAX), 16);
}

TEST(HexLayout, CharactersAndUnreadableBytes) {
  EXPECT_EQ(DisplayChar(31), '.');
  EXPECT_EQ(DisplayChar(32), ' ');
  EXPECT_EQ(DisplayChar(126), '~');
  EXPECT_EQ(DisplayChar(127), '.');
  EXPECT_EQ(DisplayChar(0xE9), '.');

  std::ostringstream out;
  WriteHexRows(out, 0x1230, nullptr, 20, 4);
  EXPECT_EQ(out.str(),
            "1230: ?? ?? ?? ?? ?? ?? ?? ?\?-?? ?? ?? ?? ?? ?? ?? ??  ................\n"
            "1240: ?? ?? ?? ??" +
                std::string(36, ' ') + "  ....\n");
}

TEST(CliPrompter, MessagesGoToTheErrorStreamAndQuestionsNeedAnAnswer) {
  std::ostringstream err;
  std::istringstream answers("  y\nno\n");
  CliPrompter asking(err, &answers);
  EXPECT_EQ(asking.ShowMessage("Disk gone.", "Error", MessageIcon::kError, MessageButtons::kOk),
            MessageAnswer::kOk);
  EXPECT_EQ(err.str(), "Error: Disk gone.\n");
  EXPECT_EQ(
      asking.ShowMessage("Replace?", "Orvande", MessageIcon::kQuestion, MessageButtons::kYesNo),
      MessageAnswer::kYes);
  EXPECT_EQ(
      asking.ShowMessage("Replace?", "Orvande", MessageIcon::kQuestion, MessageButtons::kYesNo),
      MessageAnswer::kNo);
  // End of input answers no.
  EXPECT_EQ(asking.ShowMessage("Again?", "Orvande", MessageIcon::kQuestion, MessageButtons::kYesNo),
            MessageAnswer::kNo);

  std::ostringstream quietErr;
  CliPrompter nobody(quietErr, nullptr);
  EXPECT_EQ(
      nobody.ShowMessage("Replace?", "Orvande", MessageIcon::kQuestion, MessageButtons::kYesNo),
      MessageAnswer::kNo);
  nobody.ShowOperationLog("ERROR: one\r\nWARNING: two\r\n");
  EXPECT_NE(quietErr.str().find("ERROR: one\nWARNING: two\n"), std::string::npos);
  EXPECT_EQ(quietErr.str().find('\r'), std::string::npos);
}

}  // namespace
}  // namespace orvande::cli
