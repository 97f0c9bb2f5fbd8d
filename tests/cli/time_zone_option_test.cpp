// recover --tz: the files written from a FAT volume get their times read in the zone given.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "common/cli_runner.h"
#include "common/corpus.h"
#include "common/temp_folder.h"
#include "platform/file_system.h"
#include "platform/file_time.h"

namespace orvande::cli {
namespace {

TEST(RecoverTimeZone, RecoveredFilesGetTheirTimesReadInTheZoneGiven) {
  test::TempFolder folder("orvande-recover-tz-");
  const std::string sample = test::UnpackSampleVolume(folder.Path());
  struct Case {
    const char* zone;
    int64_t unixSeconds;  // 2004-06-15 17:45:10 local time (summer time) in that zone
  };
  const Case cases[] = {{"UTC", 1087321510},
                        {"Europe/Berlin", 1087321510 - 2 * 3600},
                        {"America/New_York", 1087321510 + 4 * 3600}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.zone);
    std::string leaf = c.zone;
    std::replace(leaf.begin(), leaf.end(), '/', '_');
    const std::string out = (folder.Path() / leaf).string();
    auto run = test::RunCliInProcess({"recover", sample, "--out", out, "--all-files", "--tz",
                                      c.zone, "Documents/Quarterly Report 2004.txt"});
    ASSERT_EQ(run.exitCode, 0) << run.err << run.out;
    uint64_t modified = 0;
    ASSERT_EQ(platform::GetFileModifiedTime(out + "/Quarterly Report 2004.txt", &modified), 0u);
    int64_t seconds = 0;
    platform::FileTimeToUnix(modified, &seconds, nullptr);
    EXPECT_EQ(seconds, c.unixSeconds);
  }
}

}  // namespace
}  // namespace orvande::cli
