// The Recover dialog's OK: the folder text it hands on and the questions that may keep it open.
#include <gtest/gtest.h>

#include "app/app_settings.h"
#include "app/recover_dialog_checks.h"
#include "common/port_doubles.h"
#include "disk/image_file_node.h"
#include "support/string_table.h"

namespace orvande {
namespace {

constexpr char kSameDisk[] =
    "Warning: Recovering to the same disk may cause permanent data loss.\nContinue?";
constexpr char kCreate[] = "The specified folder does not exist. Do you want to create it?";

TEST(RecoverDialogChecksTest, OkTrimsTheFolderAndAsksWhatItMust) {
  struct Case {
    const char* typed;
    bool onSource;
    bool exists;
    std::vector<MessageAnswer> answers;
    bool accepted;
    const char* folder;
    std::vector<std::string> questions;
  };
  const Case cases[] = {
      {"  /out/here \t", false, true, {}, true, "/out/here/", {}},
      {"/out/", false, true, {}, true, "/out/", {}},
      {"/dev-disk/out", true, true, {MessageAnswer::kNo}, false, "/dev-disk/out/", {kSameDisk}},
      {"/dev-disk/out", true, true, {MessageAnswer::kYes}, true, "/dev-disk/out/", {kSameDisk}},
      {"/new", false, false, {MessageAnswer::kNo}, false, "/new/", {kCreate}},
      {"/new", false, false, {MessageAnswer::kYes}, true, "/new/", {kCreate}},
      {"/dev-disk/new", true, false, {MessageAnswer::kYes, MessageAnswer::kYes}, true,
       "/dev-disk/new/", {kSameDisk, kCreate}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    test::ScriptedPrompter prompter(c.answers);
    std::string judgedFolder;
    RecoverFolderChecks checks;
    checks.sourcePath = "/dev/sdz";
    checks.onSourceDevice = [&](const std::string& source, const std::string& folder) {
      EXPECT_EQ(source, "/dev/sdz");
      judgedFolder = folder;
      return c.onSource;
    };
    // A missing folder is judged by the folder that holds it.
    checks.folderExists = [&](const std::string& folder) { return c.exists || folder == "/"; };
    std::string folder = c.typed;
    EXPECT_EQ(AcceptRecoverFolder(prompter, checks, folder), c.accepted);
    EXPECT_EQ(folder, c.folder);
    EXPECT_EQ(prompter.Texts(), c.questions);
    EXPECT_EQ(judgedFolder, c.exists ? std::string(c.folder) : std::string("/"));
  }
}

TEST(RecoverDialogChecksTest, ImageFilesAndBlankTextsAreNoSourceDisk) {
  ImageFileNode image("/images/disk.img");
  EXPECT_EQ(RecoverySourcePath(&image), "/images/disk.img");
  EXPECT_EQ(RecoverySourcePath(nullptr), "");
  EXPECT_FALSE(RecoverFolderTextUsable(" \t"));
  EXPECT_TRUE(RecoverFolderTextUsable(" a"));
}

TEST(RecoverDialogChecksTest, ValuesRoundTripThroughTheSettings) {
  AppSettings settings;
  RecoverDialogValues values{"/out/", true, true, false};
  StoreRecoverValues(settings, values);
  const RecoverDialogValues stored = StoredRecoverValues(settings);
  EXPECT_EQ(stored.outputFolder, "/out/");
  EXPECT_TRUE(stored.restoreFolderStructure);
  EXPECT_TRUE(stored.recoverAllFiles);
  EXPECT_FALSE(stored.recoverAlternativeStreams);
}

}  // namespace
}  // namespace orvande
