// The per-file lines of a run line up: the outcome in one column, the byte count right-aligned
// in the next, whatever the outcome's length and the count's digits.
#include "app/recovery_line.h"

#include <gtest/gtest.h>

#include <string>

namespace orvande {
namespace {

using Kind = RecoveryOutcome::Kind;

TEST(RecoveryLine, OutcomeAndByteCountStandInFixedColumns) {
  struct Case {
    Kind kind;
    uint32_t badSectors;
    uint64_t bytes;
    const char* line;
  };
  const Case cases[] = {
      {Kind::kOk, 0, 2760, "ok                    2760 a/b.txt"},
      {Kind::kOk, 0, 128, "ok                     128 a/b.txt"},
      {Kind::kOverwritten, 0, 0, "overwritten              0 a/b.txt"},
      {Kind::kBadSectors, 3, 123456789012, "bad-sectors 3 123456789012 a/b.txt"},
      {Kind::kShort, 0, 1234567890123, "short         1234567890123 a/b.txt"},
  };
  for (const Case& c : cases) {
    RecoveryOutcome outcome;
    outcome.kind = c.kind;
    outcome.badSectors = c.badSectors;
    outcome.bytes = c.bytes;
    EXPECT_EQ(RecoveryLine(outcome, "a/b.txt"), c.line);
  }
  EXPECT_EQ(RecoveryFailedLine("a/"), "failed                   - a/");
}

}  // namespace
}  // namespace orvande
