// The removal list read back as the uninstaller reads it.
#include "formats/removal_list.h"

#include <gtest/gtest.h>

namespace tunovar {
namespace {

TEST(ParseRemovalList, WhatTheInstallationWroteComesBack) {
  const std::string text = RemovalListText(2, {"C:\\T\\TUNOVAR\\a.exe", "C:\\T\\TUNOVAR\\data\\"}, "C:\\T\\") +
                           FolderEntriesText({"C:\\T\\TUNOVAR\\data\\"});
  BytesLines lines(text);
  const RemovalList list = ParseRemovalList(lines);
  EXPECT_EQ(list.code, 0);
  EXPECT_EQ(list.language, 2);
  std::vector<std::string> shown;
  for (const RemovalEntry& e : list.entries) shown.push_back((e.folder ? "folder " : "file ") + std::string(e.path));
  EXPECT_EQ(shown, (std::vector<std::string>{"file C:\\T\\TUNOVAR\\tunodoc.gid", "file C:\\T\\TUNOVAR\\burn.lst",
                                             "file C:\\T\\TUNOVAR\\data\\", "file C:\\T\\TUNOVAR\\a.exe",
                                             "folder C:\\T\\TUNOVAR\\data\\"}));
  EXPECT_EQ(list.entries.back().line, "#C:\\T\\TUNOVAR\\data\\");
}

TEST(ParseRemovalList, LanguageBlankEntriesAndTheLimit) {
  struct Row {
    const char* name;
    std::string bytes;
    std::size_t maxBytes;
    std::int32_t code;
    std::optional<std::int32_t> language;
    std::size_t entries;
  };
  const Row rows[] = {
      {"empty file", "", 100, 0, std::nullopt, 0},
      {"language not a number", "x\r\nC:\\a\r\n", 100, 0, std::nullopt, 1},
      {"blank and bare # lines name nothing", " 0 \r\n\r\n   \r\n#\r\n#  \r\nC:\\a\r\n", 100, 0, 0, 1},
      {"exactly at the limit (CR LF counted)", " 1 \r\nC:\\a\r\n", 11, 0, 1, 1},
      {"one byte over the limit", " 1 \r\nC:\\a\r\n", 10, 1, std::nullopt, 0},
      {"empty lines count against the limit", " 1 \r\n" + std::string(50, '\n'), 60, 1, std::nullopt, 0},
  };
  for (const Row& r : rows) {
    BytesLines lines(r.bytes);
    const RemovalList list = ParseRemovalList(lines, r.maxBytes);
    EXPECT_EQ(list.code, r.code) << r.name;
    EXPECT_EQ(list.language, r.language) << r.name;
    EXPECT_EQ(list.entries.size(), r.entries) << r.name;
  }
}

}  // namespace
}  // namespace tunovar
