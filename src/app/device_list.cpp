#include "app/device_list.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "app/image_display_name.h"
#include "disk/boot_sector_kind.h"
#include "disk/image_file_node.h"
#include "disk/table_partitions.h"
#include "support/format.h"

namespace orvande {
namespace {

constexpr char kLocalDisksText[] = "Local Disks";
constexpr char kImageFilesText[] = "Disk Image Files";
constexpr char kLostPartitionsText[] = "Lost Partitions on %s";
constexpr char kTablePartitionsText[] = "Partitions on %s";
constexpr char kPhysicalDisksText[] = "Physical Disks";

// An image that opens with a partition table, or whose first sector names no file system, is a
// dump of a whole disk rather than of one volume.
bool LooksLikeWholeDisk(const std::string& path, PhysicalDiskNode& probeDisk) {
  if (!ReadPartitionTable(probeDisk).empty()) return true;
  std::array<uint8_t, PartitionNode::kBootSectorSize> sector{};
  std::ifstream in(path, std::ios::binary);
  for (uint8_t& byte : sector) {
    const int c = in.get();
    if (c == std::char_traits<char>::eof()) break;
    byte = static_cast<uint8_t>(c);
  }
  return BootSectorFsKind(sector) == kFsNone;
}

}  // namespace

DeviceList::DeviceList(DiscoverySources sources) : sources_(std::move(sources)) {}

bool DeviceList::Discover() {
  groups_.clear();
  images_.clear();
  selectedRow_ = kNoRow;
  const bool drivesListed = EnumerateLogicalDrives(sources_, &drives_);
  const bool disksListed = EnumeratePhysicalDisks(sources_, &disks_);
  machineDiskCount_ = disks_.size();
  DeviceListGroup& local = GroupWithKey(kLocalDisksKey, kLocalDisksText);
  for (const FoundDrive& drive : drives_) {
    local.entries.push_back({drive.node, drive.node->GetName(), drive.node->GetDevicePath(),
                             drive.sizeBytes, drive.node->GetFsKind()});
  }
  return drivesListed || disksListed;
}

int DeviceList::AddImageFile(const std::string& path) {
  std::error_code ec;
  const uint64_t size = std::filesystem::file_size(path, ec);
  if (ec) return kNoRow;
  RemoveImage();
  FoundDisk asDisk = MakeImageDisk(path, static_cast<uint32_t>(disks_.size()), sources_.ports,
                                   size);
  if (LooksLikeWholeDisk(path, *asDisk.node)) return AddImageDisk(path, size);

  auto node = std::make_shared<ImageFileNode>(path, ImageDisplayName(path));
  images_.push_back(node);
  DeviceListGroup& group = GroupWithKey(kImageFilesKey, kImageFilesText);
  group.entries.push_back({node, node->GetName(), path, size, kFsNone});
  return RowOf(node.get());
}

int DeviceList::AddImageDisk(const std::string& path, uint64_t sizeBytes) {
  disks_.push_back(
      MakeImageDisk(path, static_cast<uint32_t>(disks_.size()), sources_.ports, sizeBytes));
  const FoundDisk& disk = disks_.back();
  images_.push_back(disk.node);
  const uint32_t number = disk.node->GetDiskNumber();
  DeviceListGroup& group =
      GroupWithKey(kTablePartitionsKeyBase + static_cast<int>(number),
                   Format(kTablePartitionsText, disk.node->GetName().c_str()));
  const size_t groupIndex = static_cast<size_t>(&group - groups_.data());
  AddPartitionEntries(group, disk, ReadPartitionTable(*disk.node));
  return group.entries.empty() ? RowOf(groupIndex, DeviceListRow::kHeading)
                               : RowOf(groupIndex, 0);
}

void DeviceList::RemoveImage() {
  const DeviceListEntry* selected = SelectedEntry();
  const DeviceNode* selectedNode = selected ? selected->node.get() : nullptr;
  for (DeviceListGroup& group : groups_) {
    if (group.key == kImageFilesKey) group.entries.clear();
  }
  if (disks_.size() > machineDiskCount_) {
    const int number = static_cast<int>(disks_.back().node->GetDiskNumber());
    RemoveGroup(kTablePartitionsKeyBase + number);
    RemoveGroup(kLostPartitionsKeyBase + number);
    disks_.resize(machineDiskCount_);
  }
  images_.clear();
  selectedRow_ = RowOf(selectedNode);
  if (selectedRow_ == kNoRow) selectedRow_ = FirstEntryRow();
}

void DeviceList::RefreshLostPartitions(PhysicalDiskNode& disk) {
  const FoundDisk* found = DiskOf(disk);
  if (found == nullptr) return;
  const DeviceListEntry* selected = SelectedEntry();
  const std::shared_ptr<DeviceNode> selectedNode = selected ? selected->node : nullptr;
  const int oldRow = selectedRow_;
  const int key = kLostPartitionsKeyBase + static_cast<int>(disk.GetDiskNumber());
  DeviceListGroup& group =
      GroupWithKey(key, Format(kLostPartitionsText, disk.GetName().c_str()));
  const size_t groupIndex = static_cast<size_t>(&group - groups_.data());
  const int firstRow = RowOf(groupIndex, DeviceListRow::kHeading);
  const bool selectionInGroup = oldRow > firstRow &&
                                oldRow <= firstRow + static_cast<int>(group.entries.size());
  group.entries.clear();
  AddPartitionEntries(group, *found, disk.Partitions());

  selectedRow_ = RowOf(selectedNode.get());
  if (selectedRow_ == kNoRow && selectionInGroup && !group.entries.empty()) {
    // The selected partition is gone: keep the place in the list.
    const size_t entry = std::min(static_cast<size_t>(oldRow - firstRow - 1),
                                  group.entries.size() - 1);
    selectedRow_ = RowOf(groupIndex, entry);
  }
  if (selectedRow_ == kNoRow) selectedRow_ = FirstEntryRow();
}

void DeviceList::AddPartitionEntries(
    DeviceListGroup& group, const FoundDisk& disk,
    const std::vector<std::shared_ptr<PartitionNode>>& partitions) {
  for (const std::shared_ptr<PartitionNode>& partition : partitions) {
    group.entries.push_back({partition, partition->GetName(), disk.path,
                             partition->GetSectorCount() * partition->GetBytesPerSector(),
                             static_cast<int>(partition->GetPartitionFsKind())});
  }
}

void DeviceList::SelectStartupEntry(const std::vector<platform::MountEntry>& mounts) {
  selectedRow_ = FirstEntryRow();
  auto root = std::find_if(mounts.begin(), mounts.end(),
                           [](const platform::MountEntry& m) { return m.mountPoint == "/"; });
  if (root == mounts.end()) return;
  for (const FoundDrive& drive : drives_) {
    if (drive.node->GetDevicePath() == root->source) {
      selectedRow_ = RowOf(drive.node.get());
      return;
    }
  }
}

DeviceListGroup DeviceList::PhysicalDiskGroup() const {
  DeviceListGroup group{kPhysicalDisksKey, kPhysicalDisksText, {}};
  for (const FoundDisk& disk : disks_)
    group.entries.push_back({disk.node, disk.node->GetName(), disk.path, disk.sizeBytes, kFsNone});
  return group;
}

bool DeviceList::Select(int row) {
  const DeviceListEntry* entry = EntryAt(row);
  if (entry == nullptr) return false;
  selectedRow_ = row;
  return true;
}

const DeviceListEntry* DeviceList::SelectedEntry() const {
  return EntryAt(selectedRow_);
}

std::vector<DeviceListRow> DeviceList::Rows() const {
  std::vector<DeviceListRow> rows;
  for (size_t g = 0; g < groups_.size(); ++g) {
    rows.push_back({g, DeviceListRow::kHeading});
    for (size_t e = 0; e < groups_[g].entries.size(); ++e) rows.push_back({g, e});
  }
  return rows;
}

const DeviceListEntry* DeviceList::EntryAt(int row) const {
  if (row < 0) return nullptr;
  const std::vector<DeviceListRow> rows = Rows();
  if (static_cast<size_t>(row) >= rows.size() || rows[static_cast<size_t>(row)].IsHeading())
    return nullptr;
  const DeviceListRow& at = rows[static_cast<size_t>(row)];
  return &groups_[at.group].entries[at.entry];
}

DeviceListGroup& DeviceList::GroupWithKey(int key, const std::string& text) {
  for (DeviceListGroup& group : groups_) {
    if (group.key == key) return group;
  }
  groups_.push_back({key, text, {}});
  return groups_.back();
}

void DeviceList::RemoveGroup(int key) {
  std::erase_if(groups_, [key](const DeviceListGroup& group) { return group.key == key; });
}

const FoundDisk* DeviceList::DiskOf(const PhysicalDiskNode& disk) const {
  for (const FoundDisk& found : disks_) {
    if (found.node.get() == &disk) return &found;
  }
  return nullptr;
}

int DeviceList::RowOf(const DeviceNode* node) const {
  if (node == nullptr) return kNoRow;
  const std::vector<DeviceListRow> rows = Rows();
  for (size_t r = 0; r < rows.size(); ++r) {
    if (!rows[r].IsHeading() && groups_[rows[r].group].entries[rows[r].entry].node.get() == node)
      return static_cast<int>(r);
  }
  return kNoRow;
}

int DeviceList::RowOf(size_t group, size_t entry) const {
  const std::vector<DeviceListRow> rows = Rows();
  for (size_t r = 0; r < rows.size(); ++r) {
    if (rows[r].group == group && rows[r].entry == entry) return static_cast<int>(r);
  }
  return kNoRow;
}

int DeviceList::FirstEntryRow() const {
  const std::vector<DeviceListRow> rows = Rows();
  for (size_t r = 0; r < rows.size(); ++r) {
    if (!rows[r].IsHeading()) return static_cast<int>(r);
  }
  return kNoRow;
}

}  // namespace orvande
