#include "cli/cli_progress.h"

#include <algorithm>
#include <utility>

namespace orvande::cli {

TerminalProgressBar::TerminalProgressBar(std::ostream& out, std::string label, bool enabled)
    : line_(out), label_(std::move(label)), enabled_(enabled) {}

TerminalProgressBar::~TerminalProgressBar() {
  Finish();
}

void TerminalProgressBar::SetRange(uint32_t low, uint32_t high) {
  std::lock_guard<std::mutex> hold(mutex_);
  low_ = low;
  high_ = high;
  position_ = low;
  rangeStart_ = Clock::now();
  RangeStartedLocked();
  DrawLocked(true);
}

void TerminalProgressBar::SetPosition(uint32_t position) {
  std::lock_guard<std::mutex> hold(mutex_);
  position_ = position;
  DrawLocked(false);
}

void TerminalProgressBar::SetStep(uint32_t step) {
  std::lock_guard<std::mutex> hold(mutex_);
  step_ = step;
}

void TerminalProgressBar::Step() {
  std::lock_guard<std::mutex> hold(mutex_);
  position_ += step_;
  DrawLocked(false);
}

void TerminalProgressBar::Advance(uint32_t delta) {
  std::lock_guard<std::mutex> hold(mutex_);
  // Like the platform's bar, the position wraps within 32 bits and is shown clamped.
  position_ += delta;
  DrawLocked(false);
}

double TerminalProgressBar::FractionLocked() const {
  if (high_ <= low_) return 0;
  return static_cast<double>(std::clamp(position_, low_, high_) - low_) / (high_ - low_);
}

ProgressReading TerminalProgressBar::ReadingLocked(Clock::time_point now) const {
  ProgressReading reading;
  reading.done = std::clamp(position_, low_, high_) - low_;
  reading.total = uint64_t{high_} - low_;
  reading.seconds = std::chrono::duration<double>(now - rangeStart_).count();
  return reading;
}

void TerminalProgressBar::DrawLocked(bool force) {
  if (!enabled_ || high_ <= low_) return;
  const auto now = Clock::now();
  if (!force && line_.TooSoon(now)) return;
  line_.Draw(ProgressText(label_, ReadingLocked(now), UnitLocked()), now);
}

void TerminalProgressBar::Clear() {
  std::lock_guard<std::mutex> hold(mutex_);
  line_.Clear();
}

void TerminalProgressBar::Finish() {
  std::lock_guard<std::mutex> hold(mutex_);
  line_.Clear();
  enabled_ = false;
}

}  // namespace orvande::cli
