#pragma once
// The cursor the main frame shows: a function of what runs, so that every front end agrees.
#include "app/frame_state.h"

namespace orvande {

enum class FrameCursor {
  kNormal,
  kWait,  // the disk image is being written
  kBusy,  // the arrow with the hourglass: the analysis or the lost-partition scan runs
};

FrameCursor CursorFor(const FrameState& state);

}  // namespace orvande
