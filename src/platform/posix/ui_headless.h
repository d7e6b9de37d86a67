// The window system of a Linux run: there is no window. Used only in silent runs.
//
// With TUNOVAR_PUMP_STATS=path set, the points where queued events would run are timed and,
// when the object ends, path receives two lines: "pumps=<count>" and
// "largest_gap_ms=<the longest time between two of them, in milliseconds>".
//
// Ui members on Linux:
//   real      PumpEvents (an event point: the interrupt is seen there)
//   stand-in  ShowMessage (a line on standard error; OK and Yes answer), TwipsPerPixelY (15)
//   no-op     CreateFolderPicker (none), ShowOtherInstance
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "platform/ui.h"

namespace tunovar::posix {

// Nanoseconds of the monotonic clock, which times the event points.
[[nodiscard]] std::uint64_t MonotonicNs();

class HeadlessUi : public Ui {
 public:
  explicit HeadlessUi(std::function<std::uint64_t()> nowNs = MonotonicNs);
  ~HeadlessUi() override;
  HeadlessUi(const HeadlessUi&) = delete;
  HeadlessUi& operator=(const HeadlessUi&) = delete;

  // "title: text" on standard error; OK and Yes are the answers.
  MessageAnswer ShowMessage(const std::string& title, const std::string& text, MessageButtons buttons) override;
  std::unique_ptr<FolderPicker> CreateFolderPicker() override { return nullptr; }
  void PumpEvents() override;
  float TwipsPerPixelY() override { return 15.0f; }
  void ShowOtherInstance() override {}

  // Runs at every point where queued events would run: main lets the run see an interrupt there.
  void OnPump(std::function<void()> hook) { onPump_ = std::move(hook); }

  [[nodiscard]] std::uint64_t Pumps() const { return pumps_; }
  [[nodiscard]] double LargestGapMs() const { return static_cast<double>(largestGapNs_) / 1e6; }

 private:
  std::function<std::uint64_t()> nowNs_;
  std::function<void()> onPump_;
  std::string statsPath_;
  std::uint64_t pumps_ = 0;
  std::uint64_t lastNs_ = 0;
  std::uint64_t largestGapNs_ = 0;
};

}  // namespace tunovar::posix
