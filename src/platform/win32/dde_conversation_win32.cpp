// One DDE command over a conversation carried by the DDE window messages, within time limits.
#include "platform/win32/dde_conversation_win32.h"

#include <dde.h>

#include <cstring>
#include <vector>

namespace tunovar::win32 {
namespace {

constexpr const char* kClientClass = "OvriTunovarDdeClient";
// DDEACK's fAck: the server carried the command out.
constexpr UINT_PTR kCarriedOut = 0x8000;
// How long a server that has answered the command is given to answer the end of the
// conversation.
constexpr DWORD kEndWaitMs = 1000;

// What the client window has heard of the conversation.
struct Conversation {
  HWND client = nullptr;
  bool initiating = false;
  HWND server = nullptr;   // the server that took the conversation up
  bool answered = false;   // the command's WM_DDE_ACK has come
  UINT_PTR flags = 0;      // its DDEACK
  bool ended = false;      // the server posted WM_DDE_TERMINATE
};

LRESULT CALLBACK ClientProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* conversation = reinterpret_cast<Conversation*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (conversation == nullptr || (message != WM_DDE_ACK && message != WM_DDE_TERMINATE)) {
    return ::DefWindowProcA(window, message, wParam, lParam);
  }
  const HWND from = reinterpret_cast<HWND>(wParam);
  if (message == WM_DDE_TERMINATE) {
    if (from == conversation->server) conversation->ended = true;
    return 0;
  }
  if (conversation->initiating) {
    // The answer to the initiate is sent, not posted, with atoms of the server's that the
    // client deletes.
    ::GlobalDeleteAtom(LOWORD(lParam));
    ::GlobalDeleteAtom(HIWORD(lParam));
    if (conversation->server == nullptr) {
      conversation->server = from;
    } else {
      ::PostMessageA(from, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(window), 0);
    }
    return 0;
  }
  // The answer to the command. The memory handle it carries back is not taken from it (Windows
  // 95 packs it wrongly): the client frees the one it posted.
  UINT_PTR flags = 0;
  UINT_PTR handle = 0;
  const bool unpacked = ::UnpackDDElParam(WM_DDE_ACK, lParam, &flags, &handle) != FALSE;
  ::FreeDDElParam(WM_DDE_ACK, lParam);
  if (unpacked && from == conversation->server && !conversation->answered) {
    conversation->answered = true;
    conversation->flags = flags;
  }
  return 0;
}

// The hidden window of the client's end, removed with the conversation.
class ClientWindow {
 public:
  ClientWindow(HINSTANCE instance, Conversation& conversation)
      : window_(::CreateWindowExA(WS_EX_TOOLWINDOW, kClientClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                                  nullptr, instance, nullptr)) {
    if (window_ != nullptr) {
      ::SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&conversation));
    }
  }
  ClientWindow(const ClientWindow&) = delete;
  ClientWindow& operator=(const ClientWindow&) = delete;
  ~ClientWindow() {
    if (window_ == nullptr) return;
    ::SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
  }
  [[nodiscard]] HWND get() const { return window_; }

 private:
  HWND window_;
};

DWORD Elapsed(DWORD since) { return ::GetTickCount() - since; }

BOOL CALLBACK CollectWindow(HWND window, LPARAM windows) {
  reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
  return TRUE;
}

enum class Initiated { kServer, kNone, kOutOfTime };

// Asks the top-level windows one after the other, as a broadcast would, but each only for the
// time left of limitMs, until one takes the conversation up.
Initiated Initiate(Conversation& conversation, const std::string& service, const std::string& topic,
                   DWORD limitMs) {
  const DWORD start = ::GetTickCount();
  const ATOM serviceAtom = ::GlobalAddAtomA(service.c_str());
  const ATOM topicAtom = ::GlobalAddAtomA(topic.c_str());
  std::vector<HWND> windows;
  // Listed first, asked afterwards: the list is not held while a window is waited for.
  if (serviceAtom != 0 && topicAtom != 0) ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
  const DWORD self = ::GetCurrentProcessId();
  bool outOfTime = false;
  conversation.initiating = true;
  for (const HWND window : windows) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    // Program Manager is never this program: its own windows are not asked.
    if (owner == self) continue;
    const DWORD elapsed = Elapsed(start);
    if (elapsed >= limitMs) {
      outOfTime = true;
      break;
    }
    DWORD_PTR result = 0;
    // Not SMTO_BLOCK: the server answers with a message sent to the client window while this
    // waits. A window that has stopped answering its messages is passed over at once.
    ::SendMessageTimeoutA(window, WM_DDE_INITIATE, reinterpret_cast<WPARAM>(conversation.client),
                          MAKELPARAM(serviceAtom, topicAtom), SMTO_ABORTIFHUNG, limitMs - elapsed, &result);
    if (conversation.server != nullptr) break;
  }
  conversation.initiating = false;
  if (serviceAtom != 0) ::GlobalDeleteAtom(serviceAtom);
  if (topicAtom != 0) ::GlobalDeleteAtom(topicAtom);
  if (conversation.server != nullptr) return Initiated::kServer;
  return outOfTime || Elapsed(start) >= limitMs ? Initiated::kOutOfTime : Initiated::kNone;
}

// Lets the messages of the conversation arrive until done() holds or limitMs have passed; true
// when done() holds. Only this conversation's messages are taken from the queue: those of the
// program's window wait for its next round of events. Each look at the queue also delivers the
// messages sent to this thread.
template <typename Done>
bool WaitFor(const Conversation& conversation, Done done, DWORD limitMs) {
  const DWORD start = ::GetTickCount();
  while (!done()) {
    MSG message;
    if (::PeekMessageA(&message, conversation.client, WM_DDE_FIRST, WM_DDE_LAST, PM_REMOVE)) {
      ::DispatchMessageA(&message);
      continue;
    }
    const DWORD elapsed = Elapsed(start);
    if (elapsed >= limitMs) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, limitMs - elapsed, QS_POSTMESSAGE | QS_SENDMESSAGE);
  }
  return true;
}

// Ends the conversation; a server that has answered the command is given a moment to answer
// the end, one that has not is not waited for.
void End(Conversation& conversation, bool wait) {
  ::PostMessageA(conversation.server, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(conversation.client), 0);
  if (wait) (void)WaitFor(conversation, [&] { return conversation.ended; }, kEndWaitMs);
}

}  // namespace

DdeStatus ExecuteOverDde(const std::string& service, const std::string& topic,
                         const std::string& command, DWORD connectMs, DWORD executeMs) {
  const HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = ClientProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kClientClass;
  if (::RegisterClassA(&windowClass) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    return DdeStatus::kRefused;
  }
  Conversation conversation;
  const ClientWindow window(instance, conversation);
  if (window.get() == nullptr) return DdeStatus::kRefused;
  conversation.client = window.get();

  switch (Initiate(conversation, service, topic, connectMs)) {
    case Initiated::kNone: return DdeStatus::kRefused;
    case Initiated::kOutOfTime: return DdeStatus::kConnectTimedOut;
    case Initiated::kServer: break;
  }

  // The command as ANSI text in memory that the system hands on to the server's process; an
  // ANSI window's text reaches a server that works in Unicode converted.
  const SIZE_T size = command.size() + 1;
  const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size);
  void* const bytes = memory != nullptr ? ::GlobalLock(memory) : nullptr;
  if (bytes == nullptr) {
    if (memory != nullptr) ::GlobalFree(memory);
    End(conversation, false);
    return DdeStatus::kNotProcessed;
  }
  std::memcpy(bytes, command.c_str(), size);
  ::GlobalUnlock(memory);
  if (!::PostMessageA(conversation.server, WM_DDE_EXECUTE, reinterpret_cast<WPARAM>(conversation.client),
                      reinterpret_cast<LPARAM>(memory))) {
    // The server has gone: the command reached nobody.
    ::GlobalFree(memory);
    return DdeStatus::kRefused;
  }
  (void)WaitFor(conversation, [&] { return conversation.answered || conversation.ended; }, executeMs);
  DdeStatus status = DdeStatus::kTimedOut;
  if (conversation.answered) {
    ::GlobalFree(memory);
    status = (conversation.flags & kCarriedOut) != 0 ? DdeStatus::kDone : DdeStatus::kNotProcessed;
  } else if (conversation.ended) {
    // The server ended the conversation instead of answering.
    status = DdeStatus::kNotProcessed;
  }
  // Unanswered, the memory stays with the server, which may still read it.
  End(conversation, conversation.answered);
  return status;
}

}  // namespace tunovar::win32
