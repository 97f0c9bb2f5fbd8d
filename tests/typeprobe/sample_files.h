#pragma once
// Small but well-formed files of each supported type, built in memory.
#include <cstdint>
#include <vector>

namespace typeprobe_test {

// Baseline JPEG: SOI, APP0, DQT, SOF0, DHT, SOS, the given entropy-coded bytes, EOI.
std::vector<uint8_t> JpegFile(const std::vector<uint8_t>& entropy);
// The JPEG header up to and including the SOS segment (no entropy data, no EOI).
std::vector<uint8_t> JpegHeader();
std::vector<uint8_t> PngFile(uint32_t idatLength);
std::vector<uint8_t> GifFile(const std::vector<uint8_t>& imageData);
std::vector<uint8_t> BmpFile();  // 2 x 2 pixels, 24 bits
// One stored entry "a.txt" with `content`; with dataDescriptor its sizes follow the data.
std::vector<uint8_t> ZipFile(const std::vector<uint8_t>& content, bool dataDescriptor);
std::vector<uint8_t> CompoundFile();  // 512-byte sectors; the last used sector is 4
std::vector<uint8_t> SevenZipFile();  // next header at 32 + 100, 20 bytes long
std::vector<uint8_t> Mp3File(bool withTag, int frames);
std::vector<uint8_t> Mp4File(uint32_t mdatPayload);
std::vector<uint8_t> RiffFile(const char* form, uint32_t payload);
std::vector<uint8_t> TiffStart();
std::vector<uint8_t> PdfStart();
std::vector<uint8_t> RarStart();

// Frame length of the MP3 frames Mp3File writes (MPEG 1 layer III, 128 kbit/s, 44.1 kHz).
inline constexpr uint32_t kMp3FrameLength = 417;

}  // namespace typeprobe_test
