// What the consoles of an unattended run show.
#include "base/console_text.h"

#include <algorithm>
#include <cstdio>

#include "base/ansi_utf8.h"

namespace tunovar {
namespace {

constexpr int kBarWidth = 40;

}  // namespace

std::string ProgressBarText(int percent) {
  percent = std::clamp(percent, 0, 100);
  const int filled = percent * kBarWidth / 100;
  std::string text = "[";
  text.append(static_cast<std::size_t>(filled), '#');
  text.append(static_cast<std::size_t>(kBarWidth - filled), '-');
  text += "] ";
  const std::string number = std::to_string(percent);
  text.append(3 - number.size(), ' ');
  return text + number + "%";
}

std::string WithLineEnds(std::string_view text, std::string_view lineEnd, std::size_t indent) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += lineEnd;
      out.append(indent, ' ');
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string LogLineText(const LocalDateTime& when, std::string_view text, std::string_view lineEnd) {
  char stamp[48];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d ", when.year, when.month, when.day,
                when.hour, when.minute, when.second);
  const std::string prefix(stamp);
  return prefix + WithLineEnds(text, lineEnd, prefix.size()) + std::string(lineEnd);
}

std::string TerminalText(std::string_view ansi, std::size_t indent) {
  return AnsiToUtf8(WithLineEnds(ansi, "\n", indent));
}

}  // namespace tunovar
