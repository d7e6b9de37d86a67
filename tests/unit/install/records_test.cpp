// The install records "defile" and "ovrituno.inf", byte for byte.
#include <gtest/gtest.h>

#include "install/records.h"
#include "formats/removal_list.h"
#include "installer/installer.h"
#include "support/fake_platform.h"
#include "support/string_list_printer.h"

namespace tunovar {
namespace {

using testing::FakePlatform;

constexpr const char* kT = "C:\\Apps\\TUNOVAR\\";
constexpr const char* kList = "C:\\Apps\\TUNOVAR\\TUNOVAR\\runtime\\defile";

struct World {
  FakePlatform fake;
  Installer installer{fake.platform, {"D:\\TUNOVAR\\runtime", "install"}};
  World() { fake.fs.PutFolder("C:\\Apps\\TUNOVAR\\TUNOVAR\\runtime"); }
};

TEST(RemovalList, EmptyListsGiveExactlyTheThreeFixedLines) {
  World w;
  w.installer.WriteUninstallRecord(kList, {}, kT);
  w.installer.AppendFolderEntries(kList, {});
  EXPECT_EQ(w.fake.fs.Content(kList),
            " 0 \r\n"
            "C:\\Apps\\TUNOVAR\\TUNOVAR\\tunodoc.gid\r\n"
            "C:\\Apps\\TUNOVAR\\TUNOVAR\\burn.lst\r\n");
}

TEST(RemovalList, EntriesReversedThenTheFolderLines) {
  World w;
  w.installer.texts.LangIndex = 2;
  const StringList folders{"C:\\Apps\\TUNOVAR\\TUNOVAR\\", "C:\\Apps\\TUNOVAR\\TUNOVAR\\runtime\\"};
  StringList entries = folders;
  entries.Append({"C:\\Apps\\TUNOVAR\\TUNOVAR\\a.exe", "C:\\Apps\\TUNOVAR\\TUNOVAR\\b, \"c\".txt",
                  "C:\\Apps\\TUNOVAR\\TUNOVAR\\runtime\\deinstal.exe"});
  w.installer.WriteUninstallRecord(kList, entries, kT);
  w.installer.AppendFolderEntries(kList, folders);
  EXPECT_EQ(w.fake.fs.Content(kList),
            " 2 \r\n"
            "C:\\Apps\\TUNOVAR\\TUNOVAR\\tunodoc.gid\r\n"
            "C:\\Apps\\TUNOVAR\\TUNOVAR\\burn.lst\r\n"
            "C:\\Apps\\TUNOVAR\\TUNOVAR\\runtime\\deinstal.exe\r\n"
            "C:\\Apps\\TUNOVAR\\TUNOVAR\\b, \"c\".txt\r\n"
            "C:\\Apps\\TUNOVAR\\TUNOVAR\\a.exe\r\n"
            "C:\\Apps\\TUNOVAR\\TUNOVAR\\runtime\\\r\n"
            "C:\\Apps\\TUNOVAR\\TUNOVAR\\\r\n"
            "#C:\\Apps\\TUNOVAR\\TUNOVAR\\runtime\\\r\n"
            "#C:\\Apps\\TUNOVAR\\TUNOVAR\\\r\n");
  EXPECT_TRUE(w.fake.console.Logged(std::string("Record written: ") + kList));
  EXPECT_TRUE(w.fake.console.Logged(std::string("Record appended: ") + kList));
}

TEST(RemovalList, TheBatchsProgramInformationFileIsLeftOutInAnyCaseAndSpelling) {
  const std::string text = RemovalListText(
      0, {"C:\\T\\TUNOVAR\\runtime\\deinst.pif", "C:\\T\\TUNOVAR\\RUNTIME\\DEINST.PIF",
          "C:\\T\\TUNOVAR\\runtime\\\\deinst.pif", "C:\\T\\TUNOVAR/runtime/deinst.pif",
          "C:\\T\\TUNOVAR\\Runtime\\Deinst.Pif.bak", "C:\\T\\TUNOVAR\\runtime\\deinst.bat"},
      "C:\\T\\");
  EXPECT_EQ(text,
            " 0 \r\nC:\\T\\TUNOVAR\\tunodoc.gid\r\nC:\\T\\TUNOVAR\\burn.lst\r\n"
            "C:\\T\\TUNOVAR\\runtime\\deinst.bat\r\n");
}

TEST(RemovalList, ALongListIsWrittenInPiecesThatMakeTheSameTextAndARefusedPieceStops) {
  StringList entries;
  for (int k = 0; k < 2000; ++k) entries.push_back("C:\\T\\TUNOVAR\\extra\\f" + std::to_string(k) + ".dat");
  std::string joined;
  int pieces = 0;
  EXPECT_TRUE(WriteRemovalListText(1, entries, "C:\\T\\", [&](std::string_view piece) {
    joined += piece;
    ++pieces;
    return true;
  }));
  EXPECT_EQ(joined, RemovalListText(1, entries, "C:\\T\\"));
  EXPECT_GT(pieces, 1);
  int offered = 0;
  EXPECT_FALSE(WriteRemovalListText(1, entries, "C:\\T\\", [&](std::string_view) { return ++offered < 2; }));
  EXPECT_EQ(offered, 2);
}

TEST(WindowsFolderRecord, OneQuotedLineNamingTheProductFolder) {
  World w;
  w.fake.fs.PutFolder("C:\\WINDOWS");
  w.fake.fs.PutFile("C:\\WINDOWS\\ovrituno.inf", "an older record\r\nwith two lines\r\n");
  w.installer.folders.WinDir = "C:\\WINDOWS\\";
  WriteWindowsFolderRecord(w.installer, kT);
  EXPECT_EQ(w.fake.fs.Content("C:\\WINDOWS\\ovrituno.inf"), "\"C:\\Apps\\TUNOVAR\\tunovar\\\"\r\n");
}

}  // namespace
}  // namespace tunovar
