// The installation sequence on a small CD in the fake file system: order, space check, the
// list files, the CDDB option, the closing question, failed and refused entries, Cancel.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>

#include "base/path_limits.h"
#include "formats/removal_journal.h"
#include "installer/installer.h"
#include "support/installer_fixture.h"

namespace tunovar {
namespace {

constexpr const char* kRuntime = "D:\\TUNOVAR\\runtime\\";
constexpr const char* kProduct = "C:\\Apps\\TUNOVAR\\TUNOVAR\\";
constexpr const char* kDefile = "C:\\Apps\\TUNOVAR\\TUNOVAR\\runtime\\defile";

struct Cd : testing::InstallerOnCd {
  explicit Cd(const char* arguments = "") : InstallerOnCd(arguments) {
    fake.fs.PutFolder("C:\\WINDOWS");
    fake.fs.PutFile("D:\\TUNOVAR\\runtime\\filedir",
                    "TUNOVAR\\\r\nTUNOVAR\\runtime\\\r\nTUNOVAR\\pdata\\\r\nTUNOVAR\\cddb\\\r\n");
    fake.fs.PutFile("D:\\TUNOVAR\\runtime\\filelist",
                    "TUNOVAR\\tunOVAR.exe\r\nTUNOVAR\\runtime\\deinstal.exe\r\nTUNOVAR\\runtime\\deinst.pif\r\n"
                    "TUNOVAR\\pdata\\0_texte.txt\r\nTUNOVAR\\pdata\\1_texte.txt\r\nTUNOVAR\\pdata\\tuno.dat\r\n");
    fake.fs.PutFile("D:\\TUNOVAR\\runtime\\dbfiles", "TUNOVAR\\cddb\\disc.idx\r\n");
    fake.fs.PutFile("D:\\TUNOVAR\\runtime\\group",
                    "1\r\nTUNOVAR\r\nOvri TUNOVAR\r\nSpieler\r\nTUNOVAR\\tunOVAR.exe\r\nPlayer\r\nTUNOVAR\\tunOVAR.exe\r\n");
    for (const char* f : {"tunOVAR.exe", "runtime\\deinstal.exe", "runtime\\deinst.pif", "pdata\\0_texte.txt",
                          "pdata\\1_texte.txt", "pdata\\tuno.dat", "cddb\\disc.idx"}) {
      fake.fs.PutFile(std::string("D:\\TUNOVAR\\") + f, std::string("bytes of ") + f);
    }
    Installer& in = installer;
    in.texts.LanguageCount = 2;
    for (int l = 0; l < 2; ++l) {
      const std::string n = std::to_string(l);
      in.texts.TextTable[static_cast<std::size_t>(l)][1] = "Title " + n;
      in.texts.TextTable[static_cast<std::size_t>(l)][8] = "Start now? " + n;
      in.texts.TextTable[static_cast<std::size_t>(l)][15] = "No space " + n;
    }
    in.texts.LangIndex = 1;
    in.space.FreeMB = 100;
    in.space.RequiredMB = 60;
    in.space.CDDBSelected = true;
    in.Window().SetCaption(Ctl::Text_InstPath, "C:\\Apps");
    in.Window().SetReady(true);
  }

  // The exit code, or -1 when the sequence returned to the window.
  int Run() {
    return testing::Ends([&] { installer.RunInstallation(); });
  }

  std::ptrdiff_t JournalAt(const std::string& entry) {
    const auto& j = fake.fs.journal;
    const auto it = std::find(j.begin(), j.end(), entry);
    return it == j.end() ? -1 : it - j.begin();
  }
  bool CreatedAnyFolder() {
    return std::any_of(fake.fs.journal.begin(), fake.fs.journal.end(),
                       [](const std::string& e) { return e.rfind("CreateFolder", 0) == 0; });
  }
};

TEST(RunInstallation, CompleteRunInItsOrder) {
  Cd cd;
  EXPECT_EQ(cd.Run(), kExitDone);
  const std::string p = kProduct;
  // Folders, program files, the Windows-folder record, CDDB files, the removal list.
  const std::ptrdiff_t steps[] = {
      cd.JournalAt("CreateFolder C:\\Apps\\"),
      cd.JournalAt("CreateFolder C:\\Apps\\TUNOVAR\\"),
      cd.JournalAt("CreateFolder " + p + "cddb\\"),
      cd.JournalAt("Replace " + p + "tunOVAR.exe"),
      cd.JournalAt("Replace " + p + "pdata\\texte.txt"),
      cd.JournalAt("Replace " + p + "pdata\\tuno.dat"),
      cd.JournalAt("Write C:\\WINDOWS\\ovrituno.inf"),
      cd.JournalAt("Replace " + p + "cddb\\disc.idx"),
      cd.JournalAt(std::string("Write ") + kDefile),
      cd.JournalAt(std::string("Append ") + kDefile),
  };
  for (std::size_t k = 0; k < std::size(steps); ++k) {
    EXPECT_GE(steps[k], 0) << k;
    if (k > 0) {
      EXPECT_LT(steps[k - 1], steps[k]) << k;
    }
  }
  // The language's own text file, under its installed name.
  EXPECT_EQ(cd.fake.fs.Content(p + "pdata\\texte.txt"), "bytes of pdata\\1_texte.txt");
  EXPECT_EQ(cd.fake.fs.Content("C:\\WINDOWS\\ovrituno.inf"), "\"C:\\Apps\\TUNOVAR\\tunovar\\\"\r\n");
  EXPECT_EQ(cd.fake.fs.Content(kDefile),
            " 1 \r\n" + p + "tunodoc.gid\r\n" + p + "burn.lst\r\n" +
            p + "cddb\\disc.idx\r\n" + p + "pdata\\tuno.dat\r\n" + p + "pdata\\texte.txt\r\n" +
            p + "runtime\\deinstal.exe\r\n" + p + "tunOVAR.exe\r\n" +
            p + "cddb\\\r\n" + p + "pdata\\\r\n" + p + "runtime\\\r\n" + p + "\r\n" +
            "#" + p + "cddb\\\r\n#" + p + "pdata\\\r\n#" + p + "runtime\\\r\n#" + p + "\r\n");

  const auto& calls = cd.fake.shell.calls;
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front(), "Open D:\\TUNOVAR\\runtime\\oset.exe||D:\\TUNOVAR\\runtime|1");
  const auto reg = std::find(calls.begin(), calls.end(),
                             "Register C:\\Apps\\TUNOVAR\\tunovar\\runtime\\deinstal.exe|Ovri TUNOVAR - Deinstallation");
  ASSERT_NE(reg, calls.end());
  // The group before the registration, in the current language.
  EXPECT_EQ(cd.fake.shell.ddeCommands.back(), "[AddItem(C:\\Apps\\TUNOVAR\\TUNOVAR\\tunOVAR.exe, Player,,,)]");
  EXPECT_NE(std::find(calls.begin(), reg, "DDE ProgMan|Progman|[ReplaceItem(Player)]|3000|6000"), reg);
  // The closing question; the fake answers Yes, which starts the product.
  ASSERT_EQ(cd.fake.ui.messages.size(), 1u);
  EXPECT_EQ(cd.fake.ui.messages[0].title, "Title 1");
  EXPECT_EQ(cd.fake.ui.messages[0].text, "Start now? 1");
  EXPECT_EQ(cd.fake.ui.messages[0].buttons, MessageButtons::kYesNo);
  EXPECT_EQ(calls.back(), "Open C:\\Apps\\TUNOVAR\\TUNOVAR\\tunOVAR.exe||C:\\Apps\\TUNOVAR\\TUNOVAR|1");
  EXPECT_TRUE(cd.installer.Window()[Ctl::Label_Install].enabled);
  EXPECT_TRUE(cd.installer.report.FailedFiles.empty());
}

TEST(RunInstallation, TheUninstallEntryStatesTheVersionAndTheSizeOfWhatWasPlaced) {
  // Sources of whole KB and one byte more, so that each row's sum has its own KB figure.
  const std::pair<const char*, std::size_t> sizes[] = {
      {"tunOVAR.exe", 3 * 1024}, {"runtime\\deinstal.exe", 2 * 1024}, {"runtime\\deinst.pif", 1024},
      {"pdata\\1_texte.txt", 1024}, {"pdata\\tuno.dat", 10 * 1024 + 1}, {"cddb\\disc.idx", 4 * 1024}};
  struct Row {
    const char* name;
    const char* arguments;
    std::function<void(Cd&)> setUp;
    std::uint32_t kb;
  };
  const Row rows[] = {
      {"every listed file placed, the CDDB file too", "", [](Cd&) {}, 3 + 2 + 1 + 1 + 11 + 4},
      {"without the CDDB file", "", [](Cd& cd) { cd.installer.space.CDDBSelected = false; }, 3 + 2 + 1 + 1 + 11},
      {"a newer file kept counts with its own length", "",
       [](Cd& cd) {
         cd.fake.fs.PutFile(std::string(kProduct) + "tunOVAR.exe", std::string(7 * 1024, 'n'));
         cd.fake.fs.Find(std::string(kProduct) + "tunOVAR.exe")->time = LocalDateTime{2030, 1, 1, 0, 0, 0};
       },
       7 + 2 + 1 + 1 + 11 + 4},
      {"a file whose source is missing adds nothing", "",
       [](Cd& cd) { (void)cd.fake.fs.DeleteFile("D:\\TUNOVAR\\runtime\\deinstal.exe"); }, 3 + 1 + 1 + 11 + 4},
  };
  for (const Row& r : rows) {
    Cd cd(r.arguments);
    for (const auto& [file, size] : sizes) cd.fake.fs.PutFile(std::string("D:\\TUNOVAR\\") + file, std::string(size, 'x'));
    r.setUp(cd);
    (void)cd.Run();
    EXPECT_TRUE(cd.fake.shell.registered) << r.name;
    EXPECT_EQ(cd.fake.shell.registeredVersion, "1.0.0.0") << r.name;
    EXPECT_EQ(cd.fake.shell.registeredSizeKb, r.kb) << r.name;
  }
}

TEST(RunInstallation, AnEarlierUninstallsWaitingBatchIsEndedBeforeAnythingIsPlaced) {
  Cd cd;
  const std::string batch = std::string(kProduct) + "runtime\\deinst.bat";
  cd.fake.fs.PutFile(batch, "echo off");
  cd.fake.fs.Find(batch)->readOnly = true;
  EXPECT_EQ(cd.Run(), kExitDone);
  EXPECT_FALSE(cd.fake.fs.Has(batch));
  EXPECT_EQ(cd.JournalAt("Delete " + batch), 0);
}

TEST(RunInstallation, SpaceCheck) {
  struct Row {
    const char* name;
    std::int32_t freeMb, requiredMb;
    bool refused;
  };
  const Row rows[] = {
      {"equal passes", 60, 60, false},
      {"one megabyte less is refused", 59, 60, true},
      {"2048 MB and more are counted in full", 2999, 3000, true},
      {"enough for 3000 MB", 3000, 3000, false},
  };
  for (const Row& r : rows) {
    Cd cd;
    cd.installer.space.FreeMB = r.freeMb;
    cd.installer.space.RequiredMB = r.requiredMb;
    EXPECT_EQ(cd.Run(), r.refused ? -1 : kExitDone) << r.name;
    // The companion program starts either way.
    EXPECT_EQ(cd.fake.shell.calls.front(), "Open D:\\TUNOVAR\\runtime\\oset.exe||D:\\TUNOVAR\\runtime|1") << r.name;
    ASSERT_FALSE(cd.fake.ui.messages.empty()) << r.name;
    if (r.refused) {
      EXPECT_EQ(cd.fake.ui.messages[0].title, "Ovri TUNOVAR Installation") << r.name;
      EXPECT_EQ(cd.fake.ui.messages[0].text, "No space 1") << r.name;
      EXPECT_EQ(cd.fake.ui.messages[0].buttons, MessageButtons::kOk) << r.name;
      EXPECT_TRUE(cd.fake.fs.journal.empty()) << r.name;
      EXPECT_TRUE(cd.installer.Window()[Ctl::Label_Install].enabled) << r.name;
      EXPECT_FALSE(cd.installer.Ended()) << r.name;
    }
  }
}

TEST(RunInstallation, RequiredBytesAndPercentPerByteWithoutOverflowOrDivisionByZero) {
  struct Row {
    const char* name;
    std::int32_t requiredMb;
    std::int32_t bytesAfter;
    float percentAfter;
  };
  const Row rows[] = {
      {"60 MB", 60, 60 * 1048576, static_cast<float>(100.0 / (60.0 * 1048576))},
      {"2047 MB still fits", 2047, 2047 * 1048576, static_cast<float>(100.0 / (2047.0 * 1048576))},
      {"2048 MB does not fit RequiredBytes, the bar still counts the full figure", 2048, 7,
       static_cast<float>(100.0 / (2048.0 * 1048576))},
      {"0 MB: no division, PercentPerByte keeps its value", 0, 0, 0.5f},
  };
  for (const Row& r : rows) {
    Cd cd;
    cd.fake.fs.SetFreeMb('C', 5000);
    cd.installer.space.FreeMB = 5000;
    cd.installer.space.RequiredMB = r.requiredMb;
    cd.installer.progress.RequiredBytes = 7;
    cd.installer.progress.PercentPerByte = 0.5f;
    EXPECT_EQ(cd.Run(), kExitDone) << r.name;
    EXPECT_EQ(cd.installer.progress.RequiredBytes, r.bytesAfter) << r.name;
    EXPECT_FLOAT_EQ(cd.installer.progress.PercentPerByte, r.percentAfter) << r.name;
  }
}

TEST(RunInstallation, AMissingListFileIsFatalBeforeAnyFolderIsMade) {
  struct Row {
    const char* list;
    bool cddb;
  };
  const Row rows[] = {{"filedir", true}, {"filelist", true}, {"dbfiles", false}};
  for (const Row& r : rows) {
    Cd cd;
    cd.installer.space.CDDBSelected = r.cddb;
    ASSERT_EQ(cd.fake.fs.DeleteFile(std::string(kRuntime) + r.list), FsStatus::kOk);
    EXPECT_EQ(cd.Run(), kExitFatalFile) << r.list;
    ASSERT_EQ(cd.fake.ui.messages.size(), 1u) << r.list;
    EXPECT_EQ(cd.fake.ui.messages[0].title, "Error") << r.list;
    EXPECT_EQ(cd.fake.ui.messages[0].text, std::string("File \"") + kRuntime + r.list + "\" is corrupted") << r.list;
    EXPECT_FALSE(cd.CreatedAnyFolder()) << r.list;
    EXPECT_FALSE(cd.fake.fs.Has("C:\\Apps")) << r.list;
  }
}

TEST(RunInstallation, AListOrGroupFileThatBreaksOffIsCorrupted) {
  struct Row {
    const char* file;
    const char* shown;  // the name in the report
    bool listFile;      // read before anything is made
  };
  const Row rows[] = {{"filedir", nullptr, true},
                      {"filelist", nullptr, true},
                      {"dbfiles", nullptr, true},
                      {"group", "group", false}};
  for (const Row& r : rows) {
    Cd cd;
    const std::string path = std::string(kRuntime) + r.file;
    // The first line arrives whole; the rest of the file cannot be read.
    cd.fake.fs.breakReadsAfter[testing::FakeFileSystem::Key(path)] = 10;
    EXPECT_EQ(cd.Run(), kExitFatalFile) << r.file;
    ASSERT_FALSE(cd.fake.ui.messages.empty()) << r.file;
    EXPECT_EQ(cd.fake.ui.messages.back().text,
              "File \"" + (r.shown != nullptr ? std::string(r.shown) : path) + "\" is corrupted")
        << r.file;
    if (r.listFile) {
      EXPECT_FALSE(cd.CreatedAnyFolder()) << r.file;
    }
  }
}

TEST(RunInstallation, CddbOffReadsTheListButNeitherCopiesNorRecordsIt) {
  Cd on;
  Cd off;
  off.installer.space.CDDBSelected = false;
  EXPECT_EQ(on.Run(), kExitDone);
  EXPECT_EQ(off.Run(), kExitDone);
  const std::string db = std::string(kProduct) + "cddb\\disc.idx";
  EXPECT_TRUE(on.fake.fs.Has(db));
  EXPECT_FALSE(off.fake.fs.Has(db));
  EXPECT_NE(on.fake.fs.Content(kDefile).find(db), std::string::npos);
  EXPECT_EQ(off.fake.fs.Content(kDefile).find(db), std::string::npos);
  EXPECT_EQ(on.fake.fs.Content("C:\\WINDOWS\\ovrituno.inf"), off.fake.fs.Content("C:\\WINDOWS\\ovrituno.inf"));
}

TEST(RunInstallation, FailedCopiesAreNamedInsteadOfTheSuccessQuestionAndStillRecorded) {
  Cd cd;
  ASSERT_EQ(cd.fake.fs.DeleteFile("D:\\TUNOVAR\\tunOVAR.exe"), FsStatus::kOk);
  cd.fake.fs.failReads.insert("D:\\TUNOVAR\\PDATA\\TUNO.DAT");
  EXPECT_EQ(cd.Run(), kExitIncomplete);
  const std::string p = kProduct;
  ASSERT_EQ(cd.fake.ui.messages.size(), 1u);
  EXPECT_EQ(cd.fake.ui.messages[0].title, "Error");
  EXPECT_EQ(cd.fake.ui.messages[0].text,
            "These files could not be installed:\r\n" + p + "tunOVAR.exe\r\n" + p + "pdata\\tuno.dat");
  EXPECT_EQ(cd.fake.shell.opened.size(), 1u);  // oset.exe only: the product is not started
  // What was placed stays recorded, for the uninstaller of a partial installation.
  const std::string defile = cd.fake.fs.Content(kDefile);
  EXPECT_NE(defile.find(p + "tunOVAR.exe\r\n"), std::string::npos);
  EXPECT_NE(defile.find(p + "pdata\\tuno.dat\r\n"), std::string::npos);
  EXPECT_TRUE(cd.fake.shell.registered);
}

TEST(RunInstallation, AnErrorBoxNamesFifteenPathsThenHowManyMore) {
  Cd cd;
  std::string list;
  for (int k = 0; k < 17; ++k) list += "TUNOVAR\\missing" + std::to_string(k) + ".txt\r\n";
  cd.fake.fs.PutFile("D:\\TUNOVAR\\runtime\\filelist", list);
  EXPECT_EQ(cd.Run(), kExitIncomplete);
  ASSERT_EQ(cd.fake.ui.messages.size(), 1u);
  const std::string& text = cd.fake.ui.messages[0].text;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 16);
  EXPECT_NE(text.find("missing14.txt\r\nand 2 more"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 10), "and 2 more");
  // The log names every one.
  EXPECT_TRUE(cd.fake.console.Logged("Failed " + std::string(kProduct) + "missing16.txt: the source is missing"));
}

TEST(RunInstallation, ARecordThatCannotBeWrittenWholeEndsWithTheErrorBox) {
  struct Row {
    const char* name;
    std::string path;
    bool cannotOpen;  // else the disk fills after 20 bytes
  };
  const Row rows[] = {
      {"ovrituno.inf cannot be opened", "C:\\WINDOWS\\ovrituno.inf", true},
      {"defile cannot be opened", kDefile, true},
      {"the disk fills while defile is written", kDefile, false},
  };
  for (const Row& r : rows) {
    Cd cd;
    const std::string key = testing::FakeFileSystem::Key(r.path);
    if (r.cannotOpen) {
      cd.fake.fs.failWrites.insert(key);
    } else {
      cd.fake.fs.diskFullAt[key] = 20;
    }
    EXPECT_EQ(cd.Run(), kExitIncomplete) << r.name;
    ASSERT_EQ(cd.fake.ui.messages.size(), 1u) << r.name;
    EXPECT_EQ(cd.fake.ui.messages[0].title, "Error") << r.name;
    EXPECT_EQ(cd.fake.ui.messages[0].text,
              "These install records could not be written completely:\r\n" + r.path) << r.name;
    EXPECT_EQ(cd.fake.shell.opened.size(), 1u) << r.name;
  }
}

TEST(RunInstallation, ATargetTooLongForWindowsPathsIsRefusedBeforeAnythingIsCreated) {
  // The longest path below "C:\\" + n letters is "...\\TUNOVAR\\TUNOVAR\\runtime\\deinstal.exe",
  // n + 40 characters, and so is its folder with the temporary file's name.
  for (const std::size_t n : {std::size_t{219}, std::size_t{220}}) {
    Cd cd;
    cd.installer.Window().SetCaption(Ctl::Text_InstPath, "C:\\" + std::string(n, 'a'));
    const bool fits = n + 40 <= 259;
    EXPECT_EQ(cd.Run(), fits ? kExitDone : -1) << n;
    if (fits) continue;
    ASSERT_EQ(cd.fake.ui.messages.size(), 1u) << n;
    EXPECT_EQ(cd.fake.ui.messages[0].title, "Ovri TUNOVAR Installation");
    EXPECT_NE(cd.fake.ui.messages[0].text.find("deinstal.exe would need 260 characters, and Windows can handle at most 259"),
              std::string::npos)
        << cd.fake.ui.messages[0].text;
    EXPECT_FALSE(cd.CreatedAnyFolder());
    EXPECT_FALSE(cd.fake.fs.Has("C:\\WINDOWS\\ovrituno.inf"));
    EXPECT_TRUE(cd.fake.shell.ddeCommands.empty());
    EXPECT_FALSE(cd.fake.shell.registered);
    // The window is back for a shorter folder.
    EXPECT_TRUE(cd.installer.Window()[Ctl::Label_Install].enabled);
  }
}

TEST(PathLimits, FoldersAndFilesWithinWhatWindowsCanCreateAndReplace) {
  const std::string folder247 = "C:\\" + std::string(244, 'f');
  struct Row {
    const char* name;
    std::string folder, file;
    std::size_t length;  // 0: fits
  };
  const Row rows[] = {
      {"a folder of 247 characters", folder247, "C:\\x", 0},
      {"a final backslash is not counted", folder247 + "\\", "C:\\x", 0},
      {"a folder of 248", folder247 + "g", "C:\\x", 248},
      {"a file of 259 in a short folder", "C:\\", "C:\\" + std::string(256, 'x'), 0},
      {"a file of 260", "C:\\", "C:\\" + std::string(257, 'x'), 260},
      {"room for the temporary file in its folder", "C:\\", folder247 + "\\y", 260},
  };
  for (const Row& r : rows) {
    const auto tooLong = FirstPathTooLong(StringList{r.folder}, StringList{r.file});
    EXPECT_EQ(tooLong ? tooLong->length : 0, r.length) << r.name;
  }
}

TEST(RunInstallation, ATargetFolderThatCannotBeCreatedStopsBeforeAnythingIsRecorded) {
  struct Row {
    const char* name;
    const char* file;  // a file in the way
    const char* text;
    const char* folder;
  };
  const Row rows[] = {
      {"below a file", "C:\\windows\\win.ini", "C:\\windows\\win.ini", "C:\\windows\\win.ini\\TUNOVAR\\"},
      {"the target is a file", "C:\\Apps\\TUNOVAR", "C:\\Apps", "C:\\Apps\\TUNOVAR\\"},
  };
  for (const Row& r : rows) {
    for (const bool silent : {false, true}) {
      Cd cd(silent ? "/S" : "");
      cd.fake.fs.PutFile(r.file, "in the way");
      cd.installer.Window().SetCaption(Ctl::Text_InstPath, r.text);
      // In the window the user may choose another folder; unattended the run is not done.
      EXPECT_EQ(cd.Run(), silent ? kExitIncomplete : -1) << r.name;
      const std::string said = std::string("The target folder ") + r.folder + " could not be created.";
      if (silent) {
        EXPECT_EQ(cd.fake.console.errors, std::vector<std::string>{"Error: " + said}) << r.name;
      } else {
        ASSERT_EQ(cd.fake.ui.messages.size(), 1u) << r.name;
        EXPECT_EQ(cd.fake.ui.messages[0].title, "Error") << r.name;
        EXPECT_EQ(cd.fake.ui.messages[0].text, said) << r.name;
        EXPECT_TRUE(cd.installer.Window()[Ctl::Label_Install].enabled) << r.name;
        EXPECT_FALSE(cd.installer.Ended()) << r.name;
      }
      EXPECT_FALSE(cd.fake.fs.Has("C:\\WINDOWS\\ovrituno.inf")) << r.name;
      EXPECT_TRUE(cd.fake.shell.ddeCommands.empty()) << r.name;
      EXPECT_FALSE(cd.fake.shell.registered) << r.name;
      EXPECT_EQ(cd.fake.fs.Content(r.file), "in the way") << r.name;
    }
  }
}

TEST(RunInstallation, TheTargetIsResolvedBeforeTheSpaceCheckAndRefusedWhenNotOnADrive) {
  struct Row {
    const char* name;
    const char* text;
    const char* recorded;  // "ovrituno.inf"'s folder; nullptr: refused as the space check refuses
  };
  const Row rows[] = {
      {"parent step", "C:\\Apps\\..\\Games", "C:\\Games\\TUNOVAR\\tunovar\\"},
      {"trailing dots", "C:\\Games...", "C:\\Games\\TUNOVAR\\tunovar\\"},
      {"a drive letter alone", "C", nullptr},
      {"no colon", "Ctunovar", nullptr},
      {"rooted", "\\Apps", nullptr},
  };
  for (const Row& r : rows) {
    Cd cd("/S");
    cd.installer.Window().SetCaption(Ctl::Text_InstPath, r.text);
    if (r.recorded == nullptr) {
      EXPECT_EQ(cd.Run(), -1) << r.name;
      // The text as typed, and no word of space.
      EXPECT_EQ(cd.fake.console.errors, std::vector<std::string>{std::string("The target folder ") + r.text +
                                                                 " is no full path on a drive (X:\\...)"})
          << r.name;
      EXPECT_FALSE(cd.fake.console.Logged("No space 1")) << r.name;
      EXPECT_TRUE(cd.fake.fs.journal.empty()) << r.name;
      continue;
    }
    EXPECT_EQ(cd.Run(), kExitDone) << r.name;
    EXPECT_EQ(cd.fake.fs.Content("C:\\WINDOWS\\ovrituno.inf"), "\"" + std::string(r.recorded) + "\"\r\n") << r.name;
    EXPECT_EQ(cd.fake.fs.Content("C:\\Games\\TUNOVAR\\TUNOVAR\\runtime\\defile").find(".."), std::string::npos);
    EXPECT_FALSE(cd.fake.fs.Has("C:\\Apps")) << r.name;
  }
}

TEST(RunInstallation, LinesLeavingTheTargetAreNeitherPlacedNorRecorded) {
  Cd cd;
  cd.fake.fs.PutFile("D:\\TUNOVAR\\runtime\\filedir", "TUNOVAR\\\r\nTUNOVAR\\runtime\\\r\n..\\..\\Evil\\\r\n");
  cd.fake.fs.PutFile("D:\\TUNOVAR\\runtime\\filelist",
                     "TUNOVAR\\tunOVAR.exe\r\nTUNOVAR\\..\\..\\..\\WINDOWS\\evil.dll\r\nC:\\WINDOWS\\evil2.dll\r\n"
                     "\\WINDOWS\\evil3.dll\r\n");
  cd.fake.fs.PutFile("D:\\TUNOVAR\\runtime\\dbfiles", "\\\\server\\share\\db\r\n");
  EXPECT_EQ(cd.Run(), kExitIncomplete);
  EXPECT_EQ(cd.installer.report.FailedFiles,
            (StringList{"..\\..\\Evil\\", "TUNOVAR\\..\\..\\..\\WINDOWS\\evil.dll", "C:\\WINDOWS\\evil2.dll",
                        "\\WINDOWS\\evil3.dll", "\\\\server\\share\\db"}));
  const std::string defile = cd.fake.fs.Content(kDefile);
  EXPECT_NE(defile.find("tunOVAR.exe"), std::string::npos);
  EXPECT_EQ(defile.find("evil"), std::string::npos);
  EXPECT_EQ(defile.find("Evil"), std::string::npos);
  EXPECT_EQ(defile.find("server"), std::string::npos);
  for (const std::string& e : cd.fake.fs.journal) {
    EXPECT_EQ(e.find("..\\"), std::string::npos) << e;
    EXPECT_EQ(e.find("evil"), std::string::npos) << e;
  }
  EXPECT_TRUE(cd.fake.fs.Has(std::string(kProduct) + "tunOVAR.exe"));
  EXPECT_EQ(cd.fake.ui.messages[0].title, "Error");
}

TEST(RunInstallation, CancelWhileCopyingEndsAtTheNextEventPointAsCancelledWithWhatWasPlacedRecorded) {
  const std::string p = kProduct;
  const std::string journal = p + "runtime\\defile.jnl";
  struct Row {
    int pump;  // the event point at which the interrupt comes: 1 before anything is made, 2 before the first file
    const char* lastPlaced;
    bool uninstallerPlaced;
  };
  const Row rows[] = {{1, nullptr, false}, {2, nullptr, false}, {3, "tunOVAR.exe", false}, {4, "runtime\\deinstal.exe", true}};
  for (const Row& r : rows) {
    Cd cd("/S");
    cd.fake.ui.onPump = [&] {
      if (cd.fake.ui.pumps == r.pump) cd.installer.Interrupt("SIGINT");
    };
    EXPECT_EQ(cd.Run(), kExitCancelled) << r.pump;
    EXPECT_TRUE(cd.installer.Ended());
    if (r.pump == 1) {
      EXPECT_FALSE(cd.fake.fs.Has("C:\\Apps"));
      EXPECT_EQ(cd.fake.console.errors, std::vector<std::string>{"Cancelled (by SIGINT): nothing was installed."});
      continue;
    }
    EXPECT_EQ(cd.fake.fs.Has(p + "tunOVAR.exe"), r.lastPlaced != nullptr) << r.pump;
    EXPECT_EQ(cd.fake.fs.Has(p + "runtime\\deinstal.exe"), r.uninstallerPlaced) << r.pump;
    EXPECT_FALSE(cd.fake.fs.Has(kDefile));
    EXPECT_FALSE(cd.fake.fs.Has("C:\\WINDOWS\\ovrituno.inf"));
    EXPECT_TRUE(cd.fake.shell.ddeCommands.empty());
    // The journal names the folders and the files placed, the last placed first.
    std::string entries;
    if (r.uninstallerPlaced) entries += p + "runtime\\deinstal.exe\r\n";
    if (r.lastPlaced != nullptr) entries += p + "tunOVAR.exe\r\n";
    EXPECT_EQ(RemovalListOfJournal(cd.fake.fs.Content(journal)).text,
              " 1 \r\n" + p + "tunodoc.gid\r\n" + p + "burn.lst\r\n" + entries + p + "cddb\\\r\n" + p +
                  "pdata\\\r\n" + p + "runtime\\\r\n" + p + "\r\n#" + p + "cddb\\\r\n#" + p + "pdata\\\r\n#" +
                  p + "runtime\\\r\n#" + p + "\r\n")
        << r.pump;
    // The user finds a partial installation where its uninstaller lies; no success is said.
    EXPECT_EQ(cd.fake.shell.registered, r.uninstallerPlaced) << r.pump;
    ASSERT_EQ(cd.fake.console.errors.size(), 1u) << r.pump;
    EXPECT_NE(cd.fake.console.errors[0].find("The installation was cancelled (by SIGINT) before it was finished"),
              std::string::npos)
        << cd.fake.console.errors[0];
    EXPECT_TRUE(cd.fake.console.Logged("Cancelled by SIGINT"));
  }
}

}  // namespace
}  // namespace tunovar
