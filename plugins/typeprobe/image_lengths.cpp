// Length rules of the PNG, GIF and BMP images.
#include <algorithm>
#include <cstring>

#include "be_reader.h"
#include "length_rules.h"
#include "support/le_reader.h"

namespace typeprobe {
namespace {

using orvande::LeReader;

// PNG chunk head: u32 data length, 4-letter type; then the data and a u32 CRC.
constexpr size_t kPngSignatureSize = 8;
constexpr size_t kPngChunkLengthOffset = 0;  // u32
constexpr size_t kPngChunkTypeOffset = 4;    // 4 bytes
constexpr size_t kPngChunkHeadSize = 8;
constexpr uint64_t kPngCrcSize = 4;
constexpr uint64_t kPngMaxChunkLength = 0x7FFFFFFF;

bool IsPngChunkType(const uint8_t* type) {
  for (int i = 0; i < 4; ++i) {
    const uint8_t c = type[i];
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
  }
  return true;
}

// GIF: 6-byte signature, then the logical screen descriptor (u16 width, u16 height, u8 flags,
// u8 background, u8 aspect); image descriptors are u16 left, top, width, height and u8 flags.
constexpr size_t kGifHeaderSize = 13;
constexpr size_t kGifScreenFlagsOffset = 10;  // u8
constexpr size_t kGifImageDescriptorSize = 9;
constexpr size_t kGifImageFlagsOffset = 8;  // u8 within the image descriptor
constexpr uint8_t kGifColorTableFlag = 0x80;
constexpr uint8_t kGifImageSeparator = 0x2C;
constexpr uint8_t kGifExtensionIntroducer = 0x21;
constexpr uint8_t kGifTrailer = 0x3B;
constexpr uint8_t kGifMaxLzwCodeSize = 12;

uint64_t GifColorTableSize(uint8_t flags) {
  if ((flags & kGifColorTableFlag) == 0) return 0;
  return 3ull << ((flags & 0x07) + 1);
}

// Walks data sub-blocks (u8 size, data) up to the zero-size terminator.
bool SkipGifSubBlocks(StreamCursor& in) {
  for (;;) {  // each block consumes at least one byte: bounded by the cursor's limit
    uint8_t size = 0;
    if (!in.ReadU8(&size)) return false;
    if (size == 0) return true;
    if (!in.Skip(size)) return false;
  }
}

// BMP file header and the first fields of the info header.
constexpr size_t kBmpFileSizeOffset = 2;      // u32
constexpr size_t kBmpPixelOffsetOffset = 10;  // u32
constexpr size_t kBmpInfoSizeOffset = 14;     // u32
constexpr size_t kBmpWidthOffset = 18;        // i32 (info headers of 40 bytes and more)
constexpr size_t kBmpHeightOffset = 22;       // i32, negative for top-down rows
constexpr size_t kBmpPlanesOffset = 26;       // u16
constexpr size_t kBmpBitCountOffset = 28;     // u16
constexpr size_t kBmpCompressionOffset = 30;  // u32
constexpr size_t kBmpHeaderBytesRead = 34;
constexpr uint32_t kBmpUncompressed = 0;
constexpr uint64_t kBmpMaxSide = 1u << 20;

// Where the rows of an uncompressed bitmap end, or 0 when the header does not say.
uint64_t BmpPixelDataEnd(const LeReader& header) {
  if (header.U32(kBmpInfoSizeOffset) < 40 ||
      header.U32(kBmpCompressionOffset) != kBmpUncompressed) {
    return 0;
  }
  const auto width = static_cast<int32_t>(header.U32(kBmpWidthOffset));
  const auto height = static_cast<int32_t>(header.U32(kBmpHeightOffset));
  const uint64_t bits = header.U16(kBmpBitCountOffset);
  if (width <= 0 || height == 0 || bits == 0 || bits > 32) return 0;
  const uint64_t rows = height < 0
                            ? uint64_t{0} - static_cast<uint64_t>(static_cast<int64_t>(height))
                            : static_cast<uint64_t>(height);
  // Past these sizes the header is damaged, not a picture; the size field alone then counts.
  if (static_cast<uint64_t>(width) > kBmpMaxSide || rows > kBmpMaxSide) return 0;
  const uint64_t stride = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
  return header.U32(kBmpPixelOffsetOffset) + stride * rows;
}

}  // namespace

uint64_t PngLength(StreamCursor& in) {
  uint8_t signature[kPngSignatureSize] = {};
  if (!in.ReadBytes(signature, kPngSignatureSize) ||
      std::memcmp(signature, "\x89PNG\r\n\x1A\n", kPngSignatureSize) != 0) {
    return 0;
  }
  bool first = true;
  // Each chunk takes at least 12 bytes: the cursor's limit bounds the walk.
  for (;;) {
    uint8_t head[kPngChunkHeadSize] = {};
    if (!in.ReadBytes(head, kPngChunkHeadSize)) return 0;
    const uint64_t length = BeReader(head, kPngChunkHeadSize).U32(kPngChunkLengthOffset);
    const uint8_t* type = head + kPngChunkTypeOffset;
    if (length > kPngMaxChunkLength || !IsPngChunkType(type)) return 0;
    if (first && std::memcmp(type, "IHDR", 4) != 0) return 0;
    first = false;
    if (!in.Skip(length + kPngCrcSize)) return 0;
    if (std::memcmp(type, "IEND", 4) == 0) return in.Position();
  }
}

uint64_t GifLength(StreamCursor& in) {
  uint8_t header[kGifHeaderSize] = {};
  if (!in.ReadBytes(header, kGifHeaderSize) ||
      (std::memcmp(header, "GIF87a", 6) != 0 && std::memcmp(header, "GIF89a", 6) != 0)) {
    return 0;
  }
  if (!in.Skip(GifColorTableSize(header[kGifScreenFlagsOffset]))) return 0;
  bool imageSeen = false;
  for (;;) {  // each block consumes bytes: bounded by the cursor's limit
    uint8_t introducer = 0;
    if (!in.ReadU8(&introducer)) return 0;
    if (introducer == kGifTrailer) return imageSeen ? in.Position() : 0;
    if (introducer == kGifExtensionIntroducer) {
      uint8_t label = 0;
      if (!in.ReadU8(&label) || !SkipGifSubBlocks(in)) return 0;
    } else if (introducer == kGifImageSeparator) {
      uint8_t descriptor[kGifImageDescriptorSize] = {};
      uint8_t codeSize = 0;
      if (!in.ReadBytes(descriptor, kGifImageDescriptorSize) ||
          !in.Skip(GifColorTableSize(descriptor[kGifImageFlagsOffset])) || !in.ReadU8(&codeSize) ||
          codeSize == 0 || codeSize > kGifMaxLzwCodeSize || !SkipGifSubBlocks(in)) {
        return 0;
      }
      imageSeen = true;
    } else {
      return 0;
    }
  }
}

uint64_t BmpLength(StreamCursor& in) {
  uint8_t bytes[kBmpHeaderBytesRead] = {};
  if (!in.ReadBytes(bytes, kBmpHeaderBytesRead)) return 0;
  const LeReader header(bytes, sizeof bytes);
  if (bytes[0] != 'B' || bytes[1] != 'M') return 0;
  const uint64_t infoSize = header.U32(kBmpInfoSizeOffset);
  const uint64_t pixelOffset = header.U32(kBmpPixelOffsetOffset);
  if (infoSize >= 40 && header.U16(kBmpPlanesOffset) != 1) return 0;
  const uint64_t declared = header.U32(kBmpFileSizeOffset);
  if (declared < 14 + infoSize || pixelOffset < 14 + infoSize) return 0;
  // Some writers leave the size field short; the rows of an uncompressed image tell the truth.
  const uint64_t length = std::max(declared, BmpPixelDataEnd(header));
  if (length <= pixelOffset) return 0;
  return length <= in.Limit() ? length : 0;
}

}  // namespace typeprobe
