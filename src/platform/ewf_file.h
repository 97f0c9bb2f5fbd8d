#pragma once
// The media of an evidence file set (segments NAME.E01, NAME.E02, ...) read through the system's
// evidence-format library, read-only. Errors are Windows-numbered (platform/error_numbers.h); the
// library's own words for the last failure are kept for the user. One thread at a time.
#include <cstddef>
#include <cstdint>
#include <string>

namespace orvande::platform {

class EwfFile {
 public:
  EwfFile() = default;
  ~EwfFile();
  EwfFile(const EwfFile&) = delete;
  EwfFile& operator=(const EwfFile&) = delete;

  // Opens the set that the named segment belongs to (the other segments are found beside it).
  // A missing or unreadable file gives its system error; a set the library refuses (truncated,
  // damaged, not evidence at all) gives the data error.
  bool Open(const std::string& segmentPath, uint32_t* error);
  void Close();
  bool IsOpen() const { return handle_ != nullptr; }

  uint64_t MediaSize() const { return mediaSize_; }
  uint32_t BytesPerSector() const { return bytesPerSector_; }

  // Reads up to size bytes of the media at the offset, like RawIo::ReadAt: short only at the end
  // of the media. A chunk the library cannot read gives the data error.
  bool ReadAt(uint64_t offset, void* buffer, size_t size, size_t* bytesRead, uint32_t* error);

  // What the library said about the last failure; empty when it said nothing.
  const std::string& FailureText() const { return failureText_; }

 private:
  // Whether the first and the last bytes of the media can be had.
  bool CanReadEnds();

  void* handle_ = nullptr;  // the library's handle, kept opaque so that its header stays here
  uint64_t mediaSize_ = 0;
  uint32_t bytesPerSector_ = 0;
  uint32_t checksumErrors_ = 0;  // seen so far: a read that adds one failed
  std::string failureText_;
};

}  // namespace orvande::platform
