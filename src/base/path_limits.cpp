// How long a path the Windows ANSI file functions can create, replace and remove.
#include "base/path_limits.h"

#include "base/code_page.h"
#include "base/windows_path.h"

namespace tunovar {
namespace {

std::optional<PathTooLong> FolderPathTooLong(std::string_view folder) {
  if (EndsInBackslash(folder)) folder.remove_suffix(1);
  if (folder.size() <= kMaxFolderPath) return std::nullopt;
  return PathTooLong{std::string(folder), folder.size(), kMaxFolderPath};
}

}  // namespace

std::optional<PathTooLong> FilePathTooLong(std::string_view file) {
  if (file.size() > kMaxFilePath) return PathTooLong{std::string(file), file.size(), kMaxFilePath};
  // The folder part with its "\" and the temporary file's name must fit as well.
  const std::size_t slash = ActiveCodePage().FindLastChar(file, '\\');
  const std::size_t folderPart = slash == std::string_view::npos ? 0 : slash + 1;
  if (folderPart + kReplacementNameLength > kMaxFilePath) {
    return PathTooLong{std::string(file), folderPart + kReplacementNameLength, kMaxFilePath};
  }
  return std::nullopt;
}

std::optional<PathTooLong> FirstPathTooLong(const StringList& folders, const StringList& files) {
  for (const std::string_view folder : folders) {
    if (auto tooLong = FolderPathTooLong(folder)) return tooLong;
  }
  for (const std::string_view file : files) {
    if (auto tooLong = FilePathTooLong(file)) return tooLong;
  }
  return std::nullopt;
}

}  // namespace tunovar
