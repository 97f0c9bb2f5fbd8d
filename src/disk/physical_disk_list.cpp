#include "disk/physical_disk_list.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>

#include "disk/whole_disk_list.h"
#include "support/format.h"

namespace orvande {
namespace {

constexpr uint64_t kSysfsUnit = 512;

// As the inquiry data is read: printable ASCII up to 'z' only, anything else ends the text.
std::string_view CutInquiryField(std::string_view field) {
  size_t end = 0;
  while (end < field.size()) {
    const auto byte = static_cast<unsigned char>(field[end]);
    if (byte < 33 || byte > 122) break;
    ++end;
  }
  return field.substr(0, end);
}

}  // namespace

std::string DiskIdentificationText(std::string_view vendor, std::string_view model) {
  // A virtio disk's "vendor" is the PCI vendor number, not a maker's name.
  if (vendor.starts_with("0x")) vendor = {};
  std::string text(CutInquiryField(vendor));
  const std::string_view product = CutInquiryField(model);
  if (!text.empty() && !product.empty()) text += ' ';
  text += product;
  return text;
}

std::string PhysicalDiskName(uint32_t number, const std::string& identification) {
  if (identification.empty()) return Format("Disk %u", number);
  return Format("Disk %u (%s)", number, identification.c_str());
}

bool EnumeratePhysicalDisks(const DiscoverySources& sources, std::vector<FoundDisk>* disks) {
  disks->clear();
  const std::string sysBlock = sources.sysRoot + "/block";
  std::error_code ec;
  if (!std::filesystem::is_directory(sysBlock, ec)) return false;
  std::map<std::string, platform::BlockDeviceFacts> factsByName;
  for (platform::WholeDeviceFacts& whole : platform::ListBlockDevices(sources.sysRoot))
    factsByName[whole.device.name] = std::move(whole.device);

  const std::vector<std::string> names = ListWholeDisks(sysBlock);
  // The nodes open their disks by number; the number must name the same device as the listing.
  DevicePorts ports = sources.ports;
  ports.diskPath = [names, devFolder = sources.devFolder](uint32_t number) {
    return number < names.size() ? devFolder + "/" + names[number] : std::string();
  };
  for (uint32_t number = 0; number < names.size(); ++number) {
    const platform::BlockDeviceFacts& facts = factsByName[names[number]];
    FoundDisk disk;
    disk.path = sources.devFolder + "/" + names[number];
    disk.node = std::make_shared<PhysicalDiskNode>(
        number, PhysicalDiskName(number, DiskIdentificationText(facts.vendor, facts.model)),
        ports);
    disk.sizeBytes = facts.sizeSectors * kSysfsUnit;
    disks->push_back(std::move(disk));
  }
  return true;
}

FoundDisk MakeImageDisk(const std::string& imagePath, uint32_t number, DevicePorts ports,
                        uint64_t sizeBytes) {
  ports.diskPath = [imagePath, number](uint32_t asked) {
    return asked == number ? imagePath : std::string();
  };
  FoundDisk disk;
  disk.path = imagePath;
  disk.node = std::make_shared<PhysicalDiskNode>(number, PhysicalDiskName(number, std::string()),
                                                 std::move(ports));
  disk.sizeBytes = sizeBytes;
  return disk;
}

}  // namespace orvande
