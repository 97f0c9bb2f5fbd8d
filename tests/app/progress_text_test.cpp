// The wording of a job's progress that the recovery and the analysis lines share.
#include "app/progress_text.h"

#include <gtest/gtest.h>

namespace orvande {
namespace {

TEST(ProgressText, DoneOfTotalThenRateAndTimeLeftOnceTheyCanBeTold) {
  struct Case {
    ProgressReading reading;
    ProgressUnit unit;
    const char* expected;
  };
  const Case cases[] = {
      {{120000000, 1500000000, 2.0},
       ProgressUnit::kBytes,
       "Job: 120.0 MB of 1.5 GB (8%), 60.0 MB/s, 0:23 left"},
      {{120000000, 1500000000, 0.1}, ProgressUnit::kBytes, "Job: 120.0 MB of 1.5 GB (8%)"},
      {{0, 1500000000, 5.0}, ProgressUnit::kBytes, "Job: 0 bytes of 1.5 GB (0%)"},
      {{5120, 40960, 2.5}, ProgressUnit::kSteps, "Job: 5120 of 40960 (12%), 2048/s, 0:18 left"},
      {{50000, 40960, 1.0}, ProgressUnit::kSteps, "Job: 40960 of 40960 (100%), 40960/s, 0:00 left"},
      {{1, 7200, 1.0}, ProgressUnit::kSteps, "Job: 1 of 7200 (0%), 1/s, 1:59:59 left"},
      {{0, 0, 1.0}, ProgressUnit::kSteps, "Job: 0 of 0 (0%)"},
  };
  for (const Case& c : cases) EXPECT_EQ(ProgressText("Job", c.reading, c.unit), c.expected);
}

TEST(ProgressText, ByteAmounts) {
  EXPECT_EQ(ByteAmountText(512), "512 bytes");
  EXPECT_EQ(ByteAmountText(20500), "20.5 kB");
  EXPECT_EQ(ByteAmountText(120000000), "120.0 MB");
  EXPECT_EQ(ByteAmountText(1500000000), "1.5 GB");
}

}  // namespace
}  // namespace orvande
