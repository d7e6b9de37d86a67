// Code pages other than Windows-1252 for tests: a double-byte one laid out as 932 (Japanese)
// and the single-byte 1251 (Cyrillic), and a scope that puts one in effect.
#pragma once

#include "base/code_page.h"

namespace tunovar {

// Lead bytes 0x81..0x9F and 0xE0..0xFC as in 932; only ASCII folds, as there.
[[nodiscard]] CodePage FakeCodePage932();
// The letters of 1251: А..Я / а..я and the pairs of 0x80..0xBF (Ђ ђ, Ё ё, Ї ї, ...).
[[nodiscard]] CodePage FakeCodePage1251();

// Puts a code page in effect for the test's scope, then Windows-1252 again.
class ScopedCodePage {
 public:
  explicit ScopedCodePage(const CodePage& codePage) { UseCodePage(codePage); }
  ~ScopedCodePage() { UseCodePage(CodePage::Windows1252()); }
  ScopedCodePage(const ScopedCodePage&) = delete;
  ScopedCodePage& operator=(const ScopedCodePage&) = delete;
};

}  // namespace tunovar
