#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it at the end.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace orvande::platform {

class TempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "orvande_platform_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  std::string PathOf(const std::string& name) const { return (root_ / name).string(); }
  std::string WriteFile(const std::string& name, const std::string& bytes) const {
    std::string path = PathOf(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::filesystem::path root_;
};

}  // namespace orvande::platform
