#pragma once
// The device list of the left pane without its widget: group headings and, under each, the nodes
// one can analyse. The desktop program's drop-down and orvande-cli's `devices` both draw from it.
// Used from one thread (the user interface's).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "disk/discovery_sources.h"
#include "disk/logical_drive_list.h"
#include "disk/physical_disk_list.h"
#include "platform/mount_table.h"

namespace orvande {

struct DeviceListEntry {
  std::shared_ptr<DeviceNode> node;
  std::string text;
  std::string path;  // the device node or image file; for a partition, its disk's
  uint64_t sizeBytes = 0;
  int fsKind = kFsNone;  // what the volume's boot sector names, where known
};

struct DeviceListGroup {
  int key = 0;
  std::string text;
  std::vector<DeviceListEntry> entries;
};

// One line of the drop-down: a group heading, or an entry of that group.
struct DeviceListRow {
  static constexpr size_t kHeading = static_cast<size_t>(-1);
  size_t group = 0;
  size_t entry = kHeading;
  bool IsHeading() const { return entry == kHeading; }
};

class DeviceList {
 public:
  static constexpr int kLocalDisksKey = 1;
  static constexpr int kImageFilesKey = 2;
  static constexpr int kLostPartitionsKeyBase = 100;  // + disk number
  // + disk number; far above any lost-partitions key a machine's disk count can reach.
  static constexpr int kTablePartitionsKeyBase = 0x10000;
  static constexpr int kNoRow = -1;
  // Not a group of the drop-down (the search offers disks on its own): for listings.
  static constexpr int kPhysicalDisksKey = 0;

  explicit DeviceList(DiscoverySources sources = DiscoverySources());

  // Lists the machine's devices afresh (logical drives under "Local Disks", physical disks kept
  // aside for the search); earlier groups and images are dropped. False when nothing could be
  // enumerated.
  bool Discover();

  // Lists an image file, replacing the one listed before. A file whose sector 0 is a partition
  // table, or that holds no volume at byte 0, becomes a disk numbered after the real ones, its
  // table's partitions under "Partitions on %s". Returns the row of the entry made (the first
  // partition's, or the heading's for a disk without partitions); kNoRow when the file cannot
  // be read.
  int AddImageFile(const std::string& path);
  // Rebuilds the disk's "Lost Partitions on %s" group from its list, keeping the selection.
  void RefreshLostPartitions(PhysicalDiskNode& disk);

  // The entry of the volume mounted at "/" where it is listed (the system disk), else the first.
  void SelectStartupEntry(const std::vector<platform::MountEntry>& mounts);
  bool Select(int row);
  int SelectedRow() const { return selectedRow_; }
  const DeviceListEntry* SelectedEntry() const;

  const std::vector<DeviceListGroup>& Groups() const { return groups_; }
  std::vector<DeviceListRow> Rows() const;
  const DeviceListEntry* EntryAt(int row) const;
  const std::vector<FoundDrive>& LogicalDrives() const { return drives_; }
  // The machine's disks, then a whole-disk image file when one is listed.
  const std::vector<FoundDisk>& PhysicalDisks() const { return disks_; }
  // The physical disks as a group headed "Physical Disks", for a full listing of the devices.
  DeviceListGroup PhysicalDiskGroup() const;

 private:
  DeviceListGroup& GroupWithKey(int key, const std::string& text);
  void RemoveGroup(int key);
  void RemoveImage();
  int AddImageDisk(const std::string& path, uint64_t sizeBytes);
  void AddPartitionEntries(DeviceListGroup& group, const FoundDisk& disk,
                           const std::vector<std::shared_ptr<PartitionNode>>& partitions);
  const FoundDisk* DiskOf(const PhysicalDiskNode& disk) const;
  int RowOf(const DeviceNode* node) const;
  int RowOf(size_t group, size_t entry) const;
  int FirstEntryRow() const;

  DiscoverySources sources_;
  std::vector<FoundDrive> drives_;
  std::vector<FoundDisk> disks_;
  size_t machineDiskCount_ = 0;
  std::vector<std::shared_ptr<DeviceNode>> images_;  // at most one
  std::vector<DeviceListGroup> groups_;
  int selectedRow_ = kNoRow;
};

}  // namespace orvande
