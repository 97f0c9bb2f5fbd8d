#include "cli/recovery_progress.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

#include "core/recovery_context.h"

namespace orvande::cli {
namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(250);

std::string DurationText(double seconds) {
  const auto whole = static_cast<uint64_t>(seconds + 0.5);
  char text[32];
  if (whole >= 3600)
    std::snprintf(text, sizeof text, "%llu:%02llu:%02llu",
                  static_cast<unsigned long long>(whole / 3600),
                  static_cast<unsigned long long>(whole / 60 % 60),
                  static_cast<unsigned long long>(whole % 60));
  else
    std::snprintf(text, sizeof text, "%llu:%02llu", static_cast<unsigned long long>(whole / 60),
                  static_cast<unsigned long long>(whole % 60));
  return text;
}

}  // namespace

std::string ByteAmountText(uint64_t bytes) {
  char text[32];
  if (bytes >= 1000000000)
    std::snprintf(text, sizeof text, "%.1f GB", static_cast<double>(bytes) / 1e9);
  else if (bytes >= 1000000)
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
  else if (bytes >= 1000)
    std::snprintf(text, sizeof text, "%.1f kB", static_cast<double>(bytes) / 1e3);
  else
    std::snprintf(text, sizeof text, "%llu bytes", static_cast<unsigned long long>(bytes));
  return text;
}

RecoveryProgressBar::RecoveryProgressBar(std::ostream& out, bool enabled)
    : out_(out), enabled_(enabled) {}

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
  if (!force && now - lastDraw_ < kRedrawInterval) return;
  lastDraw_ = now;
  const double fraction =
      static_cast<double>(std::clamp(position_, low_, high_) - low_) / (high_ - low_);
  const auto done = static_cast<uint64_t>(fraction * static_cast<double>(fileBytes_));
  const double seconds = std::chrono::duration<double>(now - fileStart_).count();
  std::string line = "Recovering: " + ByteAmountText(done) + " of " + ByteAmountText(fileBytes_) +
                     " (" + std::to_string(static_cast<int>(fraction * 100)) + "%)";
  if (seconds > 0.5 && done > 0) {
    const double rate = static_cast<double>(done) / seconds;
    line += ", " + ByteAmountText(static_cast<uint64_t>(rate)) + "/s, " +
            DurationText(static_cast<double>(fileBytes_ - done) / rate) + " left";
  }
  const size_t width = line.size();
  if (line.size() < drawnWidth_) line.append(drawnWidth_ - line.size(), ' ');
  out_ << '\r' << line << std::flush;
  drawnWidth_ = width;
}

void RecoveryProgressBar::Clear() {
  std::lock_guard<std::mutex> hold(mutex_);
  ClearLocked();
}

void RecoveryProgressBar::ClearLocked() {
  if (drawnWidth_ == 0) return;
  out_ << '\r' << std::string(drawnWidth_, ' ') << '\r' << std::flush;
  drawnWidth_ = 0;
}

void RecoveryProgressBar::Finish() {
  std::lock_guard<std::mutex> hold(mutex_);
  ClearLocked();
  enabled_ = false;
}

}  // namespace orvande::cli
