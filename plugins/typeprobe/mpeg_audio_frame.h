#pragma once
// The ID3v2 tag that precedes MPEG audio, and the 4-byte header of an MPEG audio frame (layers I to
// III, MPEG 1, 2 and 2.5) and the frame length it implies. Shared by the MP3 recogniser and its
// length rule. Safe from any thread.
#include <cstdint>
#include <optional>

namespace typeprobe {

struct MpegAudioFrame {
  uint8_t version = 0;    // the header's 2-bit version field: 0 MPEG 2.5, 2 MPEG 2, 3 MPEG 1
  uint8_t layer = 0;      // the header's 2-bit layer field: 1 layer III, 2 layer II, 3 layer I
  uint8_t rateIndex = 0;  // sample-rate index, 0..2
  uint32_t length = 0;    // bytes of the whole frame, header included
};

// The decoded header, or nothing when the bytes are no valid frame header (free-format frames,
// whose length the header does not tell, count as invalid).
std::optional<MpegAudioFrame> DecodeMpegAudioFrame(const uint8_t* header);

// The total length of an ID3v2 tag (header, body, footer) that starts at `header` (10 bytes
// readable), or nothing when the bytes are no tag header.
std::optional<uint64_t> Id3TagLength(const uint8_t* header);
inline constexpr uint32_t kId3HeaderSize = 10;

// True when two frames belong to the same stream (version, layer and sample rate do not change).
inline bool SameMpegStream(const MpegAudioFrame& a, const MpegAudioFrame& b) {
  return a.version == b.version && a.layer == b.layer && a.rateIndex == b.rateIndex;
}

}  // namespace typeprobe
