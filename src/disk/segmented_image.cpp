#include "disk/segmented_image.h"

#include <algorithm>

#include "platform/error_numbers.h"

namespace orvande {

SegmentedImage::~SegmentedImage() {
  Close();
}

bool SegmentedImage::Open(const std::vector<std::string>& pieces, uint32_t* error) {
  Close();
  if (pieces.empty()) {
    *error = platform::kErrFileNotFound;
    return false;
  }
  for (const std::string& path : pieces) {
    Piece piece;
    piece.handle = io_.OpenReadOnly(path, error);
    if (piece.handle == platform::RawIo::kInvalidHandle) {
      Close();
      return false;
    }
    platform::BlockGeometry geometry;
    if (!io_.QueryGeometry(piece.handle, &geometry, error)) {
      io_.Close(piece.handle);
      Close();
      return false;
    }
    piece.start = size_;
    piece.size = geometry.sizeBytes;
    size_ += piece.size;
    pieces_.push_back(piece);
  }
  return true;
}

void SegmentedImage::Close() {
  for (const Piece& piece : pieces_) io_.Close(piece.handle);
  pieces_.clear();
  size_ = 0;
}

size_t SegmentedImage::PieceAt(uint64_t offset) const {
  const auto after =
      std::upper_bound(pieces_.begin(), pieces_.end(), offset,
                       [](uint64_t value, const Piece& piece) { return value < piece.start; });
  return static_cast<size_t>(after - pieces_.begin()) - 1;
}

bool SegmentedImage::ReadAt(uint64_t offset, void* buffer, size_t size, size_t* bytesRead,
                            uint32_t* error) {
  *bytesRead = 0;
  if (pieces_.empty()) {
    *error = platform::kErrInvalidHandle;
    return false;
  }
  auto* out = static_cast<uint8_t*>(buffer);
  while (size > 0 && offset < size_) {
    const Piece& piece = pieces_[PieceAt(offset)];
    const uint64_t inPiece = offset - piece.start;
    const size_t want = static_cast<size_t>(std::min<uint64_t>(size, piece.size - inPiece));
    size_t got = 0;
    if (!io_.ReadAt(piece.handle, inPiece, out, want, &got, error)) return false;
    *bytesRead += got;
    // A piece that shrank since it was opened ends the image there.
    if (got < want) return true;
    out += got;
    offset += got;
    size -= got;
  }
  return true;
}

}  // namespace orvande
