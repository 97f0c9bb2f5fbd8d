#pragma once
// A progress bar drawn on a terminal line: "Analyzing... 42%", redrawn only when the percentage
// changes. Thread-safe: the worker moves it while the main thread may finish it.
#include <cstdint>
#include <iosfwd>
#include <mutex>
#include <string>

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
  void DrawLocked();

  std::mutex mutex_;
  std::ostream& out_;
  const std::string label_;
  bool enabled_;
  bool drawn_ = false;
  uint32_t low_ = 0;
  uint32_t high_ = 100;
  uint32_t position_ = 0;
  uint32_t step_ = 10;
  int shownPercent_ = -1;
};

}  // namespace orvande::cli
