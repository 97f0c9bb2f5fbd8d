#pragma once
// The recovery job's message 2037 turned into the frame's status text: "Recover file "%s"" for
// each file, "Finished" at the end. Other messages go on to the next sink, when one is given.
// Safe to use from several threads (the job sends from its own).
#include "app/frame_status_text.h"
#include "core/ports.h"

namespace orvande {

class RecoveryStatusNotifier final : public NotifySink {
 public:
  explicit RecoveryStatusNotifier(FrameStatusText& statusText, NotifySink* next = nullptr)
      : statusText_(statusText), next_(next) {}

  // 2037: wParam the file's name (const char*), or 0 when the job has finished.
  void Send(uint32_t message, uintptr_t wParam, uintptr_t lParam) override;

 private:
  FrameStatusText& statusText_;
  NotifySink* next_;
};

}  // namespace orvande
