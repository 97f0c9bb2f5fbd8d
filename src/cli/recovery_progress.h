#pragma once
// The recovery job's progress on a terminal line: the bytes written of the file at hand, its
// size, the rate and the time left, e.g. "photo.jpg: 120.0 MB of 1.5 GB (8%), 45.2 MB/s, 0:31
// left", worded by app/progress_text.h). Redrawn at most four times a second. Moved by the job's
// thread; Finish may come from another, hence the lock.
#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <mutex>
#include <string>

#include "cli/terminal_line.h"
#include "core/ports.h"

namespace orvande {
struct RecoveryContext;
}

namespace orvande::cli {

class RecoveryProgressBar final : public ProgressBar {
 public:
  RecoveryProgressBar(std::ostream& out, bool enabled);
  ~RecoveryProgressBar() override;

  // The job whose file sizes the ranges stand for; read on the job's thread only.
  void Follow(const RecoveryContext* job);

  void SetRange(uint32_t low, uint32_t high) override;
  void SetPosition(uint32_t position) override;
  void SetStep(uint32_t step) override;
  void Step() override;
  void Advance(uint32_t delta) override;

  // Clears the line, so that another line can be printed; the next move draws again.
  void Clear();
  // Clears the line; later moves draw nothing.
  void Finish();

 private:
  void DrawLocked(bool force);
  void ClearLocked();

  std::mutex mutex_;
  TerminalLine line_;
  bool enabled_;
  const RecoveryContext* job_ = nullptr;
  uint32_t low_ = 0;
  uint32_t high_ = 0;
  uint32_t position_ = 0;
  uint32_t step_ = 10;
  uint64_t fileBytes_ = 0;
  std::chrono::steady_clock::time_point fileStart_;
};

}  // namespace orvande::cli
