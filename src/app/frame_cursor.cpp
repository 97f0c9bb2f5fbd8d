#include "app/frame_cursor.h"

namespace orvande {

FrameCursor CursorFor(const FrameState& state) {
  if (state.imageThreadRunning) return FrameCursor::kWait;
  if (state.workerRunning) return FrameCursor::kBusy;
  return FrameCursor::kNormal;
}

}  // namespace orvande
