// Tests of the Windows-1252 <-> UTF-8 conversion of names, messages and the log.
#include "base/ansi_utf8.h"

#include <gtest/gtest.h>

namespace tunovar {
namespace {

TEST(AnsiUtf8, EveryWindows1252ByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  const std::string utf8 = AnsiToUtf8(all);
  EXPECT_TRUE(IsValidUtf8(utf8));
  EXPECT_EQ(Utf8ToAnsi(utf8), all);
  EXPECT_EQ(AnsiToUtf8("\x80 \xFC \x9F"), "\xE2\x82\xAC \xC3\xBC \xC5\xB8");  // euro, u umlaut, Y diaeresis
}

TEST(AnsiUtf8, TextWithoutAWindows1252SpellingIsRefusedOrReplaced) {
  EXPECT_FALSE(Utf8ToAnsi("\xE6\x97\xA5.txt"));           // a CJK character
  EXPECT_FALSE(Utf8ToAnsi("\xC3"));                        // cut off
  EXPECT_FALSE(Utf8ToAnsi("\xC0\xAF"));                    // overlong "/"
  EXPECT_FALSE(Utf8ToAnsi("\xED\xA0\x80"));                // a surrogate
  EXPECT_EQ(Utf8ToAnsiLossy("a\xE6\x97\xA5z\xFF"), "a?z?");
  EXPECT_EQ(Utf8ToAnsiLossy("M\xC3\xBCsik"), "M\xFCsik");
}

}  // namespace
}  // namespace tunovar
