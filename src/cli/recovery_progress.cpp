#include "cli/recovery_progress.h"

#include "core/recovery_context.h"

namespace orvande::cli {

RecoveryProgressBar::RecoveryProgressBar(std::ostream& out, bool enabled)
    : TerminalProgressBar(out, "Recovering", enabled) {}

void RecoveryProgressBar::Follow(const RecoveryContext* job) {
  std::lock_guard<std::mutex> hold(mutex_);
  job_ = job;
}

void RecoveryProgressBar::RangeStartedLocked() {
  fileBytes_ = job_ != nullptr ? job_->fileExpectedBytes : 0;
}

ProgressReading RecoveryProgressBar::ReadingLocked(Clock::time_point now) const {
  ProgressReading reading;
  reading.done = static_cast<uint64_t>(FractionLocked() * static_cast<double>(fileBytes_));
  reading.total = fileBytes_;
  reading.seconds = std::chrono::duration<double>(now - rangeStart_).count();
  return reading;
}

}  // namespace orvande::cli
