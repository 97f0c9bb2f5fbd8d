// The local zone FAT times are read in: which names are zones, which zone is in use, and a scope
// that puts one in place for a while.
#include "platform/time_zone.h"

#include <gtest/gtest.h>

#include "common/scoped_time_zone.h"
#include "platform/file_time.h"

namespace orvande::platform {
namespace {

TEST(TimeZoneTest, KnowsTheZoneDatabasesNamesOnly) {
  struct Case {
    const char* zone;
    bool known;
  };
  const Case cases[] = {
      {"UTC", true},
      {"Europe/Berlin", true},
      {"America/New_York", true},
      {"Mars/Olympus", false},
      {"", false},
      {"../../etc/passwd", false},
      {"/etc/passwd", false},
      {"Europe", false},  // a folder of the database, no zone
  };
  for (const Case& c : cases) EXPECT_EQ(IsKnownTimeZone(c.zone), c.known) << c.zone;
}

TEST(TimeZoneTest, AScopeSetsTheZoneLocalTimesAreReadInAndPutsTheEarlierOneBack) {
  test::ScopedTimeZone outer("UTC");
  EXPECT_EQ(LocalTimeZoneName(), "UTC");
  {
    LocalTimeZoneScope scope("Europe/Berlin");
    EXPECT_EQ(LocalTimeZoneName(), "Europe/Berlin");
    // 2020-07-01 12:00 in Berlin is 10:00 UTC.
    EXPECT_EQ(LocalCalendarToFileTime(2020, 7, 1, 12, 0, 0, nullptr),
              UnixToFileTime(1593597600, 0));
  }
  EXPECT_EQ(LocalTimeZoneName(), "UTC");
  EXPECT_EQ(LocalCalendarToFileTime(2020, 7, 1, 10, 0, 0, nullptr), UnixToFileTime(1593597600, 0));
}

}  // namespace
}  // namespace orvande::platform
