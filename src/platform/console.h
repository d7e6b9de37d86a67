// Where an unattended run reports: standard error, the plain-text log, a progress bar.
#pragma once

#include <string_view>

namespace tunovar {

class Console {
 public:
  virtual ~Console() = default;
  // One line on standard error (ANSI text; a back-end converts it for its terminal).
  virtual void WriteError(std::string_view line) = 0;
  // One line of the log given with /LOG= (nothing when there is none).
  virtual void WriteLog(std::string_view line) = 0;
  // The progress bar on standard error; drawn only when standard error is a terminal.
  virtual void ShowProgressBar(int percent) = 0;
};

}  // namespace tunovar
