#include "platform/crash_exception.h"

#include <signal.h>
#include <string.h>

namespace orvande::platform {
namespace {

struct NamedCode {
  uint32_t code;
  const char* name;
};

constexpr NamedCode kExceptionNames[] = {
    {0xC0000005, "ACCESS_VIOLATION"},      {0x80000002, "DATATYPE_MISALIGNMENT"},
    {0x80000003, "BREAKPOINT"},            {0x80000004, "SINGLE_STEP"},
    {0xC000008C, "ARRAY_BOUNDS_EXCEEDED"}, {0xC000008D, "FLT_DENORMAL_OPERAND"},
    {0xC000008E, "FLT_DIVIDE_BY_ZERO"},    {0xC000008F, "FLT_INEXACT_RESULT"},
    {0xC0000090, "FLT_INVALID_OPERATION"}, {0xC0000091, "FLT_OVERFLOW"},
    {0xC0000092, "FLT_STACK_CHECK"},       {0xC0000093, "FLT_UNDERFLOW"},
    {0xC0000094, "INT_DIVIDE_BY_ZERO"},    {0xC0000095, "INT_OVERFLOW"},
    {0xC0000096, "PRIV_INSTRUCTION"},      {0xC0000006, "IN_PAGE_ERROR"},
    {0xC000001D, "ILLEGAL_INSTRUCTION"},   {0xC0000025, "NONCONTINUABLE_EXCEPTION"},
    {0xC00000FD, "STACK_OVERFLOW"},        {0xC0000026, "INVALID_DISPOSITION"},
    {0x80000001, "GUARD_PAGE"},            {0xC0000008, "INVALID_HANDLE"},
};

uint32_t FloatingPointCode(int siCode) {
  switch (siCode) {
    case FPE_INTDIV: return 0xC0000094;
    case FPE_INTOVF: return 0xC0000095;
    case FPE_FLTDIV: return 0xC000008E;
    case FPE_FLTOVF: return 0xC0000091;
    case FPE_FLTUND: return 0xC0000093;
    case FPE_FLTRES: return 0xC000008F;
    case FPE_FLTSUB: return 0xC000008C;
    default: return 0xC0000090;
  }
}

}  // namespace

uint32_t ExceptionCodeOfSignal(int signo, int siCode) {
  switch (signo) {
    case SIGSEGV: return kExceptionAccessViolation;
    case SIGBUS: return siCode == BUS_ADRALN ? 0x80000002 : 0xC0000006;
    case SIGFPE: return FloatingPointCode(siCode);
    case SIGILL:
      return siCode == ILL_PRVOPC || siCode == ILL_PRVREG ? 0xC0000096 : 0xC000001D;
    case SIGTRAP: return siCode == TRAP_TRACE ? 0x80000004 : 0x80000003;
    default: return kExceptionSignalBase + static_cast<uint32_t>(signo);
  }
}

const char* ExceptionName(uint32_t code) {
  for (const NamedCode& entry : kExceptionNames) {
    if (entry.code == code) return entry.name;
  }
  if (code > kExceptionSignalBase && code < kExceptionSignalBase + 128) {
    // A pointer into the C library's constant table: no allocation, no locale.
    const char* description = sigdescr_np(static_cast<int>(code - kExceptionSignalBase));
    if (description != nullptr) return description;
  }
  return "";
}

}  // namespace orvande::platform
