#include "fake_raw_io.h"

#include <algorithm>

#include "platform/error_numbers.h"

namespace orvande::test {

void FakeRawIo::AddImage(const std::string& path, uint64_t size, uint32_t bytesPerSector) {
  images_[path] = Image{size, bytesPerSector};
}

void FakeRawIo::FailRange(uint64_t offset, uint64_t size, uint32_t error, bool cachedOnly) {
  failures_.push_back(Failure{offset, size, error, cachedOnly});
}

void FakeRawIo::FailOpen(const std::string& path, uint32_t error) {
  openFailures_[path] = error;
}

platform::RawIo::Handle FakeRawIo::OpenReadOnly(const std::string& path, uint32_t* error) {
  *error = 0;
  if (auto it = openFailures_.find(path); it != openFailures_.end()) {
    *error = it->second;
    return kInvalidHandle;
  }
  if (!images_.count(path)) {
    *error = platform::kErrFileNotFound;
    return kInvalidHandle;
  }
  Handle handle = next_++;
  open_[handle] = path;
  return handle;
}

void FakeRawIo::Close(Handle handle) {
  open_.erase(handle);
}

bool FakeRawIo::ReadAt(Handle handle, uint64_t offset, void* buffer, size_t size, size_t* bytesRead,
                       uint32_t* error) {
  return Serve(handle, offset, buffer, size, bytesRead, error, false);
}

bool FakeRawIo::ReadDirectAt(Handle handle, uint64_t offset, void* buffer, size_t size,
                             size_t* bytesRead, uint32_t* error) {
  return Serve(handle, offset, buffer, size, bytesRead, error, true);
}

bool FakeRawIo::Serve(Handle handle, uint64_t offset, void* buffer, size_t size, size_t* bytesRead,
                     uint32_t* error, bool direct) {
  *bytesRead = 0;
  *error = 0;
  auto it = open_.find(handle);
  if (it == open_.end()) {
    *error = platform::kErrInvalidHandle;
    return false;
  }
  reads_.push_back(Read{offset, size, direct});
  for (const Failure& f : failures_) {
    if (direct && f.cachedOnly) continue;
    if (offset < f.offset + f.size && f.offset < offset + size) {
      *error = f.error;
      return false;
    }
  }
  const uint64_t imageSize = images_[it->second].size;
  size_t n =
      offset >= imageSize ? 0 : static_cast<size_t>(std::min<uint64_t>(size, imageSize - offset));
  auto* out = static_cast<uint8_t*>(buffer);
  for (size_t i = 0; i < n; ++i) out[i] = PatternByte(offset + i);
  *bytesRead = n;
  return true;
}

bool FakeRawIo::QueryGeometry(Handle handle, platform::BlockGeometry* geometry, uint32_t* error) {
  auto it = open_.find(handle);
  if (it == open_.end()) {
    *error = platform::kErrInvalidHandle;
    return false;
  }
  const Image& image = images_[it->second];
  *geometry = platform::BlockGeometry{};
  geometry->bytesPerSector = image.bytesPerSector;
  geometry->sizeBytes = image.size;
  geometry->tracksPerCylinder = 255;
  geometry->sectorsPerTrack = 63;
  return true;
}

}  // namespace orvande::test
