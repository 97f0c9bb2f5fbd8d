#include "cli/recovery_progress.h"

#include <algorithm>
#include <ostream>

#include "app/progress_text.h"
#include "core/recovery_context.h"

namespace orvande::cli {

RecoveryProgressBar::RecoveryProgressBar(std::ostream& out, bool enabled)
    : line_(out), enabled_(enabled) {}

RecoveryProgressBar::~RecoveryProgressBar() {
  Finish();
}

void RecoveryProgressBar::Follow(const RecoveryContext* job) {
  std::lock_guard<std::mutex> hold(mutex_);
  job_ = job;
}

void RecoveryProgressBar::SetRange(uint32_t low, uint32_t high) {
  std::lock_guard<std::mutex> hold(mutex_);
  low_ = low;
  high_ = high;
  position_ = low;
  // A new range is a new file (or stream) of the job.
  fileBytes_ = job_ != nullptr ? job_->fileExpectedBytes : 0;
  fileStart_ = std::chrono::steady_clock::now();
  DrawLocked(true);
}

void RecoveryProgressBar::SetPosition(uint32_t position) {
  std::lock_guard<std::mutex> hold(mutex_);
  position_ = position;
  DrawLocked(false);
}

void RecoveryProgressBar::SetStep(uint32_t step) {
  std::lock_guard<std::mutex> hold(mutex_);
  step_ = step;
}

void RecoveryProgressBar::Step() {
  std::lock_guard<std::mutex> hold(mutex_);
  position_ += step_;
  DrawLocked(false);
}

void RecoveryProgressBar::Advance(uint32_t delta) {
  std::lock_guard<std::mutex> hold(mutex_);
  position_ += delta;
  DrawLocked(false);
}

void RecoveryProgressBar::DrawLocked(bool force) {
  if (!enabled_ || high_ <= low_) return;
  const auto now = std::chrono::steady_clock::now();
  if (!force && line_.TooSoon(now)) return;
  const double fraction =
      static_cast<double>(std::clamp(position_, low_, high_) - low_) / (high_ - low_);
  ProgressReading reading;
  reading.done = static_cast<uint64_t>(fraction * static_cast<double>(fileBytes_));
  reading.total = fileBytes_;
  reading.seconds = std::chrono::duration<double>(now - fileStart_).count();
  line_.Draw(ProgressText("Recovering", reading, ProgressUnit::kBytes), now);
}

void RecoveryProgressBar::Clear() {
  std::lock_guard<std::mutex> hold(mutex_);
  ClearLocked();
}

void RecoveryProgressBar::ClearLocked() {
  line_.Clear();
}

void RecoveryProgressBar::Finish() {
  std::lock_guard<std::mutex> hold(mutex_);
  ClearLocked();
  enabled_ = false;
}

}  // namespace orvande::cli
