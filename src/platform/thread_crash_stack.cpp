#include "platform/thread_crash_stack.h"

#include <sys/mman.h>
#include <unistd.h>

#include "platform/crash_handler.h"

namespace orvande::platform {
namespace {

size_t PageSize() {
  const long size = sysconf(_SC_PAGESIZE);
  return size > 0 ? static_cast<size_t>(size) : 4096;
}

bool ThreadHasAlternateStack() {
  stack_t current{};
  return sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_DISABLE) == 0;
}

}  // namespace

AlternateSignalStack::AlternateSignalStack() {
  const size_t guard = PageSize();
  void* mapping = mmap(nullptr, guard + kAlternateStackSize, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
  if (mapping == MAP_FAILED) return;
  mapping_ = mapping;
  mappingSize_ = guard + kAlternateStackSize;
  // The stack grows down, towards the guard page: an overrun faults instead of writing past it.
  mprotect(mapping_, guard, PROT_NONE);
  stack_t stack{};
  stack.ss_sp = static_cast<char*>(mapping_) + guard;
  stack.ss_size = kAlternateStackSize;
  installed_ = sigaltstack(&stack, &previous_) == 0;
}

AlternateSignalStack::~AlternateSignalStack() {
  if (installed_) sigaltstack(&previous_, nullptr);
  if (mapping_ != nullptr) munmap(mapping_, mappingSize_);
}

ThreadCrashStack::ThreadCrashStack() {
  if (CrashHandlerInstalled() && !ThreadHasAlternateStack()) stack_.emplace();
}

}  // namespace orvande::platform
