#include "mpeg_audio_frame.h"

#include <cstddef>

namespace typeprobe {
namespace {

constexpr uint8_t kVersionMpeg25 = 0;
constexpr uint8_t kVersionMpeg1 = 3;
constexpr uint8_t kLayer3 = 1;
constexpr uint8_t kLayer2 = 2;
constexpr uint8_t kLayer1 = 3;

// Bit rates in kbit/s by index 0..14 (0 is free format).
constexpr uint16_t kRatesMpeg1[3][15] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // layer I
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // layer II
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // layer III
};
constexpr uint16_t kRatesMpeg2[2][15] = {
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},  // layer I
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},       // layers II and III
};
constexpr uint32_t kSampleRatesMpeg1[3] = {44100, 48000, 32000};

uint32_t BitRate(uint8_t version, uint8_t layer, uint8_t index) {
  const int layerRow = layer == kLayer1 ? 0 : layer == kLayer2 ? 1 : 2;
  if (version == kVersionMpeg1) return kRatesMpeg1[layerRow][index] * 1000u;
  return kRatesMpeg2[layerRow == 0 ? 0 : 1][index] * 1000u;
}

uint32_t SampleRate(uint8_t version, uint8_t index) {
  const uint32_t base = kSampleRatesMpeg1[index];
  if (version == kVersionMpeg1) return base;
  return version == kVersionMpeg25 ? base / 4 : base / 2;
}

// ID3v2 header: "ID3", u8 major version (2..4), u8 revision, u8 flags, u32 syncsafe body size.
constexpr size_t kId3FlagsOffset = 5;  // u8
constexpr size_t kId3SizeOffset = 6;   // 4 bytes of 7 bits each
constexpr uint8_t kId3FooterFlag = 0x10;
constexpr uint64_t kId3FooterSize = 10;

}  // namespace

std::optional<uint64_t> Id3TagLength(const uint8_t* header) {
  if (header[0] != 'I' || header[1] != 'D' || header[2] != '3') return std::nullopt;
  if (header[3] < 2 || header[3] > 4 || header[4] == 0xFF) return std::nullopt;
  uint64_t body = 0;
  for (size_t i = kId3SizeOffset; i < kId3SizeOffset + 4; ++i) {
    if (header[i] & 0x80) return std::nullopt;  // syncsafe bytes keep their top bit clear
    body = (body << 7) | header[i];
  }
  const bool footer = header[3] == 4 && (header[kId3FlagsOffset] & kId3FooterFlag) != 0;
  return kId3HeaderSize + body + (footer ? kId3FooterSize : 0);
}

std::optional<MpegAudioFrame> DecodeMpegAudioFrame(const uint8_t* header) {
  if (header[0] != 0xFF || (header[1] & 0xE0) != 0xE0) return std::nullopt;
  MpegAudioFrame frame;
  frame.version = (header[1] >> 3) & 0x03;
  frame.layer = (header[1] >> 1) & 0x03;
  const uint8_t rateIndex = header[2] >> 4;
  frame.rateIndex = (header[2] >> 2) & 0x03;
  const uint32_t padding = (header[2] >> 1) & 0x01;
  const uint8_t emphasis = header[3] & 0x03;
  if (frame.version == 1 || frame.layer == 0 || rateIndex == 0 || rateIndex == 15 ||
      frame.rateIndex == 3 || emphasis == 2) {
    return std::nullopt;
  }
  const uint64_t bitRate = BitRate(frame.version, frame.layer, rateIndex);
  const uint64_t sampleRate = SampleRate(frame.version, frame.rateIndex);
  if (frame.layer == kLayer1) {
    frame.length = static_cast<uint32_t>((12 * bitRate / sampleRate + padding) * 4);
  } else if (frame.layer == kLayer3 && frame.version != kVersionMpeg1) {
    frame.length = static_cast<uint32_t>(72 * bitRate / sampleRate + padding);
  } else {
    frame.length = static_cast<uint32_t>(144 * bitRate / sampleRate + padding);
  }
  return frame;
}

}  // namespace typeprobe
