// Tests of the ANSI string helpers the whole installer compares and cuts with.
#include "base/ansi_text.h"

#include <gtest/gtest.h>

namespace tunovar {
namespace {

TEST(AnsiText, CaseIsIgnoredForAsciiAndLatin1Letters) {
  EXPECT_TRUE(EqualsNoCase("DEINSTAL", "deinstal"));
  EXPECT_FALSE(EqualsNoCase("deinstall", "deinstal"));
  EXPECT_TRUE(EqualsNoCase("\xC4rger", "\xE4RGER"));  // Ä / ä
  EXPECT_EQ(FindNoCase("abc#drive#x", "#DRIVE#"), 3u);
  EXPECT_EQ(FindNoCase("abc", "abcd"), std::string::npos);
  EXPECT_EQ(UCase("c:\\windows\\"), "C:\\WINDOWS\\");
}

TEST(AnsiText, ASearchFindsEveryCharacterWhereComparingIgnoringCaseFindsIt) {
  // Every pair of bytes, as the first character of what is searched and of where: found
  // exactly where the two are equal in upper case.
  for (int n = 0; n < 256; ++n) {
    for (int h = 0; h < 256; ++h) {
      const std::string needle{static_cast<char>(n), 'x'};
      const std::string haystack{static_cast<char>(h), 'X'};
      const bool equal = ToUpperAnsi(static_cast<char>(n)) == ToUpperAnsi(static_cast<char>(h));
      ASSERT_EQ(FindNoCase(haystack, needle), equal ? 0u : std::string::npos) << n << " in " << h;
    }
  }
}

TEST(AnsiText, DropRightFailsWhenTheStringIsTooShort) {
  EXPECT_EQ(DropRight("C:\\TUNOVAR\\runtime\\", 8), "C:\\TUNOVAR\\");
  EXPECT_EQ(DropRight("abc", 3), "");
  EXPECT_FALSE(DropRight("abc", 4).has_value());
}

TEST(AnsiText, WholeNumbers) {
  struct Row { const char* text; std::optional<std::int32_t> value; };
  const Row rows[] = {
      {" 2 ", 2}, {"120", 120}, {"-5", -5}, {"+7", 7}, {"", std::nullopt}, {"12a", std::nullopt},
      {"1.5", std::nullopt}, {"2147483647", 2147483647}, {"2147483648", std::nullopt},
      {"-2147483648", INT32_MIN}, {"99999999999999999999", std::nullopt},
  };
  for (const Row& r : rows) EXPECT_EQ(ParseWholeNumber(r.text), r.value) << "text: '" << r.text << "'";
}

}  // namespace
}  // namespace tunovar
