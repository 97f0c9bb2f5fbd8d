#include "app/image_target.h"

#include <limits>

#include "platform/file_system.h"

namespace orvande {

uint64_t ImageTarget::FreeSpace(const std::string& folder) {
  uint64_t bytes = 0;
  if (platform::FreeSpaceBytes(folder, &bytes) != 0) {
    return static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
  }
  return bytes;
}

uint32_t ImageTarget::Create(const std::string& path) {
  return file_.CreateOrReplace(path);
}

uint32_t ImageTarget::Write(const void* data, size_t size, size_t* written) {
  return file_.Write(data, size, written);
}

uint32_t ImageTarget::Seek(uint64_t offset) {
  return file_.Seek(offset);
}

uint32_t ImageTarget::SetSize(uint64_t size) {
  return file_.SetSize(size);
}

uint32_t ImageTarget::Close() {
  return file_.IsOpen() ? file_.Close() : 0;
}

uint32_t ImageTarget::Remove(const std::string& path) {
  return platform::RemoveFile(path);
}

}  // namespace orvande
