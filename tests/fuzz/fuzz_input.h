// What every fuzz target shares: the entry point, the check of a property, and the taking
// of values from the fuzzer's bytes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

// The entry point each target defines; libFuzzer calls it, and so does the corpus replay.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace tunovar::fuzz {

// A property that does not hold is a finding like a crash: libFuzzer keeps the input, the
// corpus replay fails.
inline void Require(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "property does not hold: %s\n", property);
  std::abort();
}

// The fuzzer's bytes taken front to back; past their end every value is empty or zero.
class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size)
      : bytes_(reinterpret_cast<const char*>(data), size) {}

  [[nodiscard]] bool Empty() const { return bytes_.empty(); }
  [[nodiscard]] std::string_view Rest() const { return bytes_; }

  [[nodiscard]] std::uint8_t Byte() {
    if (bytes_.empty()) return 0;
    const auto b = static_cast<std::uint8_t>(bytes_.front());
    bytes_.remove_prefix(1);
    return b;
  }

  // A value from 0 to n - 1.
  [[nodiscard]] int Below(int n) { return n <= 0 ? 0 : Byte() % n; }

  // The bytes up to the next terminator (not included) or the end, at most maxSize of them.
  [[nodiscard]] std::string Piece(char terminator, std::size_t maxSize) {
    const std::size_t end = bytes_.find(terminator);
    const std::size_t n = std::min(end == std::string_view::npos ? bytes_.size() : end, maxSize);
    std::string out(bytes_.substr(0, n));
    bytes_.remove_prefix(n);
    if (!bytes_.empty() && bytes_.front() == terminator) bytes_.remove_prefix(1);
    return out;
  }

 private:
  std::string_view bytes_;
};

}  // namespace tunovar::fuzz
