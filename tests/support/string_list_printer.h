// How a failed expectation shows a StringList: its items, quoted. Kept out of the program,
// where a stream operator would link the whole of the standard library's locale support
// into install.exe.
#pragma once

#include <ostream>

#include "base/string_list.h"

namespace tunovar {

inline void PrintTo(const StringList& list, std::ostream* out) {
  *out << '{';
  for (std::size_t i = 0; i < list.size(); ++i) *out << (i == 0 ? "\"" : ", \"") << list[i] << '"';
  *out << '}';
}

}  // namespace tunovar
