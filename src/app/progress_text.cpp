#include "app/progress_text.h"

#include <algorithm>
#include <cstdio>

namespace orvande {
namespace {

// Before this much time has passed a rate says little.
constexpr double kSecondsBeforeRate = 0.5;

std::string AmountText(uint64_t amount, ProgressUnit unit) {
  return unit == ProgressUnit::kBytes ? ByteAmountText(amount) : std::to_string(amount);
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

std::string DurationText(double seconds) {
  const auto whole = static_cast<unsigned long long>(std::max(seconds, 0.0) + 0.5);
  char text[32];
  if (whole >= 3600)
    std::snprintf(text, sizeof text, "%llu:%02llu:%02llu", whole / 3600, whole / 60 % 60,
                  whole % 60);
  else
    std::snprintf(text, sizeof text, "%llu:%02llu", whole / 60, whole % 60);
  return text;
}

std::string ProgressText(std::string_view label, const ProgressReading& reading,
                         ProgressUnit unit) {
  const uint64_t done = std::min(reading.done, reading.total);
  const auto percent = static_cast<int>(
      reading.total == 0 ? 0
                         : static_cast<double>(done) * 100 / static_cast<double>(reading.total));
  std::string text = std::string(label) + ": " + AmountText(done, unit) + " of " +
                     AmountText(reading.total, unit) + " (" + std::to_string(percent) + "%)";
  if (reading.seconds > kSecondsBeforeRate && done > 0) {
    const double rate = static_cast<double>(done) / reading.seconds;
    text += ", " + AmountText(static_cast<uint64_t>(rate), unit) + "/s, " +
            DurationText(static_cast<double>(reading.total - done) / rate) + " left";
  }
  return text;
}

}  // namespace orvande
