#pragma once
// Positioned reads of files and block devices. The devices of the disk layer read through this
// interface so that tests can put a double in its place (one that fails chosen sectors with the
// data error, for instance). Error codes are Windows-numbered (platform/error_numbers.h); a raw
// errno never leaves the platform layer. The real implementation may be used from any thread.
#include <cstddef>
#include <cstdint>
#include <string>

namespace orvande::platform {

// Geometry of a block device, in the order the disk layer stores it.
struct BlockGeometry {
  uint64_t cylinders = 0;
  uint32_t mediaType = 0;
  uint32_t tracksPerCylinder = 0;
  uint32_t sectorsPerTrack = 0;
  uint32_t bytesPerSector = 0;
  uint64_t sizeBytes = 0;  // the device's size in bytes (BLKGETSIZE64)
};

class RawIo {
 public:
  using Handle = int;
  static constexpr Handle kInvalidHandle = -1;

  virtual ~RawIo() = default;
  // Opens a file or device read-only. Never opens for writing.
  virtual Handle OpenReadOnly(const std::string& path, uint32_t* error) = 0;
  virtual void Close(Handle handle) = 0;
  // Reads up to size bytes at the byte offset. True on success, with *bytesRead possibly short at
  // the end of a file; false with *error set otherwise.
  virtual bool ReadAt(Handle handle, uint64_t offset, void* buffer, size_t size, size_t* bytesRead,
                      uint32_t* error) = 0;
  // Reads like ReadAt, but around the system's cache: on a block device a failing sector then
  // costs only the logical sectors the request covers, where a cached read fails for a whole
  // page and its read-ahead. Any offset and size. Meant for retrying a failed range one logical
  // sector at a time; regular files (and this default) read as ReadAt does.
  virtual bool ReadDirectAt(Handle handle, uint64_t offset, void* buffer, size_t size,
                            size_t* bytesRead, uint32_t* error) {
    return ReadAt(handle, offset, buffer, size, bytesRead, error);
  }
  // Size, logical sector size and CHS geometry of a block device; for a regular file the size and
  // a 512-byte sector. False with *error when the handle answers neither.
  virtual bool QueryGeometry(Handle handle, BlockGeometry* geometry, uint32_t* error) = 0;
};

// The process's real implementation.
RawIo& SystemRawIo();

}  // namespace orvande::platform
