// Program Manager's command strings carried out as XDG menu entries.
#include "platform/posix/xdg_menu.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>

#include "base/ansi_text.h"
#include "base/text_lines.h"
#include "base/ansi_utf8.h"
#include "platform/posix/file_system_posix.h"
#include "platform/posix/host_files.h"
#include "platform/posix/unique_fd.h"

namespace tunovar::posix {
namespace {

struct Command {
  std::string name;
  std::string arguments;  // the text between the parentheses
};

// "[A(x)][B(y)]" -> {A, x}, {B, y}; nullopt when the text is not a row of bracketed commands.
std::optional<std::vector<Command>> ParseCommands(std::string_view text) {
  std::vector<Command> out;
  std::size_t at = 0;
  while (true) {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\r' || text[at] == '\n')) ++at;
    if (at == text.size()) break;
    if (text[at] != '[') return std::nullopt;
    Command command;
    std::size_t nameEnd = text.find_first_of("(]", at + 1);
    if (nameEnd == std::string_view::npos) return std::nullopt;
    command.name = Trim(text.substr(at + 1, nameEnd - at - 1));
    if (text[nameEnd] == ']') {
      at = nameEnd + 1;
    } else {
      // The arguments end at the first ")]" outside double quotes.
      bool quoted = false;
      std::size_t end = std::string_view::npos;
      for (std::size_t i = nameEnd + 1; i + 1 < text.size(); ++i) {
        if (text[i] == '"') quoted = !quoted;
        if (!quoted && text[i] == ')' && text[i + 1] == ']') {
          end = i;
          break;
        }
      }
      if (end == std::string_view::npos) return std::nullopt;
      command.arguments = std::string(text.substr(nameEnd + 1, end - nameEnd - 1));
      at = end + 2;
    }
    if (command.name.empty()) return std::nullopt;
    out.push_back(std::move(command));
  }
  return out;
}

// Arguments split at commas outside double quotes, without the quotes, blanks around removed.
std::vector<std::string> SplitArguments(std::string_view text) {
  std::vector<std::string> out;
  std::string current;
  bool quoted = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      out.push_back(Trim(current));
      current.clear();
    } else {
      current += c;
    }
  }
  out.push_back(Trim(current));
  return out;
}

// A string value of a desktop entry: backslash, line ends and tabs escaped, and a leading
// blank kept.
std::string EscapeValue(std::string_view utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const char c = utf8[i];
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case ' ': out += i == 0 ? "\\s" : " "; break;
      default: out += c;
    }
  }
  return out;
}

std::string UnescapeValue(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    switch (value[++i]) {
      case 's': out += ' '; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      default: out += value[i];
    }
  }
  return out;
}

// The value of key in the text of a desktop entry file, as Windows-1252 text.
std::optional<std::string> KeyOf(std::string_view entry, std::string_view key) {
  for (const std::string& line : SplitLines(entry)) {
    if (line.size() > key.size() && line.compare(0, key.size(), key) == 0 && line[key.size()] == '=') {
      return Utf8ToAnsiLossy(UnescapeValue(std::string_view(line).substr(key.size() + 1)));
    }
  }
  return std::nullopt;
}

// Names in folder that start with prefix and end with suffix, sorted.
std::vector<std::string> FilesOf(const std::string& folder, std::string_view prefix, std::string_view suffix) {
  std::vector<std::string> out;
  const UniqueDir dir(opendir(folder.c_str()));
  if (!dir) return out;
  while (const dirent* entry = readdir(dir.get())) {
    const std::string_view name(entry->d_name);
    if (name.size() > prefix.size() + suffix.size() && name.substr(0, prefix.size()) == prefix &&
        name.substr(name.size() - suffix.size()) == suffix) {
      out.emplace_back(name);
    }
  }
  std::sort(out.begin(), out.end());
  return out;
}

bool HostFileExists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

std::string MenuFileText(const std::string& id) {
  return "<!DOCTYPE Menu PUBLIC \"-//freedesktop//DTD Menu 1.0//EN\"\n"
         " \"http://www.freedesktop.org/standards/menu-spec/1.0/menu.dtd\">\n"
         "<Menu>\n"
         "  <Name>Applications</Name>\n"
         "  <Menu>\n"
         "    <Name>" + id + "</Name>\n"
         "    <Directory>" + id + ".directory</Directory>\n"
         "    <Include>\n"
         "      <Category>X-" + id + "</Category>\n"
         "    </Include>\n"
         "  </Menu>\n"
         "</Menu>\n";
}

std::string DirectoryFileText(const std::string& groupName) {
  const std::string name = EscapeValue(AnsiToUtf8(groupName));
  return "[Desktop Entry]\nType=Directory\nName=" + name + "\nX-Tunovar-Group=" + name + "\n";
}

}  // namespace

std::string MenuSlug(std::string_view name) {
  std::string out;
  bool dash = false;
  for (char c : name) {
    const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    if ((lower >= 'a' && lower <= 'z') || (lower >= '0' && lower <= '9')) {
      if (dash && !out.empty()) out += '-';
      out += lower;
      dash = false;
    } else {
      dash = true;
    }
  }
  return out.empty() ? "x" : out;
}

std::string DesktopExecArgument(std::string_view hostPath) {
  // Inside double quotes, " ` $ and \ take a backslash; % is written %% as it would start a
  // field code. Then the value as a whole escapes its backslashes once more.
  std::string quoted = "\"";
  for (char c : hostPath) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    if (c == '%') quoted += '%';
    quoted += c;
  }
  quoted += '"';
  std::string out;
  for (char c : quoted) {
    if (c == '\\') out += '\\';
    out += c;
  }
  return out;
}

XdgMenu::XdgMenu(PosixFileSystem& fs, std::string dataHome, std::string configHome)
    : fs_(fs), dataHome_(std::move(dataHome)), configHome_(std::move(configHome)) {}

DdeStatus XdgMenu::Execute(std::string_view commands) {
  const auto parsed = ParseCommands(commands);
  if (!parsed || parsed->empty()) return DdeStatus::kNotProcessed;
  for (const Command& command : *parsed) {
    const std::vector<std::string> args = SplitArguments(command.arguments);
    const bool quoted = command.arguments.find('"') != std::string::npos;
    // The whole argument text, or its first argument when it is quoted.
    const std::string single = quoted ? args[0] : Trim(command.arguments);
    // The group's name, then its file or how to show it: a name holds no path, so the last
    // comma parts them.
    const std::string group =
        quoted ? args[0] : Trim(command.arguments.substr(0, command.arguments.rfind(',')));
    DdeStatus status = DdeStatus::kNotProcessed;
    if (EqualsNoCase(command.name, "CreateGroup")) {
      status = CreateGroup(group);
    } else if (EqualsNoCase(command.name, "ShowGroup")) {
      status = ShowGroup(group);
    } else if (EqualsNoCase(command.name, "AddItem")) {
      // Written as "command, name,,,": the first ", " ends the command line, so a command
      // holding a comma and a name holding one both stay whole.
      const std::string& text = command.arguments;
      const std::size_t split = text.find(", ");
      if (!quoted && split != std::string::npos && EndsWithNoCase(text, ",,,")) {
        status = AddItem(Trim(text.substr(0, split)),
                         Trim(text.substr(split + 2, text.size() - split - 5)));
      } else {
        status = AddItem(args[0], args.size() > 1 ? args[1] : "");
      }
    } else if (EqualsNoCase(command.name, "ReplaceItem")) {
      status = ReplaceItem(single);
    } else if (EqualsNoCase(command.name, "DeleteGroup")) {
      status = DeleteGroup(single);
    }
    if (status != DdeStatus::kDone) return status;
  }
  return DdeStatus::kDone;
}

std::optional<std::string> XdgMenu::FindGroup(const std::string& name) const {
  for (const std::string& file : FilesOf(DirectoriesFolder(), "tunovar-", ".directory")) {
    const auto entry = ReadHostFile(DirectoriesFolder() + "/" + file);
    const auto group = entry ? KeyOf(*entry, "X-Tunovar-Group") : std::nullopt;
    if (group && EqualsNoCase(*group, name)) return file.substr(0, file.size() - 10);
  }
  return std::nullopt;
}

std::vector<std::string> XdgMenu::FindItems(const std::string& group, const std::string* itemName) const {
  std::vector<std::string> out;
  for (const std::string& file : FilesOf(ApplicationsFolder(), "tunovar-", ".desktop")) {
    const auto entry = ReadHostFile(ApplicationsFolder() + "/" + file);
    if (!entry) continue;
    const auto owner = KeyOf(*entry, "X-Tunovar-Group");
    if (!owner || !EqualsNoCase(*owner, group)) continue;
    if (itemName != nullptr) {
      const auto item = KeyOf(*entry, "X-Tunovar-Item");
      if (!item || !EqualsNoCase(*item, *itemName)) continue;
    }
    out.push_back(file);
  }
  return out;
}

DdeStatus XdgMenu::CreateGroup(const std::string& name) {
  if (name.empty()) return DdeStatus::kNotProcessed;
  std::optional<std::string> id = FindGroup(name);
  if (!id) {
    const std::string base = "tunovar-" + MenuSlug(name);
    id = base;
    for (int n = 2; HostFileExists(DirectoriesFolder() + "/" + *id + ".directory"); ++n) {
      id = base + "-" + DecimalText(n);
    }
    if (!WriteHostFile(DirectoriesFolder() + "/" + *id + ".directory", DirectoryFileText(name))) {
      return DdeStatus::kNotProcessed;
    }
  }
  const std::string menu = MenusFolder() + "/" + *id + ".menu";
  if (!HostFileExists(menu) && !WriteHostFile(menu, MenuFileText(*id))) return DdeStatus::kNotProcessed;
  current_ = name;
  return DdeStatus::kDone;
}

DdeStatus XdgMenu::ShowGroup(const std::string& name) {
  if (!FindGroup(name)) return DdeStatus::kNotProcessed;
  current_ = name;
  return DdeStatus::kDone;
}

DdeStatus XdgMenu::AddItem(const std::string& command, const std::string& name) {
  const auto id = current_.empty() ? std::nullopt : FindGroup(current_);
  if (!id || command.empty()) return DdeStatus::kNotProcessed;
  const auto host = fs_.HostPath(command);
  if (!host) return DdeStatus::kNotProcessed;
  // Without a name, Program Manager names the item after its program.
  std::string itemName = name;
  if (itemName.empty()) {
    itemName = command.substr(command.find_last_of("\\/") + 1);
    itemName = itemName.substr(0, itemName.rfind('.'));
  }
  std::string file;
  if (const auto existing = FindItems(current_, &itemName); !existing.empty()) {
    file = existing.front();
  } else {
    const std::string base = *id + "-" + MenuSlug(itemName);
    file = base + ".desktop";
    for (int n = 2; HostFileExists(ApplicationsFolder() + "/" + file); ++n) {
      file = base + "-" + DecimalText(n) + ".desktop";
    }
  }
  const std::string folder = host->substr(0, std::max<std::size_t>(host->rfind('/'), 1));
  // A document (the help file, a text) opens with the program the desktop has for it; a
  // program, with or without a Windows extension, is run itself.
  const std::string lastName = command.substr(command.find_last_of("\\/") + 1);
  const std::size_t dot = lastName.rfind('.');
  const std::string extension = dot == std::string::npos ? "" : LCase(lastName.substr(dot + 1));
  const bool program = extension.empty() || extension == "exe" || extension == "com" || extension == "bat" ||
                       extension == "pif";
  const std::string exec = (program ? "" : "xdg-open ") + DesktopExecArgument(*host);
  const std::string text = "[Desktop Entry]\nType=Application\nName=" + EscapeValue(AnsiToUtf8(itemName)) +
                           "\nExec=" + exec + "\nPath=" + EscapeValue(folder) +
                           "\nTerminal=false\nCategories=X-" + *id + ";\nX-Tunovar-Group=" +
                           EscapeValue(AnsiToUtf8(current_)) + "\nX-Tunovar-Item=" +
                           EscapeValue(AnsiToUtf8(itemName)) + "\n";
  return WriteHostFile(ApplicationsFolder() + "/" + file, text) ? DdeStatus::kDone : DdeStatus::kNotProcessed;
}

DdeStatus XdgMenu::ReplaceItem(const std::string& name) {
  if (current_.empty() || name.empty()) return DdeStatus::kNotProcessed;
  const auto items = FindItems(current_, &name);
  if (items.empty()) return DdeStatus::kNotProcessed;
  for (const std::string& file : items) RemoveHostFile(ApplicationsFolder() + "/" + file);
  return DdeStatus::kDone;
}

DdeStatus XdgMenu::DeleteGroup(const std::string& name) {
  if (name.empty()) return DdeStatus::kNotProcessed;
  const auto id = FindGroup(name);
  if (!id) return DdeStatus::kNotProcessed;
  for (const std::string& file : FindItems(name, nullptr)) RemoveHostFile(ApplicationsFolder() + "/" + file);
  RemoveHostFile(MenusFolder() + "/" + *id + ".menu");
  RemoveHostFile(DirectoriesFolder() + "/" + *id + ".directory");
  if (EqualsNoCase(current_, name)) current_.clear();
  return DdeStatus::kDone;
}

}  // namespace tunovar::posix
