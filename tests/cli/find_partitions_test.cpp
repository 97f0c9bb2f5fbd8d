// orvande-cli on a whole-disk image made at test time by sfdisk and the formatting tools, whose
// partition table is then zeroed: find-partitions finds each volume, DISK@N opens it in a later
// run, and the saved list goes and comes back through a partitions information file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "common/cli_runner.h"
#include "common/jpeg_sample.h"
#include "common/temp_folder.h"

namespace orvande::cli {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using test::RunCliInProcess;

struct Volume {
  const char* make;  // %s: the volume file
  uint64_t at;       // first sector on the disk
  uint64_t sectors;
  const char* fileSystem;
  const char* file;  // a file copied onto it; null for none
};

const std::vector<Volume>& Volumes() {
  static const std::vector<Volume> volumes = {
      {"mkfs.fat -F 12 -C %s 2048", 2048, 4096, "FAT12", "twelve.txt"},
      {"mkfs.fat -F 16 -C %s 16384", 8191, 32768, "FAT16", "sixteen.txt"},  // an odd start
      {"mkntfs -F -q -Q -s 512 %s 16384", 45056, 16384, "NTFS", nullptr},
  };
  return volumes;
}

constexpr uint64_t kDiskSectors = 131072;

class FindPartitionsCli : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (std::system("command -v sfdisk && command -v mkfs.fat && command -v mcopy && "
                    "command -v mkntfs") != 0)
      return;
    folder_ = new test::TempFolder("orvande-find-partitions-");
    disk_ = (*folder_ / "disk.img").string();
    made_ = MakeDisk();
  }
  static void TearDownTestSuite() {
    delete folder_;
    folder_ = nullptr;
  }
  void SetUp() override {
    if (!made_) GTEST_SKIP() << "sfdisk, mkfs.fat, mtools or mkntfs missing";
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr) oldState_ = state;
    UseState("state");
  }
  void TearDown() override {
    if (oldState_) {
      setenv("XDG_STATE_HOME", oldState_->c_str(), 1);
    } else {
      unsetenv("XDG_STATE_HOME");
    }
  }

  // Where the lists kept between runs go; a fresh name is a run that remembers nothing.
  static void UseState(const std::string& name) {
    setenv("XDG_STATE_HOME", (*folder_ / name).c_str(), 1);
  }

  static bool Run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
  }

  static bool MakeDisk() {
    std::ofstream(disk_).close();
    fs::resize_file(disk_, kDiskSectors * 512);
    std::string table = "label: dos\n";
    for (const Volume& volume : Volumes())
      table += "start=" + std::to_string(volume.at) + ", size=" + std::to_string(volume.sectors) +
               ", type=7\n";
    std::ofstream(*folder_ / "table.txt") << table;
    if (!Run("sfdisk -q --no-reread --no-tell-kernel '" + disk_ + "' < '" +
             (*folder_ / "table.txt").string() + "'"))
      return false;
    for (const Volume& volume : Volumes()) {
      const std::string file = (*folder_ / "volume").string();
      fs::remove(file);
      if (std::string(volume.fileSystem) == "NTFS") {  // mkntfs wants the file to exist
        std::ofstream(file).close();
        fs::resize_file(file, volume.sectors * 512);
      }
      std::string make = volume.make;
      make.replace(make.find("%s"), 2, "'" + file + "'");
      if (!Run(make)) return false;
      if (volume.file != nullptr) {
        std::ofstream(*folder_ / volume.file) << "found on " << volume.fileSystem << '\n';
        if (!Run("mcopy -i '" + file + "' '" + (*folder_ / volume.file).string() + "' ::/"))
          return false;
      }
      if (!Run("dd if='" + file + "' of='" + disk_ + "' bs=512 seek=" + std::to_string(volume.at) +
               " conv=notrunc status=none"))
        return false;
    }
    return true;
  }

  static void ZeroTable() {
    std::fstream out(disk_, std::ios::binary | std::ios::in | std::ios::out);
    const std::string zeros(512, '\0');
    out.write(zeros.data(), static_cast<std::streamsize>(zeros.size()));
  }

  static Json JsonOf(const test::CliOutcome& outcome) {
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    return Json::parse(outcome.out);
  }

  // The volumes come first, in disk order; the search may add the stand-in volume an NTFS
  // table's own record suggests after them.
  static void ExpectFound(const Json& listing) {
    ASSERT_GE(listing["partitions"].size(), Volumes().size()) << listing.dump(1);
    for (size_t i = 0; i < Volumes().size(); ++i) {
      const Json& partition = listing["partitions"][i];
      EXPECT_EQ(partition["number"], i + 1);
      EXPECT_EQ(partition["origin"], "found");
      EXPECT_EQ(partition["first_sector"], Volumes()[i].at);
      EXPECT_EQ(partition["name"].get<std::string>().rfind(Volumes()[i].fileSystem, 0), 0u);
    }
  }

  static test::TempFolder* folder_;
  static std::string disk_;
  static bool made_;
  std::optional<std::string> oldState_;
};

test::TempFolder* FindPartitionsCli::folder_ = nullptr;
std::string FindPartitionsCli::disk_;
bool FindPartitionsCli::made_ = false;

// One test: each step needs the disk as the step before left it.
TEST_F(FindPartitionsCli, FindsEachVolumeAndOpensItLater) {
  const Json table = JsonOf(RunCliInProcess({"partitions", disk_, "--json"}));
  ASSERT_EQ(table["partitions"].size(), Volumes().size());
  EXPECT_EQ(table["partitions"][1]["origin"], "table");
  EXPECT_EQ(table["partitions"][1]["first_sector"], Volumes()[1].at);

  ZeroTable();
  const auto search = RunCliInProcess({"find-partitions", disk_});
  ASSERT_EQ(search.exitCode, 0) << search.err;
  EXPECT_NE(search.out.find("  1 found "), std::string::npos) << search.out;
  EXPECT_NE(search.out.find("  3 found "), std::string::npos) << search.out;
  EXPECT_NE(search.err.find("The partition scanning is now completed."), std::string::npos);

  // A later run numbers them the same from the kept list.
  const Json later = JsonOf(RunCliInProcess({"partitions", disk_, "--json"}));
  ExpectFound(later);
  for (size_t i = 0; i < Volumes().size(); ++i) {
    const Json listing =
        JsonOf(RunCliInProcess({"analyze", disk_ + "@" + std::to_string(i + 1), "--json"}));
    EXPECT_EQ(listing["file_system"], Volumes()[i].fileSystem);
    if (Volumes()[i].file == nullptr) continue;
    bool listed = false;
    for (const Json& item : listing["items"]) listed |= item["path"] == Volumes()[i].file;
    EXPECT_TRUE(listed) << listing.dump(1);
  }
  const std::string count = std::to_string(later["partitions"].size());
  const auto beyond = RunCliInProcess({"analyze", disk_ + "@" + count + "0"});
  EXPECT_EQ(beyond.exitCode, 1);
  EXPECT_NE(beyond.err.find("numbered 1 to " + count), std::string::npos) << beyond.err;
}

TEST_F(FindPartitionsCli, SavedListComesBackOnLoad) {
  ZeroTable();
  UseState("saving");
  const std::string saved = (*folder_ / "found.ovp").string();
  const auto search = RunCliInProcess(
      {"find-partitions", disk_, "--fs", "fat12,fat16", "--end", "40M", "--save", saved, "--json"});
  const Json found = JsonOf(search);
  ASSERT_EQ(found["partitions"].size(), 2u) << found.dump(1);
  EXPECT_EQ(fs::file_size(saved), 22u + 2 * 540);

  UseState("fresh");
  const auto loaded = RunCliInProcess({"find-partitions", disk_, "--load", saved, "--json"});
  EXPECT_NE(loaded.err.find("2 partition(s) were added for " + disk_ + "."), std::string::npos)
      << loaded.err;
  EXPECT_EQ(JsonOf(loaded)["partitions"], found["partitions"]);
  EXPECT_EQ(JsonOf(RunCliInProcess(
                {"analyze", disk_ + "@2", "--partitions", saved, "--json"}))["file_system"],
            "FAT16");
}

TEST_F(FindPartitionsCli, RefusesWhatIsNoDiskOrNoList) {
  const std::string jpeg = (*folder_ / "photo.ovp").string();
  const std::vector<uint8_t> bytes = test::SmallJpeg(2000);
  std::ofstream(jpeg, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  const std::string tiny = (*folder_ / "tiny.img").string();
  std::ofstream(tiny) << std::string(100, 'x');
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    const char* says;
  };
  const std::vector<Case> cases = {
      {{"find-partitions", disk_, "--load", jpeg}, 1, "Invalid partitions information."},
      {{"analyze", disk_ + "@1", "--partitions", jpeg}, 1, "Invalid partitions information."},
      {{"partitions", tiny}, 1, "shorter than one sector"},
      {{"find-partitions", tiny}, 1, "shorter than one sector"},
      {{"partitions", disk_, "--sector-size", "300"}, 2, "not supported"},
      {{"find-partitions", disk_, "--start", "9", "--end", "2"},
       1,
       "Can't start scanning. Select range please."},
  };
  for (const Case& c : cases) {
    const auto outcome = RunCliInProcess(c.args);
    EXPECT_EQ(outcome.exitCode, c.exitCode) << c.args[0] << ' ' << c.args.back();
    EXPECT_NE(outcome.err.find(c.says), std::string::npos) << outcome.err;
  }
}

}  // namespace
}  // namespace orvande::cli
