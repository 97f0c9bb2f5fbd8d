#include "cli/terminal_line.h"

#include <ostream>

namespace orvande::cli {
namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(250);

}  // namespace

bool TerminalLine::TooSoon(std::chrono::steady_clock::time_point now) const {
  return drawnWidth_ != 0 && now - lastDraw_ < kRedrawInterval;
}

void TerminalLine::Draw(std::string text, std::chrono::steady_clock::time_point now) {
  lastDraw_ = now;
  const size_t width = text.size();
  if (text.size() < drawnWidth_) text.append(drawnWidth_ - text.size(), ' ');
  out_ << '\r' << text << std::flush;
  drawnWidth_ = width;
}

void TerminalLine::Clear() {
  if (drawnWidth_ == 0) return;
  out_ << '\r' << std::string(drawnWidth_, ' ') << '\r' << std::flush;
  drawnWidth_ = 0;
}

}  // namespace orvande::cli
