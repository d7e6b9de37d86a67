// Removes a folder of a Windows test program with everything in it, read-only files included:
// each check starts from a folder of its own.
#pragma once

#include <string>

#include "platform/win32/win32.h"

namespace tunovar::testing {

inline void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA found{};
  const HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = folder + "\\" + name;
      ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        RemoveTree(path);
      } else {
        ::DeleteFileA(path.c_str());
      }
    } while (::FindNextFileA(find, &found));
    ::FindClose(find);
  }
  ::RemoveDirectoryA(folder.c_str());
}

}  // namespace tunovar::testing
