// How an image file's kind is told, and how a split image's pieces read as one.
#include "disk/image_format.h"

#include <gtest/gtest.h>

#include <fstream>
#include <numeric>
#include <string>
#include <vector>

#include "common/temp_folder.h"
#include "disk/segmented_image.h"
#include "platform/raw_io.h"

namespace orvande {
namespace {

void Write(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(ImageFormat, ToldBySignatureThenByName) {
  test::TempFolder folder("orvande-format-");
  const std::string evidence("EVF\x09\x0d\x0a\xff\x00rest", 12);
  Write(folder / "case.E01", evidence);
  Write(folder / "case.bin", evidence);  // the signature counts, not the name
  Write(folder / "short.E01", "EVF");    // too short to be evidence
  Write(folder / "disk.001", "a");
  Write(folder / "disk.002", "b");
  Write(folder / "lone.001", "a");  // no second piece
  Write(folder / "plain.img", std::string(512, 0));
  struct Case {
    const char* name;
    ImageFormat format;
  };
  for (const Case& c :
       {Case{"case.E01", ImageFormat::kEvidence}, Case{"case.bin", ImageFormat::kEvidence},
        Case{"short.E01", ImageFormat::kRaw}, Case{"disk.001", ImageFormat::kSplitRaw},
        Case{"disk.002", ImageFormat::kRaw}, Case{"lone.001", ImageFormat::kRaw},
        Case{"plain.img", ImageFormat::kRaw}, Case{"missing.001", ImageFormat::kRaw}}) {
    EXPECT_EQ(DetectImageFormat((folder / c.name).string(), platform::SystemRawIo()), c.format)
        << c.name;
  }
}

TEST(SegmentedImage, ReadsAcrossPiecesAndStopsAtTheEnd) {
  test::TempFolder folder("orvande-pieces-");
  std::string whole(1000, '\0');
  std::iota(whole.begin(), whole.end(), '\0');
  // Pieces of 300, 0 and 700 bytes: an empty piece in the middle is simply skipped.
  Write(folder / "v.001", whole.substr(0, 300));
  Write(folder / "v.002", "");
  Write(folder / "v.003", whole.substr(300));
  const std::vector<std::string> pieces = SplitImagePieces((folder / "v.001").string());
  ASSERT_EQ(pieces.size(), 3u);
  SegmentedImage image(platform::SystemRawIo());
  uint32_t error = 0;
  ASSERT_TRUE(image.Open(pieces, &error)) << error;
  EXPECT_EQ(image.SizeInBytes(), 1000u);
  struct Case {
    uint64_t offset;
    size_t size;
    size_t expected;
  };
  for (const Case& c : {Case{0, 1000, 1000}, Case{250, 100, 100}, Case{299, 2, 2},
                        Case{900, 500, 100}, Case{1000, 10, 0}}) {
    std::string got(c.size, 'x');
    size_t read = 0;
    ASSERT_TRUE(image.ReadAt(c.offset, got.data(), c.size, &read, &error)) << c.offset;
    EXPECT_EQ(read, c.expected) << c.offset;
    EXPECT_EQ(got.substr(0, read), whole.substr(c.offset, c.expected)) << c.offset;
  }
  EXPECT_FALSE(image.Open({(folder / "v.001").string(), (folder / "v.009").string()}, &error));
  EXPECT_FALSE(image.IsOpen());
}

}  // namespace
}  // namespace orvande
