// Windows path rules as pure text: drive letters, components, trailing backslashes, names that
// Windows cannot hold or reads as steps. No file system here, so the rules are tested on any
// host and every layer applies the same ones. Paths are in the code page in effect
// (base/code_page.h): the second byte of a character of two bytes is never a separator, nor a
// character no name can hold.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tunovar {

// "\" and "/" both separate the components of a Windows path.
inline constexpr std::string_view kPathSeparators = "\\/";

// A letter that can name a drive ("A" to "Z", either case).
[[nodiscard]] bool IsDriveLetter(char c);

// A character no Windows file or folder name can hold: a control character, < > : " | ? *.
// Inline: it is asked for every character of every path the file system is given.
[[nodiscard]] inline bool ForbiddenInName(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u < 0x20) return true;
  switch (c) {
    case '<': case '>': case ':': case '"': case '|': case '?': case '*': return true;
    default: return false;
  }
}

// What a text is checked as: one name, or a whole path, in which "\" and "/" separate the
// names and the second character may be the colon of a drive letter ("C:").
enum class NameScope { kComponent, kWholePath };
// The text holds a character that no name can hold where it stands.
[[nodiscard]] bool HoldsForbiddenCharacter(std::string_view text, NameScope scope);

// A component that Windows reads as a step upwards or as no step at all ("..", ".", "...",
// ".. "): it drops trailing dots and blanks from names. An empty component is none of these.
[[nodiscard]] bool IsDotsComponent(std::string_view component);

// The path holds such a component ("/" separates components as "\" does). The installer
// places no such list line, the uninstaller acts on no such entry, and the batch's folder
// chain stops below one.
[[nodiscard]] bool HasDotsComponent(std::string_view path);

// A component that Windows reads as a device, not a file: CON, PRN, AUX, NUL, CONIN$,
// CONOUT$, COM0 to COM9 and LPT0 to LPT9 (also with the superscript digits 1, 2, 3), letter
// case ignored, with or without an extension ("con.txt") and trailing blanks before it.
[[nodiscard]] bool IsDeviceName(std::string_view component);
// The path holds such a component. The installer places no such list line and the uninstaller
// acts on no such entry: a write or a deletion there would go to the device.
[[nodiscard]] bool HasDeviceComponent(std::string_view path);

// The text holds a "\" or "/" that separates (not the second byte of a character).
[[nodiscard]] bool HoldsPathSeparator(std::string_view text);

// The components of a path as written, split at "\" and "/"; empty ones ("\\") left out.
[[nodiscard]] std::vector<std::string_view> PathComponents(std::string_view path);

// The names of a path split at any of the separators, with empty names and "." dropped and
// ".." taking back the name before it (at the first name it stays there): how Windows, and a
// POSIX host with "/", walk a path.
[[nodiscard]] std::vector<std::string_view> NormalComponents(
    std::string_view path, std::string_view separators = kPathSeparators);

// The text ends in "\" (a folder path as the installer writes it).
[[nodiscard]] bool EndsInBackslash(std::string_view path);
// With one "\" added when it does not end in one; an empty text stays empty.
[[nodiscard]] std::string WithTrailingBackslash(std::string_view path);
// Without its final "\", when it has one.
[[nodiscard]] std::string WithoutTrailingBackslash(std::string_view path);
// The folder the last component lies in: the text up to and including its last "\"; "" when
// it holds none.
[[nodiscard]] std::string FolderOfPath(std::string_view path);
// "X:\", "X:", "\" or "\\": a folder with nothing above it on its drive ("" too).
[[nodiscard]] bool IsRootFolder(std::string_view folder);

// A full Windows path: the drive letter (upper case) and the components below its root, with
// "." and ".." applied as Windows applies them (".." at the root stays at the root), empty
// components dropped and "/" taken as a separator like "\".
struct WindowsPath {
  char drive = 0;
  std::vector<std::string> components;  // names in the code page in effect
  bool trailingSeparator = false;       // the text ended in "\" (a folder)
};

// nullopt for a path without a drive letter (relative, rooted, UNC), a NUL byte, or a name that
// holds a character no Windows name can hold.
[[nodiscard]] std::optional<WindowsPath> ParseWindowsPath(std::string_view path);

// "C:\A\B", with a final "\" for a drive root or when trailingSeparator is set.
[[nodiscard]] std::string FormatWindowsPath(const WindowsPath& path);

// A folder path in the form Windows resolves it to, ending in "\": "X:\" followed by its names
// ("/" separates them as "\" does),
// "." dropped, ".." taking back the name before it (at the root it stays there), and the
// trailing dots and blanks of each name removed ("C:\Games...\" is the folder C:\Games\).
// nullopt when the text does not start with a drive letter, ":" and "\" (a relative or
// rooted path, "C:x", a network path), holds a character no name can hold, or a name of dots
// and blanks only other than "." and "..", whose meaning differs between Windows versions.
[[nodiscard]] std::optional<std::string> ResolvedFolderPath(std::string_view path);

// The long form of a path as GetLongPathNameA gives it, made from the name of each component
// as the folder above it lists it, for Windows that lacks the call (95, NT 4). The root ("X:\",
// "\\server\share\") stays as written, "." and ".." stay as they are, and a trailing "\" is
// kept; listedName is asked for each path from the root up to and including one more name and
// gives that name's spelling on disk (the long one). "" when it finds a name nowhere, when a
// name holds "*" or "?" (a listing would match other names) or the path has no root.
[[nodiscard]] std::string LongPathByComponents(
    std::string_view path, const std::function<std::optional<std::string>(const std::string&)>& listedName);

}  // namespace tunovar
