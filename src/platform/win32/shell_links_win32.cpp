// The Start Menu's Programs folders, administrator rights and shell links of a Windows run.
#include "platform/win32/shell_links_win32.h"

#include <objbase.h>
#include <shlobj.h>

#include <vector>

#include "platform/win32/shell_win32.h"

namespace tunovar::win32 {
namespace {

bool HasNul(const std::string& text) { return text.find('\0') != std::string::npos; }

// One reference to a COM object, released at the end of its scope.
template <typename Interface>
class ComRef {
 public:
  ComRef() = default;
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ~ComRef() {
    if (object_ != nullptr) object_->Release();
  }
  [[nodiscard]] void** put() { return reinterpret_cast<void**>(&object_); }
  [[nodiscard]] Interface* operator->() const { return object_; }
  [[nodiscard]] explicit operator bool() const { return object_ != nullptr; }

 private:
  Interface* object_ = nullptr;
};

std::optional<std::string> FolderText(const char* path) {
  if (path[0] == '\0') return std::nullopt;
  return std::string(path);
}

// The shell is loaded already: the program imports ShellExecuteA from it.
HMODULE Shell() { return ::GetModuleHandleA("shell32.dll"); }

// The name of the function the call starts with.
const char* FirstFunction(FolderCall call) {
  switch (call) {
    case FolderCall::kFolderPath: return "SHGetFolderPathA";
    case FolderCall::kSpecialFolderPath: return "SHGetSpecialFolderPathA";
    case FolderCall::kSpecialFolderLocation: return "SHGetSpecialFolderLocation";
  }
  return "";
}

}  // namespace

bool ShellHas(FolderCall call) {
  return Shell() != nullptr && ::GetProcAddress(Shell(), FirstFunction(call)) != nullptr;
}

std::optional<std::string> SpecialFolderThrough(FolderCall call, int csidl) {
  const HMODULE shell = Shell();
  if (shell == nullptr) return std::nullopt;
  char path[MAX_PATH + 1] = {};
  switch (call) {
    case FolderCall::kFolderPath: {
      const auto get = ProcAddress<decltype(&::SHGetFolderPathA)>(shell, "SHGetFolderPathA");
      if (get == nullptr || FAILED(get(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path))) {
        return std::nullopt;
      }
      return FolderText(path);
    }
    case FolderCall::kSpecialFolderPath: {
      const auto get = ProcAddress<decltype(&::SHGetSpecialFolderPathA)>(shell, "SHGetSpecialFolderPathA");
      if (get == nullptr || !get(nullptr, path, csidl, TRUE)) return std::nullopt;
      return FolderText(path);
    }
    case FolderCall::kSpecialFolderLocation: {
      const auto locate = ProcAddress<decltype(&::SHGetSpecialFolderLocation)>(shell, "SHGetSpecialFolderLocation");
      const auto toPath = ProcAddress<decltype(&::SHGetPathFromIDListA)>(shell, "SHGetPathFromIDListA");
      LPITEMIDLIST list = nullptr;
      if (locate == nullptr || toPath == nullptr || FAILED(locate(nullptr, csidl, &list)) || list == nullptr) {
        return std::nullopt;
      }
      const bool converted = toPath(list, path) != FALSE;
      // The shell's allocator is the task allocator of COM.
      ::CoTaskMemFree(list);
      return converted ? FolderText(path) : std::nullopt;
    }
  }
  return std::nullopt;
}

std::optional<std::string> Win32Shell::ProgramsFolder(ProgramsScope scope) {
  const int csidl = scope == ProgramsScope::kMachine ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS;
  // The newest call the shell has answers: an older one knows no more folders than it.
  for (const FolderCall call : {FolderCall::kFolderPath, FolderCall::kSpecialFolderPath}) {
    if (ShellHas(call)) return SpecialFolderThrough(call, csidl);
  }
  return SpecialFolderThrough(FolderCall::kSpecialFolderLocation, csidl);
}

bool Win32Shell::RunsAsAdministrator() {
  // Looked up at run time: the security calls are NT's, and a Windows 95 whose advapi32.dll
  // lacks one would not load the program at all.
  const HMODULE advapi32 = ::GetModuleHandleA("advapi32.dll");
  if (advapi32 == nullptr) return false;
  const auto openProcessToken = ProcAddress<decltype(&::OpenProcessToken)>(advapi32, "OpenProcessToken");
  const auto getTokenInformation = ProcAddress<decltype(&::GetTokenInformation)>(advapi32, "GetTokenInformation");
  const auto allocateSid =
      ProcAddress<decltype(&::AllocateAndInitializeSid)>(advapi32, "AllocateAndInitializeSid");
  const auto equalSid = ProcAddress<decltype(&::EqualSid)>(advapi32, "EqualSid");
  const auto freeSid = ProcAddress<decltype(&::FreeSid)>(advapi32, "FreeSid");
  // DOS-based Windows has no tokens, and every program may write everywhere.
  if (openProcessToken == nullptr) return ThisSystem().dosBased;
  if (getTokenInformation == nullptr || allocateSid == nullptr || equalSid == nullptr || freeSid == nullptr) {
    return false;
  }
  HANDLE raw = nullptr;
  if (!openProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) {
    return ::GetLastError() == ERROR_CALL_NOT_IMPLEMENTED;
  }
  const UniqueHandle token(raw);
  DWORD size = 0;
  (void)getTokenInformation(token.get(), TokenGroups, nullptr, 0, &size);
  if (size == 0) return false;
  // Storage of the alignment TOKEN_GROUPS needs.
  std::vector<ULONG_PTR> buffer(size / sizeof(ULONG_PTR) + 1);
  if (!getTokenInformation(token.get(), TokenGroups, buffer.data(), size, &size)) return false;
  SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  if (!allocateSid(&authority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                   &administrators)) {
    return false;
  }
  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
  bool member = false;
  for (DWORD i = 0; i < groups->GroupCount && !member; ++i) {
    const SID_AND_ATTRIBUTES& group = groups->Groups[i];
    member = (group.Attributes & SE_GROUP_ENABLED) != 0 && (group.Attributes & SE_GROUP_USE_FOR_DENY_ONLY) == 0 &&
             equalSid(group.Sid, administrators);
  }
  freeSid(administrators);
  return member;
}

bool Win32Shell::CreateShellLink(const std::string& linkPath, const std::string& target,
                                 const std::string& workingFolder) {
  if (linkPath.empty() || target.empty() || HasNul(linkPath) || HasNul(target) || HasNul(workingFolder)) {
    return false;
  }
  // IPersistFile names the file in UTF-16.
  const int length = ::MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, nullptr, 0);
  if (length <= 0) return false;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (::MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide.data(), length) != length) return false;

  const ComScope com(calls_);
  ComRef<IShellLinkA> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.put()))) {
    return false;
  }
  if (FAILED(link->SetPath(target.c_str()))) return false;
  if (!workingFolder.empty() && FAILED(link->SetWorkingDirectory(workingFolder.c_str()))) return false;
  ComRef<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.put()))) return false;
  return SUCCEEDED(file->Save(wide.c_str(), TRUE));
}

}  // namespace tunovar::win32
