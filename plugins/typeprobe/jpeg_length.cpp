// The JPEG length rule: the marker segments from SOI are walked by their lengths (so that an
// embedded thumbnail's EOI inside APP1 is not taken for the end), the entropy-coded data after
// each SOS is scanned for the next real marker, and the file ends after EOI.
#include <cstring>
#include <optional>

#include "be_reader.h"
#include "length_rules.h"

namespace typeprobe {
namespace {

constexpr uint8_t kMarkerPrefix = 0xFF;
constexpr uint8_t kSoi = 0xD8;
constexpr uint8_t kEoi = 0xD9;
constexpr uint8_t kSos = 0xDA;
constexpr uint8_t kTem = 0x01;
constexpr uint8_t kStuffedZero = 0x00;
// Fill bytes (0xFF) may pad before a marker; real encoders write a handful at most.
constexpr int kMaxFillBytes = 1024;

bool IsRestart(uint8_t marker) {
  return marker >= 0xD0 && marker <= 0xD7;
}

bool IsStartOfFrame(uint8_t marker) {
  // C0..CF except DHT (C4), JPG (C8) and DAC (CC).
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Reads "FF [FF...] m" and returns m; nothing on malformed data or the end of the data.
std::optional<uint8_t> NextMarker(StreamCursor& in) {
  uint8_t byte = 0;
  if (!in.ReadU8(&byte) || byte != kMarkerPrefix) return std::nullopt;
  for (int fill = 0; fill <= kMaxFillBytes; ++fill) {
    if (!in.ReadU8(&byte)) return std::nullopt;
    if (byte != kMarkerPrefix) {
      if (byte == kStuffedZero) return std::nullopt;
      return byte;
    }
  }
  return std::nullopt;
}

// Moves over entropy-coded data to the 0xFF of the marker that ends it. Stuffed zeros and
// restart markers belong to the data.
bool SkipEntropyData(StreamCursor& in) {
  int fill = 0;
  for (;;) {
    if (!in.Ensure(1)) return false;
    const auto view = in.Available();
    const void* hit = std::memchr(view.data(), kMarkerPrefix, view.size());
    if (hit == nullptr) {
      in.Skip(view.size());
      fill = 0;
      continue;
    }
    const size_t offset = static_cast<size_t>(static_cast<const uint8_t*>(hit) - view.data());
    if (offset > 0) fill = 0;
    in.Skip(offset);
    if (!in.Ensure(2)) return false;
    const uint8_t next = in.Available()[1];
    if (next == kStuffedZero || IsRestart(next)) {
      in.Skip(2);
      fill = 0;
    } else if (next == kMarkerPrefix) {
      if (++fill > kMaxFillBytes) return false;
      in.Skip(1);
    } else {
      return true;
    }
  }
}

}  // namespace

uint64_t JpegLength(StreamCursor& in) {
  uint8_t start[2] = {};
  if (!in.ReadBytes(start, 2) || start[0] != kMarkerPrefix || start[1] != kSoi) return 0;
  bool frameSeen = false;
  bool scanSeen = false;
  // Each pass consumes at least two bytes, so the cursor's limit bounds the walk.
  for (;;) {
    const auto marker = NextMarker(in);
    if (!marker || *marker == kSoi) return 0;
    if (*marker == kEoi) return scanSeen ? in.Position() : 0;
    if (*marker == kTem || IsRestart(*marker)) continue;  // stand-alone markers carry no length
    uint8_t lengthBytes[2] = {};
    if (!in.ReadBytes(lengthBytes, 2)) return 0;
    const uint64_t segmentLength = BeReader(lengthBytes, 2).U16(0);
    if (segmentLength < 2) return 0;
    if (!in.Skip(segmentLength - 2)) return 0;
    if (IsStartOfFrame(*marker)) frameSeen = true;
    if (*marker == kSos) {
      if (!frameSeen) return 0;  // a scan needs the frame that describes it
      scanSeen = true;
      if (!SkipEntropyData(in)) return 0;
    }
  }
}

}  // namespace typeprobe
