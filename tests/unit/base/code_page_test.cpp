// Tests of the text and path rules on code pages other than Windows-1252: a double-byte one laid
// out as 932, where "ソ" is 0x83 0x5C and "ポ" 0x83 0x7C, and the single-byte 1251.
#include "base/code_page.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/ansi_text.h"
#include "base/windows_path.h"
#include "base/wildcard.h"
#include "support/fake_code_pages.h"

namespace tunovar {
namespace {

#define SO "\x83\x5C"    // ソ: its second byte is "\"
#define PO "\x83\x7C"    // ポ: its second byte is "|"
#define FULL_A "\x82\x61"  // a character whose second byte is "a"

TEST(CodePage932, ASecondByteIsNeverASeparator) {
  const ScopedCodePage japanese(FakeCodePage932());
  struct Row {
    const char* path;
    bool endsInBackslash;
    const char* folder;                     // FolderOfPath
    std::vector<std::string> components;    // PathComponents
    std::optional<std::string> resolved;    // ResolvedFolderPath
  };
  const Row rows[] = {
      {"C:\\Apps\\" SO, false, "C:\\Apps\\", {"C:", "Apps", SO}, "C:\\Apps\\" SO "\\"},
      {"C:\\Apps\\" SO "\\", true, "C:\\Apps\\" SO "\\", {"C:", "Apps", SO}, "C:\\Apps\\" SO "\\"},
      {"C:\\" SO SO "\\x", false, "C:\\" SO SO "\\", {"C:", SO SO, "x"}, "C:\\" SO SO "\\x\\"},
      {"C:\\" PO "\\", true, "C:\\" PO "\\", {"C:", PO}, "C:\\" PO "\\"},  // "|" held by ポ
      {"C:\\a" SO ".\\", true, "C:\\a" SO ".\\", {"C:", "a" SO "."}, "C:\\a" SO "\\"},
      {"C:\\x\x83", false, "C:\\", {"C:", "x\x83"}, "C:\\x\x83\\"},  // a lead byte at the end stands alone
      {"C:\\a|b", false, "C:\\", {"C:", "a|b"}, std::nullopt},  // a "|" of its own is still refused
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    EXPECT_EQ(EndsInBackslash(row.path), row.endsInBackslash);
    EXPECT_EQ(FolderOfPath(row.path), row.folder);
    const std::vector<std::string_view> parts = PathComponents(row.path);
    EXPECT_EQ(std::vector<std::string>(parts.begin(), parts.end()), row.components);
    EXPECT_EQ(ResolvedFolderPath(row.path), row.resolved);
    EXPECT_EQ(WithTrailingBackslash(row.path), row.endsInBackslash ? row.path : std::string(row.path) + "\\");
    EXPECT_FALSE(HasDotsComponent(row.path));
  }
  const std::optional<WindowsPath> parsed = ParseWindowsPath("C:\\" SO "\\..\\" SO);
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(FormatWindowsPath(*parsed), "C:\\" SO);
  EXPECT_TRUE(HasDotsComponent("C:\\" SO "\\..\\x"));
  EXPECT_FALSE(HoldsPathSeparator(SO PO));
  EXPECT_TRUE(HoldsPathSeparator(SO "/"));
  EXPECT_EQ(LongPathByComponents("C:\\" SO "\\b", [](const std::string& p) { return std::optional(p.substr(p.size() - 1) == "b" ? std::string("B") : std::string(SO)); }),
            "C:\\" SO "\\B");
}

TEST(CodePage932, ACharacterOfTwoBytesIsComparedAndSearchedWholeAndNeverFolded) {
  const ScopedCodePage japanese(FakeCodePage932());
  EXPECT_EQ(UCase("c:\\" FULL_A "b"), "C:\\" FULL_A "B");
  EXPECT_EQ(LCase("C:\\\x82\x41" "B"), "c:\\\x82\x41" "b");
  EXPECT_EQ(UCase("\xE0"), "\xE0");  // a lead byte alone: not the 1252 "à"
  EXPECT_FALSE(EqualsNoCase(FULL_A, "\x82\x41"));
  EXPECT_TRUE(EqualsNoCase("x" SO "Y", "X" SO "y"));
  struct Row {
    const char* haystack;
    const char* needle;
    std::size_t found;
  };
  const Row rows[] = {
      {SO "\\", "\\", 2},
      {SO, "\\", std::string::npos},
      {"a" SO "\\\\b", "\\\\", 3},
      {SO "tunovar\\", "TUNOVAR\\", 2},
      {"\x83\x83\x5C", "\x83\x5C", std::string::npos},  // inside 0x83 0x83, then a lone "\"
      {"\x83\x5C\x83", "\x5C\x83", std::string::npos},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(FindNoCase(row.haystack, row.needle), row.found) << row.haystack << " / " << row.needle;
  }
  EXPECT_FALSE(EndsWithNoCase("C:\\" SO, "\\"));
  EXPECT_TRUE(EndsWithNoCase("C:\\" SO "\\", SO "\\"));
  EXPECT_FALSE(StartsWithNoCase(SO "x", "\x83"));
  EXPECT_FALSE(HoldsForbiddenCharacter("C:\\" PO, NameScope::kWholePath));
  EXPECT_TRUE(WildcardMatch("*.TXT", SO ".txt"));
  EXPECT_FALSE(WildcardMatch("*\\", SO));
  std::string replaced = "C:\\" SO "\\\\x";
  EXPECT_TRUE(ReplaceFirstNoCase(replaced, "\\\\", "\\"));
  EXPECT_EQ(replaced, "C:\\" SO "\\x");
}

TEST(CodePage1251, LettersFoldAsCyrillic) {
  const ScopedCodePage russian(FakeCodePage1251());
  struct Row {
    const char* a;
    const char* b;
    bool equal;
  };
  const Row rows[] = {
      {"\xF7", "\xD7", true},    // ч Ч: no division sign here
      {"\xFF", "\xDF", true},    // я Я
      {"\xFF", "\x8F", false},   // я is no Џ
      {"\xB8", "\xA8", true},    // ё Ё
      {"\xB3", "\xB2", true},    // і І
      {"\xB3", "I", false},
      {"\x9F", "\x8F", true},    // џ Џ
      {"\xB5", "\xB5", true},    // µ stays itself
  };
  for (const Row& row : rows) {
    EXPECT_EQ(EqualsNoCase(row.a, row.b), row.equal) << row.a << " / " << row.b;
    EXPECT_EQ(FindNoCase(std::string("x") + row.a, row.b) == 1, row.equal) << row.a << " / " << row.b;
  }
  EXPECT_EQ(UCase("c:\\\xEC\xF3\xE7\xFB\xEA\xE0"), "C:\\\xCC\xD3\xC7\xDB\xCA\xC0");  // музыка
  EXPECT_EQ(LCase("\xA8\xCB\xCA\xC0"), "\xB8\xEB\xEA\xE0");                          // ЁЛКА
}

TEST(CodePage, TheRulesOfCodePagesThatCannotBeFollowed) {
  EXPECT_EQ(UnsupportedCodePageReason(1252, 1), "");
  EXPECT_EQ(UnsupportedCodePageReason(932, 2), "");
  EXPECT_NE(UnsupportedCodePageReason(65001, 4), "");
  EXPECT_NE(UnsupportedCodePageReason(54936, 4), "");  // GB 18030: four bytes
  EXPECT_NE(UnsupportedCodePageReason(1252, 0), "");   // the system told nothing
  // A table from the system cannot make a lead byte fold, nor a separator a lead byte.
  CodePage::ByteSet leads{};
  leads[0x5C] = leads[0x90] = true;
  CodePage::ByteTable upper{}, lower{};
  for (unsigned b = 0; b < 256; ++b) upper[b] = lower[b] = static_cast<char>(b ^ 1);
  const CodePage odd = CodePage::Make(999, leads, upper, lower);
  EXPECT_FALSE(odd.IsLeadByte('\\'));
  EXPECT_EQ(odd.Upper('\x90'), '\x90');
  EXPECT_EQ(odd.Upper('\\'), '\\');
}

}  // namespace
}  // namespace tunovar
