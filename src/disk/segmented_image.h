#pragma once
// A raw image kept in several pieces (disk.001, disk.002, ...) read as one: the pieces follow
// each other in the order given, each as long as its file. One thread at a time.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/raw_io.h"

namespace orvande {

class SegmentedImage {
 public:
  explicit SegmentedImage(platform::RawIo& io) : io_(io) {}
  ~SegmentedImage();
  SegmentedImage(const SegmentedImage&) = delete;
  SegmentedImage& operator=(const SegmentedImage&) = delete;

  // Opens every piece; false with the first failure's code, nothing left open.
  bool Open(const std::vector<std::string>& pieces, uint32_t* error);
  void Close();
  bool IsOpen() const { return !pieces_.empty(); }
  uint64_t SizeInBytes() const { return size_; }

  // Like RawIo::ReadAt over the whole set; a read crossing pieces reads each in turn.
  bool ReadAt(uint64_t offset, void* buffer, size_t size, size_t* bytesRead, uint32_t* error);

 private:
  struct Piece {
    platform::RawIo::Handle handle = platform::RawIo::kInvalidHandle;
    uint64_t start = 0;  // offset of its first byte in the whole image
    uint64_t size = 0;
  };

  // The piece holding the offset (offset below the image's size).
  size_t PieceAt(uint64_t offset) const;

  platform::RawIo& io_;
  std::vector<Piece> pieces_;
  uint64_t size_ = 0;
};

}  // namespace orvande
