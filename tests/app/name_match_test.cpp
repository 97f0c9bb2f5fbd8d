// How Find compares names: wildcard patterns over the whole name, plain texts anywhere in it,
// whole-name boundaries, case folding beyond ASCII, and names that are not valid UTF-8.
#include "app/name_match.h"

#include <gtest/gtest.h>

namespace orvande {
namespace {

TEST(NameMatchTest, Table) {
  struct Case {
    const char* name;
    const char* text;
    bool wholeName;
    bool matchCase;
    bool matches;
  };
  const Case cases[] = {
      // A letter and "*" is a pattern over the whole name; the letter alone occurs anywhere.
      {"apple.txt", "a*", false, false, true},
      {"banana", "a*", false, false, false},
      {"banana", "a", false, false, true},
      {"BANANA", "a", false, false, true},
      {"BANANA", "a", false, true, false},
      {"a", "a*", false, false, true},
      {"report.txt", "*.TXT", false, false, true},
      {"report.txt.bak", "*.txt", false, false, false},
      {"ab", "a?", false, false, true},
      {"a", "a?", false, false, false},
      {"aé", "a?", false, false, true},  // "?" takes a whole character
      {"aé", "a??", false, false, false},
      {"a-b-c", "*b*c", false, false, true},
      {"", "", false, false, false},
      {"abc", "", false, false, false},
      // Whole name: no letter or digit may touch the occurrence; each occurrence is tried.
      {"my file.txt", "file", true, false, true},
      {"myfile.txt", "file", true, false, false},
      {"file_2", "file", true, false, true},
      {"file2 file", "FILE", true, false, true},
      {"xfile filey", "file", true, false, false},
      {"éfile", "file", true, false, false},
      // Case beyond ASCII.
      {"ÉTÉ.doc", "été", false, false, true},
      {"ÉTÉ.doc", "été", false, true, false},
      {"Привет мир", "ПРИВЕТ", false, false, true},
      {"ΣΟΦΙΑ", "σοφια", false, false, true},
      {"Straße", "STRASSE", false, false, false},
      {"Straße", "straße", false, false, true},
      // Not UTF-8: stray bytes compare as themselves and count as one character each.
      {"\xff\xfe"
       "abc",
       "\xfe"
       "A",
       false, false, true},
      {"x\xc3", "x?", false, false, true},
      {"x\xc3", "X\xc3", false, false, true},
      {"x\xc3\xa9", "x\xc3", true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << '"' << c.name << "\" / \"" << c.text << '"');
    EXPECT_EQ(NameMatches(c.name, c.text, c.wholeName, c.matchCase), c.matches);
  }
}

}  // namespace
}  // namespace orvande
