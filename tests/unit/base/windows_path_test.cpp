// Tests of the Windows path rules every layer applies.
#include "base/windows_path.h"

#include <gtest/gtest.h>

namespace tunovar {
namespace {

TEST(WindowsPath, TakenApartAsWindowsDoes) {
  struct Row {
    const char* path;
    std::optional<std::string> formatted;
  };
  const Row rows[] = {
      {"C:\\Apps\\TUNOVAR\\", "C:\\Apps\\TUNOVAR\\"},
      {"c:/apps//x", "C:\\apps\\x"},
      {"C:\\a\\.\\b\\..\\c", "C:\\a\\c"},
      {"C:\\..\\..\\etc\\passwd", "C:\\etc\\passwd"},  // ".." at the root stays there
      {"C:", "C:\\"},
      {"C:x", "C:\\x"},
      {"\\rooted", std::nullopt},
      {"relative\\x", std::nullopt},
      {"\\\\server\\share\\x", std::nullopt},
      {"C:\\what?", std::nullopt},
      {"C:\\a*b", std::nullopt},
      {"C:\\a*b\\..\\c", std::nullopt},  // a bad name stays bad though ".." takes it back
      {"C:\\a:b", std::nullopt},
      {"C:\\a\"b", std::nullopt},
      {"C:\\a\tb", std::nullopt},
      {"", std::nullopt},
  };
  for (const Row& row : rows) {
    const auto parsed = ParseWindowsPath(row.path);
    EXPECT_EQ(parsed ? std::optional<std::string>(FormatWindowsPath(*parsed)) : std::nullopt, row.formatted)
        << row.path;
  }
  EXPECT_FALSE(ParseWindowsPath(std::string("C:\\a\0b", 6)));
}

TEST(WindowsPath, ForbiddenCharactersOfAComponentAndOfAWholePath) {
  struct Row {
    const char* text;
    bool inComponent;
    bool inWholePath;
  };
  const Row rows[] = {
      {"readme.txt", false, false},
      {"C:\\Apps/x", true, false},  // separators and the drive's colon belong to a path
      {"a:b", true, false},          // "a:" names a drive
      {"ab:c", true, true},          // a colon anywhere else: a stream
      {"C:\\a:b", true, true},
      {"1:\\x", true, true},         // no drive letter before it
      {"a?b", true, true},
      {"a*b", true, true},
      {"a<b", true, true},
      {"a|b", true, true},
      {"a\"b", true, true},
      {"a\tb", true, true},
      {"M\xFCsik & Co (2)", false, false},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(HoldsForbiddenCharacter(r.text, NameScope::kComponent), r.inComponent) << r.text;
    EXPECT_EQ(HoldsForbiddenCharacter(r.text, NameScope::kWholePath), r.inWholePath) << r.text;
  }
}

TEST(WindowsPath, ComponentsFoldersAndTrailingBackslashes) {
  EXPECT_EQ(PathComponents("C:\\A\\\\B/c\\"), (std::vector<std::string_view>{"C:", "A", "B", "c"}));
  EXPECT_TRUE(PathComponents("\\").empty());
  EXPECT_EQ(NormalComponents("/a//b/./c/../d", "/"), (std::vector<std::string_view>{"a", "b", "d"}));
  EXPECT_EQ(NormalComponents("..\\..\\x"), std::vector<std::string_view>{"x"});

  struct Row {
    const char* path;
    const char* with;
    const char* without;
    const char* folder;
    bool root;
  };
  const Row rows[] = {
      {"C:\\Apps\\TUNOVAR\\", "C:\\Apps\\TUNOVAR\\", "C:\\Apps\\TUNOVAR", "C:\\Apps\\TUNOVAR\\", false},
      {"C:\\Apps\\TUNOVAR", "C:\\Apps\\TUNOVAR\\", "C:\\Apps\\TUNOVAR", "C:\\Apps\\", false},
      {"C:\\", "C:\\", "C:", "C:\\", true},
      {"C:", "C:\\", "C:", "", true},
      {"\\\\", "\\\\", "\\", "\\\\", true},
      {"name", "name\\", "name", "", false},
      {"", "", "", "", true},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(WithTrailingBackslash(r.path), r.with) << r.path;
    EXPECT_EQ(WithoutTrailingBackslash(r.path), r.without) << r.path;
    EXPECT_EQ(FolderOfPath(r.path), r.folder) << r.path;
    EXPECT_EQ(IsRootFolder(r.path), r.root) << r.path;
  }
}

}  // namespace
}  // namespace tunovar
