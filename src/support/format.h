#pragma once
// printf-style formatting into std::string. The attribute lets -Wformat check every call whose
// format is a literal. Safe to use from any thread.
#include <cstdarg>
#include <string>

#define ORVANDE_PRINTF(formatIndex, firstArgument) \
  __attribute__((format(printf, formatIndex, firstArgument)))

namespace orvande {

std::string Format(const char* format, ...) ORVANDE_PRINTF(1, 2);
std::string FormatV(const char* format, va_list args) ORVANDE_PRINTF(1, 0);

}  // namespace orvande
