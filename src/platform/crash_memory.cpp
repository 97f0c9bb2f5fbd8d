#include "platform/crash_memory.h"

#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>

namespace orvande::platform {
namespace {

uint64_t ByteReversed(uint64_t word) {
  return __builtin_bswap64(word);
}

}  // namespace

bool ProbeRead(uint64_t address, void* out, size_t size) {
  if (address == 0 || address + size < address) return false;
  // The kernel copies for us and answers EFAULT where a plain load would fault.
  iovec local{out, size};
  iovec remote{reinterpret_cast<void*>(address), size};
  ssize_t copied;
  do {
    copied = process_vm_readv(getpid(), &local, 1, &remote, 1, 0);
  } while (copied < 0 && errno == EINTR);
  return copied == static_cast<ssize_t>(size);
}

void FillDump(uint64_t address, bool byteReversed, CrashDump* dump) {
  dump->count = 0;
  for (size_t i = 0; i < kCrashDumpWords; ++i) {
    uint64_t word = 0;
    if (!ProbeRead(address + i * sizeof word, &word, sizeof word)) break;
    dump->words[i] = byteReversed ? ByteReversed(word) : word;
    dump->count = static_cast<uint32_t>(i + 1);
  }
}

void WalkFrames(uint64_t ip, uint64_t frame, CrashRecord* record) {
  record->frameCount = 0;
  CrashFrame current{ip, frame};
  while (record->frameCount < kCrashStackEntries) {
    record->callStack[record->frameCount++] = current;
    if (current.frameAddress % sizeof(uint64_t) != 0) break;
    uint64_t saved[2];  // the caller's frame, then the return address
    if (!ProbeRead(current.frameAddress, saved, sizeof saved)) break;
    current = CrashFrame{saved[1], saved[0]};
  }
}

}  // namespace orvande::platform
