// The ANSI code page the program's texts and paths are in: which bytes open a character of two
// bytes, and how a character of one byte folds letter case.
//
// Windows reads every path of the A functions in the system's ANSI code page. On a double-byte
// one (932 Japanese, 936 Simplified Chinese, 949 Korean, 950 Traditional Chinese) the second
// byte of a character may be any of 0x40..0xFE, "\" (0x5C) and "|" (0x7C) among them: such a
// byte belongs to its character, is never a separator and is never folded. Single-byte code
// pages fold as their own letters do (1251 folds Cyrillic, 1252 Latin-1).
//
// The back-end tells the code page once, at start-up, before the command line is read
// (UseCodePage); every text rule of the core follows it from then on. Windows-1252 until then.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tunovar {

class CodePage {
 public:
  using ByteTable = std::array<char, 256>;
  using ByteSet = std::array<bool, 256>;

  // Windows-1252: no lead bytes; ASCII, the Latin-1 letters and the few of 0x80..0x9F fold.
  [[nodiscard]] static CodePage Windows1252();
  // A code page told by the system: its number, the bytes that open a two-byte character, and
  // the upper and lower case of each single byte. A lead byte folds to itself whatever the
  // tables say, so that no fold can turn one character into the half of another.
  [[nodiscard]] static CodePage Make(std::uint16_t number, const ByteSet& leadBytes, const ByteTable& upper,
                                     const ByteTable& lower);

  [[nodiscard]] std::uint16_t Number() const { return number_; }
  [[nodiscard]] bool HasLeadBytes() const { return hasLeadBytes_; }
  [[nodiscard]] bool IsLeadByte(char c) const { return lead_[static_cast<unsigned char>(c)]; }
  [[nodiscard]] char Upper(char c) const { return upper_[static_cast<unsigned char>(c)]; }
  [[nodiscard]] char Lower(char c) const { return lower_[static_cast<unsigned char>(c)]; }

  // The length in bytes of the character that starts at text[at] (at < size): 2 for a lead
  // byte with a byte after it, else 1 (a lead byte at the end stands alone, as CharNextExA
  // reads it).
  [[nodiscard]] std::size_t CharLength(std::string_view text, std::size_t at) const {
    return at + 1 < text.size() && IsLeadByte(text[at]) ? 2 : 1;
  }
  // A character starts at text[at] (at == size counts: the end is a boundary). Read from the
  // start of the text, as a trail byte can be told from a single byte only there.
  [[nodiscard]] bool IsCharBoundary(std::string_view text, std::size_t at) const;
  // The position of the last character of text equal to c (a single byte), npos if none; the
  // second byte of a character is never taken for c.
  [[nodiscard]] std::size_t FindLastChar(std::string_view text, char c) const;
  // The position of the first character equal to c at or after from (a boundary).
  [[nodiscard]] std::size_t FindChar(std::string_view text, char c, std::size_t from = 0) const;

 private:
  std::uint16_t number_ = 1252;
  bool hasLeadBytes_ = false;
  ByteSet lead_{};
  ByteTable upper_{};
  ByteTable lower_{};
};

// The code page in effect for this run.
[[nodiscard]] const CodePage& ActiveCodePage();
// Puts codePage in effect for every text rule from now on. Called by the back-end before the
// core reads anything; tests set a code page for a scope of their own.
void UseCodePage(const CodePage& codePage);

// Why a code page's rules cannot be followed, "" when they can: a character of more than two
// bytes (UTF-8, 65001, as the system's ANSI code page) has trail bytes no lead-byte table
// describes, and a path would be cut inside a character.
[[nodiscard]] std::string_view UnsupportedCodePageReason(std::uint16_t number, unsigned maxCharSize);

}  // namespace tunovar
