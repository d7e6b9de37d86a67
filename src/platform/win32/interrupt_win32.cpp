// Ctrl-C, Ctrl-Break and the closing of the console of an unattended run, taken as a Cancel.
#include "platform/win32/interrupt_win32.h"

#include <atomic>

#include "platform/win32/win32.h"

namespace tunovar::win32 {
namespace {

std::atomic<const char*> firstInterrupt{nullptr};

const char* NameOf(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT: return "Ctrl-C";
    case CTRL_BREAK_EVENT: return "Ctrl-Break";
    default: return "the console closing";
  }
}

BOOL WINAPI NoteInterrupt(DWORD event) {
  const char* none = nullptr;
  const bool first = firstInterrupt.compare_exchange_strong(none, NameOf(event));
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
    // Asked twice, the system's own handler ends the program.
    return first ? TRUE : FALSE;
  }
  // The process ends when this returns: the run ends it first, at its next pause, and the
  // system ends it anyway once its time for the closing is up.
  ::Sleep(INFINITE);
  return TRUE;
}

}  // namespace

void CatchConsoleInterrupts() { (void)::SetConsoleCtrlHandler(&NoteInterrupt, TRUE); }

const char* ConsoleInterrupt() { return firstInterrupt.load(); }

}  // namespace tunovar::win32
