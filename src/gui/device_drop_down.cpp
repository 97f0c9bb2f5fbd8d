#include "gui/device_drop_down.h"

#include <QIcon>

#include "disk/logical_drive_node.h"
#include "gui/device_combo_box.h"

namespace orvande::gui {
namespace {

QIcon ThemeIcon(const char* name, const char* fallback) {
  return QIcon::fromTheme(QString::fromLatin1(name), QIcon::fromTheme(QString::fromLatin1(fallback)));
}

QIcon DeviceIcon(const DeviceNode& node) {
  switch (node.GetKind()) {
    case kNodeLogicalDrive:
      if (static_cast<const LogicalDriveNode&>(node).IsFloppyDrive())
        return ThemeIcon("media-floppy", "drive-removable-media");
      return node.IsRemovable() == 1 ? ThemeIcon("drive-removable-media", "drive-harddisk")
                                     : ThemeIcon("drive-harddisk", "drive-harddisk");
    case kNodeImageFile:
      return ThemeIcon("application-x-cd-image", "media-optical");
    default:
      // Partitions of a disk, listed under their disk's group.
      return ThemeIcon("drive-harddisk", "drive-harddisk");
  }
}

}  // namespace

DeviceDropDown::DeviceDropDown(DeviceComboBox& combo, DiscoverySources sources)
    : QObject(&combo), combo_(combo), list_(std::move(sources)) {
  connect(&combo_, &QComboBox::currentIndexChanged, this, [this](int row) { list_.Select(row); });
}

void DeviceDropDown::Discover(const std::vector<platform::MountEntry>& mounts) {
  list_.Discover();
  imagePath_.clear();
  list_.SelectStartupEntry(mounts);
  Fill();
}

void DeviceDropDown::Refresh(const std::vector<platform::MountEntry>& mounts) {
  const orvande::DeviceListEntry* selected = list_.SelectedEntry();
  const std::string selectedPath = selected != nullptr ? selected->path : std::string();
  const std::string image = imagePath_;
  Discover(mounts);
  if (!image.empty()) AddImageFile(image);
  // Nodes are made anew: find the old choice again by its device.
  const std::vector<DeviceListRow> rows = list_.Rows();
  for (size_t row = 0; row < rows.size(); ++row) {
    const orvande::DeviceListEntry* entry = list_.EntryAt(static_cast<int>(row));
    if (entry != nullptr && !selectedPath.empty() && entry->path == selectedPath) {
      combo_.setCurrentIndex(static_cast<int>(row));
      break;
    }
  }
}

bool DeviceDropDown::AddImageFile(const std::string& path, bool* selected) {
  const int row = list_.AddImageFile(path);
  if (selected != nullptr) *selected = false;
  if (row == DeviceList::kNoRow) return false;
  imagePath_ = path;
  const bool chosen = list_.Select(row);
  Fill();
  if (selected != nullptr) *selected = chosen;
  return true;
}

void DeviceDropDown::RefreshLostPartitions(PhysicalDiskNode& disk) {
  list_.RefreshLostPartitions(disk);
  Fill();
}

bool DeviceDropDown::SelectNode(const DeviceNode* node) {
  return combo_.SelectNode(node);
}

bool DeviceDropDown::Lists(const DeviceNode* node) const {
  return RowOf(node) != DeviceList::kNoRow;
}

void DeviceDropDown::HoldSelectedNode() {
  const orvande::DeviceListEntry* selected = list_.SelectedEntry();
  held_ = selected != nullptr ? selected->node : nullptr;
}

int DeviceDropDown::RowOf(const DeviceNode* node) const {
  if (node == nullptr) return DeviceList::kNoRow;
  const int count = static_cast<int>(list_.Rows().size());
  for (int row = 0; row < count; ++row) {
    const orvande::DeviceListEntry* entry = list_.EntryAt(row);
    if (entry != nullptr && entry->node.get() == node) return row;
  }
  return DeviceList::kNoRow;
}

// The drop-down shows the list row for row, so a row number means the same in both.
void DeviceDropDown::Fill() {
  std::vector<gui::DeviceListEntry> shown;
  std::vector<QIcon> icons;
  for (const DeviceListRow& row : list_.Rows()) {
    const DeviceListGroup& group = list_.Groups()[row.group];
    if (row.IsHeading()) {
      shown.push_back({gui::DeviceListEntry::kHeading, group.text, nullptr});
      icons.emplace_back();
      continue;
    }
    const orvande::DeviceListEntry& entry = group.entries[row.entry];
    shown.push_back({gui::DeviceListEntry::kEntry, entry.text, entry.node});
    icons.push_back(DeviceIcon(*entry.node));
  }
  const orvande::DeviceListEntry* selected = list_.SelectedEntry();
  const std::shared_ptr<DeviceNode> keep = selected != nullptr ? selected->node : nullptr;
  combo_.SetEntries(shown);
  for (size_t row = 0; row < icons.size(); ++row)
    if (!icons[row].isNull()) combo_.setItemIcon(static_cast<int>(row), icons[row]);
  if (keep) combo_.SelectNode(keep.get());
}

}  // namespace orvande::gui
