// The system's ANSI code page as the core's rules need it, and the character set of its fonts.
#pragma once

#include <string>

#include "base/code_page.h"
#include "platform/win32/win32.h"

namespace tunovar::win32 {

// The ANSI code page of this system (GetACP): its lead bytes (GetCPInfo) and the letter case of
// each single byte (CharUpperBuffA / CharLowerBuffA). ASCII folds as file names on Windows do
// whatever the language ("i" is the lower case of "I" also where Turkish says otherwise).
struct SystemCodePage {
  CodePage codePage = CodePage::Windows1252();
  // Why the program cannot follow this code page's rules; "" when it can.
  std::string unsupportedReason;
};
[[nodiscard]] SystemCodePage CodePageOfSystem();

// The character set of fonts for texts in the system's code page (TranslateCharsetInfo where
// the system has it), else DEFAULT_CHARSET, which the font mapper takes as the system's own.
[[nodiscard]] BYTE FontCharset(const SystemCalls& calls = ThisSystem());

}  // namespace tunovar::win32
