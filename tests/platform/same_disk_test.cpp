#include "platform/same_disk.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace orvande::platform {
namespace {

TEST(SameDisk, ImageFilesAndUnknownPlacesAreNotTheSourceDevice) {
  EXPECT_FALSE(OutputOnSourceDevice(std::string(ORVANDE_SOURCE_DIR) + "/README.md",
                                    std::filesystem::temp_directory_path().string()));
  EXPECT_FALSE(OutputOnSourceDevice("/nonexistent/device", "/tmp"));
}

}  // namespace
}  // namespace orvande::platform
