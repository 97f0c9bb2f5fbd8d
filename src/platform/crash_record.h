#pragma once
// What the crash handler keeps of the processor state at a fault. On x86-64 the registers are
// that processor's own, 64 bits wide; elsewhere only the instruction, stack and frame pointers
// are filled. A plain value, copied byte for byte into the record file beside the report so that
// the consent process can build its mail from it. Not shared between threads except through the
// handler's single global copy.
#include <cstddef>
#include <cstdint>

namespace orvande::platform {

inline constexpr size_t kCrashDumpWords = 50;
inline constexpr size_t kCrashStackEntries = 200;
// Marks a record file written by this layout.
inline constexpr uint32_t kCrashRecordMagic = 0x4F435231;  // "OCR1"

struct CrashDump {
  uint32_t count = 0;
  uint64_t words[kCrashDumpWords] = {};
};

struct CrashFrame {
  uint64_t returnAddress = 0;
  uint64_t frameAddress = 0;
};

struct CrashRecord {
  uint32_t magic = kCrashRecordMagic;
  uint32_t exceptionCode = 0;
  uint64_t faultAddress = 0;  // the instruction that faulted
  // The signal behind the exception and, for memory faults, the address that was touched.
  int32_t signalNumber = 0;
  int32_t signalCode = 0;
  uint64_t dataAddress = 0;

  uint64_t rax = 0, rcx = 0, rdx = 0, rbx = 0;
  uint64_t rsp = 0, rbp = 0, rsi = 0, rdi = 0;
  uint64_t r8 = 0, r9 = 0, r10 = 0, r11 = 0, r12 = 0, r13 = 0, r14 = 0, r15 = 0;
  uint64_t rip = 0;
  uint32_t es = 0, cs = 0, ss = 0, ds = 0, fs = 0, gs = 0;
  uint64_t eflags = 0;

  CrashDump stackDump;
  CrashDump frameDump;
  CrashDump codeDump;  // each word byte-reversed, so that its hex digits show memory order

  uint32_t frameCount = 0;
  CrashFrame callStack[kCrashStackEntries];
  // Read at the fault address; kUnreadableWord when it could not be read.
  uint64_t faultWord = 0;
};

inline constexpr uint64_t kUnreadableWord = ~uint64_t{0};

}  // namespace orvande::platform
