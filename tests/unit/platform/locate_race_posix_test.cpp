// A lookup of the POSIX file system that meets a change made while it runs: another program
// replaces a folder on the way in the moment between the walk's look at the name and the
// reading of the folder's names. The answer of that lookup may be either; the next one must
// be that of a fresh look at the disk.
//
// The moment is made exact by taking the system's opendir: the test's change runs when the
// file system opens the folder to read its names, as another program's change would land there.
#include <dirent.h>
#include <dlfcn.h>
#include <stdio.h>

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "platform/posix/file_system_posix.h"
#include "support/temp_drives.h"

namespace {

// Run once, at the next opening of a folder whose host path ends with opendirSuffix.
std::function<void()> opendirChange;
std::string opendirSuffix;

}  // namespace

extern "C" DIR* opendir(const char* name) {
  using Real = DIR* (*)(const char*);
  static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "opendir"));
  const std::string_view path(name);
  if (opendirChange && path.size() >= opendirSuffix.size() &&
      path.substr(path.size() - opendirSuffix.size()) == opendirSuffix) {
    const auto change = std::move(opendirChange);
    opendirChange = nullptr;
    change();
  }
  return real(name);
}

namespace tunovar::posix {
namespace {

using testing::TempDrives;

TEST(LocateRacePosix, ALookupThatMetAChangeKeepsNoAnswerFromBeforeIt) {
  struct Row {
    const char* name;
    const char* replaced;  // the folder another program puts a new one in place of
  };
  const Row rows[] = {
      {"the folder of the name", "Apps/Prog"},
      {"a folder above it", "Apps"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempDrives drives;
    PosixFileSystem fs;
    const std::string path = "C:\\Apps\\Prog\\readme.txt";
    // Another spelling: the walk misses the name as given and reads the folder's names.
    TempDrives::WriteFile(drives.Host('C', "Apps/Prog/README.TXT"), "old");
    ASSERT_TRUE(fs.FolderExists("C:\\Apps\\Prog\\"));
    const std::string replaced = drives.Host('C', row.replaced);
    const std::string fresh = replaced + ".new";
    TempDrives::WriteFile(fresh + (std::string(row.replaced) == "Apps" ? "/Prog" : "") + "/readme.txt", "new");
    opendirSuffix = "/Apps/Prog";
    opendirChange = [&] {
      ASSERT_EQ(rename(replaced.c_str(), (replaced + ".old").c_str()), 0);
      ASSERT_EQ(rename(fresh.c_str(), replaced.c_str()), 0);
    };
    (void)fs.FileExists(path);  // either answer: the change came while it looked
    EXPECT_TRUE(opendirChange == nullptr) << "the lookup read no folder's names";
    opendirChange = nullptr;
    EXPECT_TRUE(fs.FileExists(path));
    EXPECT_EQ(fs.ReadWholeFile(path), "new");
    EXPECT_EQ(fs.OnDiskSpelling(path), path);
  }
}

}  // namespace
}  // namespace tunovar::posix
