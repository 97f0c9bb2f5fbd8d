#include "platform/block_device_facts.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <system_error>


namespace orvande::platform {
namespace {

namespace fs = std::filesystem;

// The first line of a sysfs attribute file, without its line feed; empty when missing.
std::string ReadAttribute(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  if (in) std::getline(in, line);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return line;
}

uint64_t ReadNumber(const fs::path& file) {
  const std::string text = ReadAttribute(file);
  uint64_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

bool Exists(const fs::path& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

BlockDeviceFacts ReadFacts(const fs::path& folder, const BlockDeviceFacts* disk) {
  BlockDeviceFacts facts;
  facts.name = folder.filename().string();
  facts.sizeSectors = ReadNumber(folder / "size");
  if (disk != nullptr) {
    facts.isPartition = true;
    facts.parentDisk = disk->name;
    facts.removable = disk->removable;
    facts.vendor = disk->vendor;
    facts.model = disk->model;
    return facts;
  }
  facts.removable = ReadAttribute(folder / "removable") == "1";
  facts.backingFile = ReadAttribute(folder / "loop" / "backing_file");
  facts.vendor = ReadAttribute(folder / "device" / "vendor");
  facts.model = ReadAttribute(folder / "device" / "model");
  return facts;
}

}  // namespace

std::vector<WholeDeviceFacts> ListBlockDevices(const std::string& sysRoot) {
  std::vector<WholeDeviceFacts> devices;
  std::error_code ec;
  fs::directory_iterator it(fs::path(sysRoot) / "block", ec);
  if (ec) return devices;
  for (const fs::directory_entry& entry : it) {
    WholeDeviceFacts whole;
    whole.device = ReadFacts(entry.path(), nullptr);
    // A partition is a sub-folder that has a "partition" attribute (holders, queue and the like
    // have none).
    fs::directory_iterator sub(entry.path(), ec);
    if (!ec) {
      for (const fs::directory_entry& child : sub) {
        if (Exists(child.path() / "partition"))
          whole.partitions.push_back(ReadFacts(child.path(), &whole.device));
      }
    }
    ec.clear();
    devices.push_back(std::move(whole));
  }
  return devices;
}

}  // namespace orvande::platform
