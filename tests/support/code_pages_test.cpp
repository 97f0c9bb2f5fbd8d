#include "support/code_pages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace orvande {
namespace {

TEST(Cp437Test, HighBytesMapToTheirGlyphs) {
  const uint8_t name[] = {'A', 0x80, 0x81, 0xE1, 0xFF};  // A Ç ü ß NBSP
  EXPECT_EQ(Cp437ToUtf8(name), "A\u00C7\u00FC\u00DF\u00A0");
  EXPECT_EQ(Cp437ToUnicode(0xB0), 0x2591u);  // light shade
  EXPECT_EQ(Cp437ToUnicode(0xE0), 0x03B1u);  // alpha
}

TEST(Utf16Test, SurrogatePairsJoinAndLoneSurrogatesBecomeReplacement) {
  EXPECT_EQ(Utf16ToUtf8(u"a\u00E9\u4E2D"), "a\u00E9\u4E2D");
  const char16_t pair[] = {0xD83D, 0xDE00, 0};
  EXPECT_EQ(Utf16ToUtf8(pair), "\U0001F600");
  const char16_t loneHigh[] = {'x', 0xD800, 'y', 0};
  EXPECT_EQ(Utf16ToUtf8(loneHigh), "x\uFFFDy");
  const char16_t loneLowFirst[] = {0xDC00, 0xD800, 0};  // reversed order is not a pair
  EXPECT_EQ(Utf16ToUtf8(loneLowFirst), "\uFFFD\uFFFD");
  const char16_t highAtEnd[] = {'z', 0xDBFF, 0};
  EXPECT_EQ(Utf16ToUtf8(highAtEnd), "z\uFFFD");
}

TEST(Utf16Test, LittleEndianBytesDecodeAndAnOddTailIsMarked) {
  const uint8_t bytes[] = {'H', 0, 'i', 0, 0x3D, 0xD8, 0x00, 0xDE, 0x41};
  EXPECT_EQ(Utf16LeToUtf8(bytes), "Hi\U0001F600\uFFFD");
  EXPECT_EQ(Utf16LeToUtf8(std::span<const uint8_t>()), "");
}

TEST(Utf8Test, RoundTripsAndRejectsMalformedInput) {
  EXPECT_EQ(Utf8ToUtf16("a\u00E9\U0001F600"), u"a\u00E9\U0001F600");
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong '/'
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD");    // encoded surrogate
  EXPECT_EQ(Utf8ToUtf16("\xE4\xB8"), u"\uFFFD");        // cut short
  EXPECT_EQ(Utf8ToUtf16("\xE4"
                        "A"),
            u"\uFFFDA");  // continuation missing
  std::string out;
  AppendUtf8(out, 0x110000);
  EXPECT_EQ(out, "\uFFFD");
}

}  // namespace
}  // namespace orvande
