#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "platform/error_numbers.h"
#include "platform/file_time.h"

namespace orvande::platform {
namespace {

constexpr mode_t kNewFolderMode = 0755;
// Open descriptors nftw may hold while walking a deep tree.
constexpr int kTreeWalkDescriptors = 32;

int RemoveEntry(const char* path, const struct stat*, int typeflag, struct FTW*) {
  int rc = (typeflag == FTW_DP) ? rmdir(path) : unlink(path);
  // Something that vanished meanwhile is as good as removed.
  return (rc == 0 || errno == ENOENT) ? 0 : errno;
}

std::string ParentOf(const std::string& path) {
  size_t end = path.size();
  while (end > 1 && path[end - 1] == '/') --end;  // ignore trailing separators
  size_t slash = path.rfind('/', end - 1);
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

bool PathExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && lstat(path.c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsRegularFileOrLink(const std::string& path) {
  struct stat st {};
  return !path.empty() && lstat(path.c_str(), &st) == 0 &&
         (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode));
}

bool IsSymbolicLink(const std::string& path) {
  struct stat st {};
  return !path.empty() && lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

uint32_t FileIdentityOf(const std::string& path, FileIdentity* identity) {
  struct stat st {};
  if (path.empty()) return kErrFileNotFound;
  if (lstat(path.c_str(), &st) != 0) return LastError();
  identity->device = static_cast<uint64_t>(st.st_dev);
  identity->inode = static_cast<uint64_t>(st.st_ino);
  return 0;
}

bool FileIsOpenHere(const std::string& path) {
  struct stat wanted {};
  if (path.empty() || stat(path.c_str(), &wanted) != 0) return false;
  DIR* descriptors = opendir("/proc/self/fd");
  if (descriptors == nullptr) return false;
  const int listing = dirfd(descriptors);
  bool open = false;
  while (const dirent* entry = readdir(descriptors)) {
    char* end = nullptr;
    const long descriptor = std::strtol(entry->d_name, &end, 10);
    if (end == entry->d_name || *end != '\0' || descriptor == listing) continue;
    struct stat held {};
    if (fstat(static_cast<int>(descriptor), &held) == 0 && held.st_dev == wanted.st_dev &&
        held.st_ino == wanted.st_ino) {
      open = true;
      break;
    }
  }
  closedir(descriptors);
  return open;
}

uint32_t FileSizeOf(const std::string& path, uint64_t* bytes) {
  struct stat st {};
  if (path.empty()) return kErrFileNotFound;
  if (stat(path.c_str(), &st) != 0) return LastError();
  *bytes = static_cast<uint64_t>(st.st_size);
  return 0;
}

uint32_t MakeDirectory(const std::string& path) {
  if (path.empty()) return kErrPathNotFound;
  if (mkdir(path.c_str(), kNewFolderMode) == 0) return 0;
  return errno == ENOENT ? kErrPathNotFound : LastError();
}

uint32_t RemoveFile(const std::string& path) {
  if (path.empty()) return kErrFileNotFound;
  return unlink(path.c_str()) == 0 ? 0 : LastError();
}

uint32_t RemoveTree(const std::string& path) {
  if (path.empty()) return kErrPathNotFound;
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) return errno == ENOENT ? 0 : LastError();
  if (!S_ISDIR(st.st_mode)) return RemoveFile(path);
  int rc = nftw(path.c_str(), RemoveEntry, kTreeWalkDescriptors, FTW_DEPTH | FTW_PHYS);
  if (rc == 0) return 0;
  return rc > 0 ? ErrorFromErrno(rc) : LastError();
}

uint32_t SetFileModifiedTime(const std::string& path, uint64_t fileTime) {
  if (path.empty()) return kErrFileNotFound;
  struct timespec times[2] = {};
  times[0].tv_nsec = UTIME_OMIT;
  FileTimeToUnix(fileTime, &times[1].tv_sec, &times[1].tv_nsec);
  return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0 ? 0 : LastError();
}

uint32_t GetFileModifiedTime(const std::string& path, uint64_t* fileTime) {
  struct stat st {};
  if (path.empty()) return kErrFileNotFound;
  if (stat(path.c_str(), &st) != 0) return LastError();
  if (fileTime) *fileTime = UnixToFileTime(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
  return 0;
}

uint32_t FreeSpaceBytes(const std::string& path, uint64_t* bytes) {
  struct statvfs vfs {};
  if (path.empty()) return kErrPathNotFound;
  if (statvfs(path.c_str(), &vfs) != 0) return LastError();
  unsigned __int128 total = static_cast<unsigned __int128>(vfs.f_bavail) * vfs.f_frsize;
  if (bytes) *bytes = total > UINT64_MAX ? UINT64_MAX : static_cast<uint64_t>(total);
  return 0;
}

uint32_t DeviceIdOfPath(const std::string& path, uint64_t* deviceId) {
  if (path.empty()) return kErrPathNotFound;
  std::string probe = path;
  // Climb until something exists; "/" always does, so this ends.
  for (;;) {
    struct stat st {};
    if (stat(probe.c_str(), &st) == 0) {
      if (deviceId) *deviceId = st.st_dev;
      return 0;
    }
    if (errno != ENOENT && errno != ENOTDIR) return LastError();
    std::string parent = ParentOf(probe);
    if (parent == probe) return LastError();
    probe = parent;
  }
}

uint32_t BlockDeviceId(const std::string& path, uint64_t* deviceId) {
  struct stat st {};
  if (path.empty()) return kErrFileNotFound;
  if (stat(path.c_str(), &st) != 0) return LastError();
  if (!S_ISBLK(st.st_mode)) return kErrNotSupported;
  if (deviceId) *deviceId = st.st_rdev;
  return 0;
}

uint32_t DeviceMajor(uint64_t deviceId) {
  return major(static_cast<dev_t>(deviceId));
}
uint32_t DeviceMinor(uint64_t deviceId) {
  return minor(static_cast<dev_t>(deviceId));
}

std::string ExecutableDirectory() {
  std::vector<char> buffer(PATH_MAX + 1);
  ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (length <= 0) return std::string();
  std::string path(buffer.data(), static_cast<size_t>(length));
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return std::string();
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string CurrentDirectory() {
  std::vector<char> buffer(PATH_MAX + 1);
  if (getcwd(buffer.data(), buffer.size()) == nullptr) return std::string();
  return std::string(buffer.data());
}

}  // namespace orvande::platform
