// Tests of what the consoles of an unattended run show on every back-end.
#include "base/console_text.h"

#include <gtest/gtest.h>

namespace tunovar {
namespace {

TEST(ConsoleText, TheProgressBar) {
  EXPECT_EQ(ProgressBarText(45), "[" + std::string(18, '#') + std::string(22, '-') + "]  45%");
  EXPECT_EQ(ProgressBarText(100), "[" + std::string(40, '#') + "] 100%");
  EXPECT_EQ(ProgressBarText(-3), ProgressBarText(0));
  EXPECT_EQ(ProgressBarText(250), ProgressBarText(100));
}

TEST(ConsoleText, MessagesTakeTheTerminalsLineEnds) {
  EXPECT_EQ(TerminalText("a\r\nb\rc\nd\r\n"), "a\nb\nc\nd\n");
  EXPECT_EQ(TerminalText("M\xFCsik\r\n\r\nx", 3), "M\xC3\xBCsik\n   \n   x");  // an empty line counts
}

TEST(ConsoleText, LogLinesStandUnderTheirStamp) {
  const LocalDateTime when{2026, 12, 8, 9, 5, 0};
  EXPECT_EQ(LogLineText(when, "Placed C:\\a", "\n"), "2026-12-08 09:05:00 Placed C:\\a\n");
  EXPECT_EQ(LogLineText(when, "first\nsecond", "\r\n"),
            "2026-12-08 09:05:00 first\r\n                    second\r\n");
}

}  // namespace
}  // namespace tunovar
