#include "platform/crash_handler.h"

#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <ucontext.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/crash_exception.h"
#include "platform/crash_memory.h"
#include "platform/crash_record.h"
#include "platform/crash_report_file.h"
#include "platform/thread_crash_stack.h"

extern char** environ;

namespace orvande::platform {
namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr size_t kSignalCount = sizeof kFatalSignals / sizeof kFatalSignals[0];
// How often a thread that faulted while another one reports looks whether the report is done.
constexpr timespec kReportWaitStep = {0, 10'000'000};
// How many of those steps it waits for the report's files at most: the reporting thread may be
// stuck behind a lock the waiting thread holds (the loader's, say), and then nothing would end.
constexpr int kMostStepsBeforeFilesWritten = 1000;

// Everything the handler reads, built before any fault and left alone while installed.
struct HandlerState {
  CrashHandlerSetup setup;
  std::string recordPath;
  std::vector<char*> consentArgv;  // into setup's strings, null-terminated
  struct sigaction previous[kSignalCount] = {};
  AlternateSignalStack mainThreadStack;  // the installing thread's
};

std::unique_ptr<HandlerState> g_owner;
// What the handler reads: g_owner while installed. Worker threads ask for it when they start.
std::atomic<HandlerState*> g_state{nullptr};
// One global record, written by the first thread that faults.
CrashRecord g_record;
std::atomic<bool> g_offerMail{false};
// The thread that reports the crash (0 until one faults), and whether it has finished: the
// report, the record and the consent process's answer. A fault on another thread meanwhile
// waits for it.
std::atomic<pid_t> g_reportingThread{0};
std::atomic<bool> g_reportFinished{false};
std::atomic<bool> g_reportFilesWritten{false};

void BuildConsentArgv(HandlerState& state) {
  state.consentArgv.clear();
  for (std::string& part : state.setup.consentCommand) state.consentArgv.push_back(part.data());
  if (!state.consentArgv.empty()) state.consentArgv.push_back(state.setup.reportPath.data());
  state.consentArgv.push_back(nullptr);
}

void FillRegisters(const ucontext_t* context, CrashRecord* r) {
#if defined(__x86_64__)
  const greg_t* g = context->uc_mcontext.gregs;
  r->rax = static_cast<uint64_t>(g[REG_RAX]);
  r->rcx = static_cast<uint64_t>(g[REG_RCX]);
  r->rdx = static_cast<uint64_t>(g[REG_RDX]);
  r->rbx = static_cast<uint64_t>(g[REG_RBX]);
  r->rsp = static_cast<uint64_t>(g[REG_RSP]);
  r->rbp = static_cast<uint64_t>(g[REG_RBP]);
  r->rsi = static_cast<uint64_t>(g[REG_RSI]);
  r->rdi = static_cast<uint64_t>(g[REG_RDI]);
  r->r8 = static_cast<uint64_t>(g[REG_R8]);
  r->r9 = static_cast<uint64_t>(g[REG_R9]);
  r->r10 = static_cast<uint64_t>(g[REG_R10]);
  r->r11 = static_cast<uint64_t>(g[REG_R11]);
  r->r12 = static_cast<uint64_t>(g[REG_R12]);
  r->r13 = static_cast<uint64_t>(g[REG_R13]);
  r->r14 = static_cast<uint64_t>(g[REG_R14]);
  r->r15 = static_cast<uint64_t>(g[REG_R15]);
  r->rip = static_cast<uint64_t>(g[REG_RIP]);
  r->eflags = static_cast<uint64_t>(g[REG_EFL]);
  // cs, gs, fs and ss share one word; ds and es are not kept in 64-bit mode.
  const auto segments = static_cast<uint64_t>(g[REG_CSGSFS]);
  r->cs = static_cast<uint32_t>(segments & 0xFFFF);
  r->gs = static_cast<uint32_t>((segments >> 16) & 0xFFFF);
  r->fs = static_cast<uint32_t>((segments >> 32) & 0xFFFF);
  r->ss = static_cast<uint32_t>((segments >> 48) & 0xFFFF);
#elif defined(__aarch64__)
  r->rip = context->uc_mcontext.pc;
  r->rsp = context->uc_mcontext.sp;
  r->rbp = context->uc_mcontext.regs[29];
  r->eflags = context->uc_mcontext.pstate;
#else
  (void)context;
  (void)r;
#endif
}

void FillRecord(int signo, const siginfo_t* info, const ucontext_t* context, CrashRecord* r) {
  *r = CrashRecord{};
  r->signalNumber = signo;
  r->signalCode = info != nullptr ? info->si_code : 0;
  r->dataAddress = info != nullptr ? reinterpret_cast<uint64_t>(info->si_addr) : 0;
  r->exceptionCode = ExceptionCodeOfSignal(signo, r->signalCode);
  if (context != nullptr) FillRegisters(context, r);
  r->faultAddress = r->rip;
  FillDump(r->rsp, false, &r->stackDump);
  FillDump(r->rbp, false, &r->frameDump);
  FillDump(r->rip, true, &r->codeDump);
  WalkFrames(r->rip, r->rbp, r);
  if (!ProbeRead(r->faultAddress, &r->faultWord, sizeof r->faultWord))
    r->faultWord = kUnreadableWord;
}

// Starts the consent process and waits until the user has answered it.
void RunConsentProcess(const HandlerState& state) {
  if (state.consentArgv.size() < 2) return;
  const pid_t child = vfork();
  if (child == 0) {
    execve(state.consentArgv[0], state.consentArgv.data(), environ);
    _exit(127);
  }
  if (child < 0) return;
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
}

int SignalIndex(int signo) {
  for (size_t i = 0; i < kSignalCount; ++i) {
    if (kFatalSignals[i] == signo) return static_cast<int>(i);
  }
  return -1;
}

// Hands the signal on as if the handler had not been there.
void PassOn(int signo, siginfo_t* info, void* context) {
  const int index = SignalIndex(signo);
  HandlerState* state = g_state.load();
  const struct sigaction* previous =
      state != nullptr && index >= 0 ? &state->previous[index] : nullptr;
  if (previous != nullptr && (previous->sa_flags & SA_SIGINFO) != 0 &&
      previous->sa_sigaction != nullptr) {
    previous->sa_sigaction(signo, info, context);
    return;
  }
  if (previous != nullptr && previous->sa_handler != SIG_DFL && previous->sa_handler != SIG_IGN &&
      previous->sa_handler != nullptr) {
    previous->sa_handler(signo);
    return;
  }
  // Default action: the signal is blocked while we run, so it is taken as we return (a fault
  // would also recur at the faulting instruction).
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(signo, &fallback, nullptr);
  raise(signo);
}

// Writes the report and the record. The mail is built from the record, so it is offered only
// when the record of this crash was written.
void ReportCrash(const HandlerState& state, int signo, const siginfo_t* info, const void* context) {
  FillRecord(signo, info, static_cast<const ucontext_t*>(context), &g_record);
  const CrashReportFacts facts{state.setup.osText.c_str(), state.setup.programPath.c_str(),
                               state.setup.additionalText.c_str()};
  WriteCrashReportFile(state.setup.reportPath.c_str(), g_record, facts);
  const bool recorded = WriteCrashRecordFile(state.recordPath.c_str(), g_record);
  g_reportFilesWritten.store(true);
  if (recorded && g_offerMail.load()) RunConsentProcess(state);
  g_offerMail.store(true);
}

// Passing the signal on at once would end the process under the reporting thread's feet. A
// second fault on the reporting thread itself cannot wait for it.
void WaitForReportOfOtherThread(pid_t self) {
  for (int step = 0; g_reportingThread.load() != self && !g_reportFinished.load(); ++step) {
    if (step >= kMostStepsBeforeFilesWritten && !g_reportFilesWritten.load()) return;
    nanosleep(&kReportWaitStep, nullptr);
  }
}

void OnFatalSignal(int signo, siginfo_t* info, void* context) {
  const int savedErrno = errno;
  const pid_t self = gettid();
  pid_t noneYet = 0;
  HandlerState* state = g_state.load();
  if (state != nullptr && g_reportingThread.compare_exchange_strong(noneYet, self)) {
    ReportCrash(*state, signo, info, context);
    g_reportFinished.store(true);
  } else if (state != nullptr) {
    WaitForReportOfOtherThread(self);
  }
  errno = savedErrno;
  PassOn(signo, info, context);
}

}  // namespace

void InstallCrashHandler(const CrashHandlerSetup& setup) {
  if (g_state.load() != nullptr) UninstallCrashHandler();
  g_owner = std::make_unique<HandlerState>();
  HandlerState* state = g_owner.get();
  state->setup = setup;
  state->recordPath = CrashRecordPath(setup.reportPath);
  BuildConsentArgv(*state);

  struct sigaction action {};
  action.sa_sigaction = &OnFatalSignal;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  g_reportingThread.store(0);
  g_reportFinished.store(false);
  g_reportFilesWritten.store(false);
  g_offerMail.store(true);
  g_state.store(state);
  for (size_t i = 0; i < kSignalCount; ++i)
    sigaction(kFatalSignals[i], &action, &state->previous[i]);
}

void UninstallCrashHandler() {
  HandlerState* state = g_state.load();
  if (state == nullptr) return;
  for (size_t i = 0; i < kSignalCount; ++i)
    sigaction(kFatalSignals[i], &state->previous[i], nullptr);
  g_state.store(nullptr);
  g_owner.reset();  // puts the installing thread's previous alternate stack back
}

bool CrashHandlerInstalled() {
  return g_state.load() != nullptr;
}

std::string CurrentProgramPath() {
  char buffer[4096];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

void SetCrashReportPath(const std::string& path) {
  HandlerState* state = g_state.load();
  if (state == nullptr) return;
  // Block the fatal signals while the strings change under the handler's feet.
  sigset_t blocked, previous;
  sigemptyset(&blocked);
  for (int signo : kFatalSignals) sigaddset(&blocked, signo);
  pthread_sigmask(SIG_BLOCK, &blocked, &previous);
  state->setup.reportPath = path;
  state->recordPath = CrashRecordPath(path);
  BuildConsentArgv(*state);
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

}  // namespace orvande::platform
