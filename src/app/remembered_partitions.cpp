#include "app/remembered_partitions.h"

#include <filesystem>
#include <system_error>

#include "disk/partitions_file.h"
#include "platform/error_numbers.h"
#include "platform/user_folders.h"
#include "support/format.h"

namespace orvande {
namespace {

namespace fs = std::filesystem;

constexpr char kPartitionsSubfolder[] = "/orvande/partitions";

// FNV-1a: stable across runs and builds, which std::hash is not required to be.
uint64_t StableHash(const std::string& text) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 0x100000001b3ull;
  }
  return hash;
}

}  // namespace

std::string RememberedPartitionsFile(const std::string& canonicalPath, uint64_t sizeBytes) {
  const std::string state = platform::UserStateFolder();
  if (state.empty()) return std::string();
  // The size is part of the key: a disk image made again under the same name is another disk.
  const uint64_t key = StableHash(canonicalPath + '\n' + std::to_string(sizeBytes));
  return state + kPartitionsSubfolder +
         Format("/%016llx.ovp", static_cast<unsigned long long>(key));
}

ResultCode RememberPartitions(PhysicalDiskNode& disk, const std::string& file) {
  std::error_code ec;
  fs::create_directories(fs::path(file).parent_path(), ec);
  if (ec) return platform::ErrorFromErrno(ec.value());
  return SavePartitions(disk, file);
}

ResultCode RecallPartitions(PhysicalDiskNode& disk, const std::string& file, int* added) {
  *added = 0;
  std::error_code ec;
  if (file.empty() || !fs::exists(file, ec)) return kSuccess;
  return LoadPartitions(disk, file, added);
}

}  // namespace orvande
