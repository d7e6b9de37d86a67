// The ANSI code page the program's texts and paths are in.
#include "base/code_page.h"

namespace tunovar {
namespace {

constexpr char UpperOf1252(unsigned char u) {
  if (u >= 'a' && u <= 'z') return static_cast<char>(u - 32);
  // Latin-1 lower-case letters, except the division sign and y with diaeresis.
  if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return static_cast<char>(u - 32);
  switch (u) {
    case 0x9A: return static_cast<char>(0x8A);  // s caron
    case 0x9C: return static_cast<char>(0x8C);  // oe
    case 0x9E: return static_cast<char>(0x8E);  // z caron
    case 0xFF: return static_cast<char>(0x9F);  // y diaeresis
    default: return static_cast<char>(u);
  }
}

constexpr char LowerOf1252(unsigned char u) {
  if (u >= 'A' && u <= 'Z') return static_cast<char>(u + 32);
  if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return static_cast<char>(u + 32);
  switch (u) {
    case 0x8A: return static_cast<char>(0x9A);
    case 0x8C: return static_cast<char>(0x9C);
    case 0x8E: return static_cast<char>(0x9E);
    case 0x9F: return static_cast<char>(0xFF);
    default: return static_cast<char>(u);
  }
}

// Every path the uninstaller and the installer compare passes through these byte by byte: a
// table costs one load a byte where the rules cost several comparisons.
template <char (*Of)(unsigned char)>
constexpr CodePage::ByteTable TableOf() {
  CodePage::ByteTable table{};
  for (unsigned i = 0; i < table.size(); ++i) table[i] = Of(static_cast<unsigned char>(i));
  return table;
}

CodePage& Active() {
  static CodePage active = CodePage::Windows1252();
  return active;
}

}  // namespace

CodePage CodePage::Windows1252() {
  static constexpr ByteTable kUpper = TableOf<UpperOf1252>();
  static constexpr ByteTable kLower = TableOf<LowerOf1252>();
  return Make(1252, ByteSet{}, kUpper, kLower);
}

CodePage CodePage::Make(std::uint16_t number, const ByteSet& leadBytes, const ByteTable& upper,
                        const ByteTable& lower) {
  CodePage out;
  out.number_ = number;
  out.lead_ = leadBytes;
  out.upper_ = upper;
  out.lower_ = lower;
  for (unsigned i = 0; i < 256; ++i) {
    if (!leadBytes[i]) continue;
    out.hasLeadBytes_ = true;
    out.upper_[i] = out.lower_[i] = static_cast<char>(i);
  }
  // NUL and the ASCII separators keep their meaning in every code page the program accepts.
  for (const unsigned char kept : {'\0', '\\', '/', ':', '.', ' '}) {
    out.lead_[kept] = false;
    out.upper_[kept] = out.lower_[kept] = static_cast<char>(kept);
  }
  return out;
}

bool CodePage::IsCharBoundary(std::string_view text, std::size_t at) const {
  if (at > text.size()) return false;
  if (!hasLeadBytes_) return true;
  std::size_t i = 0;
  while (i < at) i += CharLength(text, i);
  return i == at;
}

std::size_t CodePage::FindLastChar(std::string_view text, char c) const {
  if (!hasLeadBytes_) return text.rfind(c);
  std::size_t found = std::string_view::npos;
  for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) {
    if (text[i] == c) found = i;
  }
  return found;
}

std::size_t CodePage::FindChar(std::string_view text, char c, std::size_t from) const {
  if (!hasLeadBytes_) return text.find(c, from);
  for (std::size_t i = from; i < text.size(); i += CharLength(text, i)) {
    if (text[i] == c) return i;
  }
  return std::string_view::npos;
}

const CodePage& ActiveCodePage() { return Active(); }

void UseCodePage(const CodePage& codePage) { Active() = codePage; }

std::string_view UnsupportedCodePageReason(std::uint16_t number, unsigned maxCharSize) {
  if (maxCharSize > 2 || number == 65001 || number == 65000) {
    return "its characters take up to four bytes (UTF-8 set as the system's code page for programs "
           "that do not use Unicode), and paths in it cannot be split safely";
  }
  if (maxCharSize == 0) return "the system does not describe it";
  return "";
}

}  // namespace tunovar
