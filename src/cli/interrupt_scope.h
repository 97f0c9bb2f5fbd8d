#pragma once
// Turns Ctrl-C into a stop request while a command works; a second Ctrl-C ends the program the
// usual way. One scope at a time (the CLI runs one command per process).
#include "core/stop_flag.h"

namespace orvande::cli {

class InterruptScope {
 public:
  explicit InterruptScope(StopFlag& flag);
  ~InterruptScope();
  InterruptScope(const InterruptScope&) = delete;
  InterruptScope& operator=(const InterruptScope&) = delete;

 private:
  void (*previous_)(int);
};

}  // namespace orvande::cli
