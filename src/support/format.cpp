#include "support/format.h"

#include <cstdio>

namespace orvande {

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatV(format, args);
  va_end(args);
  return text;
}

std::string FormatV(const char* format, va_list args) {
  if (format == nullptr) return std::string();
  va_list probe;
  va_copy(probe, args);
  int length = std::vsnprintf(nullptr, 0, format, probe);
  va_end(probe);
  if (length <= 0) return std::string();
  std::string text(static_cast<size_t>(length), '\0');
  // The string owns length + 1 bytes, the last being its terminator.
  std::vsnprintf(text.data(), text.size() + 1, format, args);
  return text;
}

}  // namespace orvande
