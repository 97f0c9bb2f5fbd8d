// orvande-cli devices --json on this machine: the shape of the listing, with an image file that
// is always there.
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "common/cli_runner.h"
#include "common/temp_folder.h"

namespace orvande {
namespace {

TEST(DevicesCommand, JsonListsGroupsOfEntries) {
  test::TempFolder folder("orvande-devices-cli-");
  const std::string image = (folder / "volume.img").string();
  std::array<char, 4096> bytes{};
  std::copy_n("NTFS    ", 8, bytes.begin() + 3);
  std::ofstream(image, std::ios::binary).write(bytes.data(), bytes.size());

  const test::CliOutcome outcome = test::RunCliInProcess({"devices", "--json", "--image", image});
  ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
  const nlohmann::json groups = nlohmann::json::parse(outcome.out);
  ASSERT_TRUE(groups.is_array());
  bool imageListed = false;
  for (const nlohmann::json& group : groups) {
    ASSERT_TRUE(group["key"].is_number_integer()) << group.dump();
    ASSERT_TRUE(group["text"].is_string());
    ASSERT_TRUE(group["entries"].is_array());
    for (const nlohmann::json& entry : group["entries"]) {
      EXPECT_TRUE(entry["text"].is_string()) << entry.dump();
      EXPECT_TRUE(entry["path"].is_string());
      EXPECT_TRUE(entry["kind"].is_number_integer());
      EXPECT_TRUE(entry["fs_kind"].is_number_integer());
      EXPECT_TRUE(entry["removable"].is_boolean());
      EXPECT_TRUE(entry["size_bytes"].is_number_unsigned());
      EXPECT_EQ(entry.contains("number"), entry["kind"] == 2);
    }
    if (group["key"] == 2) {
      ASSERT_EQ(group["text"], "Disk Image Files");
      ASSERT_EQ(group["entries"].size(), 1u);
      EXPECT_EQ(group["entries"][0]["path"], image);
      EXPECT_EQ(group["entries"][0]["kind"], 1);
      EXPECT_EQ(group["entries"][0]["size_bytes"], bytes.size());
      imageListed = true;
    }
  }
  EXPECT_TRUE(imageListed);
  EXPECT_EQ(groups[0]["text"], "Local Disks");
  EXPECT_EQ(groups.back()["text"], "Physical Disks");
}

}  // namespace
}  // namespace orvande
