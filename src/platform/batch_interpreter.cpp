// The interpreter of the self-removal batch.
#include "platform/batch_interpreter.h"

#include <algorithm>
#include <vector>

#include "base/ansi_text.h"
#include "base/text_lines.h"
#include "base/windows_path.h"

namespace tunovar {
namespace {

// Blanks and tabs around a command or an operand do not count.
std::string TrimLine(std::string_view s) { return Trim(s, kBlanksAndTabs); }

// The position of needle in s outside double quotes (letter case ignored), or npos.
std::size_t FindOutsideQuotes(std::string_view s, std::string_view needle) {
  bool quoted = false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '"') {
      quoted = !quoted;
      continue;
    }
    if (!quoted && EqualsNoCase(s.substr(i, needle.size()), needle)) return i;
  }
  return std::string_view::npos;
}

// A path operand: blanks around it dropped, then without its double quotes and with "%%"
// read as "%"; blanks inside the quotes belong to the path, at its ends too.
std::string Operand(std::string_view text) {
  const std::string trimmed = TrimLine(text);
  std::string out;
  for (std::size_t i = 0; i < trimmed.size(); ++i) {
    if (trimmed[i] == '"') continue;
    if (trimmed[i] == '%' && i + 1 < trimmed.size() && trimmed[i + 1] == '%') ++i;
    out += trimmed[i];
  }
  return out;
}

// The commands of a line joined by "|" or "&" (one inside double quotes belongs to a path).
// Both run in order here: the batch runs where a "|" chain does, and " & " is the same chain
// as NT-family Windows writes it.
std::vector<std::string> SplitChain(std::string_view line) {
  std::vector<std::string> out;
  std::size_t at = 0;
  while (true) {
    const std::size_t bar = std::min(FindOutsideQuotes(line.substr(at), "|"), FindOutsideQuotes(line.substr(at), "&"));
    if (bar == std::string_view::npos) {
      out.push_back(TrimLine(line.substr(at)));
      return out;
    }
    out.push_back(TrimLine(line.substr(at, bar)));
    at += bar + 1;
  }
}

// The text after a command word and its blank ("del X" -> "X"); nullopt when the command is
// another one.
std::optional<std::string_view> After(std::string_view command, std::string_view word) {
  if (!StartsWithNoCase(command, word)) return std::nullopt;
  if (command.size() == word.size()) return std::string_view();
  if (command[word.size()] != ' ' && command[word.size()] != '\t') return std::nullopt;
  return command.substr(word.size() + 1);
}

}  // namespace

BatchInterpreter::BatchInterpreter(FileSystem& fs, Clock& clock, std::uint32_t giveUpMs,
                                   std::uint32_t pauseMs, Pause pause)
    : fs_(fs), clock_(clock), giveUpMs_(giveUpMs), pauseMs_(pauseMs), pause_(std::move(pause)) {}

void BatchInterpreter::StopWhenOwnFileGoes(std::string ownFile, std::function<bool()> ownFileUnchanged) {
  ownFile_ = std::move(ownFile);
  ownFileUnchanged_ = std::move(ownFileUnchanged);
}

int BatchInterpreter::Run(std::string_view batch, const std::string& currentFolder) {
  current_ = currentFolder;
  ownFileDeleted_ = false;
  // The batch runs in the runtime folder of an installation; the folder chosen when
  // installing is two above it.
  realInstallation_.clear();
  if (auto parsed = ParseWindowsPath(currentFolder); parsed && parsed->components.size() > 2) {
    parsed->components.resize(parsed->components.size() - 2);
    parsed->trailingSeparator = true;
    if (const auto real = fs_.RealLocation(FormatWindowsPath(*parsed))) realInstallation_ = WithTrailingBackslash(*real);
  }
  gaveUp_ = 0;
  labels_.clear();
  waitingSince_.clear();
  const std::vector<std::string> lines = SplitLines(batch);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string line = TrimLine(lines[i]);
    if (line.size() < 2 || line[0] != ':') continue;
    std::string_view body = std::string_view(line).substr(1);
    body = body.substr(0, body.find_first_of(" \t"));
    labels_.emplace(UCase(body), i);  // the first label of a name counts
  }
  pc_ = 0;
  while (pc_ < lines.size()) {
    std::string line = TrimLine(lines[pc_]);
    if (!line.empty() && line[0] == '@') line = TrimLine(std::string_view(line).substr(1));
    std::size_t next = pc_ + 1;
    if (line.empty() || line[0] == ':') {
      pc_ = next;
      continue;
    }
    for (const std::string& command : SplitChain(line)) {
      std::size_t jumpTo = 0;
      const Flow flow = Execute(command, jumpTo);
      if (flow == Flow::kStop) return gaveUp_;
      if (flow == Flow::kJump) {
        next = jumpTo;
        break;
      }
    }
    pc_ = next;
  }
  return gaveUp_;
}

BatchInterpreter::Flow BatchInterpreter::Execute(std::string_view command, std::size_t& jumpTo) {
  std::string label;
  std::string waitedFor;  // the file of an "if exist" that jumps
  const auto del = After(command, "del");
  const auto rd = del ? std::nullopt : After(command, "rd");
  if (del || rd) {
    const std::string path = Operand(del ? *del : *rd);
    if (path.empty()) return Flow::kNext;
    if (!ownFile_.empty() && !ownFileDeleted_ && ownFileUnchanged_ && !ownFileUnchanged_()) return Flow::kStop;
    const std::string resolved = Resolve(path);
    if (!MayChange(resolved)) return Flow::kNext;
    if (rd) {
      (void)fs_.RemoveFolder(resolved);
    } else if (fs_.DeleteFile(resolved) == FsStatus::kOk && EqualsNoCase(resolved, ownFile_)) {
      ownFileDeleted_ = true;
    }
    return Flow::kNext;
  }
  if (EqualsNoCase(command, "cd..") || EqualsNoCase(TrimLine(After(command, "cd").value_or("")), "..")) {
    if (auto parsed = ParseWindowsPath(current_)) {
      if (!parsed->components.empty()) parsed->components.pop_back();
      parsed->trailingSeparator = false;
      current_ = FormatWindowsPath(*parsed);
      if (!parsed->components.empty() && current_.back() == '\\') current_.pop_back();
    }
    return Flow::kNext;
  }
  if (auto rest = After(command, "if")) {
    const std::string condition = TrimLine(*rest);
    const auto operand = After(condition, "exist");
    if (!operand) return Flow::kNext;
    // The blank before an empty operand belongs to " goto ".
    const std::string text = " " + std::string(*operand);
    const std::size_t go = FindOutsideQuotes(text, " goto ");
    if (go == std::string::npos) return Flow::kNext;
    const std::string path = Operand(std::string_view(text).substr(0, go));
    label = TrimLine(std::string_view(text).substr(go + 6));
    if (path.empty()) return Flow::kNext;
    waitedFor = Resolve(path);
    if (!fs_.EntryExists(waitedFor)) return Flow::kNext;
  } else if (auto target = After(command, "goto")) {
    label = TrimLine(*target);
  } else {
    return Flow::kNext;  // echo, rem and whatever else: passed over
  }

  if (!label.empty() && label[0] == ':') label.erase(0, 1);
  label = UCase(label);
  const auto found = labels_.find(label);
  if (found == labels_.end()) return Flow::kStop;  // a jump to no label ends the batch
  if (found->second <= pc_) {
    // A jump back: a waiting block for a file that is still there.
    const std::uint32_t now = clock_.TimeMs();
    const auto [since, first] = waitingSince_.emplace(label, now);
    // More than the give-up time: readings are cut to whole milliseconds, and a block must
    // not give up on a file a fraction of a millisecond before its time.
    if (!first && now - since->second > giveUpMs_) {
      ++gaveUp_;
      return Flow::kNext;
    }
    if (pause_ && !waitedFor.empty()) {
      pause_(waitedFor, pauseMs_);
    } else {
      clock_.SleepMs(pauseMs_);
    }
  }
  jumpTo = found->second;
  return Flow::kJump;
}

bool BatchInterpreter::MayChange(const std::string& path) const {
  const auto real = fs_.RealLocation(path);
  if (!real) return false;  // its folder is missing: nothing there to change
  if (EqualsNoCase(*real, path)) return true;
  return !realInstallation_.empty() && real->size() > realInstallation_.size() &&
         StartsWithNoCase(*real, realInstallation_);
}

std::string BatchInterpreter::Resolve(const std::string& path) const {
  if (path.size() >= 2 && path[1] == ':') return path;
  if (path[0] == '\\' || path[0] == '/') return current_.substr(0, 2) + path;
  if (!current_.empty() && current_.back() == '\\') return current_ + path;
  return current_ + "\\" + path;
}

}  // namespace tunovar
