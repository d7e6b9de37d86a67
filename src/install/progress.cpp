// The progress bar on Verlauf: redrawn only when the value passes a new whole percent.
#include <cmath>
#include <limits>

#include "base/ansi_text.h"
#include "startup/installer.h"

namespace tunovar {

void Installer::ShowProgress(float step, bool finished) {
  ProgressValue += step;
  const double whole = std::floor(static_cast<double>(ProgressValue));
  // A value that is no number or leaves 32 bits cannot be shown: the call draws nothing.
  if (!std::isfinite(whole) || whole > std::numeric_limits<std::int32_t>::max() ||
      whole < std::numeric_limits<std::int32_t>::min()) {
    return;
  }
  if (static_cast<std::int32_t>(whole) <= ProgressPercent) return;
  ProgressPercent = static_cast<std::int32_t>(whole);
  const std::int32_t barPercent = ProgressPercent;
  // The sizes of the list are an estimate: the text holds at 99% until the final call says
  // the installation is through, even when the bar is already full.
  if (finished) {
    ProgressPercent = 100;
  } else if (ProgressValue >= 100) {
    ProgressPercent = 99;
  }
  form_.DrawProgress(barPercent, DecimalText(ProgressPercent) + "%");
  if (Silent()) platform_.console.ShowProgressBar(ProgressPercent);
}

}  // namespace tunovar
