// The run's counts: each outcome lands in its own column of the summary, and only whole files
// (ok, overwritten) or left-out ones keep the run whole, which is what makes the exit code 0.
#include "app/recovery_tally.h"

#include <gtest/gtest.h>

#include <string>

namespace orvande {
namespace {

using Kind = RecoveryOutcome::Kind;

TEST(RecoveryTally, EachOutcomeIsCountedAndDecidesWhetherTheRunIsWhole) {
  struct Case {
    Kind kind;
    const char* inSummary;
    bool whole;
    uint64_t filesWritten;
  };
  const Case cases[] = {
      {Kind::kOk, "1 files written", true, 1},
      {Kind::kOverwritten, "1 overwritten", true, 1},
      {Kind::kBadSectors, "1 with bad sectors", false, 1},
      {Kind::kShort, "1 short", false, 1},
      {Kind::kStopped, "1 stopped", false, 1},
      {Kind::kFailed, "1 failures", false, 1},
      {Kind::kSkipped, "1 skipped", true, 0},
  };
  for (const Case& c : cases) {
    RecoveryOutcome outcome;
    outcome.kind = c.kind;
    outcome.bytes = 1536;
    outcome.badSectors = c.kind == Kind::kBadSectors ? 1 : 0;
    SCOPED_TRACE(outcome.Label());
    RecoveryTally tally;
    tally.Add(outcome);
    EXPECT_EQ(tally.Count(c.kind), 1u);
    EXPECT_EQ(tally.FilesWritten(), c.filesWritten);
    EXPECT_EQ(tally.AllWhole(), c.whole);
    EXPECT_NE(tally.SummaryLine().find(c.inSummary), std::string::npos) << tally.SummaryLine();
  }
}

}  // namespace
}  // namespace orvande
