#pragma once
// FrameFilter: the Filter command (32777) of the main frame. It hides, in the files tree, every
// folder that is neither deleted nor holds deleted content, and puts them back the second time;
// the Filter button's pressed state follows. User-interface thread only, while no worker changes
// the tree.
#include <functional>
#include <memory>

#include "app/frame_ports.h"
#include "app/tree_filter.h"

namespace orvande {
class MainFrameController;
class VolumeAnalysis;
}  // namespace orvande

namespace orvande::gui {

class FileListModel;

class FrameFilter final : private StatusTextSink {
 public:
  FrameFilter(VolumeAnalysis& analysis, MainFrameController& controller, FileListModel& list,
              std::function<void()> updateActions);
  ~FrameFilter() override;

  // Turns the filter on when it is off and off when it is on; the new state.
  bool Toggle();
  bool IsOn() const;

 private:
  // The frame's texts are kept, so that pane 0 shows them while menus come and go.
  void ShowStatusText(const std::string& text) override;

  VolumeAnalysis& analysis_;
  MainFrameController& controller_;
  FileListModel& list_;
  std::function<void()> updateActions_;
  std::unique_ptr<FilesTreeFilter> filter_;
};

}  // namespace orvande::gui
