// The text of a box that names paths: the first fifteen, then how many more, control
// characters shown as escapes.
#include <gtest/gtest.h>

#include "base/path_list_text.h"

namespace tunovar {
namespace {

TEST(PathListText, NamesTheFirstPathsThenHowManyMoreAndEscapesControlCharacters) {
  EXPECT_EQ(PathListText("These stay:", {"C:\\a", std::string("C:\\b\0c", 6), "C:\\d\re\x7F"}),
            "These stay:\r\nC:\\a\r\nC:\\b\\x00c\r\nC:\\d\\x0De\\x7F");
  EXPECT_EQ(PathListText("H", {"1", "2", "3"}, 2), "H\r\n1\r\n2\r\nand 1 more");
  EXPECT_EQ(PathListText("H", {"\xE4\xDF"}), "H\r\n\xE4\xDF");  // Windows-1252 letters as they are
}

}  // namespace
}  // namespace tunovar
