#pragma once
// The stored window layout, bound to the values of the store key "\GUI": the main frame's and the
// sector viewer's placements, the splitter width and the file list's columns. Each setter saves
// its value at once. May be used from several threads.
#include <cstdint>

#include "app/file_list_columns.h"
#include "app/registry_store.h"
#include "app/window_placement.h"

namespace orvande {

class LayoutSettings final : public RegistryStore {
 public:
  static constexpr char kStoreKey[] = "\\GUI";

  LayoutSettings();

  WindowPlacement MainPlacement() const { return Get(cpdWP.placement); }
  void SetMainPlacement(const WindowPlacement& value) { SetObject(cpdWP, value); }
  // 0: no width stored yet.
  uint32_t SplitterWidth() const { return Get(dwSplitterWidth); }
  void SetSplitterWidth(uint32_t value) { Set(dwSplitterWidth, value); }
  FileListColumns FileListLayout() const { return Get(cpdFLC.layout); }
  void SetFileListLayout(const FileListColumns& value) { SetObject(cpdFLC, value); }
  WindowPlacement SectorsPlacement() const { return Get(cpdSectorsWP.placement); }
  void SetSectorsPlacement(const WindowPlacement& value) { SetObject(cpdSectorsWP, value); }

 private:
  void SetObject(WindowPlacementSetting& setting, const WindowPlacement& value);
  void SetObject(FileListColumnsSetting& setting, const FileListColumns& value);

  WindowPlacementSetting cpdWP;
  uint32_t dwSplitterWidth = 0;
  FileListColumnsSetting cpdFLC;
  WindowPlacementSetting cpdSectorsWP;
};

}  // namespace orvande
