// Names from the volume as they are printed: nothing in them can move the cursor or forge a line.
#include "core/safe_names.h"

#include <gtest/gtest.h>

#include <string>

namespace orvande {
namespace {

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
