// The settings file: first start, immediate and atomic saves, damaged contents, stored placements.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <variant>

#include "app/app_environment.h"
#include "common/temp_folder.h"
#include "platform/atomic_file.h"
#include "support/le_writer.h"

namespace orvande {
namespace {

using test::TempFolder;
using Value = std::variant<bool, uint32_t, int32_t, std::string>;

constexpr char kHome[] = "/home/tester";

class SettingsTest : public ::testing::Test {
 protected:
  StartupOptions Options() const {
    StartupOptions options;
    options.settingsFolder = folder_.Path().string();
    options.homeFolder = kHome;
    options.programFolder = folder_.Path().string();
    options.dataFolder = folder_.Path().string();
    return options;
  }
  std::string SettingsPath() const { return (folder_ / SettingsFile::kFileName).string(); }
  std::string ReadText(const std::string& path) const {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void WriteText(const std::string& text) const {
    std::ofstream(SettingsPath(), std::ios::binary) << text;
  }
  nlohmann::json ReadJson() const { return nlohmann::json::parse(ReadText(SettingsPath())); }

  TempFolder folder_{"orvande_settings_"};
};

SettingKind KindOf(const Value& value) {
  constexpr SettingKind kKinds[] = {SettingKind::kBool, SettingKind::kU32, SettingKind::kInt,
                                    SettingKind::kString};
  return kKinds[value.index()];
}

TEST_F(SettingsTest, FirstStartGivesExactlyTheDefaults) {
  struct Row {
    const char* section;
    const char* name;
    std::function<Value(const AppSettings&)> get;
    Value expected;
  };
  const std::string outputFolder = std::string(kHome) + "/Recovered Files/";
  const std::vector<Row> rows = {
      {"Options", "strRecoverOutputFolder", &AppSettings::RecoverOutputFolder, outputFolder},
      {"Options", "bRecoverAlternativeStreams", &AppSettings::RecoverAlternativeStreams, true},
      {"Options", "bRecoverEA", &AppSettings::RecoverEA, true},
      {"Options", "bRecoverAllFiles", &AppSettings::RecoverAllFiles, false},
      {"Options", "bRestoreFolderStructure", &AppSettings::RestoreFolderStructure, false},
      {"Misc", "bShowSplash", &AppSettings::ShowSplash, true},
      {"Misc", "bShowTips", &AppSettings::ShowTips, true},
      {"Misc", "dwTipFilePos", &AppSettings::TipFilePos, uint32_t{0}},
      {"Misc", "strLastSearchString", &AppSettings::LastSearchString, std::string()},
      {"Misc", "bSearchMatchFullName", &AppSettings::SearchMatchFullName, false},
      {"Misc", "bSearchMatchCase", &AppSettings::SearchMatchCase, false},
      {"Misc", "bSearchDeletedOnly", &AppSettings::SearchDeletedOnly, true},
      {"Prompts", "bShowMountPointPrompt", &AppSettings::ShowMountPointPrompt, true},
      {"Misc", "bShowRecoveryProbability", &AppSettings::ShowRecoveryProbability, true},
      {"Partitions", "nLastSelectedDisk", &AppSettings::LastSelectedDisk, int32_t{0}},
      {"Options", "bUseFileType", &AppSettings::UseFileType, true},
      {"Partitions", "dwScanFS", &AppSettings::ScanFS, uint32_t{0xFFFFFFFF}},
  };
  AppEnvironment environment(Options());
  const auto& entries = environment.Settings().Entries();
  ASSERT_EQ(entries.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(rows[i].name);
    EXPECT_EQ(entries[i].section, rows[i].section);
    EXPECT_EQ(entries[i].valueName, rows[i].name);
    EXPECT_EQ(entries[i].Kind(), KindOf(rows[i].expected));
    EXPECT_EQ(rows[i].get(environment.Settings()), rows[i].expected);
  }
  // The output folder's default is stored at once; the layout has nothing stored.
  EXPECT_EQ(ReadJson()["Settings"]["Options"]["strRecoverOutputFolder"]["value"], outputFolder);
  LayoutSettings& layout = environment.Layout();
  EXPECT_FALSE(layout.MainPlacement().HasStoredPlacement());
  EXPECT_FALSE(layout.SectorsPlacement().HasStoredPlacement());
  EXPECT_EQ(layout.SplitterWidth(), 0u);
  EXPECT_TRUE(layout.FileListLayout().columns.empty());
  EXPECT_TRUE(environment.TakeWarnings().empty());
}

TEST_F(SettingsTest, AChangeIsOnDiskBeforeTheSetterReturns) {
  AppEnvironment environment(Options());
  environment.Settings().SetRecoverAllFiles(true);
  EXPECT_EQ(ReadJson()["Settings"]["Options"]["bRecoverAllFiles"],
            (nlohmann::json{{"type", "REG_DWORD"}, {"value", 1}}));
  environment.Settings().SetLastSearchString("report");
  EXPECT_EQ(ReadJson()["Settings"]["Misc"]["strLastSearchString"],
            (nlohmann::json{{"type", "REG_SZ"}, {"value", "report"}}));
  environment.Layout().SetSplitterWidth(240);
  EXPECT_EQ(ReadJson()["GUI"]["MainSplitterWidth"]["dwSplitterWidth"]["value"], 240);
  FileListColumns columns;
  columns.columns = {{120, 1, true}, {-1, 0, false}};
  environment.Layout().SetFileListLayout(columns);

  AppEnvironment later(Options());
  EXPECT_TRUE(later.Settings().RecoverAllFiles());
  EXPECT_EQ(later.Settings().LastSearchString(), "report");
  EXPECT_EQ(later.Layout().FileListLayout(), columns);
}

TEST_F(SettingsTest, UnusableContentsLeaveTheDefaultsAndSaySo) {
  struct Case {
    const char* what;
    std::string text;
    bool keptAside;
    const char* warning;
  };
  const std::string valid =
      R"({"Settings":{"Partitions":{"dwScanFS":{"type":"REG_DWORD","value":5}}}})";
  for (const Case& c : {
           Case{"damaged", "{\"Settings\": {\x01\xff", true, "kept as"},
           Case{"truncated", valid.substr(0, valid.size() / 2), true, "kept as"},
           Case{"not an object", "[1, 2]", true, "kept as"},
           Case{"string for a DWORD",
                R"({"Settings":{"Partitions":{"dwScanFS":{"type":"REG_SZ","value":"5"}}}})", false,
                "Partitions\\dwScanFS"},
           Case{"negative DWORD",
                R"({"Settings":{"Partitions":{"dwScanFS":{"type":"REG_DWORD","value":-5}}}})",
                false, "Partitions\\dwScanFS"},
       }) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(SettingsPath() + SettingsFile::kDamagedSuffix);
    WriteText(c.text);
    AppEnvironment environment(Options());
    EXPECT_EQ(environment.Settings().ScanFS(), AppSettings::kAllFileSystems);
    const std::vector<std::string> warnings = environment.TakeWarnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find(c.warning), std::string::npos) << warnings[0];
    EXPECT_EQ(ReadText(SettingsPath() + SettingsFile::kDamagedSuffix),
              c.keptAside ? c.text : std::string());
  }
}

TEST_F(SettingsTest, BackendTypeRulesAndOpenKeys) {
  SettingsFile backend(folder_.Path().string());
  uint32_t value = 7;
  EXPECT_EQ(backend.ReadU32("x", &value), kRegistryNotOpen);
  EXPECT_EQ(backend.OpenRoot("HKEY_NOWHERE\\Software"), kRegistryNotOpen);
  EXPECT_EQ(backend.OpenStoreKey("\\Settings"), kRegistryNotOpen);
  ASSERT_EQ(backend.OpenRoot(AppSettings::kRegistryRoot), kSuccess);
  ASSERT_EQ(backend.OpenStoreKey("\\Settings"), kSuccess);
  ASSERT_EQ(backend.OpenSectionKey("Misc"), kSuccess);
  ASSERT_EQ(backend.WriteString("text", "abc"), kSuccess);
  EXPECT_EQ(backend.ReadU32("text", &value), kErrInvalidDataType);
  EXPECT_EQ(value, 7u);
  std::vector<uint8_t> bytes;
  ASSERT_EQ(backend.ReadBinary("text", &bytes), kSuccess);
  EXPECT_EQ(bytes.size(), 4u);  // the terminating zero counts
  ASSERT_EQ(backend.WriteU32("flag", 2), kSuccess);
  bool flag = false;
  ASSERT_EQ(backend.ReadBool("flag", &flag), kSuccess);
  EXPECT_TRUE(flag);
}

TEST_F(SettingsTest, AFailedSaveLeavesTheOldFileWhole) {
  AppEnvironment environment(Options());
  environment.Settings().SetRecoverAllFiles(true);
  const std::string before = ReadText(SettingsPath());
  // A folder where the temporary file goes makes the next save fail before the rename.
  std::filesystem::create_directory(platform::AtomicTemporaryPath(SettingsPath()));
  environment.TakeWarnings();
  environment.Settings().SetRecoverAllFiles(false);
  EXPECT_FALSE(environment.Settings().RecoverAllFiles());  // kept for this run
  EXPECT_EQ(ReadText(SettingsPath()), before);
  EXPECT_EQ(environment.TakeWarnings().size(), 1u);
  std::filesystem::remove(platform::AtomicTemporaryPath(SettingsPath()));
  environment.Settings().SetRecoverAllFiles(false);
  EXPECT_EQ(ReadJson()["Settings"]["Options"]["bRecoverAllFiles"]["value"], 0);
}

TEST_F(SettingsTest, OnlyA44ByteWindowPlacementIsStored) {
  struct Case {
    size_t bytes;
    uint32_t lengthField;
    bool stored;
  };
  for (const Case& c :
       {Case{44, 44, true}, Case{40, 44, false}, Case{48, 44, false}, Case{44, 40, false}}) {
    SCOPED_TRACE(c.bytes);
    std::vector<uint8_t> record;
    AppendLeU32(record, c.lengthField);
    for (uint32_t field = 1; record.size() < c.bytes; ++field) AppendLeU32(record, field * 10);
    {
      SettingsFile backend(folder_.Path().string());
      backend.OpenRoot(AppSettings::kRegistryRoot);
      backend.OpenStoreKey(LayoutSettings::kStoreKey);
      backend.OpenSectionKey("MainWnd");
      ASSERT_EQ(backend.WriteBinary(WindowPlacementSetting::kValueName, record), kSuccess);
    }
    AppEnvironment environment(Options());
    const WindowPlacement placement = environment.Layout().MainPlacement();
    EXPECT_EQ(placement.HasStoredPlacement(), c.stored);
    const PlacementRect expected = c.bytes == 44 ? PlacementRect{70, 80, 90, 100} : PlacementRect{};
    EXPECT_EQ(placement.normalPosition, expected);
  }
}

}  // namespace
}  // namespace orvande
