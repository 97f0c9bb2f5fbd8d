// The mount point check on a written mountinfo file with scripted answers, and the read-write
// warning.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/app_environment.h"
#include "app/mount_point_check.h"
#include "app/pre_analysis_checks.h"
#include "disk/image_file_node.h"
#include "disk/logical_drive_node.h"
#include "common/port_doubles.h"
#include "common/temp_folder.h"
#include "support/operation_log.h"

namespace orvande {
namespace {

// The root volume holds /boot/efi and a stick mounted under a name with a blank; the stick holds
// a mount of its own, which is not inside the root volume's files.
constexpr char kMountInfo[] =
    "26 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
    "30 26 8:1 / /boot/efi rw,relatime shared:5 - vfat /dev/sda1 rw,fmask=0077\n"
    "31 26 0:5 / /proc rw,nosuid - proc proc rw\n"
    "40 26 8:17 / /media/my\\040stick ro,relatime - vfat /dev/sdb1 ro\n"
    "41 40 8:18 / /media/my\\040stick/inner rw - ntfs3 /dev/sdb2 rw\n";

class MountPointCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ofstream(folder_ / "mountinfo") << kMountInfo;
    mounts_ = platform::ReadMountTable((folder_ / "mountinfo").string());
    environment_ = std::make_unique<AppEnvironment>(Options());
  }
  StartupOptions Options() const {
    StartupOptions options;
    options.settingsFolder = folder_.Path().string();
    options.homeFolder = folder_.Path().string();
    options.programFolder = folder_.Path().string();
    options.dataFolder = folder_.Path().string();
    return options;
  }
  bool Check(const std::string& device) {
    return CheckMountPoints(device, listed_, mounts_, environment_->Settings(), prompter_);
  }

  test::TempFolder folder_{"orvande-mount-check-"};
  std::vector<platform::MountEntry> mounts_;
  std::unique_ptr<AppEnvironment> environment_;
  test::ScriptedPrompter prompter_;
  const std::vector<std::string> listed_ = {"/dev/sda1", "/dev/sda2", "/dev/sdb1", "/dev/sdb2"};
};

TEST_F(MountPointCheck, MountInfoIsRead) {
  ASSERT_EQ(mounts_.size(), 5u);
  EXPECT_EQ(mounts_[3].mountPoint, "/media/my stick");
  EXPECT_EQ(mounts_[3].source, "/dev/sdb1");
  EXPECT_TRUE(mounts_[3].readOnly);
  EXPECT_FALSE(mounts_[1].readOnly);
  EXPECT_EQ(mounts_[1].fsType, "vfat");
}

TEST_F(MountPointCheck, EachMountInsideTheVolumeIsAsked) {
  struct Case {
    std::vector<MountPointAnswer> answers;
    bool goOn;
    size_t questions;
    bool promptStaysOn;
  };
  const std::vector<Case> cases = {
      {{{false, false}, {false, false}}, true, 2, true},
      {{{true, false}}, false, 1, true},
      {{{false, true}}, true, 1, false},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    environment_->Settings().SetShowMountPointPrompt(true);
    test::ScriptedPrompter prompter;
    for (const MountPointAnswer& answer : cases[i].answers) prompter.QueueMountPointAnswer(answer);
    EXPECT_EQ(CheckMountPoints("/dev/sda2", listed_, mounts_, environment_->Settings(), prompter),
              cases[i].goOn);
    EXPECT_EQ(prompter.MountPointQuestions().size(), cases[i].questions);
    EXPECT_EQ(environment_->Settings().ShowMountPointPrompt(), cases[i].promptStaysOn);
  }
  // The ticked box was stored at once: a fresh start reads it back.
  AppEnvironment restarted(Options());
  EXPECT_FALSE(restarted.Settings().ShowMountPointPrompt());
}

TEST_F(MountPointCheck, QuestionTextAndWhenNothingIsAsked) {
  EXPECT_TRUE(Check("/dev/sda2"));
  ASSERT_EQ(prompter_.MountPointQuestions().size(), 2u);
  EXPECT_EQ(prompter_.MountPointQuestions()[0],
            "Orvande has detected that \"/boot/efi\" folder is mounted to drive /dev/sda1, which "
            "differs from the one being analyzed. If you want to recover files from this folder, "
            "click on \"Stop analyzing\", select drive /dev/sda1 and restart \"Analyze\".");
  EXPECT_NE(prompter_.MountPointQuestions()[1].find("\"/media/my stick\""), std::string::npos);

  EXPECT_TRUE(Check("/dev/sdb1"));  // /inner
  EXPECT_TRUE(Check("/dev/sda1"));  // holds no mount
  EXPECT_TRUE(Check("/dev/sdc1"));  // not mounted
  EXPECT_EQ(prompter_.MountPointQuestions().size(), 3u);

  environment_->Settings().SetShowMountPointPrompt(false);
  EXPECT_TRUE(Check("/dev/sda2"));
  EXPECT_EQ(prompter_.MountPointQuestions().size(), 3u);
}

TEST_F(MountPointCheck, ReadWriteMountsAreWarnedAbout) {
  OperationLog log;
  EXPECT_FALSE(WarnIfMountedReadWrite("/dev/sdb1", mounts_, log));
  EXPECT_TRUE(WarnIfMountedReadWrite("/dev/sda1", mounts_, log));
  ASSERT_EQ(log.Lines().size(), 1u);
  EXPECT_NE(log.Lines()[0].find("/dev/sda1 is mounted read-write at \"/boot/efi\""),
            std::string::npos);
}

// Before an analysis: a stop at the question logs nothing, going on logs the read-write mount.
TEST_F(MountPointCheck, PreAnalysisChecksAskThenWarn) {
  struct Case {
    const char* device;
    bool stop;
    bool goesOn;
    size_t questions;
    size_t warnings;
  };
  const Case cases[] = {
      {"/dev/sda2", true, false, 1, 0},   // stopped at the first question
      {"/dev/sda2", false, true, 2, 1},   // both questions, then the read-write warning
      {"/dev/sdb1", false, true, 1, 0},   // asked about /inner; read-only, so no warning
      {"", true, true, 0, 0},             // no block device: nothing checked
  };
  for (const Case& c : cases) {
    test::ScriptedPrompter prompter;
    for (int i = 0; i < 2; ++i) prompter.QueueMountPointAnswer({c.stop, false});
    OperationLog log;
    EXPECT_EQ(RunPreAnalysisChecks(c.device, listed_, mounts_, environment_->Settings(), prompter,
                                   log),
              c.goesOn)
        << c.device;
    EXPECT_EQ(prompter.MountPointQuestions().size(), c.questions) << c.device;
    EXPECT_EQ(log.FlaggedCount(), c.warnings) << c.device;
  }
}

TEST(BlockDeviceSource, OnlyALogicalDriveOnABlockDeviceIsChecked) {
  test::TempFolder folder("orvande-block-source-");
  const std::string file = (folder / "volume.img").string();
  std::ofstream(file) << "x";
  EXPECT_EQ(BlockDeviceSourcePath(ImageFileNode(file)), "");
  EXPECT_EQ(BlockDeviceSourcePath(LogicalDriveNode(file, file, kFsNone, false)), "");
}

}  // namespace
}  // namespace orvande
