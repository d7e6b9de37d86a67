// Tests of the list of strings kept in one block of bytes.
#include "base/string_list.h"
#include "support/string_list_printer.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tunovar {
namespace {

TEST(StringList, ItemsComeBackAsPutInForwardAndBackward) {
  StringList list{"", "a", "", "C:\\T\\b.txt"};
  list.push_back(std::string(300, 'x'));
  const std::vector<std::string> expected{"", "a", "", "C:\\T\\b.txt", std::string(300, 'x')};
  EXPECT_EQ(list, expected);
  EXPECT_TRUE(std::equal(list.rbegin(), list.rend(), expected.rbegin(), expected.rend()));
  EXPECT_EQ(list.back(), expected.back());
  list.Append(StringList{"y"});
  EXPECT_EQ(list.size(), 6u);
  list.clear();
  EXPECT_TRUE(list.empty());
}

TEST(StringList, KeepOnlyKeepsTheFlaggedItemsInOrder) {
  const StringList all{"one", "", "three", "four", "five"};
  struct Row {
    const char* name;
    std::vector<bool> keep;
    std::vector<std::string> kept;
  } rows[] = {
      {"all", {true, true, true, true, true}, {"one", "", "three", "four", "five"}},
      {"none", {false, false, false, false, false}, {}},
      {"every other", {true, false, true, false, true}, {"one", "three", "five"}},
      {"the first goes", {false, true, true, true, true}, {"", "three", "four", "five"}},
      {"flags missing at the end drop the rest", {true, true}, {"one", ""}},
  };
  for (const Row& row : rows) {
    StringList list = all;
    list.KeepOnly(row.keep);
    EXPECT_EQ(list, row.kept) << row.name;
  }
}

}  // namespace
}  // namespace tunovar
