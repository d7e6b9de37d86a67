// Ctrl-C, Ctrl-Break and the closing of the console of an unattended run, taken as a Cancel.
//
// The system calls the handler on a thread of its own: it only notes what came, and the run
// ends at its next pause for window events, with what it placed on record and exit code 6.
// The console's closing gives the program a few seconds; the handler holds the system off
// until the run has ended, which ends the process. The same key once more ends the program at
// once, as the system would have.
#pragma once

namespace tunovar::win32 {

// Takes the events of the console the program is attached to (none: nothing comes).
void CatchConsoleInterrupts();

// What came first ("Ctrl-C", "Ctrl-Break", "the console closing"); nullptr while nothing has.
[[nodiscard]] const char* ConsoleInterrupt();

}  // namespace tunovar::win32
