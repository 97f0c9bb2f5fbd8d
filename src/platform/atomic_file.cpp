#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/error_numbers.h"

namespace orvande::platform {
namespace {

constexpr mode_t kPrivateFileMode = 0600;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

uint32_t WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return LastError();
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return 0;
}

uint32_t WriteAndSync(const std::string& path, std::string_view bytes) {
  const int fd =
      open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, kPrivateFileMode);
  if (fd < 0) return LastError();
  uint32_t error = WriteAll(fd, bytes);
  if (error == 0 && fsync(fd) != 0) error = LastError();
  if (close(fd) != 0 && error == 0) error = LastError();
  return error;
}

// The rename itself lives in the folder: without this a power cut may bring the old name back.
void SyncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

std::string AtomicTemporaryPath(const std::string& path) {
  return path + ".tmp";
}

uint32_t ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
  const std::string temporary = AtomicTemporaryPath(path);
  uint32_t error = WriteAndSync(temporary, bytes);
  if (error == 0 && rename(temporary.c_str(), path.c_str()) != 0) error = LastError();
  if (error != 0) {
    // Only a regular file of ours is removed; whatever else holds the name stays as it was.
    struct stat st {};
    if (lstat(temporary.c_str(), &st) == 0 && S_ISREG(st.st_mode)) unlink(temporary.c_str());
    return error;
  }
  SyncFolder(FolderOf(path));
  return 0;
}

}  // namespace orvande::platform
