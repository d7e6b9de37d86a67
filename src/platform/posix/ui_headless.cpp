// The window system of a Linux run: there is no window.
#include "platform/posix/ui_headless.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <utility>

#include "base/ansi_utf8.h"
#include "base/console_text.h"
#include "platform/posix/host_files.h"

namespace tunovar::posix {

std::uint64_t MonotonicNs() {
  timespec now {};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000000000u + static_cast<std::uint64_t>(now.tv_nsec);
}

HeadlessUi::HeadlessUi(std::function<std::uint64_t()> nowNs) : nowNs_(std::move(nowNs)) {
  const char* path = std::getenv("TUNOVAR_PUMP_STATS");
  if (path != nullptr) statsPath_ = path;
}

HeadlessUi::~HeadlessUi() {
  if (statsPath_.empty()) return;
  char text[96];
  std::snprintf(text, sizeof text, "pumps=%llu\nlargest_gap_ms=%.3f\n",
                static_cast<unsigned long long>(pumps_), LargestGapMs());
  (void)WriteHostFile(statsPath_, text);
}

MessageAnswer HeadlessUi::ShowMessage(const std::string& title, const std::string& text, MessageButtons buttons) {
  const std::string line = TerminalText(title) + ": " + TerminalText(text) + "\n";
  (void)WriteAll(STDERR_FILENO, line);
  return buttons == MessageButtons::kYesNo ? MessageAnswer::kYes : MessageAnswer::kOk;
}

void HeadlessUi::PumpEvents() {
  if (onPump_) onPump_();
  if (statsPath_.empty()) return;
  const std::uint64_t now = nowNs_();
  if (pumps_ > 0 && now - lastNs_ > largestGapNs_) largestGapNs_ = now - lastNs_;
  lastNs_ = now;
  ++pumps_;
}

}  // namespace tunovar::posix
