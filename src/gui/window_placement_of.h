#pragma once
// The placement record of a top-level window as it stands: its normal rectangle and whether it
// is maximized, for the settings to keep. User-interface thread only.
#include <QWidget>
#include <algorithm>

#include "app/window_placement.h"

namespace orvande::gui {

inline WindowPlacement PlacementOf(const QWidget& window) {
  WindowPlacement placement;
  placement.length = WindowPlacement::kRecordBytes;
  placement.showCommand = window.isMaximized() ? WindowPlacement::kShowMaximized : 1;
  const QRect normal = window.normalGeometry().isValid() ? window.normalGeometry()
                                                         : window.geometry();
  placement.normalPosition = {normal.left(), normal.top(), normal.left() + normal.width(),
                              normal.top() + normal.height()};
  return placement;
}

}  // namespace orvande::gui
