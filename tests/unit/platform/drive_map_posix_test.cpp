// Tests of the drive letters mapped to host folders, Windows paths taken apart, and the
// Windows-1252 <-> UTF-8 conversion of names.
#include "platform/posix/drive_map.h"

#include <gtest/gtest.h>

#include "platform/posix/ansi_utf8.h"
#include "support/temp_drives.h"

namespace tunovar::posix {
namespace {

using testing::TempDrives;

TEST(DriveMapPosix, TunovarDrivesNamesTheDrivesAndZStaysTheHostRoot) {
  const DriveMap map = DriveMap::Parse("C=/srv/c/;d=cd;bad;E=;1=/x;Q=/q//sub/../other", "/home/u");
  EXPECT_EQ(map.Root('c'), "/srv/c");
  EXPECT_EQ(map.Root('D'), "/home/u/cd");  // relative: from the current folder
  EXPECT_EQ(map.Root('Q'), "/q/other");
  EXPECT_EQ(map.Root('Z'), "/");
  EXPECT_FALSE(map.Root('E'));
  EXPECT_FALSE(map.Root('1'));
  EXPECT_EQ(DriveMap::Parse("Z=/mnt/z", "/").Root('Z'), "/mnt/z");
}

TEST(DriveMapPosix, WithoutTunovarDrivesCIsInTheDataFolder) {
  TempDrives drives;
  drives.SetEnv("TUNOVAR_DRIVES", std::nullopt);
  const DriveMap map = DriveMap::FromEnvironment();
  EXPECT_EQ(map.Root('C'), drives.DataHome() + "/tunovar-setup/drive_c");
  EXPECT_EQ(map.Root('Z'), "/");
  EXPECT_EQ(map.Drives().size(), 2u);
}

TEST(DriveMapPosix, HostPathsMapBackThroughTheLongestMatchingDrive) {
  const DriveMap map = DriveMap::Parse("C=/base/c;D=/base/c/cd", "/");
  struct Row {
    const char* host;
    std::optional<std::string> windows;
  };
  const Row rows[] = {
      {"/base/c/cd/TUNOVAR/runtime", "D:\\TUNOVAR\\runtime"},
      {"/base/c/x/y", "C:\\x\\y"},
      {"/base/c", "C:\\"},
      {"/base/cx/file", "Z:\\base\\cx\\file"},  // a longer name is no folder of C:
      {"/etc/", "Z:\\etc"},
      {"/base/c/M\xC3\xBCsik", "C:\\M\xFCsik"},
      {"/base/c/\xE6\x97\xA5", std::nullopt},  // no Windows-1252 spelling
      {"relative/path", std::nullopt},
  };
  for (const Row& row : rows) EXPECT_EQ(map.ToWindows(row.host), row.windows) << row.host;
}

TEST(DriveMapPosix, WindowsPathsAreTakenApartAsWindowsDoes) {
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

TEST(AnsiUtf8Posix, EveryWindows1252ByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  const std::string utf8 = AnsiToUtf8(all);
  EXPECT_TRUE(IsValidUtf8(utf8));
  EXPECT_EQ(Utf8ToAnsi(utf8), all);
  EXPECT_EQ(AnsiToUtf8("\x80 \xFC \x9F"), "\xE2\x82\xAC \xC3\xBC \xC5\xB8");  // euro, u umlaut, Y diaeresis
}

TEST(AnsiUtf8Posix, TextWithoutAWindows1252SpellingIsRefusedOrReplaced) {
  EXPECT_FALSE(Utf8ToAnsi("\xE6\x97\xA5.txt"));           // a CJK character
  EXPECT_FALSE(Utf8ToAnsi("\xC3"));                        // cut off
  EXPECT_FALSE(Utf8ToAnsi("\xC0\xAF"));                    // overlong "/"
  EXPECT_FALSE(Utf8ToAnsi("\xED\xA0\x80"));                // a surrogate
  EXPECT_EQ(Utf8ToAnsiLossy("a\xE6\x97\xA5z\xFF"), "a?z?");
  EXPECT_EQ(Utf8ToAnsiLossy("M\xC3\xBCsik"), "M\xFCsik");
}

TEST(AnsiUtf8Posix, MessagesTakeTheTerminalsLineEnds) {
  EXPECT_EQ(TerminalText("a\r\nb\rc\nd\r\n"), "a\nb\nc\nd\n");
  EXPECT_EQ(TerminalText("M\xFCsik\r\n\r\nx", 3), "M\xC3\xBCsik\n   \n   x");  // an empty line counts
}

}  // namespace
}  // namespace tunovar::posix
