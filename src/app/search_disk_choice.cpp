#include "app/search_disk_choice.h"

#include "disk/physical_disk_node.h"
#include "disk/whole_disk_device.h"
#include "support/formatters.h"
#include "support/prompter.h"
#include "support/string_table.h"

namespace orvande {
namespace {

// The bytes the disk holds, or 0 when it can't be opened.
uint64_t MeasureDisk(PhysicalDiskNode& disk) {
  SectorDevice* device = disk.CreateDevice();
  if (device == nullptr) return 0;
  uint64_t bytes = 0;
  auto* whole = dynamic_cast<WholeDiskDevice*>(device);
  if (whole != nullptr && whole->Open(true, nullptr)) {
    bytes = whole->Disk().TotalSectors() * whole->Disk().BytesPerSector();
    whole->Close();
  }
  device->Release();
  return bytes;
}

}  // namespace

std::string SearchDiskText(const std::string& name, uint64_t sizeBytes) {
  return name + " (" + FormatSize(static_cast<double>(sizeBytes)) + ")";
}

bool DiskQualifiesForSearch(uint64_t sizeBytes) {
  return sizeBytes >= kMinSearchDiskBytes;
}

std::vector<SearchDiskEntry> ListSearchDisks(const std::vector<PhysicalDiskNode*>& disks) {
  std::vector<SearchDiskEntry> entries;
  for (PhysicalDiskNode* disk : disks) {
    if (disk == nullptr) continue;
    const uint64_t bytes = MeasureDisk(*disk);
    if (!DiskQualifiesForSearch(bytes)) continue;
    entries.push_back({disk, bytes, SearchDiskText(disk->GetName(), bytes)});
  }
  return entries;
}

bool OfferSearchDisks(const std::vector<SearchDiskEntry>& entries, Prompter& prompter) {
  if (!entries.empty()) return true;
  prompter.ShowMessage(strings::kNoHardDrive, strings::kProgramTitle, MessageIcon::kError,
                       MessageButtons::kOk);
  return false;
}

}  // namespace orvande
