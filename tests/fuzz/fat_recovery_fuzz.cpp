// Builds the tree of a fuzzed FAT volume (fat_fuzz_volume.h), then asks for the recovery
// probability of every file found and recovers each into one scratch file: the chain and
// free-cluster walks must end cleanly, and inside the volume, whatever the table holds.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/file_record.h"
#include "core/item_location.h"
#include "core/recovery_context.h"
#include "fat/fat_analyzer.h"
#include "fat_fuzz_volume.h"
#include "fuzz_device.h"
#include "support/operation_log.h"

namespace {

using namespace orvande;

// Files are written up to this size: enough for several batches of small clusters, and fast.
constexpr uint64_t kMaxRecoveredBytes = 256 * 1024;

const std::string& ScratchPath() {
  static const std::string path = [] {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("orvande_fat_recovery_fuzz_" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(folder);
    return (folder / "recovered.jpg").string();
  }();
  return path;
}

struct FoundFile {
  ItemLocation location;
  uint64_t size;
};

std::vector<FoundFile> FilesOf(const ItemStore& store) {
  std::vector<FoundFile> files;
  store.ForEach([&](uint32_t, FolderItem* folder) {
    for (const FileRecord& file : folder->Files()) files.push_back({file.location, file.size});
  });
  return files;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::BuildFatFuzzTree(
      data, size, [](FatAnalyzer& analyzer, fuzz::FuzzTree& build, OperationLog& log) {
        std::vector<FoundFile> files = FilesOf(build.store);
        StopFlag stop{0};
        for (FoundFile& file : files) {
          analyzer.GetRecoveryProbability(file.location, file.size, &log);
          RecoveryContext recovery;
          recovery.stop = &stop;
          analyzer.RecoverFile(file.location, std::min(file.size, kMaxRecoveredBytes),
                               ScratchPath(), false, recovery, &log);
        }
      });
  return 0;
}
