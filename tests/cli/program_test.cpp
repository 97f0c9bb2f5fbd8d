// The built orvande-cli program: exit codes and messages for good and bad sources and usage.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int exitCode = -1;
  std::string out, err;
};

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("orvande-cli-test-" + std::to_string(getpid()));
    fs::create_directories(folder_);
    // Open to everyone, so that the program may also run under another user.
    fs::permissions(folder_, fs::perms::all);
    image_ = (folder_ / "small.img").string();
    std::ofstream(image_, std::ios::binary) << std::string(2048, 'Z');
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(folder_ / "locked.img", fs::perms::owner_all, ec);
    fs::remove_all(folder_);
  }

  Outcome Run(const std::string& arguments, const std::string& prefix = "") {
    const std::string program = std::string(ORVANDE_BINARY_DIR) + "/bin/orvande-cli";
    const fs::path out = folder_ / "stdout", err = folder_ / "stderr";
    std::string command = prefix + "'" + program + "' " + arguments + " >'" + out.string() +
                          "' 2>'" + err.string() + "'";
    int status = std::system(command.c_str());
    Outcome outcome;
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.out = Slurp(out);
    outcome.err = Slurp(err);
    return outcome;
  }
  static std::string Slurp(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  fs::path folder_;
  std::string image_;
};

TEST_F(ProgramTest, ViewsAnImage) {
  Outcome o = Run("view '" + image_ + "' --sector 3");
  EXPECT_EQ(o.exitCode, 0) << o.err;
  EXPECT_EQ(o.out.substr(0, o.out.find('\n')), "Sector 3 (cluster 3)");
  EXPECT_NE(
      o.out.find("\n7F0: 5A 5A 5A 5A 5A 5A 5A 5A-5A 5A 5A 5A 5A 5A 5A 5A  ZZZZZZZZZZZZZZZZ\n"),
      std::string::npos)
      << o.out;
  EXPECT_TRUE(o.err.empty()) << o.err;
}

TEST_F(ProgramTest, HelpAndVersion) {
  Outcome version = Run("--version");
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out.rfind("orvande-cli ", 0), 0u) << version.out;
  Outcome help = Run("--help");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("view"), std::string::npos);
  Outcome viewHelp = Run("view --help");
  EXPECT_EQ(viewHelp.exitCode, 0);
  EXPECT_NE(viewHelp.out.find("--sector"), std::string::npos);
}

TEST_F(ProgramTest, BadUsageExitsWithTwo) {
  for (const std::string& arguments :
       {std::string(""), std::string("frobnicate"), std::string("view"),
        "view '" + image_ + "' --count 0", "view '" + image_ + "' --sector -1",
        "view '" + image_ + "' --sector x", "view '" + image_ + "' --bogus"}) {
    Outcome o = Run(arguments);
    EXPECT_EQ(o.exitCode, 2) << arguments;
    EXPECT_FALSE(o.err.empty()) << arguments;
    EXPECT_TRUE(o.out.empty()) << arguments;
  }
}

TEST_F(ProgramTest, UnusableSourcesExitWithOneAndSayWhy) {
  Outcome missing = Run("view '" + (folder_ / "absent.img").string() + "'");
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("no such image file or device"), std::string::npos) << missing.err;

  Outcome folder = Run("view '" + folder_.string() + "'");
  EXPECT_EQ(folder.exitCode, 1);
  EXPECT_NE(folder.err.find("is a folder"), std::string::npos) << folder.err;

  Outcome beyond = Run("view '" + image_ + "' --sector 4");
  EXPECT_EQ(beyond.exitCode, 1);
  EXPECT_NE(beyond.err.find("sector 4 lies beyond the end"), std::string::npos) << beyond.err;
  EXPECT_TRUE(beyond.out.empty());
}

TEST_F(ProgramTest, UnreadableFileExitsWithOne) {
  // Root reads every file; it can still check the case by running the program as "nobody".
  std::string prefix;
  if (geteuid() == 0) {
    if (std::system("setpriv --reuid=65534 --regid=65534 --clear-groups true 2>/dev/null") != 0) {
      GTEST_SKIP() << "running as root without setpriv: the permission case is not testable";
    }
    prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
  }
  const fs::path locked = folder_ / "locked.img";
  std::ofstream(locked) << std::string(512, 'L');
  fs::permissions(locked, fs::perms::none);
  Outcome o = Run("view '" + locked.string() + "'", prefix);
  EXPECT_EQ(o.exitCode, 1);
  EXPECT_NE(o.err.find("Error: Orvande can not obtain required access to the image file."),
            std::string::npos)
      << o.err;
}

}  // namespace
