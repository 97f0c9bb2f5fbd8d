#include "core/volume_stream.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "stub_analyzer.h"
#include "support/result_codes.h"

namespace orvande {
namespace {

using test::StubAnalyzer;

// Every byte differs from its neighbours and from the same offset in other sectors.
std::vector<uint8_t> PatternImage(size_t sectors, uint32_t sectorSize = 512) {
  std::vector<uint8_t> bytes(sectors * sectorSize);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / sectorSize);
  return bytes;
}

std::vector<uint8_t> ReadAll(VolumeStream& stream, uint32_t size, bool* ok = nullptr) {
  std::vector<uint8_t> out(size);
  uint32_t got = 0;
  bool result = stream.Read(out.data(), size, &got);
  if (ok != nullptr) *ok = result;
  out.resize(got);
  return out;
}

TEST(VolumeStreamTest, SeekClampsToTheStream) {
  StubAnalyzer analyzer(PatternImage(1), 1);
  VolumeStream stream(analyzer, 0);
  ASSERT_EQ(stream.GetLength(), 512u);
  uint64_t out = 0;
  EXPECT_EQ(stream.Seek(-10, 2, &out), 502u);
  EXPECT_EQ(out, 502u);
  EXPECT_EQ(stream.Seek(1000, 0, &out), 512u);
  EXPECT_EQ(stream.Seek(-5, 0, nullptr), 0u);
  EXPECT_EQ(stream.Seek(7, 2, nullptr), 512u);
  EXPECT_EQ(stream.Seek(100, 0, nullptr), 100u);
  EXPECT_EQ(stream.Seek(-200, 1, nullptr), 0u);
  EXPECT_EQ(stream.Seek(std::numeric_limits<int64_t>::min(), 1, nullptr), 0u);
  EXPECT_EQ(stream.Seek(std::numeric_limits<int64_t>::max(), 1, nullptr), 512u);
  EXPECT_EQ(stream.Seek(std::numeric_limits<int64_t>::min(), 2, nullptr), 0u);
  EXPECT_EQ(stream.Position(), 0u);
}

TEST(VolumeStreamTest, LengthCountsFromTheStartSectorAndSurvivesAbsurdSectorCounts) {
  StubAnalyzer analyzer(PatternImage(8), 8);
  EXPECT_EQ(VolumeStream(analyzer, 3).GetLength(), 5u * 512);
  VolumeStream beyond(analyzer, 9);
  EXPECT_EQ(beyond.GetLength(), 0u);
  bool ok = false;
  EXPECT_TRUE(ReadAll(beyond, 100, &ok).empty());
  EXPECT_TRUE(ok);

  StubAnalyzer huge(PatternImage(1), std::numeric_limits<uint64_t>::max());
  VolumeStream stream(huge, 0);
  EXPECT_GT(stream.GetLength(), uint64_t{1} << 60);
  EXPECT_EQ(stream.Seek(0, 2, nullptr), stream.GetLength());
}

TEST(VolumeStreamTest, ReadsFromTheStartSectorAcrossSectorsAndIgnoresAStoredBootSector) {
  const std::vector<uint8_t> image = PatternImage(8);
  StubAnalyzer analyzer(image, 8);
  std::array<uint8_t, 512> stored{};
  stored.fill(0xEE);
  analyzer.Memory().Image().storedBootSector = stored;

  VolumeStream stream(analyzer, 2);
  stream.Seek(300, 0, nullptr);
  std::vector<uint8_t> got = ReadAll(stream, 1000);
  ASSERT_EQ(got.size(), 1000u);
  EXPECT_EQ(0, std::memcmp(got.data(), image.data() + 2 * 512 + 300, 1000));
  EXPECT_EQ(stream.Position(), 1300u);
  EXPECT_EQ(stream.SectorOfOffset(1025), 4u);

  // The stream sees the volume's real first sector.
  VolumeStream fromZero(analyzer, 0);
  got = ReadAll(fromZero, 16);
  EXPECT_EQ(0, std::memcmp(got.data(), image.data(), 16));

  // A read is cut at the end of the volume.
  stream.Seek(-100, 2, nullptr);
  EXPECT_EQ(ReadAll(stream, 4096).size(), 100u);
}

TEST(VolumeStreamTest, UsesTheVolumeSectorSize) {
  const std::vector<uint8_t> image = PatternImage(4, 4096);
  StubAnalyzer analyzer(image, 4, 4096);
  VolumeStream stream(analyzer, 1);
  EXPECT_EQ(stream.GetLength(), 3u * 4096);
  EXPECT_EQ(stream.SectorOfOffset(8191), 2u);
  stream.Seek(4000, 0, nullptr);
  std::vector<uint8_t> got = ReadAll(stream, 200);
  ASSERT_EQ(got.size(), 200u);
  EXPECT_EQ(0, std::memcmp(got.data(), image.data() + 4096 + 4000, 200));
}

// Fetching several sectors at once must not change where a failing sector ends a read.
TEST(VolumeStreamTest, AReadEndsAtTheFailingSectorAndLaterSectorsStayReadable) {
  const std::vector<uint8_t> image = PatternImage(300);
  for (uint64_t failing : {5u, 200u}) {
    SCOPED_TRACE(failing);
    StubAnalyzer analyzer(image, 300);
    analyzer.Memory().Image().Fail(failing, ErrDataError);
    VolumeStream stream(analyzer, 2);
    bool ok = false;
    std::vector<uint8_t> got = ReadAll(stream, 300 * 512, &ok);
    EXPECT_TRUE(ok);  // some bytes came back
    ASSERT_EQ(got.size(), (failing - 2) * 512);
    EXPECT_EQ(0, std::memcmp(got.data(), image.data() + 2 * 512, got.size()));
    EXPECT_EQ(stream.Position(), got.size());

    // Reading again at the failing sector gives nothing and says so.
    EXPECT_TRUE(ReadAll(stream, 10, &ok).empty());
    EXPECT_FALSE(ok);
    EXPECT_EQ(stream.Position(), got.size());

    stream.Seek(static_cast<int64_t>((failing - 2 + 1) * 512), 0, nullptr);
    got = ReadAll(stream, 512, &ok);
    EXPECT_TRUE(ok);
    ASSERT_EQ(got.size(), 512u);
    EXPECT_EQ(0, std::memcmp(got.data(), image.data() + (failing + 1) * 512, 512));
  }
}

TEST(VolumeStreamTest, LongReadsDoNotGoToTheDeviceSectorBySector) {
  StubAnalyzer analyzer(PatternImage(300), 300);
  VolumeStream stream(analyzer, 0);
  analyzer.Memory().Probe().reads.clear();
  EXPECT_EQ(ReadAll(stream, 300 * 512).size(), 300u * 512);
  EXPECT_LT(analyzer.Memory().Probe().reads.size(), 30u);
  for (const test::ReadCall& call : analyzer.Memory().Probe().reads)
    EXPECT_FALSE(call.fillBadSectors);
}

TEST(VolumeStreamTest, AnImageShorterThanTheVolumeEndsTheReadWithoutInventedBytes) {
  std::vector<uint8_t> image = PatternImage(5);
  image.resize(4 * 512 + 100);
  StubAnalyzer analyzer(image, 10);
  VolumeStream stream(analyzer, 0);
  std::vector<uint8_t> got = ReadAll(stream, 10 * 512);
  EXPECT_EQ(got.size(), 4u * 512);
}

class VolumeStreamFindTest : public ::testing::Test {
 protected:
  static constexpr uint32_t kChunk = 65536;
  VolumeStreamFindTest() : image_(3 * kChunk, 0), analyzer_(Image(), 3 * kChunk / 512) {}

  // Patterns placed before the analyzer copies the image.
  std::vector<uint8_t> Image() {
    Put(1000, "MARK");
    Put(kChunk - 2, "EDGE");  // straddles the first two chunks
    Put(kChunk + 500, "EDGE");
    Put(2 * kChunk + 100, "LATE");
    return image_;
  }
  void Put(size_t at, const char* text) {
    std::memcpy(image_.data() + at, text, std::strlen(text));
  }

  bool Find(VolumeStream& stream, const char* text, uint64_t limit, uint64_t* at) {
    return stream.Find(reinterpret_cast<const uint8_t*>(text),
                       static_cast<uint32_t>(std::strlen(text)), limit, at);
  }

  std::vector<uint8_t> image_;
  StubAnalyzer analyzer_;
};

TEST_F(VolumeStreamFindTest, FindsWholeChunkMatchesOnly) {
  VolumeStream stream(analyzer_, 0);
  uint64_t at = 0;
  ASSERT_TRUE(Find(stream, "MARK", 3 * kChunk, &at));
  EXPECT_EQ(at, 1000u);
  EXPECT_EQ(stream.Position(), 1000u);

  // Chunks start at the current position, so from here the first copy lies inside one.
  ASSERT_TRUE(Find(stream, "EDGE", 3 * kChunk, &at));
  EXPECT_EQ(at, kChunk - 2u);

  // From the start it straddles two chunks and is skipped; the next one is found.
  stream.Seek(0, 0, nullptr);
  ASSERT_TRUE(Find(stream, "EDGE", 3 * kChunk, &at));
  EXPECT_EQ(at, kChunk + 500u);
}

TEST_F(VolumeStreamFindTest, AMissRestoresThePosition) {
  VolumeStream stream(analyzer_, 0);
  stream.Seek(1001, 0, nullptr);
  uint64_t at = 12345;
  EXPECT_FALSE(Find(stream, "MARK", 3 * kChunk, &at));
  EXPECT_EQ(stream.Position(), 1001u);

  // The limit counts from the current position.
  stream.Seek(kChunk, 0, nullptr);
  EXPECT_FALSE(Find(stream, "EDGE", 503, &at));
  EXPECT_EQ(stream.Position(), kChunk);
  EXPECT_TRUE(Find(stream, "EDGE", 504, &at));

  EXPECT_FALSE(stream.Find(nullptr, 4, kChunk, &at));
}

TEST_F(VolumeStreamFindTest, AFailedReadEndsTheSearch) {
  analyzer_.Memory().Image().Fail(kChunk / 512, ErrDataError);  // the second chunk's first sector
  VolumeStream stream(analyzer_, 0);
  uint64_t at = 0;
  EXPECT_FALSE(Find(stream, "LATE", 3 * kChunk, &at));  // it lies in the readable third chunk
  EXPECT_EQ(stream.Position(), 0u);
}

TEST_F(VolumeStreamFindTest, AChunkCutShortByAFailureIsStillSearched) {
  analyzer_.Memory().Image().Fail(kChunk / 512 + 1, ErrDataError);
  VolumeStream stream(analyzer_, 0);
  stream.Seek(kChunk, 0, nullptr);
  uint64_t at = 0;
  EXPECT_TRUE(Find(stream, "EDGE", 3 * kChunk, &at));
  EXPECT_EQ(at, kChunk + 500u);
}

}  // namespace
}  // namespace orvande
