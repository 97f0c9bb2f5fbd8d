#pragma once
// Length rules: each reads a file of its type from the cursor's offset 0 and returns its length in
// bytes, or 0 when the data is malformed, truncated, or longer than the cursor's limit. Each walk
// is bounded by the limit and, where a structure repeats, by a count. Safe from any thread (all
// state lives in the cursor).
#include <cstdint>

#include "stream_cursor.h"

namespace typeprobe {

using LengthRule = uint64_t (*)(StreamCursor& in);

uint64_t JpegLength(StreamCursor& in);
uint64_t PngLength(StreamCursor& in);
uint64_t GifLength(StreamCursor& in);
uint64_t BmpLength(StreamCursor& in);
uint64_t ZipLength(StreamCursor& in);
uint64_t CompoundFileLength(StreamCursor& in);
uint64_t SevenZipLength(StreamCursor& in);
uint64_t Mp3Length(StreamCursor& in);
uint64_t IsoMediaLength(StreamCursor& in);
uint64_t WavLength(StreamCursor& in);
uint64_t AviLength(StreamCursor& in);

}  // namespace typeprobe
