#pragma once
// Ports through which the main frame's logic reaches the front end that draws it. The desktop
// program implements them with Qt, the command line for a terminal, tests with doubles.
#include <chrono>
#include <cstdint>
#include <string>

namespace orvande {

// One wait of the user-interface thread for a worker: it returns after at most `step`, having
// handled the front end's pending events meanwhile, so that a worker sending synchronous messages
// is never blocked. False when the program is quitting (the wait loop then ends early).
// Used from the user-interface thread only.
class UiWait {
 public:
  virtual ~UiWait() = default;
  virtual bool WaitStep(std::chrono::milliseconds step) = 0;
};

// Pane 0 of the status bar. Callable from any thread; the text reaches the user-interface thread
// before the call returns.
class StatusTextSink {
 public:
  virtual ~StatusTextSink() = default;
  virtual void ShowStatusText(const std::string& text) = 0;
};

// What the analysis worker tells the frame about itself, on the worker's thread.
class AnalysisListener {
 public:
  virtual ~AnalysisListener() = default;
  // Before the tree is built: the frame shows "Analyzing...", disables the device list's tool bar
  // and turns the filter off.
  virtual void AnalysisStarting() = 0;
  // After the worker has cleared its running state: the tool bar comes back, the status text is
  // emptied. status is BuildTree's result.
  virtual void AnalysisEnded(uint32_t status) = 0;
};

}  // namespace orvande
