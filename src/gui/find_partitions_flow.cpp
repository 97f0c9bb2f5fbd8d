#include "gui/find_partitions_flow.h"

#include <vector>

#include "app/app_settings.h"
#include "app/device_list.h"
#include "app/partition_search_job.h"
#include "app/partition_search_range.h"
#include "app/search_disk_choice.h"
#include "disk/partitions_file.h"
#include "disk/partitions_file_messages.h"
#include "disk/physical_disk_node.h"
#include "disk/whole_disk_device.h"
#include "gui/find_partitions_dialog.h"
#include "gui/searching_partitions_dialog.h"
#include "search/search_options.h"

namespace orvande::gui {
namespace {

struct DiskGeometry {
  uint32_t bytesPerSector = 0;
  uint64_t totalSectors = 0;
};

// Opens the disk once more, its failures shown, to learn its sectors.
DiskGeometry MeasureDisk(PhysicalDiskNode& disk, Prompter& prompter) {
  WholeDiskDevice device(&disk, disk.GetPorts());
  DiskGeometry geometry;
  if (!device.Open(/*quiet=*/false, &prompter)) return geometry;
  geometry.bytesPerSector = device.Disk().BytesPerSector();
  geometry.totalSectors = device.Disk().TotalSectors();
  device.Close();
  return geometry;
}

void LoadInto(PhysicalDiskNode& disk, const FindPartitionsParts& parts) {
  const QString path = parts.fileBoxes.toLoad(parts.parent, disk.GetName());
  if (path.isEmpty()) return;
  int added = 0;
  const ResultCode loaded = LoadPartitions(disk, path.toStdString(), &added);
  if (ReportPartitionsLoad(parts.prompter, loaded, added, disk.GetName()))
    parts.partitionsChanged(disk);
}

std::shared_ptr<PartitionNode> Search(PhysicalDiskNode& disk, const FindPartitionsChoice& choice,
                                      const FindPartitionsParts& parts) {
  const DiskGeometry geometry = MeasureDisk(disk, parts.prompter);
  if (geometry.totalSectors == 0) return nullptr;
  if (choice.removePrevious) {
    disk.ClearPartitions();
    parts.partitionsChanged(disk);
  }
  const std::optional<SearchSectorRange> range =
      FormSearchRange(choice.start, choice.end, choice.unitBytes, geometry.bytesPerSector,
                      geometry.totalSectors);
  if (!range) return nullptr;

  PartitionSearchRequest request;
  request.disk = &disk;
  request.range = *range;
  request.fileSystems = choice.fileSystems;
  request.prompter = &parts.prompter;
  request.statusText = parts.statusText;
  PartitionSearchJob job(request);
  if (!job.Start()) return nullptr;
  SearchingLostPartitionsDialog window(job, disk, parts.prompter, parts.fileBoxes.toSave,
                                       parts.parent);
  window.exec();
  job.Stop();
  job.WaitUntilDone(parts.wait);
  parts.partitionsChanged(disk);
  return window.ChosenPartition();
}

}  // namespace

std::shared_ptr<PartitionNode> FindLostPartitions(const FindPartitionsParts& parts) {
  std::vector<PhysicalDiskNode*> disks;
  for (const FoundDisk& found : parts.devices.PhysicalDisks()) disks.push_back(found.node.get());
  std::vector<SearchDiskEntry> offered = ListSearchDisks(disks);
  if (!OfferSearchDisks(offered, parts.prompter)) return nullptr;

  FindLostPartitionsDialog window(offered, parts.settings.LastSelectedDisk(),
                                  parts.settings.ScanFS() & kAllSearchOptions, parts.prompter,
                                  parts.parent);
  window.exec();
  const FindPartitionsChoice choice = window.Choice();
  if (choice.action == FindPartitionsChoice::Action::kCancel || choice.disk < 0) return nullptr;
  PhysicalDiskNode& disk = *offered[static_cast<size_t>(choice.disk)].disk;
  if (choice.action == FindPartitionsChoice::Action::kLoad) {
    LoadInto(disk, parts);
    return nullptr;
  }
  parts.settings.SetLastSelectedDisk(choice.disk);
  parts.settings.SetScanFS(choice.fileSystems);
  return Search(disk, choice, parts);
}

}  // namespace orvande::gui
