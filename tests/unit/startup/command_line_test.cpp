// The unattended switches and what is left of the argument string for the mode test.
#include "startup/command_line.h"

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

TEST(Switches, EmptyTargetPathIsAnEmptyText) {
  EXPECT_EQ(ParseSwitches("/S /D=").targetPath, "");
}

TEST(Switches, UsageErrors) {
  for (const char* line : {"/X", "/S /LANG=", "/LANG=-1", "/LANG=two", "/LOG=", "/Silent"}) {
    EXPECT_FALSE(ParseSwitches(line).usageError.empty()) << line;
  }
}

TEST(Switches, WordsThatAreNoSwitchesStay) {
  EXPECT_EQ(ParseSwitches("d x").rest, "d x");
  EXPECT_EQ(ParseSwitches("-d").rest, "-d");
  EXPECT_EQ(ParseSwitches("  d  ").rest, "d");
  EXPECT_TRUE(ParseSwitches("/").usageError.empty());
}

}  // namespace
}  // namespace tunovar
