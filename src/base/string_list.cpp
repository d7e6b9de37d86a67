// A list of strings kept in one block of bytes.
#include "base/string_list.h"

#include <algorithm>

namespace tunovar {

StringList::StringList(std::initializer_list<std::string_view> items) {
  for (std::string_view item : items) push_back(item);
}

void StringList::push_back(std::string_view item) {
  bytes_.append(item);
  ends_.push_back(bytes_.size());
}

void StringList::clear() {
  bytes_ = std::string();
  ends_ = std::vector<std::size_t>();
}

void StringList::KeepOnly(const std::vector<bool>& keep) {
  // The kept items move up in place: a long list is never held twice.
  std::size_t write = 0;  // bytes kept so far
  std::size_t kept = 0;
  std::size_t begin = 0;  // of item i, read before its slot may be written
  for (std::size_t i = 0; i < ends_.size(); ++i) {
    const std::size_t end = ends_[i];
    if (i < keep.size() && keep[i]) {
      if (write != begin) std::char_traits<char>::move(bytes_.data() + write, bytes_.data() + begin, end - begin);
      write += end - begin;
      ends_[kept++] = write;
    }
    begin = end;
  }
  bytes_.resize(write);
  bytes_.shrink_to_fit();
  ends_.resize(kept);
  ends_.shrink_to_fit();
}

void StringList::Append(const StringList& other) {
  for (std::string_view item : other) push_back(item);
}

bool operator==(const StringList& a, const std::vector<std::string>& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

}  // namespace tunovar
