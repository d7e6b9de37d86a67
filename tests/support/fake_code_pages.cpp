// Code pages other than Windows-1252 for tests.
#include "support/fake_code_pages.h"

#include <utility>

namespace tunovar {
namespace {

void AsciiFolds(CodePage::ByteTable& upper, CodePage::ByteTable& lower) {
  for (unsigned b = 0; b < 256; ++b) upper[b] = lower[b] = static_cast<char>(b);
  for (unsigned b = 'a'; b <= 'z'; ++b) {
    upper[b] = static_cast<char>(b - 32);
    lower[b - 32] = static_cast<char>(b);
  }
}

}  // namespace

CodePage FakeCodePage932() {
  CodePage::ByteSet leads{};
  for (unsigned b = 0x81; b <= 0x9F; ++b) leads[b] = true;
  for (unsigned b = 0xE0; b <= 0xFC; ++b) leads[b] = true;
  CodePage::ByteTable upper{}, lower{};
  AsciiFolds(upper, lower);
  return CodePage::Make(932, leads, upper, lower);
}

CodePage FakeCodePage1251() {
  CodePage::ByteTable upper{}, lower{};
  AsciiFolds(upper, lower);
  auto pair = [&](unsigned capital, unsigned small) {
    upper[small] = static_cast<char>(capital);
    lower[capital] = static_cast<char>(small);
  };
  for (unsigned b = 0xC0; b <= 0xDF; ++b) pair(b, b + 0x20);
  const std::pair<unsigned, unsigned> pairs[] = {
      {0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8D, 0x9D}, {0x8E, 0x9E}, {0x8F, 0x9F},
      {0xA1, 0xA2}, {0xA3, 0xBC}, {0xA5, 0xB4}, {0xA8, 0xB8}, {0xAA, 0xBA}, {0xAF, 0xBF}, {0xB2, 0xB3},
      {0xBD, 0xBE}};
  for (const auto& [capital, small] : pairs) pair(capital, small);
  return CodePage::Make(1251, CodePage::ByteSet{}, upper, lower);
}

}  // namespace tunovar
