#include "cli/interrupt_scope.h"

#include <atomic>
#include <csignal>

namespace orvande::cli {
namespace {

// The flag the handler sets; only while a scope is alive.
std::atomic<StopFlag*> interruptFlag{nullptr};
std::atomic<int> caughtSignal{0};

extern "C" void OnStopSignal(int signal) {
  int none = 0;
  caughtSignal.compare_exchange_strong(none, signal);
  if (StopFlag* flag = interruptFlag.load()) flag->store(1);
  std::signal(signal, SIG_DFL);
}

using Handler = void (*)(int);

void Restore(int signal, Handler previous) {
  std::signal(signal, previous == SIG_ERR ? SIG_DFL : previous);
}

}  // namespace

InterruptScope::InterruptScope(StopFlag& flag) {
  caughtSignal.store(0);
  interruptFlag.store(&flag);
  previousInterrupt_ = std::signal(SIGINT, OnStopSignal);
  previousTerminate_ = std::signal(SIGTERM, OnStopSignal);
#ifdef SIGHUP
  previousHangUp_ = std::signal(SIGHUP, OnStopSignal);
#else
  previousHangUp_ = SIG_DFL;
#endif
#ifdef SIGPIPE
  previousPipe_ = std::signal(SIGPIPE, SIG_IGN);
#else
  previousPipe_ = SIG_DFL;
#endif
}

InterruptScope::~InterruptScope() {
  Restore(SIGINT, previousInterrupt_);
  Restore(SIGTERM, previousTerminate_);
#ifdef SIGHUP
  Restore(SIGHUP, previousHangUp_);
#endif
#ifdef SIGPIPE
  Restore(SIGPIPE, previousPipe_);
#endif
  interruptFlag.store(nullptr);
}

void InterruptScope::Watch(StopFlag& flag) {
  interruptFlag.store(&flag);
  if (caughtSignal.load() != 0) flag.store(1);
}

int InterruptScope::CaughtSignal() {
  return caughtSignal.load();
}

}  // namespace orvande::cli
