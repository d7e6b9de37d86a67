// System folders, path forms and the window test.
#include <gtest/gtest.h>

#include "installer/installer.h"
#include "support/fake_platform.h"

namespace tunovar {
namespace {

using testing::FakePlatform;

struct World {
  FakePlatform fake;
  Installer installer{fake.platform, {"C:\\TUNOVAR\\runtime", "install"}};
};

TEST(GetWindowsDir, UpperCaseWithOneTrailingBackslash) {
  struct Row { const char* name; std::optional<std::string> reported; const char* winDir; };
  const Row rows[] = {
      {"plain", "C:\\Windows", "C:\\WINDOWS\\"},
      {"trailing backslash", "C:\\Windows\\", "C:\\WINDOWS\\"},
      {"blank fill and NUL", std::string("D:\\win\0  ", 9), "D:\\WIN\\"},
      {"call failed", std::nullopt, "c:\\windows\\"},
  };
  for (const Row& r : rows) {
    World w;
    w.fake.shell.windowsDirectory = r.reported;
    w.installer.GetWindowsDir();
    EXPECT_EQ(w.installer.folders.WinDir, r.winDir) << r.name;
  }
}

TEST(GetSysDir, KeepsTheFirstValue) {
  World w;
  w.installer.GetSysDir();
  EXPECT_EQ(w.installer.folders.SysDir, "C:\\WINDOWS\\SYSTEM32\\");
  EXPECT_EQ(w.installer.folders.SysDirCopy, w.installer.folders.SysDir);
  w.fake.shell.systemDirectory = "E:\\Other";
  w.installer.GetSysDir();
  EXPECT_EQ(w.installer.folders.SysDir, "C:\\WINDOWS\\SYSTEM32\\");

  World failed;
  failed.fake.shell.systemDirectory = std::nullopt;
  failed.installer.GetSysDir();
  EXPECT_EQ(failed.installer.folders.SysDir, "c:\\windows\\system\\");
}

TEST(PathForms, EmptyWhenTheSystemCannotConvert) {
  World w;
  EXPECT_EQ(w.installer.GetShortPath("C:\\does\\not\\exist"), "");
  EXPECT_EQ(w.installer.GetLongPath("C:\\PROGRA~1\\"), "");
  w.fake.fs.PutFolder("C:\\Program Files\\");
  w.fake.shell.shortNames["C:\\PROGRAM FILES\\"] = "C:\\PROGRA~1\\";
  EXPECT_EQ(w.installer.GetShortPath("C:\\Program Files\\"), "C:\\PROGRA~1\\");
  w.fake.shell.longNames["C:\\PROGRA~1"] = std::string("C:\\Program Files\0   ", 20);
  EXPECT_EQ(w.installer.GetLongPath("C:\\PROGRA~1"), "C:\\Program Files");
}

TEST(WindowExists, PassesBothStringsUnchanged) {
  World w;
  w.fake.shell.windows["window 0|Ovri TUNOVAR"] = 1;
  EXPECT_TRUE(w.installer.WindowExists("window 0", "Ovri TUNOVAR"));
  EXPECT_FALSE(w.installer.WindowExists("", "Ovri TUNOVAR"));
  EXPECT_EQ(w.fake.shell.calls.back(), "FindWindow |Ovri TUNOVAR");
}

}  // namespace
}  // namespace tunovar
