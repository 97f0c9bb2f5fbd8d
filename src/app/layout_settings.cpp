#include "app/layout_settings.h"

namespace orvande {

LayoutSettings::LayoutSettings() {
  AddEntry(&cpdWP, "MainWnd", "cpdWP");
  AddEntry(&dwSplitterWidth, "MainSplitterWidth", "dwSplitterWidth");
  AddEntry(&cpdFLC, "FLC", "cpdFLC");
  AddEntry(&cpdSectorsWP, "SectorsWnd", "cpdSectorsWP");
}

void LayoutSettings::SetObject(WindowPlacementSetting& setting, const WindowPlacement& value) {
  SetWithin(setting, setting.placement, value);
}

void LayoutSettings::SetObject(FileListColumnsSetting& setting, const FileListColumns& value) {
  SetWithin(setting, setting.layout, value);
}

}  // namespace orvande
