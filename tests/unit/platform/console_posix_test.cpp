// Tests of the Linux console: standard error in UTF-8, the log with its time stamps, and the
// progress bar that shows only on a terminal.
#include "platform/posix/console_posix.h"

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <regex>

#include <gtest/gtest.h>

#include "base/console_text.h"
#include "support/temp_drives.h"

namespace tunovar::posix {
namespace {

using testing::TempDrives;

// Everything written so far to the reading end of a pipe or terminal (non-blocking).
std::string Drain(int fd) {
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  std::string out;
  char buffer[4096];
  ssize_t n = 0;
  while ((n = read(fd, buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<std::size_t>(n));
  return out;
}

TEST(ConsolePosix, ErrorsAreUtf8LinesAndTheLogIsAppendedWithTimeStamps) {
  TempDrives drives;
  const std::string logFile = drives.Base() + "/install.log";
  int pipeFds[2];
  ASSERT_EQ(pipe(pipeFds), 0);
  {
    PosixConsole console(logFile, pipeFds[1]);
    console.WriteError("Datei \"C:\\M\xFCsik\" fehlt\r\nzweite Zeile");
    console.WriteLog("Copied C:\\M\xFCsik\\a.txt");
    console.ShowProgressBar(50);  // no terminal: no bar
  }
  {
    PosixConsole again(logFile, pipeFds[1]);
    again.WriteLog("Message \"Error\": first\r\nsecond");
  }
  close(pipeFds[1]);
  EXPECT_EQ(Drain(pipeFds[0]), "Datei \"C:\\M\xC3\xBCsik\" fehlt\nzweite Zeile\n");
  close(pipeFds[0]);
  const std::string stamp = R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d )";
  const std::regex expected(stamp + "Copied C:\\\\M\xC3\xBCsik\\\\a\\.txt\n" + stamp +
                            "Message \"Error\": first\n {20}second\n");
  const auto log = TempDrives::ReadFile(logFile);
  ASSERT_TRUE(log);
  EXPECT_TRUE(std::regex_match(*log, expected)) << *log;
}

TEST(ConsolePosix, ALogThatCannotBeWrittenIsSaidOnceAndTheRunGoesOn) {
  TempDrives drives;
  int pipeFds[2];
  ASSERT_EQ(pipe(pipeFds), 0);
  {
    PosixConsole console(drives.Base() + "/no/such/folder/x.log", pipeFds[1]);
    console.WriteLog("one");
    console.WriteLog("two");
  }
  close(pipeFds[1]);
  const std::string said = Drain(pipeFds[0]);
  close(pipeFds[0]);
  EXPECT_NE(said.find("cannot be written"), std::string::npos);
  EXPECT_EQ(said.find("cannot be written"), said.rfind("cannot be written"));
}

TEST(ConsolePosix, TheProgressBarIsDrawnInPlaceOnATerminal) {
  int master = -1;
  int slave = -1;
  ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  termios raw {};
  tcgetattr(slave, &raw);
  cfmakeraw(&raw);  // what is written arrives as it is
  tcsetattr(slave, TCSANOW, &raw);
  {
    PosixConsole console("", slave);
    console.ShowProgressBar(1);
    console.ShowProgressBar(1);  // unchanged: not drawn again
    console.ShowProgressBar(45);
    console.WriteError("a message");
    console.ShowProgressBar(99);
    console.ShowProgressBar(100);
    console.ShowProgressBar(100);
  }
  const std::string shown = Drain(master);
  close(slave);
  close(master);
  EXPECT_EQ(shown, "\r" + ProgressBarText(1) + "\r" + ProgressBarText(45) +
                       "\na message\n\r" + ProgressBarText(99) + "\r" +
                       ProgressBarText(100) + "\n");
}

TEST(ConsolePosix, ABarLeftOpenIsEndedWithTheRun) {
  int master = -1;
  int slave = -1;
  ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  termios raw {};
  tcgetattr(slave, &raw);
  cfmakeraw(&raw);
  tcsetattr(slave, TCSANOW, &raw);
  { PosixConsole("", slave).ShowProgressBar(30); }
  const std::string shown = Drain(master);
  close(slave);
  close(master);
  EXPECT_EQ(shown, "\r" + ProgressBarText(30) + "\n");
}

}  // namespace
}  // namespace tunovar::posix
