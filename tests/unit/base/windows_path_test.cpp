// Tests of the Windows path rules every layer applies.
#include "base/windows_path.h"

#include "base/ansi_text.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

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

TEST(WindowsPath, FolderPathsResolvedAsWindowsResolvesThem) {
  struct Row {
    const char* path;
    std::optional<std::string> resolved;
  };
  const Row rows[] = {
      {"C:\\Apps\\TUNOVAR\\", "C:\\Apps\\TUNOVAR\\"},
      {"c:\\Apps", "c:\\Apps\\"},  // the drive keeps its case
      {"C:\\", "C:\\"},
      {"C:\\Apps\\..\\Games\\TUNOVAR\\", "C:\\Games\\TUNOVAR\\"},
      {"C:\\..\\..\\TUNOVAR\\", "C:\\TUNOVAR\\"},
      {"C:\\.\\A\\.\\B\\", "C:\\A\\B\\"},
      {"C:\\Games...\\TUNOVAR\\", "C:\\Games\\TUNOVAR\\"},
      {"C:\\Games . .\\x. \\", "C:\\Games\\x\\"},
      {"C:\\A\\\\B", "C:\\A\\B\\"},
      {"C:\\A\\...\\B\\", std::nullopt},
      {"C:\\A\\. .\\B\\", std::nullopt},
      {"C:/A/B", "C:\\A\\B\\"},
      {"C\\TUNOVAR\\", std::nullopt},
      {"C:TUNOVAR\\", std::nullopt},
      {"\\Apps\\TUNOVAR\\", std::nullopt},
      {"\\\\server\\share\\", std::nullopt},
      {"1:\\x\\", std::nullopt},
      {"C:\\a\tb\\", std::nullopt},
      {"", std::nullopt},
  };
  for (const Row& row : rows) EXPECT_EQ(ResolvedFolderPath(row.path), row.resolved) << row.path;
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

TEST(WindowsPath, AComponentOfDotsAndBlanksOnlyIsFoundWhereverItStands) {
  // Every path of up to six characters made of dots, blanks, both separators and a letter:
  // found exactly where splitting the path at its separators gives such a component.
  const std::string alphabet = ". \\/a";
  std::vector<std::string> paths{""};
  for (std::size_t from = 0; paths[from].size() < 6; ++from) {
    for (const char c : alphabet) paths.push_back(paths[from] + c);
  }
  for (const std::string& path : paths) {
    bool expected = false;
    std::string component;
    for (const char c : path + '\\') {
      if (c != '\\' && c != '/') {
        component += c;
        continue;
      }
      expected = expected || (!component.empty() && component.find_first_not_of(". ") == std::string::npos);
      component.clear();
    }
    ASSERT_EQ(HasDotsComponent(path), expected) << "'" << path << "'";
  }
}

TEST(WindowsPath, LongFormIsMadeFromEachListedName) {
  // A disk as the folders list it: upper-case path of an entry -> its name on disk.
  const std::map<std::string, std::string> disk = {
      {"C:\\PROGRA~1", "Program Files"},
      {"C:\\PROGRAM FILES\\TUNOVAR", "Tunovar"},
      {"C:\\PROGRAM FILES\\TUNOVAR\\READ~1.TXT", "Read me.txt"},
      {"C:\\PROGRAM FILES\\.\\TUNOVAR", "Tunovar"},
      {"\\\\SERVER\\SHARE\\LONGNA~1", "Long name"},
  };
  std::vector<std::string> asked;
  const auto listed = [&](const std::string& path) -> std::optional<std::string> {
    asked.push_back(path);
    const auto found = disk.find(UCase(path));
    if (found == disk.end()) return std::nullopt;
    return found->second;
  };
  struct Row {
    const char* path;
    const char* longForm;
  };
  const Row rows[] = {
      {"C:\\PROGRA~1\\tunovar\\READ~1.TXT", "C:\\Program Files\\Tunovar\\Read me.txt"},
      {"c:\\progra~1\\", "c:\\Program Files\\"},  // the root as written, the "\\" kept
      {"C:\\PROGRA~1\\\\Tunovar", "C:\\Program Files\\Tunovar"},    // an empty name is no step
      {"C:\\PROGRA~1\\.\\TUNOVAR", "C:\\Program Files\\.\\Tunovar"},  // "." and ".." as they are
      {"C:\\", "C:\\"},
      {"\\\\server\\share\\LONGNA~1", "\\\\server\\share\\Long name"},
      {"\\\\server\\share", "\\\\server\\share"},
      {"C:\\PROGRA~1\\missing\\x", ""},    // a name listed nowhere
      {"C:\\PROGRA~1\\TUNO*", ""},           // a listing would match other names
      {"C:\\PROGRA~1\\TUNOVAR\\?", ""},
      {"PROGRA~1\\TUNOVAR", ""},               // no root
      {"\\PROGRA~1", ""},
      {"C:PROGRA~1", ""},
      {"\\\\server", ""},
      {"\\\\\\share\\x", ""},
      {"", ""},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(LongPathByComponents(r.path, listed), r.longForm) << r.path;
  }
  // Each name is looked up below the long form of the folders above it, once.
  asked.clear();
  (void)LongPathByComponents("C:\\PROGRA~1\\tunovar\\READ~1.TXT", listed);
  EXPECT_EQ(asked, (std::vector<std::string>{"C:\\PROGRA~1", "C:\\Program Files\\tunovar",
                                             "C:\\Program Files\\Tunovar\\READ~1.TXT"}));
}

}  // namespace
}  // namespace tunovar
