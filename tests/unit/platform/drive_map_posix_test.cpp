// Tests of the drive letters mapped to host folders.
#include "platform/posix/drive_map.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tunovar::posix
