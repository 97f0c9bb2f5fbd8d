#pragma once
// The diagnostic trace "_log.txt", written only when the "debug" switch is given. Trace calls on
// a disabled log cost one check. Write errors are ignored. May be used from several threads
// (each call writes its text in one piece).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

#include "support/format.h"

namespace orvande {

class DebugLog {
 public:
  static constexpr const char kDefaultFileName[] = "_log.txt";

  DebugLog() = default;
  ~DebugLog();
  DebugLog(const DebugLog&) = delete;
  DebugLog& operator=(const DebugLog&) = delete;

  // Creates the file anew (in the current folder by default) and enables tracing; false, and
  // tracing stays off, when the file cannot be created.
  bool Enable(const std::string& path = kDefaultFileName);
  void Disable();
  bool IsEnabled() const;

  void Trace(const char* format, ...) ORVANDE_PRINTF(2, 3);
  // The same followed by "\r\n".
  void TraceLine(const char* format, ...) ORVANDE_PRINTF(2, 3);
  // A titled table of 16 bytes a line: offset, hexadecimal bytes, printable characters.
  void TraceHexDump(const char* title, const uint8_t* bytes, size_t count);

 private:
  void Write(const std::string& text);
  mutable std::mutex mutex_;
  std::FILE* file_ = nullptr;
};

// The program's one trace.
DebugLog& TheDebugLog();

}  // namespace orvande
