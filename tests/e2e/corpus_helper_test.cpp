// The corpus helper itself: its hash is what every content comparison rests on, and the corpus must
// hold every image family the analyzer tests ask for.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/corpus.h"

namespace orvande::test {
namespace {

TEST(CorpusHelper, Sha256MatchesPublishedVectors) {
  EXPECT_EQ(Sha256Hex(std::string()), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex(std::string("abc")), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  // 56 bytes: the length no longer fits the first block.
  EXPECT_EQ(Sha256Hex(std::string("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(Sha256Hex(std::string(1000000, 'a')), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(CorpusHelper, FileHashEqualsHashOfItsBytes) {
  std::string bytes(200000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
  auto path = std::filesystem::path(ORVANDE_BINARY_DIR) / "corpus_helper_hash.bin";
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  EXPECT_EQ(Sha256OfFile(path.string()), Sha256Hex(bytes));
  std::filesystem::remove(path);
  EXPECT_THROW(Sha256OfFile(path.string()), std::runtime_error);
}

TEST(CorpusHelper, EveryImageFamilyIsPresentAndLoads) {
  auto names = CorpusImageNames();
  for (const char* family : {"fat12", "fat16", "fat32", "ntfs512", "ntfs4k", "ntfs4kn"}) {
    EXPECT_NE(std::find(names.begin(), names.end(), family), names.end()) << family;
  }
  for (const std::string& name : names) {
    const CorpusImage& image = LoadCorpusImage(name);
    EXPECT_EQ(&image, &LoadCorpusImage(name)) << "loaded twice: " << name;
    ASSERT_TRUE(std::filesystem::exists(image.imagePath)) << name;
    EXPECT_EQ(std::filesystem::file_size(image.imagePath) % image.bytesPerSector, 0u) << name;
    EXPECT_FALSE(image.entries.empty()) << name;
  }
  EXPECT_THROW(LoadCorpusImage("no-such-image"), std::runtime_error);
}

}  // namespace
}  // namespace orvande::test
