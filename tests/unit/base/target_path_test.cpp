// The target path: its repair into the install folder, the drive and its free space, and
// the path kept for every language.
#include "base/target_path.h"

#include <gtest/gtest.h>

#include <limits>

#include "support/fake_code_pages.h"
#include "support/installer_fixture.h"

namespace tunovar {
namespace {

using testing::InstallerFixture;

TEST(SanitizeTargetPath, RepairsTheTextIntoTheInstallFolder) {
  struct Row { const char* name; const char* text; const char* folder; };
  const Row rows[] = {
      {"blanks and slashes", " C:/Program Files ", "C:\\Program_Files\\TUNOVAR\\"},
      {"drive without backslash", "D:Games", "D:\\Games\\TUNOVAR\\"},
      {"product folder not doubled", "E:\\Tunovar", "E:\\Tunovar\\"},
      {"forbidden characters and a second colon", "F:\\a<b>c:d", "F:\\abcd\\TUNOVAR\\"},
      {"drive root", "C:\\", "C:\\TUNOVAR\\"},
      {"single letter", "C", "C\\TUNOVAR\\"},
      {"product folder alone", "tunovar\\", "tu\\novar\\"},
      {"double backslash", "C:\\\\games", "C:\\games\\TUNOVAR\\"},
      {"empty", "", "\\T\\UNOVAR\\"},
      {"lone backslash", "\\", "\\T\\UNOVAR\\"},
      {"only blanks", "   ", "\\T\\UNOVAR\\"},
      {"two forbidden in a row", "C:\\a<<b", "C:\\ab\\TUNOVAR\\"},
      {"every forbidden character", "C:\\<>|?*\"x", "C:\\x\\TUNOVAR\\"},
      {"colon moved into second place is kept", "a<:b", "a:\\b\\TUNOVAR\\"},
      {"network path", "\\\\server\\share", "\\server\\share\\TUNOVAR\\"},
  };
  for (const Row& r : rows) EXPECT_EQ(SanitizeTargetPath(r.text), r.folder) << r.name;
}

TEST(SanitizeTargetPath, OnADoubleByteCodePageCharactersStayWhole) {
  const ScopedCodePage japanese(FakeCodePage932());
  struct Row { const char* name; const char* text; const char* folder; };
  const Row rows[] = {
      {"ending in a second byte 0x5C", "C:\\\x83\x5C", "C:\\\x83\x5C\\TUNOVAR\\"},
      {"that character and a backslash", "C:\\\x83\x5C\\", "C:\\\x83\x5C\\TUNOVAR\\"},
      {"second byte 0x7C is no bar", "C:\\\x83\x7C", "C:\\\x83\x7C\\TUNOVAR\\"},
      {"doubled backslash after it", "C:\\\x83\x5C\\\\x", "C:\\\x83\x5C\\x\\TUNOVAR\\"},
      {"half a character at the end", "C:\\x\x83", "C:\\x\\TUNOVAR\\"},
  };
  for (const Row& r : rows) EXPECT_EQ(SanitizeTargetPath(r.text), r.folder) << r.name;
}

TEST(TargetFolderOfText, AFullPathOnADriveResolvedAsWindowsDoes) {
  struct Row { const char* name; const char* text; std::optional<std::string> folder; };
  const Row rows[] = {
      {"plain", "C:\\Apps", "C:\\Apps\\TUNOVAR\\"},
      {"drive without backslash is repaired", "D:Games", "D:\\Games\\TUNOVAR\\"},
      {"parent step", "C:\\Apps\\..\\Games", "C:\\Games\\TUNOVAR\\"},
      {"parent step last", "C:\\Apps\\TUNOVAR\\..", "C:\\Apps\\TUNOVAR\\"},
      {"trailing dots", "C:\\Games...", "C:\\Games\\TUNOVAR\\"},
      {"trailing dot of the product folder", "C:\\x\\TUNOVAR.", "C:\\x\\TUNOVAR\\TUNOVAR\\"},
      {"single letter", "C", std::nullopt},
      {"no colon", "Ctunovar", std::nullopt},
      {"rooted", "\\Apps", std::nullopt},
      {"empty", "", std::nullopt},
      {"network path", "\\\\server\\share", std::nullopt},
      {"dots only", "C:\\...\\x", std::nullopt},
  };
  for (const Row& r : rows) EXPECT_EQ(TargetFolderOfText(r.text), r.folder) << r.name;
}

class TargetPath : public InstallerFixture {
 protected:
  void SetUp() override {
    fake.fs.AddDrive('E', 300);
    OpenWindow();
  }
};

TEST_F(TargetPath, DriveAndFreeSpaceFollowTheText) {
  struct Row { const char* name; const char* text; const char* drive; std::int32_t free; };
  const Row rows[] = {
      {"drive C", "C:\\Apps", "C:", 1000},
      {"lower-case letter", "e:\\x", "E:", 300},
      {"the CD", "D:\\", "D:", 0},
      {"letter alone", "e", "E:", 300},
      {"empty text", "", ":", 0},
      {"no such drive", "Q:\\x", "Q:", 0},
      {"network path", "\\\\server\\share", "\\:", 0},
      {"no letter", "1:\\x", "1:", 0},
      {"relative text", "abc", "A:", 0},
  };
  for (const Row& r : rows) {
    app().DeliverTypedText(r.text);
    EXPECT_EQ(app().space.InstDrive, r.drive) << r.name;
    EXPECT_EQ(app().space.FreeMB, r.free) << r.name;
  }
}

TEST_F(TargetPath, ARefusedDriveLeavesTheDriveListWhereItWas) {
  app().DeliverTypedText("e:\\x");
  EXPECT_EQ(Caption(Ctl::DriveListe), "e:");
  app().DeliverTypedText("Q:\\x");
  EXPECT_EQ(Caption(Ctl::DriveListe), "e:");
}

TEST_F(TargetPath, FreeSpaceBeyond32BitsIsCapped) {
  fake.fs.SetFreeMb('E', std::int64_t{5} << 32);
  app().DeliverTypedText("E:\\big");
  EXPECT_EQ(app().space.FreeMB, std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(Caption(Ctl::Label_Text), "E:|2147483647|65");
}

TEST_F(TargetPath, AChangeKeepsThePathForEveryLanguageAndRedrawsTheInfoText) {
  app().DeliverTypedText("E:\\Musik");
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(app().texts.TextTable[i][4], "E:\\Musik") << i;
  EXPECT_EQ(app().texts.TextTable[3][4], "");
  EXPECT_EQ(Caption(Ctl::Label_Text), "E:|300|65");
}

TEST_F(TargetPath, SettingTheTextFromCodeRunsTheChangeOnce) {
  testing::FormRecorder recorder(window());
  app().SetInstPathText("E:\\x");
  // One caption for the box, one for the drive list, one for the information text.
  EXPECT_EQ(recorder.Count(Prop::kCaption), 3);
  EXPECT_EQ(app().space.InstDrive, "E:");
}

TEST_F(TargetPath, ClearingTheBoxLeavesItEmpty) {
  app().DeliverTypedText("");
  EXPECT_EQ(Caption(Ctl::Text_InstPath), "");
  EXPECT_EQ(Caption(Ctl::Label_Text), ":|0|65");
}

TEST_F(TargetPath, DoubleClickSelectsTheWholeText) {
  app().DeliverTypedText("C:\\Apps\\TUNOVAR\\");
  app().Deliver(Ctl::Text_InstPath, Event::kDblClick);
  EXPECT_EQ(window()[Ctl::Text_InstPath].selStart, 0);
  EXPECT_EQ(window()[Ctl::Text_InstPath].selLength, 16);
}

}  // namespace
}  // namespace tunovar
