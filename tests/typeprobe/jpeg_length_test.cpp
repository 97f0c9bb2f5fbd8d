// The JPEG length rule, the one the program's image search depends on.
#include <gtest/gtest.h>

#include "probe_harness.h"
#include "sample_files.h"

namespace typeprobe_test {
namespace {

constexpr uint32_t kJpeg = typeprobe::kTypeJpeg;

std::vector<uint8_t> WithTrailer(std::vector<uint8_t> file, size_t garbage = 3000) {
  const auto tail = Garbage(garbage);
  file.insert(file.end(), tail.begin(), tail.end());
  return file;
}

uint64_t FoundSize(const std::vector<uint8_t>& bytes) {
  const auto outcome = Search(kJpeg, bytes);
  return outcome.found ? outcome.result.size : 0;
}

TEST(JpegLength, EndsRightAfterEoiWhateverFollows) {
  ASSERT_TRUE(Probe().Complete());
  const auto file = JpegFile({0x12, 0x34, 0x56});
  EXPECT_EQ(FoundSize(WithTrailer(file)), file.size());
  // Another image right behind it is not part of this one.
  auto two = file;
  two.insert(two.end(), file.begin(), file.end());
  EXPECT_EQ(FoundSize(two), file.size());
  // The file fills the stream exactly.
  EXPECT_EQ(FoundSize(file), file.size());
}

TEST(JpegLength, StuffedBytesRestartsAndFillBelongToTheScan) {
  ASSERT_TRUE(Probe().Complete());
  const auto file = JpegFile({0x01, 0xFF, 0x00, 0x02, 0xFF, 0xD0, 0x03, 0xFF, 0xD7, 0xFF, 0x00,
                              0xFF, 0xFF, 0xFF, 0xD1, 0x04, 0xFF, 0xFF});
  EXPECT_EQ(FoundSize(WithTrailer(file)), file.size());
}

TEST(JpegLength, ThumbnailEoiInsideApp1DoesNotEndTheFile) {
  ASSERT_TRUE(Probe().Complete());
  Bytes thumbnail;
  thumbnail.Raw({0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x04, 0x00, 0x00, 0xFF, 0xD9});
  Bytes file;
  file.Raw({0xFF, 0xD8, 0xFF, 0xE1}).Be16(static_cast<uint32_t>(2 + 6 + thumbnail.Size()));
  file.Text("Exif").Raw({0, 0}).Append(thumbnail.Get());
  const auto rest = JpegFile({0x11, 0x22});
  file.Append(std::vector<uint8_t>(rest.begin() + 2, rest.end()));  // without a second SOI
  EXPECT_EQ(FoundSize(WithTrailer(file.Get())), file.Size());
}

TEST(JpegLength, ProgressiveScansWithTablesBetweenThem) {
  ASSERT_TRUE(Probe().Complete());
  Bytes b;
  b.Raw({0xFF, 0xD8});
  b.Raw({0xFF, 0xC2}).Be16(11).Raw({8}).Be16(16).Be16(16).Raw({1, 1, 0x11, 0});
  b.Raw({0xFF, 0xC4}).Be16(20).Raw({0x00}).Fill(16, 0).Raw({0});
  b.Raw({0xFF, 0xDA}).Be16(8).Raw({1, 1, 0x00, 0, 0, 0}).Raw({0xAA, 0xFF, 0x00, 0xBB});
  b.Raw({0xFF, 0xC4}).Be16(20).Raw({0x10}).Fill(16, 0).Raw({0});
  b.Raw({0xFF, 0xDA}).Be16(8).Raw({1, 1, 0x00, 1, 63, 0}).Raw({0xCC, 0xDD});
  b.Raw({0xFF, 0xDA}).Be16(8).Raw({1, 1, 0x00, 1, 63, 0x10}).Raw({0xEE});
  b.Raw({0xFF, 0xD9});
  EXPECT_EQ(FoundSize(WithTrailer(b.Get())), b.Size());
}

TEST(JpegLength, MarkersAcrossReadChunkBoundaries) {
  ASSERT_TRUE(Probe().Complete());
  // Entropy data long enough that a stuffed FF00, a restart marker and finally EOI each fall
  // across a 64 KiB boundary of the stream.
  const size_t header = JpegHeader().size();
  std::vector<uint8_t> entropy(3 * 65536, 0x5A);
  entropy[65536 - header - 1] = 0xFF;  // FF at offset 65535, 00 at 65536
  entropy[65536 - header] = 0x00;
  entropy[2 * 65536 - header - 1] = 0xFF;
  entropy[2 * 65536 - header] = 0xD3;
  entropy.resize(3 * 65536 - header - 1);  // EOI's FF ends the third chunk
  const auto file = JpegFile(entropy);
  ASSERT_EQ(file.size(), 3u * 65536 + 1);
  EXPECT_EQ(FoundSize(WithTrailer(file, 70000)), file.size());
}

TEST(JpegLength, TruncatedOrMalformedImagesAreNotFound) {
  ASSERT_TRUE(Probe().Complete());
  const auto full = JpegFile(std::vector<uint8_t>(5000, 0x77));
  auto truncated = full;
  truncated.resize(full.size() - 2);
  EXPECT_EQ(FoundSize(truncated), 0u) << "no EOI before the end of the stream";

  // Segment lengths that cannot hold their own length field.
  for (uint32_t length : {0u, 1u}) {
    auto bad = full;
    bad[4] = 0;
    bad[5] = static_cast<uint8_t>(length);
    EXPECT_EQ(FoundSize(bad), 0u) << "segment length " << length;
  }
  // A segment that runs past the end of the data.
  auto huge = Bytes().Raw({0xFF, 0xD8, 0xFF, 0xE1, 0xFF, 0xFF}).Fill(1000, 0).Get();
  EXPECT_EQ(FoundSize(huge), 0u);
  // EOI before any scan, and a scan before any frame header.
  EXPECT_EQ(FoundSize(Bytes().Raw({0xFF, 0xD8, 0xFF, 0xE0, 0, 2, 0xFF, 0xD9}).Get()), 0u);
  EXPECT_EQ(FoundSize(WithTrailer(Bytes()
                                      .Raw({0xFF, 0xD8, 0xFF, 0xDB, 0, 2, 0xFF, 0xDA, 0, 2, 1})
                                      .Raw({0xFF, 0xD9})
                                      .Get())),
            0u);
  // Between segments only a marker may follow.
  auto noMarker = full;
  noMarker[2 + 18] = 0x00;  // where the DQT marker's FF should be
  EXPECT_EQ(FoundSize(noMarker), 0u);
}

TEST(JpegLength, EndlessFillBytesStopEarly) {
  ASSERT_TRUE(Probe().Complete());
  // After the scan header nothing but FF: fill without a marker. The walk gives up soon
  // instead of reading the whole stream.
  Bytes b;
  b.Append(JpegHeader()).Fill(8 << 20, 0xFF);
  const auto outcome = Search(kJpeg, b.Get());
  EXPECT_EQ(outcome.found, 0);
  EXPECT_LT(outcome.bytesRead, 256u * 1024);
  // The same between segments.
  Bytes c;
  c.Raw({0xFF, 0xD8, 0xFF, 0xE0, 0, 2}).Fill(4 << 20, 0xFF);
  const auto between = Search(kJpeg, c.Get());
  EXPECT_EQ(between.found, 0);
  EXPECT_LT(between.bytesRead, 256u * 1024);
}

TEST(JpegLength, ImagesAboveTheSizeBoundAreNotFound) {
  ASSERT_TRUE(Probe().Complete());
  // A scan that never ends on a 1 TiB volume: the walk stops at its size bound.
  FillerStream volume(JpegHeader(), 0x11, 1ull << 40);
  RecordingResult result;
  EXPECT_EQ(Probe().searchFile(kJpeg, &volume, &result), 0);
  EXPECT_LE(volume.BytesRead(), 257u << 20);
}

}  // namespace
}  // namespace typeprobe_test
