#pragma once
// Alternate signal stacks for the crash handler. A signal is delivered on the stack it
// interrupted unless the thread has an alternate stack, and a thread that overflowed its stack
// has no room left there for the handler. The alternate stack belongs to one thread (sigaltstack
// acts on the calling thread only), so each object is made and destroyed on the same thread.
#include <signal.h>

#include <cstddef>
#include <optional>

namespace orvande::platform {

// Room for the crash handler, which keeps its large data outside the stack.
inline constexpr size_t kAlternateStackSize = 256 * 1024;

// Gives the calling thread an alternate stack of kAlternateStackSize with an unreadable guard
// page below it, for as long as the object lives; then puts the thread's previous one back.
class AlternateSignalStack {
 public:
  AlternateSignalStack();
  ~AlternateSignalStack();
  AlternateSignalStack(const AlternateSignalStack&) = delete;
  AlternateSignalStack& operator=(const AlternateSignalStack&) = delete;

  // False when no memory could be had; the thread then keeps the stack it had.
  bool Installed() const { return installed_; }

 private:
  void* mapping_ = nullptr;
  size_t mappingSize_ = 0;
  stack_t previous_ = {};
  bool installed_ = false;
};

// The first thing a worker thread makes: while the crash handler is installed, the thread gets an
// alternate stack of its own, so that a stack overflow on it is still reported. A thread that has
// one already (a sanitizer's runtime gives every thread one) keeps it.
class ThreadCrashStack {
 public:
  ThreadCrashStack();

  bool Installed() const { return stack_.has_value() && stack_->Installed(); }

 private:
  std::optional<AlternateSignalStack> stack_;
};

}  // namespace orvande::platform
