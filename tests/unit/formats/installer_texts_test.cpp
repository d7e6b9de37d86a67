// The installer text file: sections and slots, corrupted files, the table's bounds, the
// placeholders of the information text, and the captions of a language.
#include "formats/installer_texts.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "base/ansi_text.h"
#include "support/installer_fixture.h"

namespace tunovar {
namespace {

using testing::EnglishTexts;
using testing::FrenchTexts;
using testing::GermanTexts;
using testing::InstallerFixture;
using testing::InstallerTextFile;
using testing::TextSection;

InstallerTextsRead Parse(const std::string& bytes, TextTableType& table) {
  BytesLines lines(bytes);
  InstallerTextsRead read = ParseInstallerTexts(lines, std::move(table));
  table = read.table;
  return read;
}

TEST(ParseInstallerTexts, LinesFillTheirSlots) {
  TextTableType table{};
  const TextSection s{"Name", "l2", "l3", "l4", "l5", "l6", "l7", "l8", "l9", "l10", "l11",
                      "l12", "l13", "l14", "l15", "l16"};
  const InstallerTextsRead read = Parse(s.Lines(), table);
  EXPECT_EQ(read.code, kTextsGood);
  EXPECT_EQ(read.languageCount, 1);
  const auto& t = table[0];
  EXPECT_EQ(t[0], "Name");
  const std::pair<int, const char*> expected[] = {
      {1, "l2"},  {2, "l3"},   {3, "l4"},   {4, "l5"},   {6, "l6"},   {7, "l7"},
      {8, "l8"},  {9, "l9"},   {10, "l10"}, {11, "l11"}, {12, "l12"}, {13, "l13"},
      {15, "l14"}, {18, "l15"}, {19, "l16"}, {5, ""},    {14, ""},    {16, ""},
      {17, ""},   {20, ""},
  };
  for (const auto& [slot, text] : expected) EXPECT_EQ(t[static_cast<std::size_t>(slot)], text) << "slot " << slot;
}

TEST(ParseInstallerTexts, DamagedFiles) {
  const std::string three = InstallerTextFile({GermanTexts(), EnglishTexts(), FrenchTexts()});
  TextSection unnamed = EnglishTexts();
  unnamed.language = "";
  struct Row { const char* name; std::string bytes; std::int32_t code; std::int32_t count; };
  const Row rows[] = {
      {"empty line after the last section", three + "\r\n", kTextsCorrupted, 3},
      {"first line without ###", "##Deutsch\r\n" + GermanTexts().Lines().substr(12), kTextsCorrupted, 0},
      {"a stray line between sections", GermanTexts().Lines() + "x\r\n" + EnglishTexts().Lines(), kTextsCorrupted, 1},
      {"empty file", "", kTextsGood, 0},
      {"header of exactly ###", unnamed.Lines(), kTextsGood, 1},
      {"ends in the middle of a section", "###Deutsch\r\nTitel\r\n", kTextsGood, 1},
      {"last line without CR LF", three.substr(0, three.size() - 2), kTextsGood, 3},
  };
  for (const Row& r : rows) {
    TextTableType table{};
    const InstallerTextsRead read = Parse(r.bytes, table);
    EXPECT_EQ(read.code, r.code) << r.name;
    EXPECT_EQ(read.languageCount, r.count) << r.name;
  }
  TextTableType table{};
  (void)Parse("###Deutsch\r\nTitel\r\n", table);
  EXPECT_EQ(table[0][1], "Titel");
  EXPECT_EQ(table[0][2], "");
  EXPECT_EQ(table[0][19], "");
}

TEST(ParseInstallerTexts, NoMoreThanTwentyOneSectionsAreKeptOrCounted) {
  std::vector<TextSection> sections;
  for (int i = 0; i < 22; ++i) {
    TextSection s = EnglishTexts();
    s.language = "L" + std::to_string(i);
    sections.push_back(s);
  }
  TextTableType table{};
  // The 22nd section is read and ends the reading: the line after it is never looked at.
  const InstallerTextsRead read = Parse(InstallerTextFile(sections) + "not a header\r\n", table);
  EXPECT_EQ(read.code, kTextsGood);
  EXPECT_EQ(read.languageCount, kSections);
  EXPECT_EQ(table[20][0], "L20");
  EXPECT_EQ(table[0][0], "L0");  // the 22nd did not land anywhere else
}

TEST(ExpandInfoText, Placeholders) {
  struct Row { const char* name; const char* text; const char* expected; };
  const Row rows[] = {
      {"all four", "#DRIVE# #FREEMB# #REQUIRED##RETURN#x", "C: 1000 65\r\nx"},
      {"only the first drive", "#DRIVE# and #DRIVE#", "C: and #DRIVE#"},
      {"only the first figures", "#FREEMB##FREEMB#/#REQUIRED##REQUIRED#", "1000#FREEMB#/65#REQUIRED#"},
      {"lower case", "#drive#:#Freemb#:#required##return#end", "C::1000:65\r\nend"},
      {"every line break", "a#RETURN#b#RETURN##RETURN#c", "a\r\nb\r\n\r\nc"},
      {"none present", "plain text", "plain text"},
  };
  for (const Row& r : rows) EXPECT_EQ(ExpandInfoText(r.text, "C:", 1000, 65), r.expected) << r.name;
  EXPECT_EQ(ExpandInfoText("#FREEMB#", "C:", -3, 0), "-3");
}

TEST(RequiredMegabytes, BaseAndCddbFigures) {
  struct Row { const char* name; const char* slot13; const char* slot19; bool cddb; std::int32_t expected; };
  const Row rows[] = {
      {"with CDDB", "120", "5", true, 125},
      {"without CDDB", "120", "5", false, 120},
      {"slot 13 no number keeps the old value", "abc", "5", true, 77},
      {"slot 13 empty keeps the old value", "", "5", false, 77},
      {"slot 19 no number", "120", "x", true, 120},
      {"sum beyond 32 bits", "2147483647", "5", true, 2147483647},
  };
  for (const Row& r : rows) EXPECT_EQ(RequiredMegabytes(r.slot13, r.slot19, r.cddb, 77), r.expected) << r.name;
}

// The sample CD's texts: three languages, every slot the program shows filled.
TEST(SampleCdTexts, ThreeCompleteLanguagesWithEveryPlaceholder) {
  std::string source = __FILE__;  // tests/unit/startup/ below the project
  for (int up = 0; up < 4; ++up) source = source.substr(0, source.find_last_of('/'));
  std::ifstream file(source + "/samples/cd/TUNOVAR/runtime/insttext", std::ios::binary);
  ASSERT_TRUE(file.is_open());
  const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  for (std::size_t at = bytes.find('\n'); at != std::string::npos; at = bytes.find('\n', at + 1)) {
    ASSERT_TRUE(at > 0 && bytes[at - 1] == '\r') << "a line without CR LF at byte " << at;
  }
  TextTableType table{};
  const InstallerTextsRead read = Parse(bytes, table);
  ASSERT_EQ(read.code, kTextsGood);
  ASSERT_EQ(read.languageCount, 3);
  EXPECT_EQ(table[0][0], "Deutsch");
  EXPECT_EQ(table[1][0], "English");
  EXPECT_EQ(table[2][0], "Fran\xE7" "ais");  // Windows-1252, not UTF-8
  for (std::size_t i = 0; i < 3; ++i) {
    for (const int slot : {0, 1, 2, 3, 4, 6, 7, 8, 11, 12, 13, 15, 18, 19}) {
      EXPECT_FALSE(table[i][static_cast<std::size_t>(slot)].empty()) << i << "," << slot;
    }
    for (const char* p : {"#DRIVE#", "#FREEMB#", "#REQUIRED#", "#RETURN#"}) {
      EXPECT_TRUE(ContainsNoCase(table[i][2], p)) << i << " " << p;
    }
    EXPECT_EQ(ParseWholeNumber(table[i][13]), 60) << i;
    EXPECT_EQ(ParseWholeNumber(table[i][19]), 5) << i;
    EXPECT_TRUE(EndsWithNoCase(table[i][4], "\\TUNOVAR\\")) << i;
  }
}

class Texts : public InstallerFixture {};

TEST_F(Texts, TextOutsideTheTableIsEmpty) {
  ASSERT_TRUE(Load());
  ASSERT_EQ(app().ReadInstallerTexts(std::string(kAppPath) + "insttext"), 0);
  EXPECT_EQ(app().Text(1, TextSlot::kInstall), "Install");
  for (const auto& [section, slot] : {std::pair{-1, 0}, {21, 0}, {0, -1}, {0, 51}, {INT32_MAX, 2}}) {
    EXPECT_EQ(app().Text(section, static_cast<TextSlot>(slot)), "") << section << "," << slot;
  }
}

TEST_F(Texts, CaptionsOfALanguageAndItsPathForEverySection) {
  ASSERT_TRUE(Load());
  ASSERT_EQ(app().ReadInstallerTexts(std::string(kAppPath) + "insttext"), 0);
  app().ShowLanguageCaptions(2);
  EXPECT_EQ(Caption(Ctl::Label_Cancel), "Annuler");
  EXPECT_EQ(Caption(Ctl::Label_Install), "Installer");
  EXPECT_EQ(Caption(Ctl::Label_Caption), "Titre FR");
  EXPECT_EQ(Caption(Ctl::Label_InstPath), "Dossier FR");
  EXPECT_EQ(Caption(Ctl::Label_Language), "Fran\xE7" "ais");
  EXPECT_EQ(Caption(Ctl::Label_CDDB), "CDDB FR");
  EXPECT_EQ(Caption(Ctl::Text_InstPath), "C:\\Programmes\\TUNOVAR\\");
  // The change handler ran: the path is every language's now.
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(app().texts.TextTable[i][4], "C:\\Programmes\\TUNOVAR\\");
}

TEST_F(Texts, InfoTextFillsAnEmptyPathBoxFirst) {
  ASSERT_TRUE(Load());
  ASSERT_EQ(app().ReadInstallerTexts(std::string(kAppPath) + "insttext"), 0);
  app().space.CDDBSelected = true;
  app().UpdateInfoText(1);
  EXPECT_EQ(Caption(Ctl::Text_InstPath), "C:\\Programs\\TUNOVAR\\");
  EXPECT_EQ(Caption(Ctl::Label_Text), "C:|1000|65");
  EXPECT_EQ(app().space.RequiredMB, 65);
  app().space.CDDBSelected = false;
  app().UpdateInfoText(2);  // French: 70 MB, 8 more with CDDB
  EXPECT_EQ(Caption(Ctl::Label_Text), "C:|1000|70");
  EXPECT_EQ(Caption(Ctl::Text_InstPath), "C:\\Programs\\TUNOVAR\\");
}

TEST_F(Texts, EmptyDefaultPathAndEmptyBoxEndWithAnEmptyBox) {
  TextSection s = EnglishTexts();
  s.path = "";
  PutTexts(s.Lines());
  ASSERT_TRUE(Load());
  ASSERT_EQ(app().ReadInstallerTexts(std::string(kAppPath) + "insttext"), 0);
  app().UpdateInfoText(0);
  EXPECT_EQ(Caption(Ctl::Text_InstPath), "");
  EXPECT_EQ(Caption(Ctl::Label_Text), "|0|60");
}

}  // namespace
}  // namespace tunovar
