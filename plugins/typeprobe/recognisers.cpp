#include "recognisers.h"

#include <cstring>

#include "be_reader.h"
#include "mpeg_audio_frame.h"
#include "support/le_reader.h"

namespace typeprobe {
namespace {

using orvande::LeReader;

bool StartsWith(const uint8_t* buffer, uint32_t length, const char* signature, uint32_t size) {
  return buffer != nullptr && length >= size && std::memcmp(buffer, signature, size) == 0;
}

bool IsPrintableFourCc(const uint8_t* code) {
  for (int i = 0; i < 4; ++i) {
    if (code[i] < 0x20 || code[i] > 0x7E) return false;
  }
  return true;
}

}  // namespace

bool RecogniseJpeg(const uint8_t* buffer, uint32_t length) {
  if (buffer == nullptr || length < 4 || buffer[0] != 0xFF || buffer[1] != 0xD8 ||
      buffer[2] != 0xFF) {
    return false;
  }
  const uint8_t marker = buffer[3];
  const bool plausible = (marker >= 0xE0 && marker <= 0xEF) || marker == 0xDB ||
                         (marker >= 0xC0 && marker <= 0xC4) || marker == 0xFE;
  if (!plausible) return false;
  // Every one of these markers starts a segment whose length counts its own two bytes.
  return length < 6 || BeReader(buffer, length).U16(4) >= 2;
}

bool RecognisePng(const uint8_t* buffer, uint32_t length) {
  return StartsWith(buffer, length, "\x89PNG\r\n\x1A\n", 8);
}

bool RecogniseGif(const uint8_t* buffer, uint32_t length) {
  return StartsWith(buffer, length, "GIF87a", 6) || StartsWith(buffer, length, "GIF89a", 6);
}

bool RecogniseBmp(const uint8_t* buffer, uint32_t length) {
  // File header: "BM", u32 file size at 2, u16 x2 reserved at 6, u32 pixel offset at 10;
  // then the u32 size of the info header at 14.
  if (buffer == nullptr || length < 18 || buffer[0] != 'B' || buffer[1] != 'M') return false;
  const LeReader header(buffer, length);
  const uint32_t infoSize = header.U32(14);
  const bool knownInfo = infoSize == 12 || infoSize == 16 || infoSize == 40 || infoSize == 52 ||
                         infoSize == 56 || infoSize == 64 || infoSize == 108 || infoSize == 124;
  if (!knownInfo || header.U32(6) != 0) return false;
  const uint64_t pixelOffset = header.U32(10);
  return pixelOffset >= 14 + uint64_t{infoSize};
}

bool RecogniseTiff(const uint8_t* buffer, uint32_t length) {
  // "II" 42 (little-endian) or "MM" 42 (big-endian), then the u32 offset of the first IFD.
  if (buffer == nullptr || length < 8) return false;
  if (buffer[0] == 'I' && buffer[1] == 'I' && buffer[2] == 42 && buffer[3] == 0) {
    return LeReader(buffer, length).U32(4) >= 8;
  }
  if (buffer[0] == 'M' && buffer[1] == 'M' && buffer[2] == 0 && buffer[3] == 42) {
    return BeReader(buffer, length).U32(4) >= 8;
  }
  return false;
}

bool RecognisePdf(const uint8_t* buffer, uint32_t length) {
  return StartsWith(buffer, length, "%PDF-", 5) && length >= 8 && buffer[5] >= '1' &&
         buffer[5] <= '2' && buffer[6] == '.' && buffer[7] >= '0' && buffer[7] <= '9';
}

bool RecogniseZip(const uint8_t* buffer, uint32_t length) {
  // Local file header: signature, u16 version needed at 4 (its low byte: version x 10).
  if (!StartsWith(buffer, length, "PK\x03\x04", 4)) return false;
  return length < 5 || buffer[4] < 100;
}

bool RecogniseCompoundFile(const uint8_t* buffer, uint32_t length) {
  if (!StartsWith(buffer, length, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) return false;
  // u16 byte-order mark at 0x1C is always FFFE.
  return length < 0x1E || LeReader(buffer, length).U16(0x1C) == 0xFFFE;
}

bool RecogniseRar(const uint8_t* buffer, uint32_t length) {
  return StartsWith(buffer, length, "Rar!\x1A\x07\x00", 7) ||
         StartsWith(buffer, length, "Rar!\x1A\x07\x01\x00", 8);
}

bool RecogniseSevenZip(const uint8_t* buffer, uint32_t length) {
  return StartsWith(buffer, length, "7z\xBC\xAF\x27\x1C", 6);
}

bool RecogniseMp3(const uint8_t* buffer, uint32_t length) {
  if (buffer == nullptr || length < 4) return false;
  if (buffer[0] == 'I') return length >= kId3HeaderSize && Id3TagLength(buffer).has_value();
  if (buffer[0] != 0xFF) return false;
  const auto first = DecodeMpegAudioFrame(buffer);
  if (!first) return false;
  // A lone sync word is common in any data: when the next frame's header lies inside the buffer,
  // it must continue the same stream.
  const uint64_t next = first->length;
  if (next + 4 > length) return true;
  const auto second = DecodeMpegAudioFrame(buffer + next);
  return second && SameMpegStream(*first, *second);
}

bool RecogniseIsoMedia(const uint8_t* buffer, uint32_t length) {
  // First box "ftyp": u32 size, type, major brand, u32 minor version, compatible brands.
  if (buffer == nullptr || length < 12 || buffer[4] != 'f' || buffer[5] != 't' ||
      buffer[6] != 'y' || buffer[7] != 'p') {
    return false;
  }
  const uint32_t size = BeReader(buffer, length).U32(0);
  return size >= 16 && size <= 4096 && size % 4 == 0 && IsPrintableFourCc(buffer + 8);
}

bool RecogniseWav(const uint8_t* buffer, uint32_t length) {
  return StartsWith(buffer, length, "RIFF", 4) && length >= 12 &&
         std::memcmp(buffer + 8, "WAVE", 4) == 0;
}

bool RecogniseAvi(const uint8_t* buffer, uint32_t length) {
  return StartsWith(buffer, length, "RIFF", 4) && length >= 12 &&
         std::memcmp(buffer + 8, "AVI ", 4) == 0;
}

}  // namespace typeprobe
