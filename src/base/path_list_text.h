// The text of a message box that names paths: a heading, the first paths, then how many more.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tunovar {

// So many paths fit a box on a screen of 640 x 480; the log names them all.
inline constexpr std::size_t kPathsShown = 15;

// The heading, then each of the first `shown` paths on a line of its own, then "and N more"
// when there are more; lines are joined with CR LF. A control character of a path (which no
// name holds, but a list line may) is shown as "\xNN": raw, it would end the text early or
// break its lines.
[[nodiscard]] std::string PathListText(std::string_view heading, const std::vector<std::string>& paths,
                                       std::size_t shown = kPathsShown);

}  // namespace tunovar
