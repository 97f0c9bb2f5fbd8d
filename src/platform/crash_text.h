#pragma once
// Text written from inside a signal handler: a fixed 1024-character buffer that is handed to
// write(2) whenever it fills and when flushed. No allocation, no locale, no stdio.
// Async-signal-safe; one writer per thread.
#include <cstddef>
#include <cstdint>

namespace orvande::platform {

class CrashText {
 public:
  explicit CrashText(int fd) : fd_(fd) {}
  ~CrashText() { Flush(); }
  CrashText(const CrashText&) = delete;
  CrashText& operator=(const CrashText&) = delete;

  CrashText& Add(const char* text);
  CrashText& Add(char c);
  // Upper-case hexadecimal, zero-padded to at least `digits` digits.
  CrashText& Hex(uint64_t value, int digits);
  CrashText& Decimal(int64_t value);
  void Flush();

 private:
  int fd_;
  size_t used_ = 0;
  char buffer_[1024];
};

}  // namespace orvande::platform
