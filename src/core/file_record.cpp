#include "core/file_record.h"

#include <algorithm>
#include <cstring>

namespace orvande {

FileRecord::FileRecord(uint32_t id, const ItemLocation& location, std::string_view name,
                       uint64_t size, uint64_t created, uint64_t modified, uint8_t deleted)
    : location(location),
      created(created),
      modified(modified),
      size(size),
      id(id),
      deleted(deleted) {
  SetName(name);
}

FileRecord::FileRecord(const FileRecord& other)
    : location(other.location),
      created(other.created),
      modified(other.modified),
      size(other.size),
      id(other.id),
      deleted(other.deleted),
      hidden(other.hidden),
      probability(other.probability) {
  SetName(other.Name());
}

FileRecord& FileRecord::operator=(const FileRecord& other) {
  if (this != &other) {
    FileRecord copy(other);
    *this = std::move(copy);
  }
  return *this;
}

void FileRecord::SetName(std::string_view name) {
  // A name stops at its first NUL, as the buffer is NUL-terminated.
  name = name.substr(0, std::min(name.size(), name.find('\0')));
  auto buffer = std::make_unique_for_overwrite<char[]>(name.size() + 1);
  std::memcpy(buffer.get(), name.data(), name.size());
  buffer[name.size()] = '\0';
  name_ = std::move(buffer);
}

}  // namespace orvande
