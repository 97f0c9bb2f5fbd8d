#include "support/operation_log.h"

#include <cstdarg>

#include "support/prompter.h"
#include "support/string_table.h"
#include "support/system_hooks.h"

namespace orvande {

OperationLog::OperationLog()
    : errorPrefix_(strings::kErrorPrefix), warningPrefix_(strings::kWarningPrefix) {}

void OperationLog::Add(int level, std::string_view text) {
  if (text.empty()) return;
  if (level == kWarning || level == kError) ++flaggedCount_;
  ++lineCount_;
  if (lineCount_ == kMaxLines) {
    lines_.emplace_back(strings::kLogOverflowLine);
    return;
  }
  if (lineCount_ > kMaxLines) return;
  std::string line;
  if (level == kError) {
    line = errorPrefix_;
  } else if (level == kWarning) {
    line = warningPrefix_;
  }
  line.append(text);
  lines_.push_back(std::move(line));
}

void OperationLog::AddFormat(int level, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatV(format, args);
  va_end(args);
  Add(level, text);
}

void OperationLog::AddFormatLine(int level, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatV(format, args);
  va_end(args);
  text.append("\r\n");
  Add(level, text);
}

void OperationLog::AddId(int level, uint32_t id, ...) {
  va_list args;
  va_start(args, id);
  std::string text = FormatV(LoadString(id), args);
  va_end(args);
  Add(level, text);
}

void OperationLog::AddIdLine(int level, uint32_t id, ...) {
  va_list args;
  va_start(args, id);
  std::string text = FormatV(LoadString(id), args);
  va_end(args);
  text.append("\r\n");
  Add(level, text);
}

void OperationLog::AddPlatformError(int level, uint32_t code) {
  if (code == 0) return;
  if (code < kFirstNonPlatformCode) {
    std::string text = PlatformErrorText(code);
    if (!text.empty()) {
      // System texts end with a line break, like the "code=" form below.
      Add(level, text + "\r\n");
      return;
    }
    // No text for this number: the code itself is better than losing the error.
  }
  AddFormat(level, strings::kCodeFormat, code);
}

void OperationLog::AddByteDump(int level, const char* title, const uint8_t* bytes, size_t count) {
  if (title != nullptr && title[0] != '\0') Add(level, title);
  std::string line;
  line.reserve(count * 3 + 2);
  for (size_t i = 0; bytes != nullptr && i < count; ++i) line.append(Format("%02X ", bytes[i]));
  line.append("\r\n");
  Add(level, line);
}

std::string OperationLog::JoinedText() const {
  std::string text;
  for (const std::string& line : lines_) {
    text.append(line).append("\r\n");
    if (text.size() > kMaxShownChars) break;
  }
  return text;
}

void OperationLog::Show(Prompter& prompter) {
  if (flaggedCount_ >= 1) prompter.ShowOperationLog(JoinedText());
  Clear();
}

void OperationLog::Clear() {
  lines_.clear();
  lineCount_ = 0;
  flaggedCount_ = 0;
}

}  // namespace orvande
