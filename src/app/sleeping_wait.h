#pragma once
// The wait of a front end without an event loop (the command line, tests): it only sleeps, for
// at most a slice of the step so that the end of a worker is seen soon. Used by one thread.
#include <chrono>

#include "app/frame_ports.h"

namespace orvande {

class SleepingWait final : public UiWait {
 public:
  explicit SleepingWait(std::chrono::milliseconds slice = std::chrono::milliseconds(5))
      : slice_(slice) {}
  bool WaitStep(std::chrono::milliseconds step) override;

 private:
  std::chrono::milliseconds slice_;
};

}  // namespace orvande
