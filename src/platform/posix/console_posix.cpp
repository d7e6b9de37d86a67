// Standard error, the log file and the progress bar of a Linux run.
#include "platform/posix/console_posix.h"

#include <fcntl.h>

#include <ctime>

#include "base/ansi_utf8.h"
#include "base/console_text.h"
#include "platform/posix/host_files.h"

namespace tunovar::posix {

PosixConsole::PosixConsole(std::string logFile, int errorFd)
    : logPath_(AnsiToUtf8(logFile)), errorFd_(errorFd), terminal_(isatty(errorFd) == 1) {}

PosixConsole::~PosixConsole() { EndBarLine(); }

void PosixConsole::Put(const std::string& bytes) { (void)WriteAll(errorFd_, bytes); }

void PosixConsole::EndBarLine() {
  if (!barOpen_) return;
  Put("\n");
  barOpen_ = false;
}

void PosixConsole::WriteError(std::string_view line) {
  EndBarLine();
  Put(TerminalText(line) + "\n");
}

void PosixConsole::WriteLog(std::string_view line) {
  if (logPath_.empty() || logFailed_) return;
  if (!log_) {
    log_.reset(open(logPath_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666));
    if (!log_) {
      logFailed_ = true;
      WriteError("The log file " + logPath_ + " cannot be written; the run goes on without it.");
      return;
    }
  }
  const time_t now = time(nullptr);
  std::tm local {};
  LocalDateTime when;
  if (localtime_r(&now, &local) != nullptr) {
    when = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
  }
  (void)WriteAll(log_.get(), AnsiToUtf8(LogLineText(when, line, "\n")));
}

void PosixConsole::ShowProgressBar(int percent) {
  if (!terminal_) return;
  if (percent < 0) percent = 0;
  if (percent > 100) percent = 100;
  // A finished bar is not drawn again; one cut by a message is redrawn at the next change.
  if (percent == lastPercent_ && (barOpen_ || percent == 100)) return;
  Put("\r" + ProgressBarText(percent));
  barOpen_ = true;
  lastPercent_ = percent;
  if (percent == 100) EndBarLine();
}

}  // namespace tunovar::posix
