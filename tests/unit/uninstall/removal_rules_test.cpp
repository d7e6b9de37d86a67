// The rules of what the uninstaller may remove: folders of a runtime folder, the bounds of an
// installation, the step of each entry.
#include "uninstall/removal_rules.h"

#include <gtest/gtest.h>

#include "support/fake_code_pages.h"

namespace tunovar {
namespace {

TEST(FoldersOfRuntime, InstallDirParentAndTarget) {
  struct Row {
    const char* appPath;
    const char* installDir;
    const char* parent;
    const char* target;
  };
  const Row rows[] = {
      {"C:\\Apps\\TUNOVAR\\TUNOVAR\\runtime\\", "C:\\Apps\\TUNOVAR\\TUNOVAR", "C:\\Apps\\TUNOVAR\\TUNOVAR\\",
       "C:\\Apps\\TUNOVAR\\"},
      // The product directly below a top folder: the target would be the drive's root.
      {"C:\\TUNOVAR\\runtime\\", "C:\\TUNOVAR", "C:\\TUNOVAR\\", ""},
      {"E:\\runtime\\", "E:", "E:\\", ""},
      {"x\\", "", "", ""},  // too short for a runtime folder
  };
  for (const Row& r : rows) {
    const RuntimeFolders f = FoldersOfRuntime(r.appPath);
    EXPECT_EQ(f.installDir, r.installDir) << r.appPath;
    EXPECT_EQ(f.parent, r.parent) << r.appPath;
    EXPECT_EQ(f.target, r.target) << r.appPath;
  }
}

TEST(LiesInside, BelowATargetFormAndFreeOfDots) {
  const InstallationBounds bounds =
      BoundsOfInstallation("C:\\Program Files\\", "C:\\PROGRA~1", "C:\\Program Files\\");
  EXPECT_EQ(bounds.targetForms,
            (std::vector<std::string>{"C:\\Program Files\\", "C:\\PROGRA~1\\", "C:\\Program Files\\"}));
  struct Row {
    const char* path;
    const char* longForm;
    bool inside;
  };
  const Row rows[] = {
      {"C:\\Program Files\\TUNOVAR\\tuno.exe", "", true},
      {"c:\\program files\\tunovar\\", "", true},          // letter case ignored
      {"C:\\PROGRA~1\\TUNOVAR\\tuno.exe", "", true},       // the short form of the target
      {"C:\\P~1\\TUNOVAR\\x", "C:\\Program Files\\TUNOVAR\\x", true},  // by its own long form
      {"C:\\Program Files\\", "", false},                  // the target itself
      {"C:\\Program Files\\\\", "", false},
      {"C:\\Program Files\\..\\Windows\\x", "", false},    // a step upwards
      {"C:\\Program Files\\TUNOVAR/../../x", "", false},
      {"C:\\Program Filesx\\y", "", false},
      {"D:\\Program Files\\y", "", false},
      {"C:\\Program Files\\TUNOVAR\\con.txt", "", false},  // a device
      {"C:\\Program Files\\TUNOVAR\\Lpt1\\x", "", false},
  };
  for (const Row& r : rows) EXPECT_EQ(LiesInside(bounds, r.path, r.longForm), r.inside) << r.path;
  EXPECT_TRUE(BoundsOfInstallation("", "C:\\X", "C:\\X").targetForms.empty());
  EXPECT_FALSE(LiesInside(InstallationBounds{}, "C:\\X\\y", ""));
}

TEST(LiesInside, OnADoubleByteCodePageATargetEndingInASecondByte0x5C) {
  const ScopedCodePage japanese(FakeCodePage932());
  const RuntimeFolders f = FoldersOfRuntime("C:\\\x83\x5C\\TUNOVAR\\runtime\\");  // C:\ソ\TUNOVAR\runtime\ .
  EXPECT_EQ(f.target, "C:\\\x83\x5C\\");
  const InstallationBounds bounds = BoundsOfInstallation(f.target, "", "");
  struct Row {
    const char* path;
    bool inside;
  };
  const Row rows[] = {
      {"C:\\\x83\x5C\\TUNOVAR\\x.txt", true},
      {"C:\\\x83\x5C\\", false},             // the target itself
      {"C:\\\x83\x5C", false},
      {"C:\\\x83\x5C\x83\x5C\\x", false},   // another folder beginning with the same character
      {"C:\\\x83\\x", false},                  // the lead byte alone, then a separator
  };
  for (const Row& r : rows) EXPECT_EQ(LiesInside(bounds, r.path, ""), r.inside) << r.path;
  EXPECT_TRUE(NamesRunningProgram("C:\\\x83\x5C\\runtime\\deinstal.exe", "C:\\\x83\x5C\\runtime\\", "deinstal"));
}

TEST(StepOfEntry, FoldersFilesAndTheBatchsOwn) {
  struct Row {
    const char* line;
    bool inside;
    EntryStep step;
  };
  const Row rows[] = {
      {"C:\\T\\TUNOVAR\\tuno.exe", true, EntryStep::kDeleteFile},
      {"#C:\\T\\TUNOVAR\\data\\", true, EntryStep::kRemoveFolder},
      {"C:\\T\\TUNOVAR\\data\\", true, EntryStep::kDeleteFile},  // without "#" a file entry
      {"C:\\T\\TUNOVAR\\RUNTIME\\DEINST.PIF", true, EntryStep::kKeepForBatch},
      {"C:\\T\\TUNOVAR\\runtime\\deinst.bat", true, EntryStep::kKeepForBatch},
      {"#C:\\T\\TUNOVAR\\runtime\\deinst.bat", true, EntryStep::kRemoveFolder},
      // The same two files however the line spells their folder.
      {"C:\\T\\TUNOVAR\\runtime\\\\deinst.pif", true, EntryStep::kKeepForBatch},
      {"C:/T/TUNOVAR/Runtime/Deinst.Bat", true, EntryStep::kKeepForBatch},
      {"C:\\T\\TUNOVAR\\runtime/\\deinst.pif", true, EntryStep::kKeepForBatch},
      {"C:\\x", false, EntryStep::kPassOver},
      {"#C:\\x\\", false, EntryStep::kPassOver},
  };
  for (const Row& r : rows) {
    const std::optional<RemovalEntry> entry = ParseRemovalEntry(r.line);
    ASSERT_TRUE(entry) << r.line;
    EXPECT_EQ(StepOfEntry(*entry, r.inside), r.step) << r.line;
  }
}

TEST(LiesReallyInside, WhereLinksLeadAndWhereTheProgramRuns) {
  InstallationBounds bounds = BoundsOfInstallation("C:\\T\\", "", "");
  bounds.realTarget = "D:\\REAL\\T\\";  // the target is itself reached through a link
  struct Row {
    const char* path;
    const char* real;
    bool inside;
  };
  const Row rows[] = {
      {"C:\\T\\TUNOVAR\\a.txt", "c:\\t\\tunovar\\A.TXT", true},  // no link on the way
      {"C:\\T\\TUNOVAR\\a.txt", "D:\\Real\\T\\TUNOVAR\\a.txt", true},
      {"C:\\T\\TUNOVAR\\link\\a.txt", "C:\\Users\\me\\a.txt", false},
      {"C:\\T\\TUNOVAR\\link\\a.txt", "D:\\REAL\\T", false},
      {"C:\\T\\TUNOVAR\\link\\a.txt", "D:\\REAL\\TX\\a.txt", false},
      {"C:\\T\\TUNOVAR\\link\\a.txt", "D:\\REAL\\T\\..\\x.txt", false},
  };
  for (const Row& r : rows) EXPECT_EQ(LiesReallyInside(bounds, r.path, r.real), r.inside) << r.real;

  const std::string app = "C:\\T\\TUNOVAR\\runtime\\";
  EXPECT_TRUE(NamesRunningProgram(app + "DEINSTAL.EXE", app, "deinstal"));
  EXPECT_TRUE(NamesRunningProgram(app + "deinstal", app, "deinstal"));
  EXPECT_FALSE(NamesRunningProgram(app + "deinstal.exe", app, ""));
  EXPECT_FALSE(NamesRunningProgram(app + "sub\\deinstal.exe", app, "deinstal"));
  EXPECT_FALSE(NamesRunningProgram("C:\\T\\TUNOVAR\\deinstal.exe", app, "deinstal"));
}

}  // namespace
}  // namespace tunovar
