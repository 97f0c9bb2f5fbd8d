#include "sample_files.h"

#include <algorithm>
#include <cstddef>

#include "probe_harness.h"

namespace typeprobe_test {

std::vector<uint8_t> JpegHeader() {
  Bytes b;
  b.Raw({0xFF, 0xD8});
  b.Raw({0xFF, 0xE0}).Be16(16).Text("JFIF").Raw({0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
  b.Raw({0xFF, 0xDB}).Be16(67).Raw({0}).Fill(64, 1);
  b.Raw({0xFF, 0xC0}).Be16(11).Raw({8}).Be16(16).Be16(16).Raw({1, 1, 0x11, 0});
  b.Raw({0xFF, 0xC4}).Be16(20).Raw({0x00}).Fill(16, 0).Raw({0});  // one (empty) table + symbol
  b.Raw({0xFF, 0xDA}).Be16(8).Raw({1, 1, 0x00, 0, 63, 0});
  return b.Get();
}

std::vector<uint8_t> JpegFile(const std::vector<uint8_t>& entropy) {
  Bytes b;
  b.Append(JpegHeader()).Append(entropy).Raw({0xFF, 0xD9});
  return b.Get();
}

std::vector<uint8_t> PngFile(uint32_t idatLength) {
  Bytes b;
  b.Raw({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'});
  b.Be32(13).Text("IHDR").Be32(1).Be32(1).Raw({8, 2, 0, 0, 0}).Be32(0);
  b.Be32(idatLength).Text("IDAT").Fill(idatLength, 0x49).Be32(0);
  b.Be32(0).Text("IEND").Be32(0xAE426082);
  return b.Get();
}

std::vector<uint8_t> GifFile(const std::vector<uint8_t>& imageData) {
  Bytes b;
  b.Text("GIF89a").Le16(1).Le16(1).Raw({0x80, 0, 0}).Fill(6, 0);  // 2-colour global table
  b.Raw({0x21, 0xF9, 4, 0, 0, 0, 0, 0});                          // graphic control extension
  b.Raw({0x2C}).Le16(0).Le16(0).Le16(1).Le16(1).Raw({0});
  b.Raw({2});
  for (size_t at = 0; at < imageData.size(); at += 255) {
    const size_t size = std::min<size_t>(255, imageData.size() - at);
    b.Raw({static_cast<uint8_t>(size)});
    b.Append(std::vector<uint8_t>(imageData.begin() + static_cast<ptrdiff_t>(at),
                                  imageData.begin() + static_cast<ptrdiff_t>(at + size)));
  }
  b.Raw({0}).Raw({0x3B});
  return b.Get();
}

std::vector<uint8_t> BmpFile() {
  Bytes b;
  b.Text("BM").Le32(70).Le32(0).Le32(54);
  b.Le32(40).Le32(2).Le32(2).Le16(1).Le16(24).Le32(0).Le32(16).Le32(2835).Le32(2835).Le32(0).Le32(
      0);
  b.Fill(16, 0x7F);
  return b.Get();
}

std::vector<uint8_t> ZipFile(const std::vector<uint8_t>& content, bool dataDescriptor) {
  const auto size = static_cast<uint32_t>(content.size());
  const uint16_t flags = dataDescriptor ? 0x0008 : 0;
  Bytes b;
  b.Text("PK\x03\x04").Le16(20).Le16(flags).Le16(0).Le16(0).Le16(0);
  b.Le32(dataDescriptor ? 0 : 0x1234)
      .Le32(dataDescriptor ? 0 : size)
      .Le32(dataDescriptor ? 0 : size);
  b.Le16(5).Le16(0).Text("a.txt").Append(content);
  if (dataDescriptor) b.Text("PK\x07\x08").Le32(0x1234).Le32(size).Le32(size);
  const auto directoryOffset = static_cast<uint32_t>(b.Size());
  b.Text("PK\x01\x02").Le16(20).Le16(20).Le16(flags).Le16(0).Le16(0).Le16(0);
  b.Le32(0x1234).Le32(size).Le32(size).Le16(5).Le16(0).Le16(0).Le16(0).Le16(0).Le32(0).Le32(0);
  b.Text("a.txt");
  const auto directorySize = static_cast<uint32_t>(b.Size()) - directoryOffset;
  b.Text("PK\x05\x06").Le16(0).Le16(0).Le16(1).Le16(1).Le32(directorySize).Le32(directoryOffset);
  b.Le16(3).Text("hi!");
  return b.Get();
}

std::vector<uint8_t> CompoundFile() {
  Bytes b;
  b.Raw({0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1}).Fill(16, 0);
  b.Le16(0x3E).Le16(3).Le16(0xFFFE).Le16(9).Le16(6).Fill(6, 0);
  b.Le32(0).Le32(1).Le32(1).Le32(0).Le32(0x1000).Le32(0xFFFFFFFE).Le32(0);
  b.Le32(0xFFFFFFFE).Le32(0);  // no list sectors beyond the header
  b.Le32(0);                   // the allocation table is sector 0
  b.Fill(108 * 4, 0xFF);
  // Sector 0: the table. 0 itself, 1 the directory, 2..4 one stream, the rest free.
  b.Le32(0xFFFFFFFD).Le32(0xFFFFFFFE).Le32(3).Le32(4).Le32(0xFFFFFFFE).Fill(512 - 20, 0xFF);
  b.Fill(4 * 512, 0x11);
  return b.Get();
}

std::vector<uint8_t> SevenZipFile() {
  Bytes b;
  // Start-header CRC over the next-header offset 100, size 20 and CRC 0x12345678.
  b.Raw({'7', 'z', 0xBC, 0xAF, 0x27, 0x1C, 0, 4}).Le32(0xEF0B0E84);
  b.Le64(100).Le64(20).Le32(0x12345678);
  b.Fill(120, 0x5A);
  return b.Get();
}

std::vector<uint8_t> Mp3File(bool withTag, int frames) {
  Bytes b;
  if (withTag) b.Text("ID3").Raw({3, 0, 0, 0, 0, 0, 20}).Fill(20, 0);
  for (int i = 0; i < frames; ++i) b.Raw({0xFF, 0xFB, 0x90, 0x00}).Fill(kMp3FrameLength - 4, 0x55);
  return b.Get();
}

std::vector<uint8_t> Mp4File(uint32_t mdatPayload) {
  Bytes b;
  b.Be32(24).Text("ftypisom").Be32(0x200).Text("isommp41");
  b.Be32(8 + 92).Text("moov").Be32(92).Text("mvhd").Fill(84, 0);
  b.Be32(8 + mdatPayload).Text("mdat").Fill(mdatPayload, 0x33);
  return b.Get();
}

std::vector<uint8_t> RiffFile(const char* form, uint32_t payload) {
  Bytes b;
  b.Text("RIFF").Le32(4 + payload).Text(form).Fill(payload, 0x21);
  return b.Get();
}

std::vector<uint8_t> TiffStart() {
  return Bytes().Text("II").Le16(42).Le32(8).Fill(8, 0).Get();
}
std::vector<uint8_t> PdfStart() {
  return Bytes().Text("%PDF-1.7\n%\xE2\xE3\xCF\xD3\n").Get();
}
std::vector<uint8_t> RarStart() {
  return Bytes().Text("Rar!").Raw({0x1A, 7, 1, 0}).Fill(8, 0).Get();
}

}  // namespace typeprobe_test
