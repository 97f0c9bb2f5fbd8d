// Recognisers and length rules on hostile data: nothing may read outside the buffer it was
// given, crash, hang, or report a file longer than the stream.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <span>

#include "probe_harness.h"
#include "sample_files.h"

namespace typeprobe_test {
namespace {

std::map<uint32_t, std::vector<uint8_t>> SampleOfEachType() {
  return {
      {0, JpegFile({1, 2, 3})},
      {1, PngFile(40)},
      {2, GifFile(Garbage(40))},
      {3, BmpFile()},
      {4, TiffStart()},
      {5, PdfStart()},
      {6, ZipFile(Garbage(40), false)},
      {7, CompoundFile()},
      {8, RarStart()},
      {9, SevenZipFile()},
      {10, Mp3File(false, 3)},
      {11, Mp4File(40)},
      {12, RiffFile("WAVE", 40)},
      {13, RiffFile("AVI ", 40)},
  };
}

std::span<const typeprobe::SupportedType> Table() {
  const typeprobe::SupportedType* table = nullptr;
  const uint32_t count = Probe().getSupTypes(&table);
  return {table, count};
}

// Calls the recogniser with a heap copy of exactly `length` bytes, so that a read past the end
// is caught by the sanitizer build.
bool RecogniseExact(const typeprobe::SupportedType& entry, const std::vector<uint8_t>& bytes,
                    size_t length) {
  std::vector<uint8_t> copy(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(length));
  return entry.recogniser(copy.data(), static_cast<uint32_t>(length));
}

TEST(ProbeRobustness, EachSampleIsRecognisedByItsOwnTypeOnly) {
  ASSERT_TRUE(Probe().Complete());
  const auto samples = SampleOfEachType();
  ASSERT_EQ(samples.size(), Table().size());
  for (const auto& entry : Table()) {
    for (const auto& [type, sample] : samples) {
      EXPECT_EQ(RecogniseExact(entry, sample, sample.size()), type == entry.typeId)
          << "recogniser of type " << entry.typeId << " on a sample of type " << type;
    }
  }
}

TEST(ProbeRobustness, RecognisersStayInsideShortAndDegenerateBuffers) {
  ASSERT_TRUE(Probe().Complete());
  const auto samples = SampleOfEachType();
  for (const auto& entry : Table()) {
    EXPECT_FALSE(entry.recogniser(nullptr, 100));
    const uint8_t one = 0xFF;
    EXPECT_FALSE(entry.recogniser(&one, 0));
    for (const auto& [type, sample] : samples) {
      for (size_t length = 0; length <= std::min<size_t>(sample.size(), 64); ++length) {
        RecogniseExact(entry, sample, length);
      }
    }
    for (uint8_t fill : {0x00, 0xFF}) {
      const std::vector<uint8_t> flat(4096, fill);
      EXPECT_FALSE(RecogniseExact(entry, flat, flat.size())) << "type " << entry.typeId;
    }
  }
}

TEST(ProbeRobustness, FlatStreamsAreNoFiles) {
  ASSERT_TRUE(Probe().Complete());
  for (const auto& entry : Table()) {
    for (uint8_t fill : {0x00, 0xFF}) {
      EXPECT_EQ(Search(entry.typeId, std::vector<uint8_t>(1 << 20, fill)).found, 0)
          << "type " << entry.typeId;
    }
    EXPECT_EQ(Search(entry.typeId, {}).found, 0);
  }
}

TEST(ProbeRobustness, DamagedSamplesNeverOverrunTheStream) {
  ASSERT_TRUE(Probe().Complete());
  std::mt19937 random(20240611);
  for (const auto& [type, sample] : SampleOfEachType()) {
    for (int round = 0; round < 200; ++round) {
      auto bytes = sample;
      const int flips = 1 + static_cast<int>(random() % 4);
      for (int i = 0; i < flips; ++i) {
        const size_t at = random() % bytes.size();
        bytes[at] = static_cast<uint8_t>(random() % 4 == 0 ? 0xFF : random());
      }
      if (random() % 3 == 0) bytes.resize(random() % bytes.size());
      const auto outcome = Search(type, bytes);
      if (!outcome.found) continue;
      ASSERT_GT(outcome.result.size, 0u);
      ASSERT_LE(outcome.result.size, bytes.size()) << "type " << type;
      ASSERT_EQ(outcome.result.runs.size(), 1u);
      EXPECT_EQ(outcome.result.runs[0].first, 100u);
      EXPECT_EQ(outcome.result.runs[0].second, 100u + (outcome.result.size - 1) / 512);
    }
  }
}

}  // namespace
}  // namespace typeprobe_test
