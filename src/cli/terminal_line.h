#pragma once
// One line of a terminal that is drawn over again and again: each text replaces the last one in
// full, and Clear leaves the line empty for other output. Not thread-safe; its owner locks.
#include <chrono>
#include <cstddef>
#include <iosfwd>
#include <string>

namespace orvande::cli {

class TerminalLine {
 public:
  explicit TerminalLine(std::ostream& out) : out_(out) {}

  // True when a text drawn now would come too soon after the last one (at most four a second).
  bool TooSoon(std::chrono::steady_clock::time_point now) const;
  void Draw(std::string text, std::chrono::steady_clock::time_point now);
  void Clear();

 private:
  std::ostream& out_;
  size_t drawnWidth_ = 0;
  std::chrono::steady_clock::time_point lastDraw_;
};

}  // namespace orvande::cli
