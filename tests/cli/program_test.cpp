// The built orvande-cli program: exit codes and messages for good and bad sources and usage.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "common/corpus.h"
#include "common/temp_folder.h"

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

// A recovery that a signal or a closed pipe ends part-way. Its output goes to a pipe of one page
// that the test does not read at first, so the program is certain to be blocked mid-run when the
// signal comes: it then ends after the file at hand, with its lines and summary flushed. With
// --all-files the whole run prints about 290 lines (20 KB), far more than the pipe and the
// program's own output buffer hold (8 KB, about 110 lines), so a run that was not stopped shows.
TEST(ProgramStop, SignalsStopARecoveryWithItsSummaryAndAClosedPipeEndsItQuietly) {
  const orvande::test::CorpusImage& corpus = orvande::test::LoadCorpusImage("fat16");
  const std::string program = std::string(ORVANDE_BINARY_DIR) + "/bin/orvande-cli";
  struct Case {
    int signal;  // 0: close the pipe instead
    int exitCode;
  };
  for (const Case& c : {Case{SIGTERM, 143}, Case{SIGINT, 130}, Case{SIGHUP, 129}, Case{0, 1}}) {
    SCOPED_TRACE(c.signal);
    orvande::test::TempFolder folder("orvande-cli-stop-");
    const std::string out = (folder.Path() / "out").string();
    const std::string errPath = (folder.Path() / "err").string();
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    fcntl(pipeEnds[1], F_SETPIPE_SZ, 4096);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      dup2(pipeEnds[1], 1);
      const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(err, 2);
      close(pipeEnds[0]);
      execl(program.c_str(), program.c_str(), "recover", corpus.imagePath.c_str(), "--all-files",
            "--out", out.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    close(pipeEnds[1]);
    // Wait until the pipe is full, so the program is blocked writing a line.
    int pending = 0;
    for (int i = 0; i < 1000 && pending < 3000; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      ioctl(pipeEnds[0], FIONREAD, &pending);
    }
    ASSERT_GE(pending, 3000);
    std::string text;
    if (c.signal != 0) {
      kill(child, c.signal);
      char buffer[4096];
      for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, got);
    }
    close(pipeEnds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal";
    EXPECT_EQ(WEXITSTATUS(status), c.exitCode);
    std::ifstream errFile(errPath);
    const std::string err((std::istreambuf_iterator<char>(errFile)), {});
    if (c.signal != 0) {
      EXPECT_NE(text.find(" files written, "), std::string::npos) << text;
      EXPECT_NE(err.find("orvande-cli: recovery stopped"), std::string::npos) << err;
      size_t lines = 0;
      for (char ch : text) lines += ch == '\n';
      EXPECT_LT(lines, 200u) << "stopped before the end";
    } else {
      EXPECT_EQ(err.find("cannot write"), std::string::npos) << err;
    }
  }
}

}  // namespace
