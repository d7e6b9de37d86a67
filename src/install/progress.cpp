// The progress bar on Verlauf: redrawn only when the value passes a new whole percent.
#include <cmath>
#include <limits>

#include "base/ansi_text.h"
#include "installer/installer.h"

namespace tunovar {

void Installer::ShowProgress(float step, bool finished) {
  progress.ProgressValue += step;
  const double whole = std::floor(static_cast<double>(progress.ProgressValue));
  // A value that is no number or leaves 32 bits cannot be shown: the call draws nothing.
  if (!std::isfinite(whole) || whole > std::numeric_limits<std::int32_t>::max() ||
      whole < std::numeric_limits<std::int32_t>::min()) {
    return;
  }
  if (static_cast<std::int32_t>(whole) <= progress.ProgressPercent) return;
  progress.ProgressPercent = static_cast<std::int32_t>(whole);
  const std::int32_t barPercent = progress.ProgressPercent;
  // The sizes of the list are an estimate: the text holds at 99% until the final call says
  // the installation is through, even when the bar is already full.
  if (finished) {
    progress.ProgressPercent = 100;
  } else if (progress.ProgressValue >= 100) {
    progress.ProgressPercent = 99;
  }
  form_.DrawProgress(barPercent, DecimalText(progress.ProgressPercent) + "%");
  if (Silent()) platform_.console.ShowProgressBar(progress.ProgressPercent);
}

}  // namespace tunovar
