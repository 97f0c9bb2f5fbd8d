// The real RawIo: positioned reads of regular files and block devices through file descriptors.
#include <fcntl.h>
#include <linux/fs.h>
#include <linux/hdreg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <map>
#include <mutex>

#include "platform/device_access.h"
#include "platform/direct_read.h"
#include "platform/error_numbers.h"
#include "platform/raw_io.h"

namespace orvande::platform {
namespace {

// Media type numbers of the Windows geometry record.
constexpr uint32_t kMediaTypeFixed = 12;

constexpr uint32_t kDefaultSectorSize = 512;
// Stand-in CHS when the device reports none: the usual LBA translation.
constexpr uint32_t kFallbackHeads = 255;
constexpr uint32_t kFallbackSectorsPerTrack = 63;
// One read call asks for at most this much; the loop takes care of the rest.
constexpr size_t kMaxChunk = size_t{1} << 30;

void FillChs(BlockGeometry* g, uint32_t heads, uint32_t sectorsPerTrack) {
  if (heads == 0 || sectorsPerTrack == 0 || g->bytesPerSector == 0) {
    heads = kFallbackHeads;
    sectorsPerTrack = kFallbackSectorsPerTrack;
  }
  g->tracksPerCylinder = heads;
  g->sectorsPerTrack = sectorsPerTrack;
  uint64_t perCylinder = uint64_t{heads} * sectorsPerTrack * g->bytesPerSector;
  g->cylinders = perCylinder ? g->sizeBytes / perCylinder : 0;
}

class SystemRawIoImpl final : public RawIo {
 public:
  Handle OpenReadOnly(const std::string& path, uint32_t* error) override {
    SetError(error, 0);
    if (path.empty()) {
      SetError(error, kErrFileNotFound);
      return kInvalidHandle;
    }
    // A device the user was given read access to reads through the granted descriptor.
    if (const int granted = GrantedDeviceDescriptor(path); granted >= 0) return granted;
    // O_NONBLOCK keeps a FIFO from blocking the open; it is refused below anyway.
    int fd;
    do {
      fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
      SetError(error, LastError());
      return kInvalidHandle;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0) {
      SetError(error, LastError());
      close(fd);
      return kInvalidHandle;
    }
    if (S_ISDIR(st.st_mode)) {
      SetError(error, kErrDirectory);
      close(fd);
      return kInvalidHandle;
    }
    if (!S_ISREG(st.st_mode) && !S_ISBLK(st.st_mode)) {
      SetError(error, kErrNotSupported);
      close(fd);
      return kInvalidHandle;
    }
    int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
  }

  void Close(Handle handle) override {
    if (handle < 0) return;
    {
      std::lock_guard<std::mutex> lock(twinsMutex_);
      if (auto it = twins_.find(handle); it != twins_.end()) {
        if (it->second.fd >= 0) close(it->second.fd);
        twins_.erase(it);
      }
    }
    // Retrying close after EINTR could close a descriptor another thread just got.
    close(handle);
  }

  bool ReadDirectAt(Handle handle, uint64_t offset, void* buffer, size_t size, size_t* bytesRead,
                    uint32_t* error) override {
    const Twin twin = TwinOf(handle);
    if (twin.fd < 0) return ReadAt(handle, offset, buffer, size, bytesRead, error);
    size_t got = 0;
    uint32_t code = 0;
    const bool ok = ReadThroughTwin(twin.fd, twin.alignment, offset, buffer, size, &got, &code);
    if (bytesRead) *bytesRead = got;
    SetError(error, code);
    return ok;
  }

  bool ReadAt(Handle handle, uint64_t offset, void* buffer, size_t size, size_t* bytesRead,
              uint32_t* error) override {
    size_t done = 0;
    if (bytesRead) *bytesRead = 0;
    SetError(error, 0);
    if (handle < 0) {
      SetError(error, kErrInvalidHandle);
      return false;
    }
    if (size > 0 && buffer == nullptr) {
      SetError(error, kErrInvalidParameter);
      return false;
    }
    auto* out = static_cast<uint8_t*>(buffer);
    while (done < size) {
      uint64_t position = offset + done;
      if (position < offset || position > static_cast<uint64_t>(INT64_MAX)) {
        SetError(error, kErrInvalidParameter);
        if (bytesRead) *bytesRead = done;
        return false;
      }
      size_t chunk = size - done;
      if (chunk > kMaxChunk) chunk = kMaxChunk;
      ssize_t got = pread(handle, out + done, chunk, static_cast<off_t>(position));
      if (got < 0) {
        if (errno == EINTR) continue;
        SetError(error, LastError());
        if (bytesRead) *bytesRead = done;
        return false;
      }
      if (got == 0) break;  // end of file or device
      done += static_cast<size_t>(got);
    }
    if (bytesRead) *bytesRead = done;
    return true;
  }

  bool QueryGeometry(Handle handle, BlockGeometry* geometry, uint32_t* error) override {
    SetError(error, 0);
    if (handle < 0 || geometry == nullptr) {
      SetError(error, handle < 0 ? kErrInvalidHandle : kErrInvalidParameter);
      return false;
    }
    struct stat st {};
    if (fstat(handle, &st) != 0) {
      SetError(error, LastError());
      return false;
    }
    BlockGeometry g;
    g.mediaType = kMediaTypeFixed;
    if (S_ISREG(st.st_mode)) {
      g.sizeBytes = static_cast<uint64_t>(st.st_size);
      g.bytesPerSector = kDefaultSectorSize;
      FillChs(&g, 0, 0);
      *geometry = g;
      return true;
    }
    if (!S_ISBLK(st.st_mode)) {
      SetError(error, kErrNotSupported);
      return false;
    }
    uint64_t size = 0;
    if (ioctl(handle, BLKGETSIZE64, &size) != 0) {
      SetError(error, LastError());
      return false;
    }
    int sectorSize = 0;
    if (ioctl(handle, BLKSSZGET, &sectorSize) != 0 || sectorSize <= 0) {
      sectorSize = static_cast<int>(kDefaultSectorSize);
    }
    g.sizeBytes = size;
    g.bytesPerSector = static_cast<uint32_t>(sectorSize);
    struct hd_geometry chs {};
    if (ioctl(handle, HDIO_GETGEO, &chs) == 0) {
      // The cylinder field is 16 bits wide and wraps on large disks: derive it from the size.
      FillChs(&g, chs.heads, chs.sectors);
    } else {
      FillChs(&g, 0, 0);
    }
    *geometry = g;
    return true;
  }

 private:
  // The direct-I/O descriptor of a block device handle; fd -1 once it is known that there is none.
  struct Twin {
    int fd = -1;
    uint32_t alignment = 0;
  };

  // Made on the first direct read of a handle and kept until the handle is closed.
  Twin TwinOf(Handle handle) {
    if (handle < 0) return Twin{};
    std::lock_guard<std::mutex> lock(twinsMutex_);
    auto it = twins_.find(handle);
    if (it == twins_.end()) {
      Twin twin;
      twin.fd = OpenDirectTwin(handle, &twin.alignment);
      it = twins_.emplace(handle, twin).first;
    }
    return it->second;
  }

  static void SetError(uint32_t* error, uint32_t value) {
    if (error) *error = value;
  }

  std::mutex twinsMutex_;
  std::map<Handle, Twin> twins_;
};

}  // namespace

RawIo& SystemRawIo() {
  static SystemRawIoImpl instance;
  return instance;
}

}  // namespace orvande::platform
