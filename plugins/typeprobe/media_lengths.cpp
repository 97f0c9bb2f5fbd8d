// Length rules of the audio and video containers: MP3 streams, ISO media files (MP4, MOV, HEIC)
// and the RIFF forms WAV and AVI.
#include <cstring>
#include <optional>

#include "be_reader.h"
#include "length_rules.h"
#include "mpeg_audio_frame.h"
#include "support/le_reader.h"

namespace typeprobe {
namespace {

using orvande::LeReader;

// Taggers may pad after the tag's declared size before the first frame.
constexpr uint64_t kMaxPaddingAfterTag = 64 * 1024;
// Without a tag a few frames in a row must agree before the data counts as audio.
constexpr uint32_t kMinUntaggedFrames = 3;
// ID3v1 tag at the end of the stream: "TAG" and 125 bytes of fields.
constexpr uint64_t kId3v1Size = 128;

// Moves past zero padding; true when a non-zero byte follows within the bound.
bool SkipZeroPadding(StreamCursor& in) {
  uint64_t skipped = 0;
  while (skipped < kMaxPaddingAfterTag) {
    if (!in.Ensure(1)) return false;
    const auto view = in.Available();
    size_t zeros = 0;
    while (zeros < view.size() && view[zeros] == 0) ++zeros;
    in.Skip(zeros);
    skipped += zeros;
    if (zeros < view.size()) return true;
  }
  return false;
}

// ISO media box head: u32 size (1: a u64 size follows the type; 0: to the end of the file), type.
constexpr size_t kBoxSizeOffset = 0;       // u32
constexpr size_t kBoxTypeOffset = 4;       // 4 bytes
constexpr size_t kBoxLargeSizeOffset = 8;  // u64
constexpr uint64_t kBoxHeadSize = 8;
constexpr uint64_t kBoxLargeHeadSize = 16;
constexpr uint32_t kMaxTopLevelBoxes = 65536;

// Box types that may stand at the top level of a file; anything else is the data after it.
constexpr const char* kTopLevelBoxes[] = {"moov", "mdat", "free", "skip", "wide", "uuid",
                                          "moof", "mfra", "meta", "pdin", "styp", "sidx",
                                          "ssix", "prft", "emsg", "pnot"};

bool IsTopLevelBox(const uint8_t* type) {
  for (const char* known : kTopLevelBoxes) {
    if (std::memcmp(type, known, 4) == 0) return true;
  }
  return false;
}

// RIFF header: "RIFF", u32 size of what follows, u32 form type.
constexpr size_t kRiffSizeOffset = 4;  // u32
constexpr size_t kRiffFormOffset = 8;  // 4 bytes
constexpr size_t kRiffHeaderSize = 12;
constexpr uint64_t kRiffChunkHeadSize = 8;
constexpr uint32_t kMaxAviExtensions = 4096;

// The length of the RIFF chunk at the position when it has the form, else 0. Sizes of 0 and
// all-ones are what streaming writers leave when they never came back to fill in the size.
uint64_t RiffChunkLength(StreamCursor& in, const char* form) {
  if (!in.Ensure(kRiffHeaderSize)) return 0;
  const auto head = in.Available().first(kRiffHeaderSize);
  if (std::memcmp(head.data(), "RIFF", 4) != 0 ||
      std::memcmp(head.data() + kRiffFormOffset, form, 4) != 0) {
    return 0;
  }
  const uint32_t size = LeReader(head).U32(kRiffSizeOffset);
  if (size < 4 || size == 0xFFFFFFFF) return 0;
  return kRiffChunkHeadSize + size;
}

}  // namespace

uint64_t Mp3Length(StreamCursor& in) {
  if (!in.Ensure(kId3HeaderSize)) return 0;
  const std::optional<uint64_t> tag = Id3TagLength(in.Available().data());
  if (tag && (!in.Skip(*tag) || !SkipZeroPadding(in))) return 0;
  std::optional<MpegAudioFrame> first;
  uint32_t frames = 0;
  // Every frame is at least 24 bytes long: the cursor's limit bounds the walk.
  for (;;) {
    if (!in.Ensure(4)) break;
    const auto frame = DecodeMpegAudioFrame(in.Available().data());
    if (!frame || (first && !SameMpegStream(*first, *frame))) break;
    if (!in.Skip(frame->length)) return 0;  // the last frame runs past the data
    if (!first) first = frame;
    ++frames;
  }
  if (frames == 0 || (!tag && frames < kMinUntaggedFrames)) return 0;
  if (in.Ensure(3) && std::memcmp(in.Available().data(), "TAG", 3) == 0) in.Skip(kId3v1Size);
  return in.Position();
}

uint64_t IsoMediaLength(StreamCursor& in) {
  uint64_t position = 0;
  bool indexSeen = false;  // moov for movies, meta for still images
  for (uint32_t box = 0; box < kMaxTopLevelBoxes; ++box) {
    if (!in.SeekTo(position) || !in.Ensure(kBoxHeadSize)) break;  // the data ends here
    const auto head = in.Available();
    const BeReader fields(head);
    const uint8_t* type = head.data() + kBoxTypeOffset;
    const bool isFileType = std::memcmp(type, "ftyp", 4) == 0;
    if (box == 0 && !isFileType) return 0;
    if (box > 0 && (isFileType || !IsTopLevelBox(type))) break;
    uint64_t size = fields.U32(kBoxSizeOffset);
    uint64_t headSize = kBoxHeadSize;
    if (size == 1) {
      if (!in.Ensure(kBoxLargeHeadSize)) return 0;
      size = BeReader(in.Available()).U64(kBoxLargeSizeOffset);
      headSize = kBoxLargeHeadSize;
    }
    // A box that runs to the end of the file does not tell where that is.
    if (size == 0 || size < headSize) return 0;
    if (size > in.Limit() - position) return 0;
    if (std::memcmp(type, "moov", 4) == 0 || std::memcmp(type, "meta", 4) == 0) indexSeen = true;
    position += size;
    if (box + 1 == kMaxTopLevelBoxes) return 0;
  }
  return indexSeen ? position : 0;
}

uint64_t WavLength(StreamCursor& in) {
  const uint64_t length = RiffChunkLength(in, "WAVE");
  return length <= in.Limit() ? length : 0;
}

uint64_t AviLength(StreamCursor& in) {
  uint64_t length = RiffChunkLength(in, "AVI ");
  if (length == 0 || length > in.Limit()) return 0;
  // Files past 1 GiB continue in further RIFF chunks of the form "AVIX".
  for (uint32_t extension = 0; extension < kMaxAviExtensions; ++extension) {
    if (!in.SeekTo(length)) break;
    const uint64_t more = RiffChunkLength(in, "AVIX");
    if (more == 0) break;
    if (more > in.Limit() - length) return 0;
    length += more;
  }
  return length;
}

}  // namespace typeprobe
