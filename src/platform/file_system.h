#pragma once
// Paths, folders and file attributes of the local file system. Paths are UTF-8 with '/' as the
// separator. Functions returning uint32_t give 0 on success or a Windows-numbered error code.
// Safe to use from any thread.
#include <cstdint>
#include <string>

namespace orvande::platform {

// True when something of that name exists (a dangling symbolic link counts: its name is taken).
bool PathExists(const std::string& path);
// True when the path names a folder (following symbolic links).
bool IsDirectory(const std::string& path);
// True when the path names a regular file (following symbolic links).
bool IsRegularFile(const std::string& path);
// True when the path itself is a regular file or a symbolic link (not followed).
bool IsRegularFileOrLink(const std::string& path);
// True when the path itself is a symbolic link (not followed).
bool IsSymbolicLink(const std::string& path);
// Which file a name stands for (not following a symbolic link): equal for two names of one file.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
};
uint32_t FileIdentityOf(const std::string& path, FileIdentity* identity);
// True when this process holds a descriptor of the file the path names (following symbolic
// links): a source being read must never be chosen as a file to write.
bool FileIsOpenHere(const std::string& path);
// The size in bytes of a file (following symbolic links).
uint32_t FileSizeOf(const std::string& path, uint64_t* bytes);
// Creates one folder (mode 0755 before the umask); its parent must exist.
uint32_t MakeDirectory(const std::string& path);
// Deletes a file (not a folder).
uint32_t RemoveFile(const std::string& path);
// Deletes a folder with everything in it, or a single file. Symbolic links inside are removed,
// never followed. A missing path is not an error.
uint32_t RemoveTree(const std::string& path);

// Sets the modification time (100-ns intervals since 1601-01-01 UTC); the access time stays.
uint32_t SetFileModifiedTime(const std::string& path, uint64_t fileTime);
// The modification time of a file as such a count.
uint32_t GetFileModifiedTime(const std::string& path, uint64_t* fileTime);

// Bytes an unprivileged user may still write on the file system holding the path.
uint32_t FreeSpaceBytes(const std::string& path, uint64_t* bytes);

// The device number (st_dev) of the file system holding the path, or of its nearest existing
// ancestor when the path does not exist yet.
uint32_t DeviceIdOfPath(const std::string& path, uint64_t* deviceId);
// The device number a block device node stands for (st_rdev); 50 for anything else.
uint32_t BlockDeviceId(const std::string& path, uint64_t* deviceId);
uint32_t DeviceMajor(uint64_t deviceId);
uint32_t DeviceMinor(uint64_t deviceId);

// The folder holding the running executable, without a final '/'; empty when unknown.
std::string ExecutableDirectory();
// The current working folder; empty when unknown.
std::string CurrentDirectory();

}  // namespace orvande::platform
