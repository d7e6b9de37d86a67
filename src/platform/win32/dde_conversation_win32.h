// One DDE command over a conversation of its own, carried by the window messages of the DDE
// protocol itself, with time limits that no window of another program can stretch.
//
// The conversation, on the calling thread, through a hidden window of this program:
//   WM_DDE_INITIATE   sent to one top-level window after the other, each within the time left
//                     of the connect limit, until a server answers; a window that the system
//                     takes for hung is passed over at once
//   WM_DDE_ACK        sent back by the server during the initiate: it takes up the
//                     conversation (a second server's is ended at once)
//   WM_DDE_EXECUTE    posted with the command, ANSI, NUL-terminated, in shared memory
//   WM_DDE_ACK        posted back: carried out (fAck) or not; awaited within the command limit
//   WM_DDE_TERMINATE  posted to end the conversation, and awaited briefly from a server that
//                     has answered
// DDEML's DdeConnect has no time limit of its own: its initiate is one broadcast that a hung
// window can hold up for as long as it hangs. Carried by hand, every wait has its limit, and no
// thread is left behind that could still send a command after its limit has run out.
#pragma once

#include <string>

#include "platform/shell.h"
#include "platform/win32/win32.h"

namespace tunovar::win32 {

[[nodiscard]] DdeStatus ExecuteOverDde(const std::string& service, const std::string& topic,
                                       const std::string& command, DWORD connectMs, DWORD executeMs);

}  // namespace tunovar::win32
