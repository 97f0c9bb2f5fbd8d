#pragma once
// One file found in a folder. A value kept inside its FolderItem's list; not thread-safe (the
// store lock guards the list it lives in).
//
// Kept small on purpose: a large NTFS volume holds millions of them. The name is one owned,
// NUL-terminated buffer instead of a std::string, and the probability code is stored in a byte.
#include <cstdint>
#include <memory>
#include <string_view>

#include "core/item_location.h"

namespace orvande {

// Recovery probability codes.
inline constexpr uint32_t kProbabilityGood = 0;
inline constexpr uint32_t kProbabilityAverage = 1;
inline constexpr uint32_t kProbabilityPoor = 2;
inline constexpr uint32_t kProbabilityUnknown = 3;
inline constexpr uint32_t kProbabilityNotDeleted = 4;

class FileRecord {
 public:
  FileRecord() = default;
  FileRecord(uint32_t id, const ItemLocation& location, std::string_view name, uint64_t size,
             uint64_t created, uint64_t modified, uint8_t deleted);
  FileRecord(const FileRecord& other);
  FileRecord& operator=(const FileRecord& other);
  FileRecord(FileRecord&&) noexcept = default;
  FileRecord& operator=(FileRecord&&) noexcept = default;
  ~FileRecord() = default;

  // UTF-8; a deleted FAT name may start with '?'.
  std::string_view Name() const {
    return name_ ? std::string_view(name_.get()) : std::string_view();
  }
  const char* NameCStr() const { return name_ ? name_.get() : ""; }
  void SetName(std::string_view name);

  // Public so that an analyzer can change the location in place (FixFat32StartCluster).
  ItemLocation location;
  uint64_t created = 0;   // 100 ns units since 1601-01-01 UTC
  uint64_t modified = 0;  // 100 ns units since 1601-01-01 UTC
  uint64_t size = 0;
  uint32_t id = 0;
  uint8_t deleted = 0;
  uint8_t hidden = 0;  // 1 while the deleted-only filter hides this live file
  uint8_t probability = kProbabilityUnknown;  // one of the kProbability codes

 private:
  std::unique_ptr<char[]> name_;
};

}  // namespace orvande
