#pragma once
// The one wording of a job's progress, for a terminal line or a status bar alike:
// "Recovering: 120.0 MB of 1.5 GB (8%), 45.2 MB/s, 0:31 left". Plain functions of their inputs.
#include <cstdint>
#include <string>
#include <string_view>

namespace orvande {

enum class ProgressUnit {
  kBytes,  // amounts shown as "1.5 GB"
  kSteps,  // amounts shown as plain counts of the job's steps ("12345")
};

struct ProgressReading {
  uint64_t done = 0;
  uint64_t total = 0;
  double seconds = 0;  // since the work that `done` counts began
};

// "label: done of total (P%)", then the rate and the time left once they can be told (half a
// second in, something done).
std::string ProgressText(std::string_view label, const ProgressReading& reading, ProgressUnit unit);

// "1.5 GB", "120.0 MB", "20.5 kB", "512 bytes".
std::string ByteAmountText(uint64_t bytes);

// "0:31", "1:02:03".
std::string DurationText(double seconds);

}  // namespace orvande
