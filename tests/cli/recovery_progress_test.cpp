// The progress lines of recovery and analysis on a terminal, and nothing when they are not drawn
// on one.
#include "cli/recovery_progress.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <thread>

#include "cli/cli_progress.h"
#include "core/recovery_context.h"

namespace orvande::cli {
namespace {

TEST(RecoveryProgress, ShowsTheFilesBytesDoneOfItsSize) {
  for (const bool enabled : {true, false}) {
    std::ostringstream out;
    RecoveryContext job;
    job.fileExpectedBytes = 1500000000;
    RecoveryProgressBar bar(out, enabled);
    bar.Follow(&job);
    bar.SetRange(0, 1500000000 >> 4);
    bar.Advance(static_cast<uint32_t>(120000000 >> 4));
    bar.Clear();
    bar.SetRange(0, 1000);  // the next file draws at once
    bar.Finish();
    if (!enabled) {
      EXPECT_TRUE(out.str().empty());
      continue;
    }
    EXPECT_NE(out.str().find("Recovering: 0 bytes of 1.5 GB (0%)"), std::string::npos) << out.str();
    EXPECT_EQ(out.str().back(), '\r');  // finished with the line cleared
  }
}

// The analysis line says what the recovery line says, in the analyzer's steps: done of total,
// then (half a second in) the rate and the time left.
TEST(AnalysisProgress, ShowsStepsDoneOfThePhaseRateAndTimeLeft) {
  for (const bool enabled : {true, false}) {
    std::ostringstream out;
    TerminalProgressBar bar(out, "Analyzing", enabled);
    bar.SetRange(2, 40962);
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    bar.SetPosition(5122);
    bar.Finish();
    bar.SetPosition(6000);  // nothing after the finish
    if (!enabled) {
      EXPECT_TRUE(out.str().empty());
      continue;
    }
    const std::string shown = out.str();
    EXPECT_NE(shown.find("Analyzing: 0 of 40960 (0%)"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Analyzing: 5120 of 40960 (12%), "), std::string::npos) << shown;
    EXPECT_NE(shown.find(" left"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("6000"), std::string::npos) << shown;
    EXPECT_EQ(shown.back(), '\r');
  }
}

}  // namespace
}  // namespace orvande::cli
