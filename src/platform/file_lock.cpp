#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/error_numbers.h"

namespace orvande::platform {
namespace {

constexpr mode_t kLockFileMode = 0600;

}  // namespace

AdvisoryFileLock::~AdvisoryFileLock() {
  Release();
}

uint32_t AdvisoryFileLock::Acquire(const std::string& lockFilePath) {
  Release();
  const int fd =
      open(lockFilePath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, kLockFileMode);
  if (fd < 0) return LastError();
  int rc;
  do {
    rc = flock(fd, LOCK_EX);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    const uint32_t error = LastError();
    close(fd);
    return error;
  }
  fd_ = fd;
  return 0;
}

void AdvisoryFileLock::Release() {
  if (fd_ < 0) return;
  flock(fd_, LOCK_UN);
  close(fd_);
  fd_ = -1;
}

}  // namespace orvande::platform
