// A list of strings kept in one block of bytes: the lists of an installation (sources,
// destinations, the removal list) hold tens of thousands of paths, and a string object of
// its own for each would cost about twice the path's bytes again.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace tunovar {

class StringList {
 public:
  class const_iterator {
   public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = std::string_view;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = std::string_view;

    const_iterator() = default;
    const_iterator(const StringList* list, std::size_t at) : list_(list), at_(at) {}
    std::string_view operator*() const { return (*list_)[at_]; }
    std::string_view operator[](difference_type n) const { return (*list_)[at_ + n]; }
    const_iterator& operator++() { ++at_; return *this; }
    const_iterator operator++(int) { auto old = *this; ++at_; return old; }
    const_iterator& operator--() { --at_; return *this; }
    const_iterator operator--(int) { auto old = *this; --at_; return old; }
    const_iterator& operator+=(difference_type n) { at_ += n; return *this; }
    const_iterator& operator-=(difference_type n) { at_ -= n; return *this; }
    friend const_iterator operator+(const_iterator i, difference_type n) { return i += n; }
    friend const_iterator operator+(difference_type n, const_iterator i) { return i += n; }
    friend const_iterator operator-(const_iterator i, difference_type n) { return i -= n; }
    friend difference_type operator-(const const_iterator& a, const const_iterator& b) {
      return static_cast<difference_type>(a.at_) - static_cast<difference_type>(b.at_);
    }
    friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.at_ == b.at_; }
    friend auto operator<=>(const const_iterator& a, const const_iterator& b) { return a.at_ <=> b.at_; }

   private:
    const StringList* list_ = nullptr;
    std::size_t at_ = 0;
  };
  using iterator = const_iterator;
  using value_type = std::string_view;
  using size_type = std::size_t;
  using reverse_iterator = std::reverse_iterator<const_iterator>;

  StringList() = default;
  StringList(std::initializer_list<std::string_view> items);

  void push_back(std::string_view item);
  [[nodiscard]] std::size_t size() const { return ends_.size(); }
  [[nodiscard]] bool empty() const { return ends_.empty(); }
  [[nodiscard]] std::string_view operator[](std::size_t i) const {
    const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(bytes_).substr(begin, ends_[i] - begin);
  }
  [[nodiscard]] std::string_view back() const { return (*this)[size() - 1]; }
  [[nodiscard]] const_iterator begin() const { return {this, 0}; }
  [[nodiscard]] const_iterator end() const { return {this, size()}; }
  [[nodiscard]] reverse_iterator rbegin() const { return reverse_iterator(end()); }
  [[nodiscard]] reverse_iterator rend() const { return reverse_iterator(begin()); }
  void clear();
  // Keeps the items whose flag is true, in order, and lets go of the room of the others.
  void KeepOnly(const std::vector<bool>& keep);
  // Appends every item of other.
  void Append(const StringList& other);
  // The bytes of all items together.
  [[nodiscard]] std::size_t Bytes() const { return bytes_.size(); }
  // Makes room for this many items and bytes in all, so that a list filled item by item to a
  // known size does not grow past it in steps.
  void Reserve(std::size_t items, std::size_t bytes) {
    ends_.reserve(items);
    bytes_.reserve(bytes);
  }

  friend bool operator==(const StringList& a, const StringList& b) {
    return a.ends_ == b.ends_ && a.bytes_ == b.bytes_;
  }
  friend bool operator==(const StringList& a, const std::vector<std::string>& b);

 private:
  std::string bytes_;                // every item, one after the other
  std::vector<std::size_t> ends_;  // where each item ends in bytes_
};

}  // namespace tunovar
