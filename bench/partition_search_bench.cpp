// The lost partition search over an 8 GiB disk image without a partition table that holds five
// volumes made by mkfs.fat and mkntfs (FAT12, FAT16, FAT32 and two NTFS, two of them at sectors
// that are neither 8- nor 2048-aligned). Prints the scan speed and every partition found.
//
// The image is sparse and lives in a fresh folder under ORVANDE_BENCH_TMP (default /tmp), removed
// at the end. Needs mkfs.fat, mkntfs and dd; not run in CI.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/analyzer_factory.h"
#include "disk/physical_disk_node.h"
#include "disk/whole_disk_device.h"
#include "fat/fat_analyzer.h"
#include "ntfs/ntfs_analyzer.h"
#include "platform/raw_io.h"
#include "platform/version.h"
#include "search/lost_partition_search.h"

namespace {

using namespace orvande;
namespace fs = std::filesystem;

constexpr uint64_t kDiskSectors = 8ull << 21;  // 8 GiB of 512-byte sectors

struct Volume {
  const char* name;
  const char* make;  // %s: the volume's file
  uint64_t sectors;
  uint64_t at;
};

const std::vector<Volume> kVolumes = {
    {"FAT12", "mkfs.fat -F 12 -C '%s' 4096", 8192, 2049},
    {"FAT16", "mkfs.fat -F 16 -C '%s' 65536", 131072, 1ull << 21},
    {"NTFS", "mkntfs -F -q -Q '%s' 524288", 524288, 2ull << 21},
    {"FAT32", "mkfs.fat -F 32 -C '%s' 262144", 524288, (4ull << 21) + 2048},
    {"NTFS", "mkntfs -F -q -Q '%s' 1048576", 1048576, (6ull << 21) + 13},
};

bool Run(const std::string& command) {
  return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

bool MakeImage(const fs::path& folder, const fs::path& image) {
  std::ofstream(image, std::ios::binary).close();
  fs::resize_file(image, kDiskSectors * 512);
  for (size_t i = 0; i < kVolumes.size(); ++i) {
    const fs::path volume = folder / ("volume" + std::to_string(i));
    if (std::string(kVolumes[i].name) == "NTFS") {
      std::ofstream(volume, std::ios::binary).close();
      fs::resize_file(volume, kVolumes[i].sectors * 512);
    }
    std::string make = kVolumes[i].make;
    make.replace(make.find("%s"), 2, volume.string());
    if (!Run(make)) {
      std::fprintf(stderr, "failed: %s\n", make.c_str());
      return false;
    }
    if (!Run("dd if='" + volume.string() + "' of='" + image.string() + "' bs=512 seek=" +
             std::to_string(kVolumes[i].at) + " conv=notrunc,sparse status=none"))
      return false;
    fs::remove(volume);
  }
  return true;
}

class PrintingProgress : public SearchProgress {
 public:
  PrintingProgress() { ready = true; }
  void SetTotal(uint32_t) override {}
  void AddPartition(const std::shared_ptr<PartitionNode>& p) override {
    std::printf("  found kind %u at sector %llu, %llu sectors\n", p->GetPartitionFsKind(),
                static_cast<unsigned long long>(p->GetFirstSector()),
                static_cast<unsigned long long>(p->GetSectorCount()));
  }
};

}  // namespace

int main() {
  const char* base = std::getenv("ORVANDE_BENCH_TMP");
  std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/partition-search-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return 1;
  const fs::path folder = pattern;
  const fs::path image = folder / "disk.img";
  int status = 1;
  if (MakeImage(folder, image)) {
    RegisterAnalyzer(kFsFat, &MakeFatAnalyzer);
    RegisterAnalyzer(kFsNtfs, &MakeNtfsAnalyzer);
    DevicePorts ports;
    ports.io = &platform::SystemRawIo();
    ports.queryVersion = [] { return platform::PlatformVersion{platform::kAccessModeDevicePaths, 4}; };
    ports.diskPath = [&image](uint32_t) { return image.string(); };
    PhysicalDiskNode disk(0, "bench", ports);
    WholeDiskDevice device(&disk, ports);
    if (device.Open(true, nullptr)) {
      PrintingProgress progress;
      StopFlag cancel{0};
      std::printf("volumes placed:\n");
      for (const Volume& v : kVolumes)
        std::printf("  %s at sector %llu\n", v.name, static_cast<unsigned long long>(v.at));
      std::printf("search:\n");
      const auto start = std::chrono::steady_clock::now();
      const uint32_t result = SearchLostPartitions(device, &cancel, 0, kDiskSectors - 1, progress,
                                                   [] { return kAllSearchOptions; });
      const double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      std::printf("result 0x%08x, %zu partition(s) listed, %.2f s, %.2f GB/s\n", result,
                  disk.Partitions().size(), seconds, kDiskSectors * 512.0 / seconds / 1e9);
      status = 0;
    }
  }
  fs::remove_all(folder);
  return status;
}
