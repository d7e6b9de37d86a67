// Ctrl-C, a closed terminal and a request to terminate, taken as a Cancel of the run.
//
// The handler only notes the signal: the run ends at its next pause for window events, as it
// does for Cancel, with what it placed on record and exit code 6. The same signal once more
// ends the program at once, as the system would have (its records are ahead of its files).
#pragma once

namespace tunovar::posix {

// Catches SIGINT, SIGTERM and SIGHUP, each unless it was ignored when the program started (a
// program started with nohup keeps ignoring SIGHUP).
void CatchInterrupts();

// The first of those signals that came, 0 while none has.
[[nodiscard]] int InterruptSignal();

// Its name for the log ("SIGINT").
[[nodiscard]] const char* InterruptSignalName(int signal);

// In a process of the program's that does not exec (the detached batch): the signals act as
// they did before CatchInterrupts.
void RestoreInterrupts();

}  // namespace tunovar::posix
