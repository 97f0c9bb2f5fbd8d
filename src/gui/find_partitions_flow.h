#pragma once
// The main window's "Find lost partitions" command from the choice of the disk to the end of the
// search: the "Find Lost Partitions" window, loading a partitions information file, the search
// job with its "Searching Lost Partitions" window, and the waits in between. User-interface
// thread only.
#include <functional>
#include <memory>

#include "gui/find_partitions_files.h"

class QWidget;

namespace orvande {
class AppSettings;
class DeviceList;
class PartitionNode;
class PhysicalDiskNode;
class Prompter;
class StatusTextSink;
class UiWait;
}  // namespace orvande

namespace orvande::gui {

struct FindPartitionsParts {
  QWidget* parent = nullptr;
  AppSettings& settings;
  Prompter& prompter;
  UiWait& wait;
  const DeviceList& devices;  // where the disks come from
  StatusTextSink* statusText = nullptr;
  // The disk's lost partitions changed: its entries in the device list are to be made anew.
  std::function<void(PhysicalDiskNode&)> partitionsChanged;
  PartitionsFileBoxes fileBoxes;  // where the partitions information file is asked for
};

// Runs the command; the partition the user chose in the search window, or null.
std::shared_ptr<PartitionNode> FindLostPartitions(const FindPartitionsParts& parts);

}  // namespace orvande::gui
