#include "cli/interrupt_scope.h"

#include <atomic>
#include <csignal>

namespace orvande::cli {
namespace {

// The flag the interrupt handler sets; only while a scope is alive.
std::atomic<StopFlag*> interruptFlag{nullptr};

extern "C" void OnInterrupt(int) {
  if (StopFlag* flag = interruptFlag.load()) flag->store(1);
  std::signal(SIGINT, SIG_DFL);
}

}  // namespace

InterruptScope::InterruptScope(StopFlag& flag) {
  interruptFlag.store(&flag);
  previous_ = std::signal(SIGINT, OnInterrupt);
}

InterruptScope::~InterruptScope() {
  std::signal(SIGINT, previous_ == SIG_ERR ? SIG_DFL : previous_);
  interruptFlag.store(nullptr);
}

}  // namespace orvande::cli
