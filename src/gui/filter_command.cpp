#include "gui/filter_command.h"

#include "app/main_frame_controller.h"
#include "app/volume_analysis.h"
#include "gui/file_list_model.h"

namespace orvande::gui {

FrameFilter::FrameFilter(VolumeAnalysis& analysis, MainFrameController& controller,
                         FileListModel& list, std::function<void()> updateActions)
    : analysis_(analysis),
      controller_(controller),
      list_(list),
      updateActions_(std::move(updateActions)) {}

FrameFilter::~FrameFilter() = default;

bool FrameFilter::IsOn() const {
  return controller_.FilterOn();
}

bool FrameFilter::Toggle() {
  // An analysis turns the filter off and builds a new tree: what was hidden from the old one is
  // forgotten.
  if (!filter_ || filter_->IsOn() != controller_.FilterOn()) {
    StatusTextSink* status = this;
    filter_ = std::make_unique<FilesTreeFilter>(analysis_.Tree(), analysis_.Store(),
                                                analysis_.StoreLock(), analysis_.Shown(), status);
  }
  controller_.SetFiltering(true);
  const bool on = filter_->Toggle();
  controller_.SetFilterOn(on);
  controller_.SetFiltering(false);
  // Folder rows name tree nodes, and those that came back are new ones: the list is made anew.
  list_.Fill(analysis_.Shown().load());
  updateActions_();
  return on;
}

void FrameFilter::ShowStatusText(const std::string& text) {
  if (text.empty())
    controller_.ClearStatusText();
  else
    controller_.SetStatusText("%s", text.c_str());
}

}  // namespace orvande::gui
