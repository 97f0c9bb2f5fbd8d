#pragma once
// Collects the warnings and errors of one long operation and shows them when it ends, but only
// when at least one warning or error was added. Used by the one thread that runs the operation.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/format.h"

namespace orvande {

class Prompter;

class OperationLog {
 public:
  enum Level : int { kPlain = 0, kWarning = 1, kError = 2 };

  // The line that the log keeps in place of its last one; later lines are only counted.
  static constexpr uint32_t kMaxLines = 512;
  // Showing stops after the line that takes the text past this many characters.
  static constexpr size_t kMaxShownChars = 16384;
  // Codes from here up are not platform error numbers and have no system text.
  static constexpr uint32_t kFirstNonPlatformCode = 65000;

  OperationLog();

  // Appends prefix + text; an empty text adds nothing.
  void Add(int level, std::string_view text);
  void AddFormat(int level, const char* format, ...) ORVANDE_PRINTF(3, 4);
  void AddFormatLine(int level, const char* format, ...) ORVANDE_PRINTF(3, 4);
  // The string-table text of the id is the format.
  void AddId(int level, uint32_t id, ...);
  void AddIdLine(int level, uint32_t id, ...);
  // An error line with the system's text for a platform error code; 0 adds nothing.
  void AddPlatformError(uint32_t code) { AddPlatformError(kError, code); }
  // The same at another level.
  void AddPlatformError(int level, uint32_t code);
  // An optional title line, then one line of "%02X " per byte followed by "\r\n".
  void AddByteDump(int level, const char* title, const uint8_t* bytes, size_t count);

  // Shows the text through the prompter when a warning or error was added, then empties the log.
  void Show(Prompter& prompter);
  void Clear();

  // Lines added so far, dropped ones included.
  uint32_t LineCount() const { return lineCount_; }
  // Lines added at warning or error level.
  uint32_t FlaggedCount() const { return flaggedCount_; }
  const std::vector<std::string>& Lines() const { return lines_; }
  // The text Show would display (regardless of the flagged count).
  std::string JoinedText() const;

 private:
  std::vector<std::string> lines_;
  uint32_t lineCount_ = 0;
  uint32_t flaggedCount_ = 0;
  std::string errorPrefix_;
  std::string warningPrefix_;
};

}  // namespace orvande
