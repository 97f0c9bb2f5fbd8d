#include "platform/direct_read.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/error_numbers.h"

namespace orvande::platform {
namespace {

// Buffers are aligned to at least a page: some drivers want more than the logical sector size.
constexpr size_t kMinBufferAlignment = 4096;

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};

}  // namespace

int OpenDirectTwin(int fd, uint32_t* alignment) {
  struct stat st {};
  if (fd < 0 || fstat(fd, &st) != 0 || !S_ISBLK(st.st_mode)) return -1;
  int sectorSize = 0;
  if (ioctl(fd, BLKSSZGET, &sectorSize) != 0 || sectorSize <= 0) return -1;
  // The descriptor's own path reopens the same device, whatever name it was opened by.
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  int twin;
  do {
    twin = open(self.c_str(), O_RDONLY | O_CLOEXEC | O_DIRECT);
  } while (twin < 0 && errno == EINTR);
  if (twin < 0) return -1;
  *alignment = static_cast<uint32_t>(sectorSize);
  return twin;
}

bool ReadThroughTwin(int directFd, uint32_t alignment, uint64_t offset, void* buffer, size_t size,
                     size_t* bytesRead, uint32_t* error) {
  *bytesRead = 0;
  *error = 0;
  if (size == 0) return true;
  const uint64_t a = alignment;
  const uint64_t start = offset / a * a;
  if (offset > UINT64_MAX - size || offset + size > UINT64_MAX - a) {
    *error = kErrInvalidParameter;
    return false;
  }
  const uint64_t end = (offset + size + a - 1) / a * a;
  const uint64_t span = end - start;
  if (end > static_cast<uint64_t>(INT64_MAX) || span > SIZE_MAX) {
    *error = kErrInvalidParameter;
    return false;
  }
  const size_t bufferAlignment = alignment > kMinBufferAlignment ? alignment : kMinBufferAlignment;
  const size_t allocation =
      (static_cast<size_t>(span) + bufferAlignment - 1) / bufferAlignment * bufferAlignment;
  std::unique_ptr<void, FreeDeleter> bounce(std::aligned_alloc(bufferAlignment, allocation));
  if (!bounce) {
    *error = kErrNotEnoughMemory;
    return false;
  }
  ssize_t got;
  do {
    got = pread(directFd, bounce.get(), static_cast<size_t>(span), static_cast<off_t>(start));
  } while (got < 0 && errno == EINTR);
  if (got < 0) {
    *error = LastError();
    return false;
  }
  const uint64_t skip = offset - start;
  const uint64_t have = static_cast<uint64_t>(got) > skip ? static_cast<uint64_t>(got) - skip : 0;
  const size_t copy = static_cast<size_t>(have < size ? have : size);
  std::memcpy(buffer, static_cast<uint8_t*>(bounce.get()) + skip, copy);
  *bytesRead = copy;
  return true;
}

}  // namespace orvande::platform
