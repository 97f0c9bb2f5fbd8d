// The contract the program relies on: version, supported-types table, extension lookup, and
// the sectors and size SearchFile reports.
#include <gtest/gtest.h>

#include <set>

#include "probe_harness.h"
#include "sample_files.h"

namespace typeprobe_test {
namespace {

constexpr uint32_t kPng = 1;
constexpr uint32_t kPdf = 5;
constexpr uint32_t kZip = 6;
constexpr uint32_t kCompoundFile = 7;

std::vector<uint32_t> Processors(const char* extension) {
  uint32_t* ids = nullptr;
  const uint32_t count = Probe().getProcessors(extension, &ids);
  std::vector<uint32_t> result(ids, ids + count);
  if (ids != nullptr) Probe().releaseProcessors(ids);
  return result;
}

TEST(ProbeEntryPoints, LoadsWithAllEntryPointsAndTheAcceptedVersion) {
  ASSERT_TRUE(Probe().Complete()) << "libtypeprobe.so missing or incomplete";
  EXPECT_EQ(Probe().getDllVersion(), 0x201u);
  EXPECT_EQ(Probe().isEnabled(), 1);
}

TEST(ProbeEntryPoints, TableHasUniqueUsableEntriesWithJpegAsTypeZero) {
  ASSERT_TRUE(Probe().Complete());
  const typeprobe::SupportedType* table = nullptr;
  const uint32_t count = Probe().getSupTypes(&table);
  ASSERT_NE(table, nullptr);
  ASSERT_GE(count, 10u);
  std::set<uint32_t> ids;
  for (uint32_t i = 0; i < count; ++i) {
    EXPECT_NE(table[i].typeId, typeprobe::kNoType);
    EXPECT_NE(table[i].recogniser, nullptr) << "type " << table[i].typeId;
    EXPECT_TRUE(ids.insert(table[i].typeId).second) << "duplicate type " << table[i].typeId;
  }
  ASSERT_TRUE(ids.count(typeprobe::kTypeJpeg));
  const auto jpeg = JpegFile({0x12, 0x34});
  for (uint32_t i = 0; i < count; ++i) {
    if (table[i].typeId == typeprobe::kTypeJpeg) {
      EXPECT_TRUE(table[i].recogniser(jpeg.data(), static_cast<uint32_t>(jpeg.size())));
    }
  }
  // A second call hands out the same table: the program keeps the pointer.
  const typeprobe::SupportedType* again = nullptr;
  Probe().getSupTypes(&again);
  EXPECT_EQ(again, table);
}

TEST(ProbeEntryPoints, ExtensionsMapCaseInsensitively) {
  ASSERT_TRUE(Probe().Complete());
  for (const char* jpeg : {"jpg", "JPG", "Jpeg", "jpe", "JFIF"}) {
    EXPECT_EQ(Processors(jpeg), std::vector<uint32_t>{typeprobe::kTypeJpeg}) << jpeg;
  }
  EXPECT_EQ(Processors("PNG"), std::vector<uint32_t>{kPng});
  EXPECT_EQ(Processors("docx"), std::vector<uint32_t>{kZip});
  EXPECT_EQ(Processors("XLSX"), std::vector<uint32_t>{kZip});
  EXPECT_EQ(Processors("doc"), std::vector<uint32_t>{kCompoundFile});
  EXPECT_EQ(Processors("ppt"), std::vector<uint32_t>{kCompoundFile});
}

TEST(ProbeEntryPoints, UnknownOrMissingExtensionsGiveNoProcessors) {
  ASSERT_TRUE(Probe().Complete());
  for (const char* unknown : {"xyz", "", "jpgx", "jp", "averyveryverylongextension"}) {
    uint32_t* ids = reinterpret_cast<uint32_t*>(0x1);
    EXPECT_EQ(Probe().getProcessors(unknown, &ids), 0u) << unknown;
    EXPECT_EQ(ids, nullptr) << unknown;
  }
  uint32_t* ids = nullptr;
  EXPECT_EQ(Probe().getProcessors(nullptr, &ids), 0u);
  EXPECT_EQ(Probe().getProcessors("jpg", nullptr), 0u);
  Probe().releaseProcessors(nullptr);  // harmless
}

TEST(ProbeEntryPoints, FoundFileIsOneRunFromTheStartSectorToItsLastByte) {
  ASSERT_TRUE(Probe().Complete());
  // 1024 bytes exactly: sectors 100 and 101, not 102.
  auto file = JpegFile({});
  const size_t header = file.size();
  file = JpegFile(std::vector<uint8_t>(1024 - header, 0x42));
  ASSERT_EQ(file.size(), 1024u);
  auto bytes = file;
  bytes.resize(4096, 0);
  const auto outcome = Search(typeprobe::kTypeJpeg, bytes);
  ASSERT_EQ(outcome.found, 1);
  EXPECT_EQ(outcome.result.size, 1024u);
  EXPECT_EQ(outcome.result.runs, (std::vector<std::pair<uint32_t, uint32_t>>{{100, 101}}));
}

TEST(ProbeEntryPoints, SectorsBeyondThirtyTwoBitsAreNotReported) {
  ASSERT_TRUE(Probe().Complete());
  // The file starts in the last 32-bit sector and ends in the next one.
  const auto outcome =
      Search(typeprobe::kTypeJpeg, JpegFile(std::vector<uint8_t>(900, 1)), 0xFFFFFFFFull);
  EXPECT_EQ(outcome.found, 0);
  EXPECT_TRUE(outcome.result.runs.empty());
}

TEST(ProbeEntryPoints, TypesWithoutLengthRuleOrUnknownIdsFindNothing) {
  ASSERT_TRUE(Probe().Complete());
  auto pdf = PdfStart();
  pdf.resize(2048, ' ');
  EXPECT_EQ(Search(kPdf, pdf).found, 0);
  EXPECT_EQ(Search(typeprobe::kNoType, JpegFile({1})).found, 0);
  EXPECT_EQ(Search(0xFFFFFFFF, JpegFile({1})).found, 0);
  RecordingResult result;
  EXPECT_EQ(Probe().searchFile(typeprobe::kTypeJpeg, nullptr, &result), 0);
  MemoryStream stream(JpegFile({1}));
  EXPECT_EQ(Probe().searchFile(typeprobe::kTypeJpeg, &stream, nullptr), 0);
}

TEST(ProbeEntryPoints, WrongTypeForTheDataFindsNothing) {
  ASSERT_TRUE(Probe().Complete());
  EXPECT_EQ(Search(kPng, JpegFile({1, 2, 3})).found, 0);
  EXPECT_EQ(Search(typeprobe::kTypeJpeg, PngFile(10)).found, 0);
}

}  // namespace
}  // namespace typeprobe_test
