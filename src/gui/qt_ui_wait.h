#pragma once
// The user-interface thread's wait for a worker as a local event-loop step: the events that
// arrive meanwhile (the worker's blocking calls among them) are handled. Used from the
// user-interface thread only.
#include "app/frame_ports.h"

namespace orvande::gui {

class QtUiWait final : public UiWait {
 public:
  bool WaitStep(std::chrono::milliseconds step) override;
};

}  // namespace orvande::gui
