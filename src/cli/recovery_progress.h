#pragma once
// The recovery job's progress on a terminal line: the bytes written of the file at hand, its
// size, the rate and the time left, e.g. "Recovering: 120.0 MB of 1.5 GB (8%), 45.2 MB/s, 0:31
// left". Each range the job sets is one file (or stream); the job tells its size.
#include <cstdint>
#include <iosfwd>

#include "cli/cli_progress.h"

namespace orvande {
struct RecoveryContext;
}

namespace orvande::cli {

class RecoveryProgressBar final : public TerminalProgressBar {
 public:
  RecoveryProgressBar(std::ostream& out, bool enabled);

  // The job whose file sizes the ranges stand for; read on the job's thread only.
  void Follow(const RecoveryContext* job);

 private:
  ProgressReading ReadingLocked(Clock::time_point now) const override;
  ProgressUnit UnitLocked() const override { return ProgressUnit::kBytes; }
  void RangeStartedLocked() override;

  const RecoveryContext* job_ = nullptr;
  uint64_t fileBytes_ = 0;
};

}  // namespace orvande::cli
