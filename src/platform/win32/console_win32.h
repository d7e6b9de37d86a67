// Standard error, the log file and the progress bar of an unattended Windows run.
//
// Console members on Windows: real  WriteError WriteLog ShowProgressBar.
#pragma once

#include <optional>
#include <string>

#include "platform/console.h"
#include "platform/win32/win32.h"

namespace tunovar::win32 {

class Win32Console final : public Console {
 public:
  // silent: a run without a window, whose messages go to the console of the program that
  // started it. logFile: the file given with /LOG=, appended to line by line.
  // calls says which newer calls the system has: without AttachConsole (before XP) a silent
  // run writes only where the parent sent standard error, and to the log.
  Win32Console(bool silent, const std::optional<std::string>& logFile, const SystemCalls& calls = ThisSystem());
  Win32Console(const Win32Console&) = delete;
  Win32Console& operator=(const Win32Console&) = delete;
  ~Win32Console() override;

  void WriteError(std::string_view line) override;
  void WriteLog(std::string_view line) override;
  void ShowProgressBar(int percent) override;

 private:
  void WriteToError(std::string_view ansi);
  void EndProgressLine();

  HANDLE error_ = nullptr;          // standard error; not owned unless errorOwned_ holds it
  win32::UniqueFileHandle errorOwned_;
  bool errorIsConsole_ = false;     // a console window: text goes out as Unicode
  bool errorIsCharDevice_ = false;  // a console or a terminal: the progress bar is drawn
  std::optional<std::string> logFile_;
  SystemCalls calls_;
  bool logFailed_ = false;
  int shownPercent_ = -1;         // the last figure drawn, -1 when none was
  bool progressLineOpen_ = false;  // the bar's line has not been ended yet
};

}  // namespace tunovar::win32
