// The crash handler in a child process that faults on purpose (on its main thread, on workers,
// and over what an earlier crash left behind), and the fault-proof reads behind its dumps and
// call stack.
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "platform/crash_exception.h"
#include "platform/crash_handler.h"
#include "platform/crash_memory.h"
#include "platform/crash_report_file.h"
#include "platform/thread_crash_stack.h"
#include "common/temp_folder.h"

namespace orvande::platform {
namespace {

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Kept out of line and with frame pointers (see CMakeLists), so that the walk has frames.
[[gnu::noinline]] void Fault(int kind) {
  volatile int zero = 0;
  volatile int seven = 7;  // 1 / x would be turned into a compare without a division
  volatile int* nowhere = nullptr;
  switch (kind) {
    case SIGSEGV: *nowhere = 1; break;
    case SIGFPE: zero = seven / zero; break;
    case SIGILL: __builtin_trap();
    default: abort();
  }
}
[[gnu::noinline]] void CallFault(int kind) {
  Fault(kind);
  asm volatile("");  // keeps the call from becoming a jump
}

// Every call keeps a frame of its own and reads it after the next call returns, so the compiler
// can make neither a loop nor a jump of it; the depth is never reached.
[[gnu::noinline]] int Recurse(size_t depth) {
  volatile char frame[512];
  frame[0] = static_cast<char>(depth);
  if (depth == 0) return frame[0];
  return Recurse(depth - 1) + frame[0];
}
[[gnu::noinline]] void OverflowTheStack() {
  volatile size_t endless = SIZE_MAX;
  Recurse(endless);
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitizerOwnsFatalSignals = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kSanitizerOwnsFatalSignals = true;
#else
constexpr bool kSanitizerOwnsFatalSignals = false;
#endif
#else
constexpr bool kSanitizerOwnsFatalSignals = false;
#endif
// Under a sanitizer the runtime catches the fault first (UBSan ends the process on the null
// store and the division, ASan installs its own fatal-signal handlers and alternate stack), so
// the handler under test never sees the signal it is built for.
constexpr char kSanitizerSkip[] = "the sanitizer runtime owns the fatal signals";

// A folder for the report, with a consent command that notes that it started, waits
// consentSeconds, then records its arguments; and a forked child that installs the crash handler
// there and runs code that crashes it.
class CrashChildRun {
 public:
  explicit CrashChildRun(const std::string& consentSeconds = "0") : folder_("crash") {
    std::ofstream(Script()) << "#!/bin/sh\n: > '" << Started().string() << "'\nsleep "
                            << consentSeconds << "\necho \"$@\" > '" << Answered().string()
                            << "'\n";
    std::filesystem::permissions(Script(), std::filesystem::perms::owner_all);
  }

  // The child's wait status.
  int Run(const std::function<void()>& crash) const {
    const pid_t child = fork();
    if (child == 0) {
      CrashHandlerSetup setup;
      setup.reportPath = Report().string();
      setup.osText = "Linux test";
      setup.programPath = CurrentProgramPath();
      setup.consentCommand = {Script().string(), "--crash-report"};
      InstallCrashHandler(setup);
      crash();
      _exit(0);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) ADD_FAILURE() << "no crash child";
    return status;
  }

  std::filesystem::path operator/(const std::string& name) const { return folder_ / name; }
  std::filesystem::path Report() const { return folder_ / "CrashReport.txt"; }
  std::filesystem::path Record() const { return CrashRecordPath(Report().string()); }
  bool ConsentStarted() const { return std::filesystem::exists(Started()); }
  // What the consent command was given; empty when it was not run, or has not finished.
  std::string ConsentArguments() const { return ReadAll(Answered()); }
  std::string ExpectedConsentArguments() const {
    return "--crash-report " + Report().string() + "\n";
  }

 private:
  std::filesystem::path Script() const { return folder_ / "consent.sh"; }
  std::filesystem::path Started() const { return folder_ / "consent-started"; }
  std::filesystem::path Answered() const { return folder_ / "consent-args"; }

  test::TempFolder folder_;
};

struct FaultCase {
  int signo;
  const char* exceptionLine;
};

class CrashChild : public ::testing::TestWithParam<FaultCase> {};

TEST_P(CrashChild, WritesReportAndRecordThenAsksForConsent) {
  if (kSanitizerOwnsFatalSignals) GTEST_SKIP() << kSanitizerSkip;
  const CrashChildRun run;
  const int signo = GetParam().signo;
  const int status = run.Run([signo] { CallFault(signo); });
  ASSERT_TRUE(WIFSIGNALED(status)) << "the signal must still end the process";
  EXPECT_EQ(WTERMSIG(status), GetParam().signo);

  const std::string text = ReadAll(run.Report());
  EXPECT_NE(text.find(GetParam().exceptionLine), std::string::npos) << text;
  EXPECT_NE(text.find("OS : Linux test\n"), std::string::npos);
  for (const char* part : {"\nRAX:", "\nR15:", "\nCS:RIP:", "\nRSP dump:\n0x", "\nCall stack:\n",
                           "List of loaded modules:"})
    EXPECT_NE(text.find(part), std::string::npos) << part;
  EXPECT_EQ(run.ConsentArguments(), run.ExpectedConsentArguments());

  CrashRecord record;
  ASSERT_TRUE(ReadCrashRecordFile(run.Record().string(), &record));
  EXPECT_EQ(record.signalNumber, GetParam().signo);
  EXPECT_EQ(record.callStack[0].returnAddress, record.rip);
  EXPECT_GE(record.frameCount, 2u) << "the walk should reach the caller of the faulting function";
  EXPECT_GT(record.stackDump.count, 0u);
  EXPECT_GT(record.codeDump.count, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CrashChild,
    ::testing::Values(FaultCase{SIGSEGV, "Exception code: C0000005 ACCESS_VIOLATION\n"},
                      FaultCase{SIGFPE, "Exception code: C0000094 INT_DIVIDE_BY_ZERO\n"},
                      FaultCase{SIGILL, "Exception code: C000001D ILLEGAL_INSTRUCTION\n"},
                      FaultCase{SIGABRT, "Exception code: E0000006 Aborted\n"}));

TEST(CrashChildThreads, AWorkerThatOverflowsItsStackIsReportedOnItsOwnAlternateStack) {
  if (kSanitizerOwnsFatalSignals) GTEST_SKIP() << kSanitizerSkip;
  const CrashChildRun run;
  const int status = run.Run([] {
    std::thread worker([] {
      const ThreadCrashStack crashStack;
      OverflowTheStack();
    });
    worker.join();
  });
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGSEGV);
  const std::string text = ReadAll(run.Report());
  EXPECT_NE(text.find("Exception code: C0000005 ACCESS_VIOLATION\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Stack Overflow."), std::string::npos) << text;
  EXPECT_EQ(run.ConsentArguments(), run.ExpectedConsentArguments());
}

TEST(CrashChildThreads, ASecondFaultingThreadWaitsUntilTheFirstReportIsAnswered) {
  if (kSanitizerOwnsFatalSignals) GTEST_SKIP() << kSanitizerSkip;
  const CrashChildRun run("0.5");
  const int status = run.Run([&run] {
    std::thread second([&run] {
      for (int i = 0; i < 5000 && !run.ConsentStarted(); ++i) usleep(1000);
      CallFault(SIGFPE);
    });
    CallFault(SIGSEGV);
    second.join();
  });
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(run.ConsentArguments(), run.ExpectedConsentArguments())
      << "the process ended before the consent process was answered";
  CrashRecord record;
  ASSERT_TRUE(ReadCrashRecordFile(run.Record().string(), &record));
  EXPECT_EQ(record.signalNumber, SIGSEGV) << "the second fault leaves the first record alone";
}

// What an earlier crash, or another user, left at the report's names.
struct LeftoverCase {
  const char* what;
  void (*leave)(const CrashChildRun& run);
  bool consentAsked;
};
void PrintTo(const LeftoverCase& leftover, std::ostream* out) {
  *out << leftover.what;
}

class CrashChildLeftovers : public ::testing::TestWithParam<LeftoverCase> {};

TEST_P(CrashChildLeftovers, AreNeverWrittenThroughAndTheMailNeedsThisCrashsRecord) {
  if (kSanitizerOwnsFatalSignals) GTEST_SKIP() << kSanitizerSkip;
  const CrashChildRun run;
  const auto elsewhere = run / "elsewhere";
  std::ofstream(elsewhere) << "not the report";
  GetParam().leave(run);
  run.Run([] { CallFault(SIGSEGV); });

  EXPECT_EQ(ReadAll(elsewhere), "not the report");
  EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(run.Report())));
  EXPECT_NE(ReadAll(run.Report()).find("ACCESS_VIOLATION"), std::string::npos);
  EXPECT_EQ(run.ConsentArguments(),
            GetParam().consentAsked ? run.ExpectedConsentArguments() : std::string());
}

INSTANTIATE_TEST_SUITE_P(
    Leftovers, CrashChildLeftovers,
    ::testing::Values(
        LeftoverCase{"a link at the report's name",
                     [](const CrashChildRun& run) {
                       std::filesystem::create_symlink(run / "elsewhere", run.Report());
                     },
                     true},
        LeftoverCase{"a link at the record's name",
                     [](const CrashChildRun& run) {
                       std::filesystem::create_symlink(run / "elsewhere", run.Record());
                     },
                     true},
        LeftoverCase{"a record that cannot be removed",
                     [](const CrashChildRun& run) {
                       std::filesystem::create_directory(run.Record());
                       std::ofstream(run.Record() / "inside") << "keeps the folder";
                     },
                     false}));

TEST(AlternateSignalStack, IsTheThreadsUntilItGoesAndThenThePreviousOneIsBack) {
  std::thread([] {
    stack_t before{}, during{}, after{};
    sigaltstack(nullptr, &before);
    {
      const AlternateSignalStack stack;
      ASSERT_TRUE(stack.Installed());
      sigaltstack(nullptr, &during);
    }
    sigaltstack(nullptr, &after);
    EXPECT_EQ(during.ss_size, kAlternateStackSize);
    EXPECT_EQ(during.ss_flags & SS_DISABLE, 0);
    EXPECT_EQ(after.ss_sp, before.ss_sp);
    EXPECT_EQ(after.ss_size, before.ss_size);
    EXPECT_EQ(after.ss_flags, before.ss_flags);
  }).join();
}

// Two pages, the second made unreadable: reads that cross into it must fail, not fault.
class GuardedPages {
 public:
  GuardedPages() : size_(static_cast<size_t>(sysconf(_SC_PAGESIZE))) {
    base_ = static_cast<char*>(
        mmap(nullptr, 2 * size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    mprotect(base_ + size_, size_, PROT_NONE);
  }
  ~GuardedPages() { munmap(base_, 2 * size_); }
  // The address `words` 64-bit words before the unreadable page.
  uint64_t WordsBeforeEnd(size_t words) const {
    return reinterpret_cast<uint64_t>(base_ + size_ - words * 8);
  }
  uint64_t* At(uint64_t address) const { return reinterpret_cast<uint64_t*>(address); }

 private:
  size_t size_;
  char* base_;
};

TEST(CrashMemory, DumpsStopAtTheFirstUnreadableWordAndTheCodeDumpIsByteReversed) {
  GuardedPages pages;
  const uint64_t start = pages.WordsBeforeEnd(3);
  *pages.At(start) = 0x1122334455667788;
  CrashDump dump;
  FillDump(start, false, &dump);
  EXPECT_EQ(dump.count, 3u);
  EXPECT_EQ(dump.words[0], 0x1122334455667788u);
  FillDump(start, true, &dump);
  EXPECT_EQ(dump.words[0], 0x8877665544332211u);
  uint64_t word;
  EXPECT_FALSE(ProbeRead(pages.WordsBeforeEnd(0), &word, sizeof word));
  EXPECT_FALSE(ProbeRead(0, &word, sizeof word));
}

TEST(CrashMemory, FrameWalkStopsAtUnreadableOddOrEndlessChains) {
  GuardedPages pages;
  alignas(8) uint64_t frames[6] = {};
  auto address = [&](int i) { return reinterpret_cast<uint64_t>(&frames[i]); };
  CrashRecord record;

  // frame 0 -> frame 2 -> a frame in the unreadable page: three entries.
  frames[0] = address(2), frames[1] = 0xA1;
  frames[2] = pages.WordsBeforeEnd(0), frames[3] = 0xA2;
  WalkFrames(0xF0, address(0), &record);
  ASSERT_EQ(record.frameCount, 3u);
  EXPECT_EQ(record.callStack[0].returnAddress, 0xF0u);
  EXPECT_EQ(record.callStack[1].returnAddress, 0xA1u);
  EXPECT_EQ(record.callStack[2].returnAddress, 0xA2u);
  EXPECT_EQ(record.callStack[2].frameAddress, pages.WordsBeforeEnd(0));

  // An odd next frame is kept as an entry, and the walk ends there.
  frames[2] = address(4) + 1;
  WalkFrames(0xF0, address(0), &record);
  ASSERT_EQ(record.frameCount, 3u);
  EXPECT_EQ(record.callStack[2].frameAddress, address(4) + 1);

  // A frame that points at itself ends at the entry limit.
  frames[0] = address(0);
  WalkFrames(0xF0, address(0), &record);
  EXPECT_EQ(record.frameCount, kCrashStackEntries);
}

TEST(CrashException, SignalsMapToTheirCodesAndNames) {
  struct Case {
    int signo, siCode;
    uint32_t code;
    const char* name;
  } cases[] = {
      {SIGSEGV, SEGV_MAPERR, 0xC0000005, "ACCESS_VIOLATION"},
      {SIGBUS, BUS_ADRALN, 0x80000002, "DATATYPE_MISALIGNMENT"},
      {SIGBUS, BUS_ADRERR, 0xC0000006, "IN_PAGE_ERROR"},
      {SIGFPE, FPE_FLTDIV, 0xC000008E, "FLT_DIVIDE_BY_ZERO"},
      {SIGILL, ILL_PRVOPC, 0xC0000096, "PRIV_INSTRUCTION"},
      {SIGABRT, SI_TKILL, kExceptionSignalBase + SIGABRT, "Aborted"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExceptionCodeOfSignal(c.signo, c.siCode), c.code) << c.name;
    EXPECT_STREQ(ExceptionName(c.code), c.name);
  }
  EXPECT_STREQ(ExceptionName(0x12345678), "");
}

}  // namespace
}  // namespace orvande::platform
