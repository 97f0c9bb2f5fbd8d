#pragma once
// Ports through which the engine reaches a user interface: the notify window of the main frame
// and a progress bar. The GUI implements them with Qt, the CLI for a terminal, tests with doubles.
#include <cstdint>

namespace orvande {

// The frame's private messages.
enum NotifyMessage : uint32_t {
  kMsgAnalysisDone = 2034,
  kMsgFolderChanged = 2035,     // wParam shown node, lParam 0 (a file) or the new child node
  kMsgFolderImageChanged = 2036,  // wParam shown node, lParam the child node
  kMsgRecoveringFile = 2037,    // wParam the path text (const char*), lParam 0
  kMsgWorkerMessage = 2044,
};

// Sends a message and returns once the user interface has handled it. Callable from any thread.
class NotifySink {
 public:
  virtual ~NotifySink() = default;
  virtual void Send(uint32_t message, uintptr_t wParam, uintptr_t lParam) = 0;
};

// A progress bar: 32-bit range, position and step. Callable from any thread.
class ProgressBar {
 public:
  virtual ~ProgressBar() = default;
  virtual void SetRange(uint32_t low, uint32_t high) = 0;
  virtual void SetPosition(uint32_t position) = 0;
  virtual void SetStep(uint32_t step) = 0;
  virtual void Step() = 0;
  // Moves the position forward by delta.
  virtual void Advance(uint32_t delta) = 0;
};

}  // namespace orvande
