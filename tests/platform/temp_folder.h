#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it at the end.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "common/temp_folder.h"

namespace orvande::platform {

class TempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::make_unique<test::TempFolder>("orvande_platform_");
    root_ = folder_->Path();
  }
  void TearDown() override { folder_.reset(); }
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

  std::unique_ptr<test::TempFolder> folder_;
  std::filesystem::path root_;
};

}  // namespace orvande::platform
