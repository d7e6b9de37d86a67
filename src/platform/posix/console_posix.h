// Standard error, the log file and the progress bar of a Linux run.
//
// Console members on Linux: real  WriteError WriteLog ShowProgressBar (only on a terminal).
#pragma once

#include <unistd.h>

#include <string>
#include <string_view>

#include "platform/console.h"
#include "platform/posix/unique_fd.h"

namespace tunovar::posix {

class PosixConsole : public Console {
 public:
  // logFile: the file of /LOG= as the command line gave it (Windows-1252, a host path taken
  // from the current folder), "" for none. errorFd: where standard error goes.
  explicit PosixConsole(std::string logFile = "", int errorFd = STDERR_FILENO);
  ~PosixConsole() override;
  PosixConsole(const PosixConsole&) = delete;
  PosixConsole& operator=(const PosixConsole&) = delete;

  // The line in UTF-8 with a line end.
  void WriteError(std::string_view line) override;
  // Appended to the log as LogLineText writes it, in UTF-8.
  void WriteLog(std::string_view line) override;
  // The bar of ProgressBarText, redrawn in place; only on a terminal.
  void ShowProgressBar(int percent) override;

 private:
  void Put(const std::string& bytes);
  void EndBarLine();

  std::string logPath_;
  int errorFd_;  // not owned: standard error, or what a test hands in
  bool terminal_;
  UniqueFd log_;
  bool logFailed_ = false;
  int lastPercent_ = -1;
  bool barOpen_ = false;
};

}  // namespace tunovar::posix
