// Names from the volume made safe to write and to print.
#include "core/safe_names.h"

#include <gtest/gtest.h>

#include <string>

namespace orvande {
namespace {

struct PrefixCase {
  std::string text;
  size_t maxBytes;
  size_t length;
};

TEST(SafeNamesTest, CutsFallBetweenCharactersWhereTheTextIsUtf8) {
  const std::string euro = "\xE2\x82\xAC";  // three bytes
  const PrefixCase cases[] = {
      {"abc", 5, 3},
      {"ab" + euro, 3, 2},  // inside the euro sign: before it
      {"ab" + euro, 5, 5},
      {std::string(10, '\x80'), 4, 4},  // no UTF-8: cut where asked, not down to nothing
      {"a" + std::string(10, '\x80'), 6, 6},
  };
  for (const PrefixCase& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Utf8PrefixLength(c.text, c.maxBytes), c.length);
  }
}

TEST(SafeNamesTest, ALongNameOfStrayBytesIsCutButNotEmptied) {
  const SafeName safe = MakeSafeName(std::string(300, '\x95') + ".txt");
  EXPECT_TRUE(safe.changed);
  EXPECT_EQ(safe.name, std::string(251, '\x95') + ".txt");
}

TEST(PrintableName, ControlCharactersAreEscapedAndTheRestKept) {
  struct Case {
    std::string name;
    std::string printed;
  };
  for (const Case& c :
       {Case{"plain name.txt", "plain name.txt"}, Case{std::string("a\0b", 3), "a\\0b"},
        Case{"red\x1b[31m", "red\\x1b[31m"}, Case{"two\nlines\r", "two\\x0alines\\x0d"},
        Case{"del\x7f", "del\\x7f"}, Case{"caf\xc3\xa9", "caf\xc3\xa9"}}) {
    EXPECT_EQ(PrintableName(c.name), c.printed);
  }
}

}  // namespace
}  // namespace orvande
