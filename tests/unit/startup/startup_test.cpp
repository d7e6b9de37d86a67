// Start-up: the application folder, the single instance, and the mode chosen on the first tick.
#include <gtest/gtest.h>

#include "installer/installer.h"
#include "support/fake_platform.h"

namespace tunovar {
namespace {

using testing::FakePlatform;

struct Started {
  FakePlatform fake;
  Installer installer;
  explicit Started(LaunchInfo launch, const std::string& arguments = "")
      : installer(fake.platform, std::move(launch), ParseSwitches(arguments)) {}
};

TEST(FormLoad, AppPathEndsInOneBackslash) {
  struct Row { const char* name; const char* folder; const char* appPath; };
  const Row rows[] = {
      {"folder", "D:\\TUNOVAR\\runtime", "D:\\TUNOVAR\\runtime\\"},
      {"folder with backslash", "D:\\TUNOVAR\\runtime\\", "D:\\TUNOVAR\\runtime\\"},
      {"drive root", "E:\\", "E:\\"},
  };
  for (const Row& r : rows) {
    Started s({r.folder, "install"});
    ASSERT_TRUE(s.installer.Start()) << r.name;
    EXPECT_EQ(s.installer.folders.AppPath, r.appPath) << r.name;
  }
}

TEST(FormLoad, ShortFolderIsTurnedIntoItsLongForm) {
  Started s({"C:\\PROGRA~1\\TUNOVAR\\runtime", "install"});
  s.fake.shell.longNames["C:\\PROGRA~1\\TUNOVAR\\RUNTIME\\"] = "C:\\Program Files\\TUNOVAR\\runtime\\";
  ASSERT_TRUE(s.installer.Start());
  EXPECT_EQ(s.installer.folders.AppPath, "C:\\Program Files\\TUNOVAR\\runtime\\");
}

TEST(FormLoad, ShortFolderStaysWhenTheLongFormCannotBeHad) {
  Started s({"C:\\PROGRA~1\\X", "install"});
  s.fake.shell.longNames["C:\\PROGRA~1\\X\\"] = "C:";  // two characters: not taken
  ASSERT_TRUE(s.installer.Start());
  EXPECT_EQ(s.installer.folders.AppPath, "C:\\PROGRA~1\\X\\");
}

TEST(FormLoad, ArmsTimer1AndClearsReady) {
  Started s({"D:\\TUNOVAR\\runtime", "install"});
  ASSERT_TRUE(s.installer.Start());
  EXPECT_EQ(s.installer.Window()[Ctl::Timer1].interval, 100);
  EXPECT_FALSE(s.installer.Window().Ready());
}

TEST(FormLoad, SecondInstanceEndsSilentlyBeforeTheTimer) {
  // Started with a window, it brings the running instance forward; unattended, it shows nothing
  // and says why on standard error.
  struct Row { const char* name; const char* exe; const char* arguments; int shown; };
  const Row rows[] = {
      {"install", "install", "", 1},
      {"uninstall", "deinstal", "", 1},
      {"silent install", "install", "/S", 0},
  };
  for (const Row& r : rows) {
    Started s({"D:\\TUNOVAR\\runtime", r.exe}, r.arguments);
    s.fake.shell.otherInstance = true;
    EXPECT_FALSE(s.installer.Start()) << r.name;
    EXPECT_TRUE(s.installer.Ended()) << r.name;
    EXPECT_EQ(s.installer.ExitCodeOfRun(), kExitOtherInstance) << r.name;
    EXPECT_EQ(s.installer.Window()[Ctl::Timer1].interval, 0) << r.name;
    EXPECT_TRUE(s.fake.ui.messages.empty()) << r.name;
    EXPECT_EQ(s.fake.console.errors.size(), r.shown == 0 ? 1u : 0u) << r.name;
    if (r.shown == 0) {
      EXPECT_TRUE(s.fake.console.errors[0].starts_with("Another instance")) << r.name;
    }
    EXPECT_EQ(s.fake.ui.otherInstanceShown, r.shown) << r.name;
  }
}

TEST(FormLoad, UsageErrorEndsWith64BeforeAnything) {
  Started s({"D:\\TUNOVAR\\runtime", "install"}, "/S /BOGUS");
  EXPECT_FALSE(s.installer.Start());
  EXPECT_EQ(s.installer.ExitCodeOfRun(), kExitUsage);
  EXPECT_TRUE(s.installer.folders.AppPath.empty());
  ASSERT_FALSE(s.fake.console.errors.empty());
  EXPECT_NE(s.fake.console.errors[0].find("/BOGUS"), std::string::npos);
}

// Which mode the first tick chose: the installer says so in its log.
bool ChoseUninstall(const char* baseName, const char* arguments) {
  Started s({"D:\\TUNOVAR\\runtime", baseName}, arguments);
  EXPECT_TRUE(s.installer.Start());
  s.installer.Deliver(Ctl::Timer1, Event::kTimer);
  const bool uninstall = s.fake.console.Logged("Uninstall mode");
  EXPECT_NE(uninstall, s.fake.console.Logged("Install mode")) << baseName << " " << arguments;
  return uninstall;
}

TEST(Timer1, ChoosesTheMode) {
  struct Row { const char* baseName; const char* arguments; bool uninstall; };
  const Row rows[] = {
      {"deinstal", "", true},    {"DEINSTAL", "", true},   {"deinstall", "", false},
      {"install", "d", true},    {"install", "D", true},   {"install", "d x", false},
      {"install", "-d", false},  {"install", "", false},   {"install", "  d  ", true},
      {"install", "d /S", true}, {"install", "/S d", true}, {"install", "/S", false},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(ChoseUninstall(r.baseName, r.arguments), r.uninstall)
        << "name " << r.baseName << ", arguments '" << r.arguments << "'";
  }
}

TEST(Timer1, ActsOnItsFirstTickOnly) {
  Started s({"D:\\TUNOVAR\\runtime", "install"});
  ASSERT_TRUE(s.installer.Start());
  s.installer.Deliver(Ctl::Timer1, Event::kTimer);
  EXPECT_EQ(s.installer.Window()[Ctl::Timer1].interval, 0);
  const auto logged = s.fake.console.log.size();
  s.installer.Deliver(Ctl::Timer1, Event::kTimer);  // a stopped timer delivers nothing
  EXPECT_EQ(s.fake.console.log.size(), logged);
}

}  // namespace
}  // namespace tunovar
