#pragma once
// Buffered forward reading of a Stream from its offset 0, never past a byte limit. The stream
// may be a whole volume, so every length rule reads through this cursor: chunks of 64 KiB instead
// of small virtual calls, and seeks instead of reads when skipping large ranges.
// One cursor per search; not for use from several threads.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "typeprobe_abi.h"

namespace typeprobe {

class StreamCursor {
 public:
  static constexpr size_t kChunkSize = 64 * 1024;

  // limit: the caller's size bound, cut to the stream's length.
  StreamCursor(Stream& stream, uint64_t limit);

  uint64_t Position() const { return bufferStart_ + bufferPos_; }
  uint64_t Limit() const { return limit_; }

  // Makes at least `count` bytes (at most kChunkSize) readable at the position; false when the
  // limit or the end of the readable data comes first.
  bool Ensure(size_t count);
  // The buffered bytes from the position on; at least what the last successful Ensure asked for.
  std::span<const uint8_t> Available() const {
    return {buffer_.data() + bufferPos_, bufferEnd_ - bufferPos_};
  }
  // Exactly `count` bytes (at most kChunkSize) into `out`, or false.
  bool ReadBytes(uint8_t* out, size_t count);
  bool ReadU8(uint8_t* value) { return ReadBytes(value, 1); }
  // Moves forward; false when that would pass the limit.
  bool Skip(uint64_t count);
  bool SeekTo(uint64_t offset);
  // Moves to the next occurrence of `pattern` (1 to 64 bytes) at or after the position, also when
  // it straddles two chunks; false when none starts before the limit.
  bool FindNext(std::span<const uint8_t> pattern);

 private:
  bool Refill(size_t count);

  Stream& stream_;
  uint64_t limit_;
  std::vector<uint8_t> buffer_;
  uint64_t bufferStart_ = 0;  // stream offset of buffer_[0]
  size_t bufferPos_ = 0;
  size_t bufferEnd_ = 0;
  uint64_t streamPosition_ = 0;  // where the stream itself stands, to skip needless seeks
  bool streamPositionKnown_ = false;
};

}  // namespace typeprobe
