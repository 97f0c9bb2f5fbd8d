// The recovery's progress line: the file's bytes done of its size, and nothing when it is not
// drawn on a terminal.
#include "cli/recovery_progress.h"

#include <gtest/gtest.h>

#include <sstream>

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

TEST(RecoveryProgress, ByteAmounts) {
  EXPECT_EQ(ByteAmountText(512), "512 bytes");
  EXPECT_EQ(ByteAmountText(20500), "20.5 kB");
  EXPECT_EQ(ByteAmountText(120000000), "120.0 MB");
  EXPECT_EQ(ByteAmountText(1500000000), "1.5 GB");
}

}  // namespace
}  // namespace orvande::cli
