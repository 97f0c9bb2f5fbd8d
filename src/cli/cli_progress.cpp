#include "cli/cli_progress.h"

#include <algorithm>
#include <ostream>
#include <utility>

namespace orvande::cli {

TerminalProgressBar::TerminalProgressBar(std::ostream& out, std::string label, bool enabled)
    : out_(out), label_(std::move(label)), enabled_(enabled) {}

TerminalProgressBar::~TerminalProgressBar() {
  Finish();
}

void TerminalProgressBar::SetRange(uint32_t low, uint32_t high) {
  std::lock_guard<std::mutex> hold(mutex_);
  low_ = low;
  high_ = high;
  position_ = low;
  DrawLocked();
}

void TerminalProgressBar::SetPosition(uint32_t position) {
  std::lock_guard<std::mutex> hold(mutex_);
  position_ = position;
  DrawLocked();
}

void TerminalProgressBar::SetStep(uint32_t step) {
  std::lock_guard<std::mutex> hold(mutex_);
  step_ = step;
}

void TerminalProgressBar::Step() {
  std::lock_guard<std::mutex> hold(mutex_);
  position_ += step_;
  DrawLocked();
}

void TerminalProgressBar::Advance(uint32_t delta) {
  std::lock_guard<std::mutex> hold(mutex_);
  // Like the platform's bar, the position wraps within 32 bits and is shown clamped.
  position_ += delta;
  DrawLocked();
}

void TerminalProgressBar::DrawLocked() {
  if (!enabled_) return;
  int percent = 0;
  if (high_ > low_) {
    const uint64_t done = position_ <= low_ ? 0 : std::min(position_, high_) - low_;
    percent = static_cast<int>(done * 100 / (uint64_t{high_} - low_));
  }
  if (percent == shownPercent_) return;
  shownPercent_ = percent;
  out_ << '\r' << label_ << ' ' << percent << '%' << std::flush;
  drawn_ = true;
}

void TerminalProgressBar::Finish() {
  std::lock_guard<std::mutex> hold(mutex_);
  if (drawn_) {
    out_ << '\r' << std::string(label_.size() + 6, ' ') << '\r' << std::flush;
    drawn_ = false;
  }
  enabled_ = false;
}

}  // namespace orvande::cli
