#include "stream_cursor.h"

#include <algorithm>
#include <cstring>

namespace typeprobe {

StreamCursor::StreamCursor(Stream& stream, uint64_t limit)
    : stream_(stream), limit_(std::min(limit, stream.GetLength())), buffer_(kChunkSize) {}

bool StreamCursor::Ensure(size_t count) {
  if (count > kChunkSize) return false;
  if (bufferEnd_ - bufferPos_ >= count) return true;
  return Refill(count);
}

bool StreamCursor::Refill(size_t count) {
  // Keep the unread tail and read behind it.
  const size_t kept = bufferEnd_ - bufferPos_;
  if (kept > 0 && bufferPos_ > 0) std::memmove(buffer_.data(), buffer_.data() + bufferPos_, kept);
  bufferStart_ += bufferPos_;
  bufferPos_ = 0;
  bufferEnd_ = kept;
  while (bufferEnd_ < count) {
    const uint64_t readFrom = bufferStart_ + bufferEnd_;
    if (readFrom >= limit_) return false;
    if (!streamPositionKnown_ || streamPosition_ != readFrom) {
      uint64_t reached = 0;
      reached = stream_.Seek(static_cast<int64_t>(readFrom), 0, &reached);
      if (reached != readFrom) return false;
      streamPosition_ = readFrom;
      streamPositionKnown_ = true;
    }
    const uint64_t wanted = std::min<uint64_t>(kChunkSize - bufferEnd_, limit_ - readFrom);
    uint32_t got = 0;
    const bool ok = stream_.Read(buffer_.data() + bufferEnd_, static_cast<uint32_t>(wanted), &got);
    if (got > wanted) got = static_cast<uint32_t>(wanted);  // a stream that over-reports
    bufferEnd_ += got;
    streamPosition_ += got;
    if (!ok || got == 0) return bufferEnd_ >= count;
  }
  return true;
}

bool StreamCursor::ReadBytes(uint8_t* out, size_t count) {
  if (!Ensure(count)) return false;
  std::memcpy(out, buffer_.data() + bufferPos_, count);
  bufferPos_ += count;
  return true;
}

bool StreamCursor::Skip(uint64_t count) {
  if (count <= bufferEnd_ - bufferPos_) {
    bufferPos_ += static_cast<size_t>(count);
    return true;
  }
  const uint64_t position = Position();
  if (count > limit_ - position) return false;
  return SeekTo(position + count);
}

bool StreamCursor::SeekTo(uint64_t offset) {
  if (offset > limit_) return false;
  if (offset >= bufferStart_ && offset - bufferStart_ <= bufferEnd_) {
    bufferPos_ = static_cast<size_t>(offset - bufferStart_);
    return true;
  }
  // Outside the buffer: start afresh there; the next read seeks the stream.
  bufferStart_ = offset;
  bufferPos_ = 0;
  bufferEnd_ = 0;
  return true;
}

bool StreamCursor::FindNext(std::span<const uint8_t> pattern) {
  if (pattern.empty() || pattern.size() > 64) return false;
  for (;;) {
    if (!Ensure(pattern.size())) return false;
    const auto view = Available();
    const auto hit = std::search(view.begin(), view.end(), pattern.begin(), pattern.end());
    if (hit != view.end()) {
      bufferPos_ += static_cast<size_t>(hit - view.begin());
      return true;
    }
    // Keep the last pattern.size() - 1 bytes: a match may start there and end in the next chunk.
    bufferPos_ += view.size() - (pattern.size() - 1);
    if (!Refill(kChunkSize)) {
      if (bufferEnd_ - bufferPos_ < pattern.size()) return false;
    }
  }
}

}  // namespace typeprobe
