#pragma once
// A job's progress on a terminal line, worded by app/progress_text.h. The analysis shows the
// steps done of the phase at hand, the rate and the time left ("Analyzing: 5120 of 40960 (12%),
// 2048/s, 0:17 left"): the port's ranges carry no unit (clusters on FAT; bytes of the MFT, then
// clusters, on NTFS), so the figures are the analyzer's steps. Bars that know what a range stands
// for (the recovery's file sizes) derive and say so in ReadingLocked. Redrawn at most four times
// a second. Thread-safe: the worker moves it while the main thread may clear or finish it.
#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <mutex>
#include <string>

#include "app/progress_text.h"
#include "cli/terminal_line.h"
#include "core/ports.h"

namespace orvande::cli {

class TerminalProgressBar : public ProgressBar {
 public:
  // Draws on `out` only when `enabled` (callers pass whether it is a terminal).
  TerminalProgressBar(std::ostream& out, std::string label, bool enabled);
  ~TerminalProgressBar() override;

  void SetRange(uint32_t low, uint32_t high) final;
  void SetPosition(uint32_t position) final;
  void SetStep(uint32_t step) final;
  void Step() final;
  void Advance(uint32_t delta) final;

  // Clears the line, so that another line can be printed; the next move draws again.
  void Clear();
  // Clears the line; later moves draw nothing.
  void Finish();

 protected:
  using Clock = std::chrono::steady_clock;

  // What the line says at `now`; the default counts the range's steps since it was set.
  virtual ProgressReading ReadingLocked(Clock::time_point now) const;
  virtual ProgressUnit UnitLocked() const { return ProgressUnit::kSteps; }
  // A new range was set (a new phase, or a new file of a recovery).
  virtual void RangeStartedLocked() {}

  // The share of the range done, 0 to 1.
  double FractionLocked() const;

  std::mutex mutex_;
  Clock::time_point rangeStart_;

 private:
  void DrawLocked(bool force);

  TerminalLine line_;
  const std::string label_;
  bool enabled_;
  uint32_t low_ = 0;
  uint32_t high_ = 0;
  uint32_t position_ = 0;
  uint32_t step_ = 10;
};

}  // namespace orvande::cli
