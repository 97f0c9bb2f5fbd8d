#pragma once
// The analysis's progress on a terminal line, worded as the recovery's is: the steps done of the
// phase at hand, the rate and the time left ("Analyzing: 5120 of 40960 (12%), 2048/s, 0:17
// left"). The port's ranges carry no unit (clusters on FAT; bytes of the MFT, then clusters, on
// NTFS), so the figures are the analyzer's steps. Redrawn at most four times a second.
// Thread-safe: the worker moves it while the main thread may finish it.
#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <mutex>
#include <string>

#include "cli/terminal_line.h"
#include "core/ports.h"

namespace orvande::cli {

class TerminalProgressBar final : public ProgressBar {
 public:
  // Draws on `out` only when `enabled` (callers pass whether it is a terminal).
  TerminalProgressBar(std::ostream& out, std::string label, bool enabled);
  ~TerminalProgressBar() override;

  void SetRange(uint32_t low, uint32_t high) override;
  void SetPosition(uint32_t position) override;
  void SetStep(uint32_t step) override;
  void Step() override;
  void Advance(uint32_t delta) override;

  // Clears the line; later moves draw nothing.
  void Finish();

 private:
  void DrawLocked(bool force);

  std::mutex mutex_;
  TerminalLine line_;
  const std::string label_;
  bool enabled_;
  uint32_t low_ = 0;
  uint32_t high_ = 0;
  uint32_t position_ = 0;
  uint32_t step_ = 10;
  std::chrono::steady_clock::time_point rangeStart_;
};

}  // namespace orvande::cli
