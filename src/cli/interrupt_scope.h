#pragma once
// Turns Ctrl-C, SIGTERM and SIGHUP into a stop request while a command works, so that the command
// ends with its summary; a second signal ends the program the usual way. A closed pipe on the
// output does not kill the program either: the write fails and the command ends. One scope at a
// time (the CLI runs one command per process).
#include "core/stop_flag.h"

namespace orvande::cli {

class InterruptScope {
 public:
  explicit InterruptScope(StopFlag& flag);
  ~InterruptScope();
  InterruptScope(const InterruptScope&) = delete;
  InterruptScope& operator=(const InterruptScope&) = delete;

  // From now on a signal sets `flag` instead; a signal caught already sets it at once.
  void Watch(StopFlag& flag);

  // The first signal that asked for the stop, or 0.
  static int CaughtSignal();
  // The exit code of a command ended by that signal (128 + its number).
  static int ExitCodeFor(int signal) { return 128 + signal; }

 private:
  void (*previousInterrupt_)(int);
  void (*previousTerminate_)(int);
  void (*previousHangUp_)(int);
  void (*previousPipe_)(int);
};

}  // namespace orvande::cli
