#include "disk/logical_drive_list.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "disk/whole_disk_list.h"
#include "support/format.h"

namespace orvande {
namespace {

constexpr uint64_t kSysfsUnit = 512;

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

bool HoldsVolume(const std::optional<platform::VolumeFacts>& facts) {
  return facts && !facts->fsType.empty();
}

// Optical drives and compressed swap never hold a volume we read; a RAM disk or an unbound loop
// device only looks like one.
bool SkippedByName(const platform::WholeDeviceFacts& whole) {
  const std::string& name = whole.device.name;
  if (StartsWith(name, "sr") || StartsWith(name, "zram")) return true;
  return StartsWith(name, "loop") && whole.device.backingFile.empty();
}

bool SortsBefore(const platform::BlockDeviceFacts& a, const platform::BlockDeviceFacts& b) {
  return NaturalLess(a.name, b.name);
}

std::optional<platform::VolumeFacts> Probe(const DiscoverySources& sources,
                                           const std::string& name) {
  if (!sources.probe) return std::nullopt;
  return sources.probe(sources.devFolder + "/" + name);
}

FoundDrive MakeDrive(const DiscoverySources& sources, const platform::BlockDeviceFacts& facts,
                     const std::optional<platform::VolumeFacts>& volume) {
  const std::string path = sources.devFolder + "/" + facts.name;
  const std::string fsText = FsTextOf(volume);
  const std::string label = volume ? volume->label : std::string();
  FoundDrive drive;
  drive.node = std::make_shared<LogicalDriveNode>(path, LogicalDriveText(label, path, fsText),
                                                  HoldsVolume(volume) ? FsKindOfName(fsText) : 0,
                                                  facts.removable, '0', sources.ports);
  drive.sizeBytes = facts.sizeSectors * kSysfsUnit;
  return drive;
}

void AddDevice(const DiscoverySources& sources, platform::WholeDeviceFacts& whole,
               std::vector<FoundDrive>* drives) {
  if (SkippedByName(whole)) return;
  if (!whole.partitions.empty()) {
    std::sort(whole.partitions.begin(), whole.partitions.end(), SortsBefore);
    for (const platform::BlockDeviceFacts& partition : whole.partitions) {
      drives->push_back(MakeDrive(sources, partition, Probe(sources, partition.name)));
    }
    return;
  }
  const auto volume = Probe(sources, whole.device.name);
  // A table the kernel made no partitions of (a loop device bound without scanning) is a disk,
  // not a volume.
  if (volume && volume->partitionTable && volume->fsType.empty()) return;
  if (StartsWith(whole.device.name, "ram") && !HoldsVolume(volume)) return;
  drives->push_back(MakeDrive(sources, whole.device, volume));
}

}  // namespace

int FsKindOfName(std::string_view fsName) {
  if (EqualNoCase(fsName, "NTFS")) return kFsNtfs;
  if (fsName.size() >= 3 && EqualNoCase(fsName.substr(0, 3), "FAT")) return kFsFat;
  return kFsNone;
}

std::string FsTextOf(const std::optional<platform::VolumeFacts>& facts) {
  if (!HoldsVolume(facts)) return kUnknownFsText;
  if (facts->fsType == "vfat" || facts->fsType == "msdos")
    return StartsWith(facts->fsVersion, "FAT") ? facts->fsVersion : std::string("FAT");
  if (facts->fsType == "ntfs") return "NTFS";
  return facts->fsType;
}

std::string LogicalDriveText(const std::string& label, const std::string& devicePath,
                             const std::string& fsText) {
  return Format(" %s (%s) : %s", label.empty() ? kNoLabelText : label.c_str(),
                devicePath.c_str(), fsText.c_str());
}

bool EnumerateLogicalDrives(const DiscoverySources& sources, std::vector<FoundDrive>* drives) {
  drives->clear();
  std::error_code ec;
  if (!std::filesystem::is_directory(std::filesystem::path(sources.sysRoot) / "block", ec))
    return false;
  std::vector<platform::WholeDeviceFacts> devices = platform::ListBlockDevices(sources.sysRoot);
  std::sort(devices.begin(), devices.end(),
            [](const platform::WholeDeviceFacts& a, const platform::WholeDeviceFacts& b) {
              return SortsBefore(a.device, b.device);
            });
  for (platform::WholeDeviceFacts& whole : devices) AddDevice(sources, whole, drives);
  return true;
}

}  // namespace orvande
