// Tests of the names of one host folder found by their Windows key.
#include "base/folder_name_set.h"

#include <gtest/gtest.h>

#include "base/disk_names.h"

namespace tunovar {
namespace {

FolderNameSet NamesOf(std::initializer_list<const char*> names) {
  FolderNameSet set;
  for (const char* name : names) set.Add(*KeyOfDiskName(name), name);
  return set;
}

TEST(FolderNameSetPosix, ANameIsFoundInAnyCaseAndTheSmallestOfSeveralSpellingsWins) {
  const FolderNameSet set = NamesOf({"Readme.TXT", "readme.txt", "README.txt", "other", "\xC3\xA4rger.txt"});
  struct Row {
    const char* name;
    std::string_view key;
    std::string_view preferred;
    std::optional<std::string> spelling;
  } rows[] = {
      {"exact spelling preferred", "README.TXT", "readme.txt", "readme.txt"},
      {"smallest without a preference", "README.TXT", "", "README.txt"},
      {"preferred name missing", "README.TXT", "ReadMe.txt", "README.txt"},
      {"one spelling", "OTHER", "OTHER", "other"},
      {"Windows-1252 key of a UTF-8 name", "\xC4RGER.TXT", "", "\xC3\xA4rger.txt"},
      {"missing key", "MISSING", "missing", std::nullopt},
  };
  for (const Row& row : rows) EXPECT_EQ(set.Spelling(row.key, row.preferred), row.spelling) << row.name;
  EXPECT_EQ(set.size(), 5u);
}

TEST(FolderNameSetPosix, AddingTwiceKeepsOneAndRemovingTakesOnlyThatSpelling) {
  FolderNameSet set = NamesOf({"a.txt", "a.txt", "A.TXT"});
  EXPECT_EQ(set.size(), 2u);
  set.Remove("A.TXT", "a.txt");
  EXPECT_FALSE(set.Contains("A.TXT", "a.txt"));
  EXPECT_TRUE(set.Contains("A.TXT", "A.TXT"));
  EXPECT_EQ(set.Spelling("A.TXT", "a.txt"), "A.TXT");
  set.Remove("A.TXT", "A.TXT");
  set.Remove("A.TXT", "A.TXT");  // gone already: nothing happens
  EXPECT_EQ(set.size(), 0u);
  EXPECT_EQ(set.Spelling("A.TXT"), std::nullopt);
}

}  // namespace
}  // namespace tunovar
