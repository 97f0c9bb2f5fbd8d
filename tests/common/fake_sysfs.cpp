#include "common/fake_sysfs.h"

#include <fstream>

namespace orvande::test {

DiscoverySources FakeSysfsWithOneDisk(const std::filesystem::path& root) {
  namespace fs = std::filesystem;
  for (const char* partition : {"sda1", "sda2"}) {
    fs::create_directories(root / "block" / "sda" / partition);
    std::ofstream(root / "block" / "sda" / partition / "partition") << "1";
  }
  std::ofstream(root / "block" / "sda" / "size") << "4096";
  DiscoverySources sources;
  sources.sysRoot = root.string();
  sources.probe = [](const std::string&) -> std::optional<platform::VolumeFacts> {
    return platform::VolumeFacts{"ntfs", "", "", false};
  };
  return sources;
}

}  // namespace orvande::test
