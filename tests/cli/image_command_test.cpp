// orvande-cli image: a volume image copied to a new file, byte for byte.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/cli_runner.h"
#include "common/corpus.h"
#include "common/temp_folder.h"

namespace orvande::cli {
namespace {

std::vector<char> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ImageCommand, WritesTheVolumeToTheImageFile) {
  const test::CorpusImage& corpus = test::LoadCorpusImage("fat16");
  test::TempFolder folder("orvande-image-cli-");
  const std::string out = (folder / "copy.dsk").string();
  const test::CliOutcome outcome = test::RunCliInProcess({"image", corpus.imagePath, out, "--yes"});
  ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
  EXPECT_EQ(FileBytes(out), FileBytes(corpus.imagePath));
}

}  // namespace
}  // namespace orvande::cli
