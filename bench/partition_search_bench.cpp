// The lost partition search over an 8 GiB disk image without a partition table that holds five
// volumes made by mkfs.fat and mkntfs (FAT12, FAT16, FAT32 and two NTFS, two of them at sectors
// that are neither 8- nor 2048-aligned). The image is read through once so that it sits in the
// page cache; then `cat` of it and the search are timed in turn, ORVANDE_BENCH_RUNS times
// (default 3), so that the ratio of the two holds even on a busy machine. Prints every partition
// found and fails unless the search lists the five volumes, in order, and nothing unexpected.
//
// The image is sparse and lives in a fresh folder under ORVANDE_BENCH_TMP (default /tmp), removed
// at the end; or at ORVANDE_PARTITION_BENCH_IMAGE, made there when missing and kept, so that
// repeated runs skip the formatting. Needs mkfs.fat, mkntfs, dd and cat; not run in CI.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
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

class QuietProgress : public SearchProgress {
 public:
  QuietProgress() { ready = true; }
  void SetTotal(uint32_t) override {}
  void AddPartition(const std::shared_ptr<PartitionNode>&) override {}
};

double SecondsOf(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double GbPerSecond(double seconds) { return kDiskSectors * 512.0 / seconds / 1e9; }

uint32_t KindOf(const Volume& v) { return std::string(v.name) == "NTFS" ? kFsNtfs : kFsFat; }

// What a listed partition is: one of the placed volumes, a copy that a placed volume keeps of
// its own start (the FAT32 backup boot sector 6 sectors in, the NTFS table's mirror, which gives
// a record trace inside the volume), or nothing we put there.
const char* WhatIsListed(const PartitionNode& p) {
  for (const Volume& v : kVolumes) {
    if (p.GetPartitionFsKind() != KindOf(v)) continue;
    if (p.GetFirstSector() == v.at) return "placed";
    const bool inside = p.GetFirstSector() > v.at && p.GetFirstSector() < v.at + v.sectors;
    if (inside && (KindOf(v) == kFsNtfs || p.GetFirstSector() == v.at + 6)) return "backup copy";
  }
  return "UNEXPECTED";
}

// True when the disk's list holds the placed volumes in the order they lie, and besides them
// only the backup copies that the search's rules list as well.
bool ListsThePlacedVolumes(const PhysicalDiskNode& disk) {
  std::vector<uint64_t> placed;
  bool expected = true;
  for (const auto& p : disk.Partitions()) {
    const char* what = WhatIsListed(*p);
    std::printf("  found kind %u at sector %llu, %llu sectors: %s\n", p->GetPartitionFsKind(),
                static_cast<unsigned long long>(p->GetFirstSector()),
                static_cast<unsigned long long>(p->GetSectorCount()), what);
    if (std::string(what) == "placed") placed.push_back(p->GetFirstSector());
    expected = expected && std::string(what) != "UNEXPECTED";
  }
  std::vector<uint64_t> wanted;
  for (const Volume& v : kVolumes) wanted.push_back(v.at);
  return expected && placed == wanted;
}

int RunsWanted() {
  const char* runs = std::getenv("ORVANDE_BENCH_RUNS");
  return runs != nullptr ? std::max(1, std::atoi(runs)) : 3;
}

// Times cat and the search in turn; 0 when the search listed the five volumes as it should.
int Measure(const fs::path& image) {
  RegisterAnalyzer(kFsFat, &MakeFatAnalyzer);
  RegisterAnalyzer(kFsNtfs, &MakeNtfsAnalyzer);
  DevicePorts ports;
  ports.io = &platform::SystemRawIo();
  ports.queryVersion = [] { return platform::PlatformVersion{platform::kAccessModeDevicePaths, 4}; };
  ports.diskPath = [&image](uint32_t) { return image.string(); };
  const std::string cat = "cat '" + image.string() + "' >/dev/null";
  if (!Run(cat)) return 1;  // the warm-up read: from now on the image is in the page cache

  std::printf("volumes placed:\n");
  for (const Volume& v : kVolumes)
    std::printf("  %s at sector %llu\n", v.name, static_cast<unsigned long long>(v.at));
  double bestCat = 0;
  double bestSearch = 0;
  bool listed = true;
  for (int run = 0; run < RunsWanted(); ++run) {
    const double catSeconds = SecondsOf([&] { Run(cat); });
    PhysicalDiskNode disk(0, "bench", ports);
    WholeDiskDevice device(&disk, ports);
    if (!device.Open(true, nullptr)) return 1;
    QuietProgress progress;
    StopFlag cancel{0};
    uint32_t result = 0;
    const double searchSeconds = SecondsOf([&] {
      result = SearchLostPartitions(device, &cancel, 0, kDiskSectors - 1, progress,
                                    [] { return kAllSearchOptions; });
    });
    device.Close();
    std::printf("run %d: cat %.2f GB/s, search %.2f GB/s (%.2f s, result 0x%08x), ratio %.2f\n",
                run + 1, GbPerSecond(catSeconds), GbPerSecond(searchSeconds), searchSeconds,
                result, catSeconds / searchSeconds);
    bestCat = std::max(bestCat, GbPerSecond(catSeconds));
    bestSearch = std::max(bestSearch, GbPerSecond(searchSeconds));
    if (run == 0) listed = ListsThePlacedVolumes(disk);
  }
  std::printf("best: cat %.2f GB/s, search %.2f GB/s\n", bestCat, bestSearch);
  std::printf(listed ? "the five volumes were listed, in order, with nothing unexpected\n"
                    : "FAILED: a volume is missing or something unexpected was listed\n");
  return listed ? 0 : 1;
}

}  // namespace

int main() {
  if (const char* kept = std::getenv("ORVANDE_PARTITION_BENCH_IMAGE")) {
    const fs::path image = kept;
    if (!fs::exists(image) && !MakeImage(image.parent_path(), image)) return 1;
    return Measure(image);
  }
  const char* base = std::getenv("ORVANDE_BENCH_TMP");
  std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/partition-search-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return 1;
  const fs::path folder = pattern;
  const fs::path image = folder / "disk.img";
  const int status = MakeImage(folder, image) ? Measure(image) : 1;
  fs::remove_all(folder);
  return status;
}
