// The filters of a listing or a recovery: name patterns, dates, and what a file must be to pass.
#include "app/file_filter.h"

#include <gtest/gtest.h>

#include "core/file_record.h"

namespace orvande {
namespace {

TEST(FileFilter, NamePatternsAsAShellHasThem) {
  struct Case {
    const char* pattern;
    const char* name;
    bool ignoreCase;
    bool matches;
  };
  for (const Case& c :
       {Case{"*.jpg", "beach.jpg", false, true}, Case{"*.jpg", "beach.JPG", false, false},
        Case{"*.jpg", "BEACH.JPG", true, true}, Case{"?ILE.*", "_ILE.DOC", false, true},
        Case{"*a*b*", "xaxxbx", false, true}, Case{"*a*b", "xaxxbx", false, false},
        Case{"[a-c]*", "cat", false, true}, Case{"[!a-c]*", "cat", false, false},
        Case{"[", "[", false, true}, Case{"", "", false, true}, Case{"*", "", false, true}}) {
    EXPECT_EQ(GlobMatches(c.pattern, c.name, c.ignoreCase), c.matches)
        << c.pattern << " " << c.name;
  }
}

TEST(FileFilter, UtcTimesAndProbabilities) {
  constexpr uint64_t kSecond = 10000000;
  constexpr uint64_t k1970 = 116444736000000000ull;
  EXPECT_EQ(ParseUtcTime("1970-01-01"), k1970);
  EXPECT_EQ(ParseUtcTime("1970-01-02T00:00:01"), k1970 + 86401 * kSecond);
  EXPECT_EQ(ParseUtcTime("2021-03-15 10:20"), k1970 + 1615803600ull * kSecond);
  for (const char* bad : {"2021-13-01", "2021-3-1", "yesterday", "2021-03-15T25:00", "1600-01-01"})
    EXPECT_FALSE(ParseUtcTime(bad)) << bad;
  EXPECT_EQ(ParseProbability("poor"), kProbabilityPoor);
  EXPECT_FALSE(ParseProbability("unknown"));
}

TEST(FileFilter, EveryConditionMustHold) {
  FileFilter filter;
  EXPECT_TRUE(filter.Empty());
  filter.namePattern = "*.txt";
  filter.minSize = 10;
  filter.maxSize = 100;
  filter.modifiedAfter = 1000;
  filter.modifiedBefore = 2000;
  filter.probabilities = 1u << kProbabilityAverage;
  struct Case {
    const char* name;
    uint64_t size;
    uint64_t modified;
    uint32_t probability;
    bool passes;
  };
  for (const Case& c : {Case{"a.txt", 50, 1500, kProbabilityAverage, true},
                        Case{"a.doc", 50, 1500, kProbabilityAverage, false},
                        Case{"a.txt", 9, 1500, kProbabilityAverage, false},
                        Case{"a.txt", 101, 1500, kProbabilityAverage, false},
                        Case{"a.txt", 10, 1000, kProbabilityAverage, true},
                        Case{"a.txt", 100, 2000, kProbabilityAverage, false},
                        Case{"a.txt", 50, 1500, kProbabilityPoor, false},
                        Case{"a.txt", 50, 1500, kProbabilityNotDeleted, false}}) {
    EXPECT_EQ(filter.Matches(c.name, c.size, c.modified, c.probability), c.passes)
        << c.name << " " << c.size << " " << c.modified << " " << c.probability;
  }
}

}  // namespace
}  // namespace orvande
