#pragma once
// The device drop-down filled from the app's device list: its groups become headings, its
// entries rows with an icon for their kind, and a choice in the drop-down is the list's
// selection. It owns the list. User-interface thread only.
#include <QObject>
#include <string>
#include <vector>

#include "app/device_list.h"

namespace orvande::gui {

class DeviceComboBox;

class DeviceDropDown final : public QObject {
  Q_OBJECT

 public:
  DeviceDropDown(DeviceComboBox& combo, DiscoverySources sources = DiscoverySources());

  // Lists the machine's devices afresh and selects the start-up entry for these mounts.
  void Discover(const std::vector<platform::MountEntry>& mounts);
  // Discover again, keeping the opened image and, where it is still listed, the selection.
  void Refresh(const std::vector<platform::MountEntry>& mounts);
  // Lists the image (a whole-disk image as a disk with its partitions) and selects its entry;
  // false when the file cannot be read. *selected tells whether an entry of the image is now
  // the selected one: a whole-disk image without partitions has none, and the old choice stays.
  bool AddImageFile(const std::string& path, bool* selected = nullptr);
  // After a search or a load of the disk's lost partitions.
  void RefreshLostPartitions(PhysicalDiskNode& disk);

  // Selects that node's entry; false when the drop-down does not list it.
  bool SelectNode(const DeviceNode* node);
  bool Lists(const DeviceNode* node) const;
  // Keeps the selected entry's node alive while it is analysed, even once a refresh or another
  // image has taken it out of the list.
  void HoldSelectedNode();
  // The node held for the analysis, kept alive by whoever also takes it.
  const std::shared_ptr<DeviceNode>& HeldNode() const { return held_; }
  const DeviceList& List() const { return list_; }

 private:
  void Fill();
  int RowOf(const DeviceNode* node) const;

  DeviceComboBox& combo_;
  DeviceList list_;
  std::string imagePath_;
  std::shared_ptr<DeviceNode> held_;
};

}  // namespace orvande::gui
