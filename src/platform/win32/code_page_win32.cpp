// The system's ANSI code page as the core's rules need it.
#include "platform/win32/code_page_win32.h"

namespace tunovar::win32 {
namespace {

bool IsAscii(unsigned b) { return b < 0x80; }

char AsciiUpper(unsigned b) { return static_cast<char>(b >= 'a' && b <= 'z' ? b - 32 : b); }
char AsciiLower(unsigned b) { return static_cast<char>(b >= 'A' && b <= 'Z' ? b + 32 : b); }

// The fold of one single byte by the system; the byte itself when the system makes of it a
// lead byte, NUL, or a byte of the other half of the table (a fold never leaves ASCII or
// enters it).
template <typename Fold>
char FoldedByte(unsigned b, const CodePage::ByteSet& leads, Fold fold) {
  char buffer[1] = {static_cast<char>(b)};
  (void)fold(buffer, 1);
  const auto folded = static_cast<unsigned char>(buffer[0]);
  if (folded == 0 || leads[folded] || IsAscii(folded) != IsAscii(b)) return static_cast<char>(b);
  return static_cast<char>(folded);
}

}  // namespace

SystemCodePage CodePageOfSystem() {
  SystemCodePage out;
  const UINT number = ::GetACP();
  CPINFO info{};
  if (!::GetCPInfo(CP_ACP, &info)) info.MaxCharSize = 0;
  const std::string_view reason =
      UnsupportedCodePageReason(static_cast<std::uint16_t>(number > 0xFFFF ? 0 : number), info.MaxCharSize);
  if (!reason.empty()) {
    out.unsupportedReason = "The system's code page for programs that do not use Unicode (" +
                            std::to_string(number) + ") cannot be used by this setup program: " +
                            std::string(reason) + ".";
    return out;
  }
  CodePage::ByteSet leads{};
  if (info.MaxCharSize == 2) {
    // Pairs of inclusive ranges, ended by a pair of zeros.
    for (unsigned i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2) {
      for (unsigned b = info.LeadByte[i]; b <= info.LeadByte[i + 1] && b < 256; ++b) leads[b] = true;
    }
  }
  CodePage::ByteTable upper{};
  CodePage::ByteTable lower{};
  for (unsigned b = 0; b < 256; ++b) {
    if (IsAscii(b)) {
      upper[b] = AsciiUpper(b);
      lower[b] = AsciiLower(b);
    } else if (leads[b]) {
      upper[b] = lower[b] = static_cast<char>(b);
    } else {
      upper[b] = FoldedByte(b, leads, ::CharUpperBuffA);
      lower[b] = FoldedByte(b, leads, ::CharLowerBuffA);
    }
  }
  out.codePage = CodePage::Make(static_cast<std::uint16_t>(number), leads, upper, lower);
  return out;
}

BYTE FontCharset(const SystemCalls& calls) {
  if (calls.translateCharsetInfo == nullptr) return DEFAULT_CHARSET;
  CHARSETINFO info{};
  // The code page is passed in the place of the pointer, as TCI_SRCCODEPAGE asks.
  auto* source = reinterpret_cast<DWORD*>(static_cast<std::uintptr_t>(::GetACP()));
  if (!calls.translateCharsetInfo(source, &info, TCI_SRCCODEPAGE)) return DEFAULT_CHARSET;
  return static_cast<BYTE>(info.ciCharset);
}

}  // namespace tunovar::win32
