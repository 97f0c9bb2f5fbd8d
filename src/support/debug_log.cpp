#include "support/debug_log.h"

#include <cstdarg>

namespace orvande {
namespace {

constexpr size_t kBytesPerLine = 16;
constexpr const char kHexHeader[] = "     00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F  ";
constexpr size_t kRuleLength = 71;

void AppendDumpLine(std::string& out, size_t offset, const uint8_t* bytes, size_t count) {
  out.append(Format("%04zx ", offset));
  for (size_t i = 0; i < kBytesPerLine; ++i) {
    out.append(i < count ? Format("%02X ", bytes[i]) : std::string("   "));
  }
  out.append("  ");
  for (size_t i = 0; i < count; ++i) {
    bool printable = bytes[i] >= 32 && bytes[i] <= 127;
    out.push_back(printable ? static_cast<char>(bytes[i]) : '.');
  }
  out.append("\r\n");
}

}  // namespace

DebugLog::~DebugLog() {
  Disable();
}

bool DebugLog::Enable(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (file_ != nullptr) std::fclose(file_);
  file_ = std::fopen(path.c_str(), "wb");
  return file_ != nullptr;
}

void DebugLog::Disable() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

bool DebugLog::IsEnabled() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return file_ != nullptr;
}

void DebugLog::Write(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (file_ == nullptr) return;
  std::fwrite(text.data(), 1, text.size(), file_);
  // Flushed at once: the trace matters most when the program is about to die.
  std::fflush(file_);
}

void DebugLog::Trace(const char* format, ...) {
  if (!IsEnabled()) return;
  va_list args;
  va_start(args, format);
  std::string text = FormatV(format, args);
  va_end(args);
  Write(text);
}

void DebugLog::TraceLine(const char* format, ...) {
  if (!IsEnabled()) return;
  va_list args;
  va_start(args, format);
  std::string text = FormatV(format, args);
  va_end(args);
  text.append("\r\n");
  Write(text);
}

void DebugLog::TraceHexDump(const char* title, const uint8_t* bytes, size_t count) {
  if (!IsEnabled()) return;
  if (bytes == nullptr) count = 0;
  std::string out("\r\n");
  if (title != nullptr) out.append(title).append("\r\n");
  out.append(kHexHeader).append("\r\n");
  out.append(kRuleLength, '-').append("\r\n");
  size_t offset = 0;
  for (; count - offset >= kBytesPerLine; offset += kBytesPerLine) {
    AppendDumpLine(out, offset, bytes + offset, kBytesPerLine);
  }
  if (offset < count) AppendDumpLine(out, offset, bytes + offset, count - offset);
  out.append("\r\n");
  Write(out);
}

DebugLog& TheDebugLog() {
  static DebugLog log;
  return log;
}

}  // namespace orvande
