// Length rules of the other types: each must end the file exactly, whatever follows it, and
// must not mistake structures inside the file for its end.
#include <gtest/gtest.h>

#include "probe_harness.h"
#include "sample_files.h"

namespace typeprobe_test {
namespace {

enum : uint32_t {
  kPng = 1,
  kGif = 2,
  kBmp = 3,
  kZip = 6,
  kCompoundFile = 7,
  kSevenZip = 9,
  kMp3 = 10,
  kIsoMedia = 11,
  kWav = 12,
  kAvi = 13,
};

std::vector<uint8_t> Then(std::vector<uint8_t> first, const std::vector<uint8_t>& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

uint64_t FoundSize(uint32_t type, const std::vector<uint8_t>& bytes) {
  const auto outcome = Search(type, bytes);
  return outcome.found ? outcome.result.size : 0;
}

TEST(LengthRules, EachTypeEndsExactlyBeforeTheFollowingData) {
  ASSERT_TRUE(Probe().Complete());
  const struct {
    uint32_t type;
    std::vector<uint8_t> file;
  } cases[] = {
      {kPng, PngFile(700)},
      {kGif, GifFile(std::vector<uint8_t>(600, 0x3B))},  // trailer bytes inside the image data
      {kBmp, BmpFile()},
      {kZip, ZipFile(Garbage(900), false)},
      {kZip, ZipFile(Garbage(900), true)},
      {kCompoundFile, CompoundFile()},
      {kSevenZip, SevenZipFile()},
      {kMp3, Mp3File(true, 4)},
      {kMp3, Mp3File(false, 5)},
      {kIsoMedia, Mp4File(2000)},
      {kWav, RiffFile("WAVE", 1000)},
      {kAvi, RiffFile("AVI ", 1000)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FoundSize(c.type, Then(c.file, Garbage(5000))), c.file.size()) << "type " << c.type;
  }
}

TEST(LengthRules, TruncatedFilesAreNotFound) {
  ASSERT_TRUE(Probe().Complete());
  const struct {
    uint32_t type;
    std::vector<uint8_t> file;
  } cases[] = {
      {kPng, PngFile(700)},
      {kGif, GifFile(Garbage(600))},
      {kZip, ZipFile(Garbage(900), true)},
      {kCompoundFile, CompoundFile()},
      {kSevenZip, SevenZipFile()},
      {kIsoMedia, Mp4File(2000)},
      {kWav, RiffFile("WAVE", 1000)},
  };
  for (const auto& c : cases) {
    auto cut = c.file;
    cut.resize(cut.size() - 1);
    EXPECT_EQ(FoundSize(c.type, cut), 0u) << "type " << c.type;
  }
}

TEST(LengthRules, PngChunkDataIsSeekedOverNotRead) {
  ASSERT_TRUE(Probe().Complete());
  const auto file = PngFile(8u << 20);
  const auto outcome = Search(kPng, Then(file, Garbage(100)));
  ASSERT_EQ(outcome.found, 1);
  EXPECT_EQ(outcome.result.size, file.size());
  EXPECT_LT(outcome.bytesRead, 256u * 1024);
}

TEST(LengthRules, PngNeedsHeaderChunkFirstAndWellFormedChunkTypes) {
  ASSERT_TRUE(Probe().Complete());
  auto noHeader = PngFile(10);
  noHeader[12] = 'X';  // "XHDR"
  EXPECT_EQ(FoundSize(kPng, noHeader), 0u);
  auto badType = PngFile(10);
  badType[8 + 25 + 4] = '1';  // the IDAT chunk's type
  EXPECT_EQ(FoundSize(kPng, badType), 0u);
}

TEST(LengthRules, ZipEndRecordOfAStoredInnerArchiveIsSkipped) {
  ASSERT_TRUE(Probe().Complete());
  const auto inner = ZipFile(Garbage(50), false);
  const auto outer = ZipFile(inner, true);  // the inner end record lies inside the outer data
  EXPECT_EQ(FoundSize(kZip, Then(outer, Garbage(300))), outer.size());
}

TEST(LengthRules, ZipEndRecordAcrossAReadChunkBoundary) {
  ASSERT_TRUE(Probe().Complete());
  // With a data descriptor the end record is searched for; place its signature at 65534 so that
  // it spans the first two 64 KiB chunks.
  const size_t overhead = ZipFile({}, true).size() - 25;  // all but the end record
  const auto file = ZipFile(Garbage(65534 - overhead), true);
  ASSERT_EQ(file.size() - 25, 65534u);
  EXPECT_EQ(FoundSize(kZip, Then(file, Garbage(1000))), file.size());
}

TEST(LengthRules, SevenZipWithDamagedStartHeaderIsNotFound) {
  ASSERT_TRUE(Probe().Complete());
  auto damaged = SevenZipFile();
  damaged[12] ^= 1;  // next header offset no longer matches the CRC
  EXPECT_EQ(FoundSize(kSevenZip, Then(damaged, Garbage(1000))), 0u);
}

TEST(LengthRules, IsoMediaBoxesOfUnknownOrOpenLengthEndTheWalk) {
  ASSERT_TRUE(Probe().Complete());
  // A box that runs "to the end of the file" does not tell the length.
  Bytes open;
  open.Append(Mp4File(0)).Be32(0).Text("mdat").Fill(100, 0);
  EXPECT_EQ(FoundSize(kIsoMedia, open.Get()), 0u);
  // 64-bit box sizes.
  Bytes large;
  large.Append(Mp4File(10)).Be32(1).Text("free").Be32(0).Be32(16 + 40).Fill(40, 0);
  EXPECT_EQ(FoundSize(kIsoMedia, Then(large.Get(), Garbage(100))), large.Size());
  // Without a movie header it is no playable file.
  Bytes noMovie;
  noMovie.Be32(16).Text("ftypisom").Be32(0).Be32(16).Text("mdat").Fill(8, 0);
  EXPECT_EQ(FoundSize(kIsoMedia, Then(noMovie.Get(), Garbage(100))), 0u);
}

TEST(LengthRules, AviContinuesIntoExtensionChunks) {
  ASSERT_TRUE(Probe().Complete());
  const auto file = Then(RiffFile("AVI ", 600), RiffFile("AVIX", 800));
  EXPECT_EQ(FoundSize(kAvi, Then(file, RiffFile("WAVE", 100))), file.size());
}

TEST(LengthRules, Mp3NeedsSeveralAgreeingFramesWithoutATag) {
  ASSERT_TRUE(Probe().Complete());
  EXPECT_EQ(FoundSize(kMp3, Then(Mp3File(false, 2), Garbage(1000))), 0u);
  // A trailing ID3v1 tag belongs to the file.
  Bytes tagged;
  tagged.Append(Mp3File(false, 3)).Text("TAG").Fill(125, 'x');
  EXPECT_EQ(FoundSize(kMp3, Then(tagged.Get(), Garbage(1000))), tagged.Size());
}

TEST(LengthRules, CompoundFileEndsAfterTheHighestUsedSector) {
  ASSERT_TRUE(Probe().Complete());
  auto file = CompoundFile();
  // Mark sector 9 used too: the file now needs ten sectors after the header.
  for (size_t i = 0; i < 4; ++i) file[512 + 9 * 4 + i] = 0xFE;
  file.resize(512 + 10 * 512, 0x22);
  EXPECT_EQ(FoundSize(kCompoundFile, Then(file, Garbage(2000))), file.size());
}

}  // namespace
}  // namespace typeprobe_test
