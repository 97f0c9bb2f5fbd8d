#include "platform/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <utility>

#include "platform/error_numbers.h"

namespace orvande::platform {
namespace {

constexpr mode_t kNewFileMode = 0644;
constexpr size_t kMaxChunk = size_t{1} << 30;

}  // namespace

OutputFile::~OutputFile() {
  Close();
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
  }
  return *this;
}

uint32_t OutputFile::CreateOrReplace(const std::string& path) {
  return Open(path, O_TRUNC | O_NOFOLLOW);
}

uint32_t OutputFile::CreateFresh(const std::string& path) {
  // Most names are new: the exclusive create is tried first and is all they need.
  const uint32_t created = Open(path, O_EXCL | O_NOFOLLOW);
  if (created != kErrFileExists) return created;
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) return Open(path, O_EXCL | O_NOFOLLOW);
  // Only files and links are replaced by unlinking; a device or a pipe named on purpose is
  // written to as it stands, and a folder is refused by the open.
  if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) return Open(path, O_TRUNC | O_NOFOLLOW);
  if (unlink(path.c_str()) != 0 && errno != ENOENT) {
    const uint32_t error = LastError();
    Close();
    return error;
  }
  return Open(path, O_EXCL | O_NOFOLLOW);
}

uint32_t OutputFile::CreateNew(const std::string& path) {
  return Open(path, O_EXCL);
}

uint32_t OutputFile::Open(const std::string& path, int extraFlags) {
  Close();
  if (path.empty()) return kErrPathNotFound;
  int fd;
  do {
    fd = open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC | extraFlags, kNewFileMode);
  } while (fd < 0 && errno == EINTR);
  // Creating names its folder: a missing name here means a missing folder.
  if (fd < 0) return errno == ENOENT ? kErrPathNotFound : LastError();
  fd_ = fd;
  path_ = path;
  return 0;
}

uint32_t OutputFile::Write(const void* data, size_t size, size_t* written) {
  size_t done = 0;
  uint32_t result = 0;
  if (fd_ < 0) {
    result = kErrInvalidHandle;
  } else if (size > 0 && data == nullptr) {
    result = kErrInvalidParameter;
  }
  const auto* bytes = static_cast<const uint8_t*>(data);
  while (result == 0 && done < size) {
    size_t chunk = size - done < kMaxChunk ? size - done : kMaxChunk;
    ssize_t put = write(fd_, bytes + done, chunk);
    if (put < 0) {
      if (errno == EINTR) continue;
      result = LastError();
    } else if (put == 0) {
      // A write that takes nothing and reports nothing: the device is full.
      result = kErrDiskFull;
    } else {
      done += static_cast<size_t>(put);
    }
  }
  if (written) *written = done;
  return result;
}

uint32_t OutputFile::Seek(uint64_t offset) {
  if (fd_ < 0) return kErrInvalidHandle;
  if (offset > static_cast<uint64_t>(INT64_MAX)) return kErrInvalidParameter;
  if (lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0) return LastError();
  return 0;
}

uint32_t OutputFile::SetSize(uint64_t size) {
  if (fd_ < 0) return kErrInvalidHandle;
  if (size > static_cast<uint64_t>(INT64_MAX)) return kErrInvalidParameter;
  int result;
  do {
    result = ftruncate(fd_, static_cast<off_t>(size));
  } while (result != 0 && errno == EINTR);
  return result == 0 ? 0 : LastError();
}

uint32_t OutputFile::Close() {
  if (fd_ < 0) return 0;
  int fd = std::exchange(fd_, -1);
  // No retry after EINTR: the descriptor is gone either way on Linux.
  if (close(fd) == 0 || errno == EINTR) return 0;
  return LastError();
}

}  // namespace orvande::platform
