// orvande-cli find on a corpus image, run in-process: one line per match in tree order, and the
// not-found message with exit code 1.
#include <gtest/gtest.h>

#include <string>

#include "common/cli_runner.h"
#include "common/corpus.h"

namespace orvande::cli {
namespace {

using test::RunCliInProcess;

TEST(FindCommandTest, ListsMatchesInTreeOrderOrSaysNoneWasFound) {
  const std::string image = test::LoadCorpusImage("fat16").imagePath;
  const test::CliOutcome found = RunCliInProcess({"find", image, "report"});
  EXPECT_EQ(found.exitCode, 0) << found.err;
  EXPECT_EQ(found.out, "d  DOCS/REPORTS\nf  DOCS/REPORTS/REPORT1.TXT\n");

  const test::CliOutcome deleted = RunCliInProcess({"find", image, "*.jpg", "--deleted-only"});
  EXPECT_EQ(deleted.exitCode, 0) << deleted.err;
  EXPECT_NE(deleted.out.find("f  CAMERA/Deleted sunset photo.jpg\n"), std::string::npos);
  EXPECT_EQ(deleted.out.find("IMG_0001"), std::string::npos);

  const test::CliOutcome none = RunCliInProcess({"find", image, "Report", "--case"});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_EQ(none.out, "");
  EXPECT_EQ(none.err, "orvande-cli: Cannot find the file 'Report'.\n");
}

}  // namespace
}  // namespace orvande::cli
