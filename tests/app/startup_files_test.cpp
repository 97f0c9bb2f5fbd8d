// What the start-up reads besides the settings: the "debug" switch, the bad-sector lists and
// the tips file.
#include <gtest/gtest.h>

#include <fstream>

#include "app/app_environment.h"
#include "app/debug_switch.h"
#include "app/tips_reader.h"
#include "common/temp_folder.h"

namespace orvande {
namespace {

using test::TempFolder;

class StartupFilesTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& text) const {
    const std::string path = (folder_ / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  StartupOptions Options() const {
    StartupOptions options;
    options.settingsFolder = (folder_ / "settings").string();
    options.homeFolder = "/home/tester";
    options.programFolder = folder_.Path().string();
    options.dataFolder = folder_.Path().string();
    return options;
  }

  TempFolder folder_{"orvande_startup_"};
};

TEST_F(StartupFilesTest, OnlyTheBareWordDebugInAnyCaseTurnsTracingOn) {
  for (const char* on : {"debug", "DEBUG", "DeBuG"}) EXPECT_TRUE(IsDebugSwitch(on)) << on;
  for (const char* off : {"-debug", "/debug", "--debug", "debug ", "debugging", ""})
    EXPECT_FALSE(IsDebugSwitch(off)) << off;

  DebugLog log;
  StartupOptions options = Options();
  options.arguments = {"-debug", "Debug"};
  options.debugLog = &log;
  options.debugLogPath = (folder_ / DebugLog::kDefaultFileName).string();
  AppEnvironment environment(options);
  EXPECT_TRUE(environment.DebugTraceOn());
  EXPECT_TRUE(log.IsEnabled());
}

TEST_F(StartupFilesTest, BadSectorLines) {
  struct Case {
    const char* line;
    std::optional<SectorRange> range;
  };
  for (const Case& c : {
           Case{"1234", SectorRange{1234, 1234}},
           Case{"1234\r", SectorRange{1234, 1234}},
           Case{"10-20", SectorRange{10, 20}},
           Case{"10 - 20 trailing words", SectorRange{10, 20}},
           Case{"10\t--\t20", SectorRange{10, 20}},
           Case{"7-7", SectorRange{7, 7}},
           Case{"30-20", SectorRange{20, 30}},
           Case{"10 -", SectorRange{10, 10}},
           Case{"10 x", std::nullopt},
           Case{" 10", std::nullopt},
           Case{"; 10-20", std::nullopt},
           Case{"", std::nullopt},
           Case{"99999999999999999999", std::nullopt},
       }) {
    EXPECT_EQ(ParseBadSectorLine(c.line), c.range) << c.line;
  }
  // The program's list and the user's one in the settings folder are both read.
  Write(BadSectorList::kFileName, "5\nnot a sector\n100-102\n");
  std::filesystem::create_directory(folder_ / "settings");
  Write("settings/badsectors.txt", "7\n");
  AppEnvironment environment(Options());
  const std::vector<SectorRange> expected = {{5, 5}, {100, 102}, {7, 7}};
  EXPECT_EQ(environment.BadSectors().Ranges(), expected);
  EXPECT_TRUE(environment.BadSectors().Contains(101));
  EXPECT_FALSE(environment.BadSectors().Contains(6));
}

TEST_F(StartupFilesTest, TipsSkipCommentsAndGoRound) {
  const std::string path =
      Write("tips.txt", "; comment\n\n  indented\n\tTabbed\r\nFirst tip\r\nSecond tip\n");
  TipsReader reader;
  reader.Open(path, 0);
  EXPECT_EQ(reader.Tip(), "First tip");
  EXPECT_TRUE(reader.CanShowNextTip());
  reader.NextTip();
  EXPECT_EQ(reader.Tip(), "Second tip");
  const uint32_t afterSecond = reader.Position();
  reader.NextTip();
  EXPECT_EQ(reader.Tip(), "First tip");
  EXPECT_TRUE(reader.TakeMessage().empty());
  // The next run starts where the position said.
  reader.Open(path, afterSecond);
  EXPECT_EQ(reader.Tip(), "First tip");
  // The shipped file opens with comments too.
  reader.Open(ORVANDE_SOURCE_DIR "/data/tips.txt", 0);
  EXPECT_EQ(reader.Tip().rfind("Recover a deleted file", 0), 0u) << reader.Tip();
}

TEST_F(StartupFilesTest, MissingOrTiplessFilesEnd) {
  struct Case {
    const char* what;
    std::optional<std::string> contents;
  };
  for (const Case& c :
       {Case{"missing", std::nullopt}, Case{"comments only", "; a\n\n b\n"}, Case{"empty", ""}}) {
    SCOPED_TRACE(c.what);
    const std::string path =
        c.contents ? Write("tips.txt", *c.contents) : (folder_ / "no-tips.txt").string();
    TipsReader reader;
    reader.Open(path, 3);
    EXPECT_EQ(reader.Tip(), TipsReader::kMissingTipsFile);
    EXPECT_FALSE(reader.CanShowNextTip());
    reader.NextTip();
    EXPECT_EQ(reader.Tip(), TipsReader::kMissingTipsFile);
  }
}

}  // namespace
}  // namespace orvande
