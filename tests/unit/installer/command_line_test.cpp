// The unattended switches and what is left of the argument string for the mode test.
#include "installer/command_line.h"

#include <gtest/gtest.h>

namespace tunovar {
namespace {

TEST(Switches, TakenOutBeforeTheModeTest) {
  const Switches s = ParseSwitches("d /s /NOCDDB /lang=2 /LOG=x.log");
  EXPECT_TRUE(s.silent);
  EXPECT_TRUE(s.noCddb);
  EXPECT_EQ(s.language, 2);
  EXPECT_EQ(s.logFile, "x.log");
  EXPECT_EQ(s.rest, "d");
  EXPECT_TRUE(s.usageError.empty());
}

TEST(Switches, TargetPathTakesTheRestWithBlanks) {
  const Switches s = ParseSwitches("/S /D=C:\\Program Files\\My Music /NOCDDB");
  EXPECT_EQ(s.targetPath, "C:\\Program Files\\My Music /NOCDDB");
  EXPECT_FALSE(s.noCddb);
  EXPECT_EQ(s.rest, "");
}

TEST(Switches, QuotesAroundASwitchOrItsValueAreRemoved) {
  struct Row {
    const char* line;
    std::optional<std::string> target;
    std::optional<std::string> log;
    bool silent;
  };
  const Row rows[] = {
      {"/S \"/D=C:\\My Apps\"", "C:\\My Apps", std::nullopt, true},
      {"/S /D=\"C:\\My Apps\"", "C:\\My Apps", std::nullopt, true},
      {"/D=\"C:\\My Apps\" /S", "C:\\My Apps", std::nullopt, true},
      {"/S /D=C:\\My \"Apps\"", "C:\\My Apps", std::nullopt, true},
      {"/LOG=\"C:\\my logs\\a b.log\" /S", std::nullopt, "C:\\my logs\\a b.log", true},
      {"\"/LOG=C:\\x y.log\" \"/S\"", std::nullopt, "C:\\x y.log", true},
  };
  for (const Row& r : rows) {
    const Switches s = ParseSwitches(r.line);
    EXPECT_EQ(s.targetPath, r.target) << r.line;
    EXPECT_EQ(s.logFile, r.log) << r.line;
    EXPECT_EQ(s.silent, r.silent) << r.line;
    EXPECT_EQ(s.usageError, "") << r.line;
  }
}

TEST(Switches, UsageErrors) {
  struct Row {
    const char* line;
    const char* says;  // a part of the message
  };
  const Row rows[] = {
      {"/X", "Unknown switch /X."},
      {"/S /LANG=", "/LANG= needs"},
      {"/LANG=-1", "/LANG= needs"},
      {"/LANG=two", "/LANG= needs"},
      {"/LOG=", "/LOG= needs"},
      {"/LOG=\"\"", "/LOG= needs"},
      {"/Silent", "Unknown switch /Silent."},
      {"/S /D=", "/D= needs a folder"},
      {"/S /D=\"\"", "/D= needs a folder"},
      {"/D=   ", "/D= needs a folder"},
      {"/S /D=C:\\??????", "Windows-1252"},
      {"/S -D=C:\\x", "-D=C:\\x is no switch"},
      {"-S", "-S is no switch"},
      {"/S -nocddb", "-nocddb is no switch"},
      {"/S D=C:\\x", "D=C:\\x is no switch"},
      {"/S -LOG=x", "-LOG=x is no switch"},
      {"/S x", "Unknown argument \"x\""},
      {"/S d x", "Unknown argument \"d x\""},
      {"install.exe /S", "Unknown argument"},
      // A switch after an unquoted /D= was meant as the switch.
      {"/S /D=C:\\X /LOG=C:\\x.log", "/LOG=C:\\x.log stands after it: put /D= last, or in quotes"},
      {"/D=C:\\My Apps /s", "/s stands after it"},
      {"/S /D=C:\\X /nocddb", "/nocddb stands after it"},
      {"/S /D=C:\\X /LANG=1", "/LANG=1 stands after it"},
  };
  for (const Row& r : rows) {
    EXPECT_NE(ParseSwitches(r.line).usageError.find(r.says), std::string::npos) << r.line;
  }
  // Quoted, or as part of a name, it is the folder's.
  for (const char* good : {"/S \"/D=C:\\X /LOG=y\" /LOG=C:\\x.log", "/S /D=C:\\A /Sound", "/S /D=/S"}) {
    EXPECT_EQ(ParseSwitches(good).usageError, "") << good;
  }
}

TEST(Switches, WordsThatAreNoSwitchesStayWithoutS) {
  EXPECT_EQ(ParseSwitches("d x").rest, "d x");
  EXPECT_EQ(ParseSwitches("d x").usageError, "");
  EXPECT_EQ(ParseSwitches("-d").rest, "-d");
  EXPECT_EQ(ParseSwitches("D /s").usageError, "");
  EXPECT_EQ(ParseSwitches("  d  ").rest, "d");
  EXPECT_TRUE(ParseSwitches("/").usageError.empty());
}

}  // namespace
}  // namespace tunovar
