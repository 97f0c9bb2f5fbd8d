#pragma once
// An ordinary file opened for writing: recovered files, disk images, partitions information files.
// Errors are Windows-numbered (platform/error_numbers.h): 112 when the disk is full. One thread at
// a time may use an instance.
#include <cstddef>
#include <cstdint>
#include <string>

namespace orvande::platform {

class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&& other) noexcept;

  // Creates the file, or empties an existing one, for writing (mode 0644 before the umask).
  // A symbolic link in the last place of the path is refused (1921), never followed: recovered
  // files must land where their name says. Closes a file this object already held. Returns 0 or
  // an error code.
  uint32_t CreateOrReplace(const std::string& path);
  // Creates a new file in place of an existing file or link of that name: it is unlinked first
  // (a hard link or a symbolic link put there never leads the writing to another file), then
  // the file is created exclusively. Anything else of that name (a device, a pipe) is opened for
  // writing as CreateOrReplace does; it is never unlinked.
  uint32_t CreateFresh(const std::string& path);
  // Creates the file only when no file of that name exists (80 when one does).
  uint32_t CreateNew(const std::string& path);

  // Writes every byte unless an error stops it; *written (optional) tells how many went out.
  uint32_t Write(const void* data, size_t size, size_t* written = nullptr);
  // Moves the write position to a byte offset from the start.
  uint32_t Seek(uint64_t offset);
  // Makes the file exactly size bytes long; bytes it gains read as zeros and take no space
  // where the file system keeps holes.
  uint32_t SetSize(uint64_t size);
  // Closes the file; a deferred write error (a full disk on a network share) is reported here.
  uint32_t Close();

  bool IsOpen() const { return fd_ >= 0; }
  const std::string& path() const { return path_; }

 private:
  uint32_t Open(const std::string& path, int extraFlags);
  int fd_ = -1;
  std::string path_;
};

}  // namespace orvande::platform
