// The system language and the list files with their language-tagged entries.
#include <gtest/gtest.h>

#include "installer/installer.h"
#include "support/installer_fixture.h"

namespace tunovar {
namespace {

using testing::InstallerFixture;

class Language : public InstallerFixture {};

TEST_F(Language, PrimaryLanguageOfTheSystemChoosesTheSection) {
  struct Row { const char* name; std::uint16_t id; std::int32_t index; };
  const Row rows[] = {
      {"German, Germany", 0x0407, 0},     {"German, Switzerland", 0x0807, 0},
      {"German, Austria", 0x0C07, 0},     {"German, Liechtenstein", 0x1407, 0},
      {"French, France", 0x040C, 2},      {"French, Belgium", 0x080C, 2},
      {"English, US", 0x0409, 1},         {"Dutch", 0x0413, 1},
      {"Italian", 0x0410, 1},             {"one hex digit only (7)", 0x0007, 1},
      {"zero", 0x0000, 1},
  };
  ASSERT_TRUE(Load());
  for (const Row& r : rows) {
    fake.shell.langId = r.id;
    EXPECT_EQ(app().GetSystemLanguage(), r.index) << r.name;
  }
}

class ListFile : public InstallerFixture {
 protected:
  const std::string listPath = std::string(kAppPath) + "filelist";
  StringList sources, destinations;

  void Read(const std::string& bytes, std::int32_t langIndex) {
    fake.fs.PutFile(listPath, bytes);
    app().texts.LangIndex = langIndex;
    app().ReadListFile(listPath, sources, destinations, "C:\\Apps\\");
  }
  void SetUp() override { ASSERT_TRUE(Load()); }
};

TEST_F(ListFile, EntriesOfTheCurrentLanguageAreRenamedOthersSkipped) {
  struct Row {
    const char* name;
    const char* line;
    std::int32_t index;
    const char* source;       // nullptr: skipped
    const char* destination;
  };
  const Row rows[] = {
      {"own text file", "TUNOVAR\\pdata\\1_texte.txt", 1, "D:\\TUNOVAR\\pdata\\1_texte.txt", "C:\\Apps\\TUNOVAR\\pdata\\texte.txt"},
      {"other language's text file", "TUNOVAR\\pdata\\0_texte.txt", 1, nullptr, nullptr},
      {"help file, upper case", "TUNOVAR\\1_TUNODOC.HLP", 1, "D:\\TUNOVAR\\1_TUNODOC.HLP", "C:\\Apps\\TUNOVAR\\tunoDoc.hlp"},
      {"other language's help file", "TUNOVAR\\2_tunodoc.hlp", 0, nullptr, nullptr},
      {"neutral, any language", "TUNOVAR\\readme.txt", 2, "D:\\TUNOVAR\\readme.txt", "C:\\Apps\\TUNOVAR\\readme.txt"},
      {"tag 0 found inside 10_", "TUNOVAR\\pdata\\10_texte.txt", 0, "D:\\TUNOVAR\\pdata\\10_texte.txt", "C:\\Apps\\TUNOVAR\\pdata\\1texte.txt"},
      {"tag 10 for section 10", "TUNOVAR\\10_tunodoc.hlp", 10, "D:\\TUNOVAR\\10_tunodoc.hlp", "C:\\Apps\\TUNOVAR\\tunoDoc.hlp"},
      {"empty line", "", 1, "D:\\", "C:\\Apps\\"},
  };
  for (const Row& r : rows) {
    sources.clear();
    destinations.clear();
    Read(std::string(r.line) + "\r\n", r.index);
    if (r.source == nullptr) {
      EXPECT_TRUE(sources.empty()) << r.name;
      EXPECT_TRUE(destinations.empty()) << r.name;
    } else {
      EXPECT_EQ(sources, StringList{r.source}) << r.name;
      EXPECT_EQ(destinations, StringList{r.destination}) << r.name;
    }
  }
}

TEST_F(ListFile, ThreeLanguagesYieldOnePairAppendedAfterWhatWasThere) {
  sources = {"first"};
  destinations = {"first"};
  Read("TUNOVAR\\pdata\\0_texte.txt\r\nTUNOVAR\\pdata\\1_texte.txt\r\nTUNOVAR\\pdata\\2_texte.txt\r\n"
       "TUNOVAR\\runtime\\trelva.exe\r\n", 1);
  EXPECT_EQ(sources, (StringList{"first", "D:\\TUNOVAR\\pdata\\1_texte.txt",
                                 "D:\\TUNOVAR\\runtime\\trelva.exe"}));
  EXPECT_EQ(destinations, (StringList{"first", "C:\\Apps\\TUNOVAR\\pdata\\texte.txt",
                                      "C:\\Apps\\TUNOVAR\\runtime\\trelva.exe"}));
}

TEST_F(ListFile, AFileThatIsNoAnsiTextIsCorruptedAndAUtf8MarkIsNoPartOfTheFirstName) {
  struct Row {
    const char* name;
    std::string bytes;
    std::int32_t code;
    std::vector<std::string> destinations;
  };
  const std::string utf16le("\xFF\xFET\0U\0\\\0a\0\r\0\n\0", 14);
  const std::string utf16be("\xFE\xFF\0T\0U\0\\\0a\0\r\0\n", 14);
  const Row rows[] = {
      {"UTF-8 mark", "\xEF\xBB\xBFTUNOVAR\\tunOVAR.exe\r\nTUNOVAR\\b\r\n", 0,
       {"C:\\Apps\\TUNOVAR\\tunOVAR.exe", "C:\\Apps\\TUNOVAR\\b"}},
      {"the mark only at the start", "TUNOVAR\\a\r\n\xEF\xBB\xBF\r\n", 0, {"C:\\Apps\\TUNOVAR\\a", "C:\\Apps\\\xEF\xBB\xBF"}},
      {"UTF-16 little-endian", utf16le, 1, {}},
      {"UTF-16 big-endian", utf16be, 1, {}},
      {"a NUL in the last line", std::string("TUNOVAR\\a\r\nTUNOVAR\\b\0c", 22), 1, {}},
  };
  for (const Row& r : rows) {
    sources.clear();
    destinations.clear();
    fake.fs.PutFile(listPath, r.bytes);
    EXPECT_EQ(app().ReadListFile(listPath, sources, destinations, "C:\\Apps\\"), r.code) << r.name;
    EXPECT_EQ(std::vector<std::string>(destinations.begin(), destinations.end()), r.destinations) << r.name;
    EXPECT_EQ(sources.size(), destinations.size()) << r.name;
  }
}

TEST_F(ListFile, MissingOrUnreadableListAddsNothing) {
  app().ReadListFile(std::string(kAppPath) + "nothere", sources, destinations, "C:\\Apps\\");
  EXPECT_TRUE(sources.empty());
  fake.fs.PutFile(listPath, "TUNOVAR\\a.txt\r\n");
  fake.fs.failReads.insert(testing::FakeFileSystem::Key(listPath));
  app().ReadListFile(listPath, sources, destinations, "C:\\Apps\\");
  EXPECT_TRUE(sources.empty());
  EXPECT_TRUE(destinations.empty());
}

TEST(ListFileFolder, AppPathTooShortForACdRootAddsNoPairsAndKeepsTheListsInStep) {
  testing::FakePlatform fake;
  fake.fs.AddDrive('E');
  fake.fs.PutFile("E:\\setup\\filedir", "TUNOVAR\\a.txt\r\nTUNOVAR\\b.txt\r\n");
  Installer app(fake.platform, {"E:\\setup", "install"});
  ASSERT_TRUE(app.Start());
  StringList sources{"s"}, destinations{"d"};
  app.ReadListFile("E:\\setup\\filedir", sources, destinations, "C:\\T\\");
  EXPECT_EQ(sources, StringList{"s"});
  EXPECT_EQ(destinations, StringList{"d"});
}

}  // namespace
}  // namespace tunovar
