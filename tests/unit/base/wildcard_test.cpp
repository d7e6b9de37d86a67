// Tests of the file-name match of a directory search.
#include "base/wildcard.h"

#include <gtest/gtest.h>

namespace tunovar {
namespace {

TEST(WildcardMatch, AsADirectorySearchOfWindowsMatches) {
  struct Row {
    const char* pattern;
    const char* name;
    bool match;
  };
  const Row rows[] = {
      {"*", "readme.txt", true},
      {"*.*", "readme.txt", true},
      {"*.*", "README", true},  // every name, with a dot or without
      {"*.txt", "README.TXT", true},
      {"*.txt", "readme.txt.bak", false},
      {"?_texte.txt", "1_TEXTE.TXT", true},
      {"?_texte.txt", "12_texte.txt", false},
      {"a*b*c", "aXbYbZc", true},
      {"a*b*c", "aXbYbZ", false},
      {"*", "", true},
      {"", "x", false},
      {"m\xFC*", "M\xDCSIK", true},  // letter case of Latin-1 letters ignored too
  };
  for (const Row& r : rows) EXPECT_EQ(WildcardMatch(r.pattern, r.name), r.match) << r.pattern << " " << r.name;
}

}  // namespace
}  // namespace tunovar
