#pragma once
// The exception code and name a fatal signal is reported under. The codes are the ones the
// crash report has always carried, so that reports from every platform read alike. All
// functions are async-signal-safe.
#include <cstdint>

namespace orvande::platform {

inline constexpr uint32_t kExceptionAccessViolation = 0xC0000005;
// Signals with no code of their own (an abort, for one) are reported as this base plus the
// signal number and named by the system's description of the signal.
inline constexpr uint32_t kExceptionSignalBase = 0xE0000000;

// The code for signal signo raised with si_code.
uint32_t ExceptionCodeOfSignal(int signo, int siCode);

// The name of a code: its entry in the exception table, else the system's description of the
// signal behind a kExceptionSignalBase code, else "".
const char* ExceptionName(uint32_t code);

}  // namespace orvande::platform
