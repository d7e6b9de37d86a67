// The FileSystem suite on the Win32 back-end, run under Wine: with the calls of this system,
// and with the fallbacks it takes where the oldest 32-bit Windows lacks a newer call. Each case
// gets a fresh folder of drive C:, which the suite shares with the rest of the system.
//
// Prints the test framework's lines; the script that runs it turns them into PASS and FAIL.
#include <cstdio>
#include <string>

#include "platform/win32/file_system_win32.h"
#include "platform/win32/win32.h"
#include "win32_remove_tree.h"
#include "unit/platform/file_system_conformance.h"

namespace tunovar {
namespace {

const std::string kRoot = "C:\\tnvsuite";

using testing::RemoveTree;

template <bool kOldest>
struct Win32BackEnd {
  static constexpr const char* kName = kOldest ? "Win32OldestSystem" : "Win32";
  win32::Win32FileSystem fs{kOldest ? win32::OldestSystem() : win32::ThisSystem()};

  Win32BackEnd() {
    RemoveTree(kRoot);
    ::CreateDirectoryA(kRoot.c_str(), nullptr);
  }
  ~Win32BackEnd() { RemoveTree(kRoot); }
  Win32BackEnd(const Win32BackEnd&) = delete;
  Win32BackEnd& operator=(const Win32BackEnd&) = delete;

  // The system reads a file's path with a final "\\" as no valid name.
  static constexpr conformance::Answers kAnswers{.deleteOfAFileAsFolder = FsStatus::kInvalidPath};
  // Wine keeps the read-only attribute as the host file's mode, which the host's root writes
  // past: asked of a file of the case's own.
  bool ReadOnlyBarsWriting() {
    const std::string probe = Root() + "probe.tmp";
    win32::UniqueFileHandle made(::CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                               FILE_ATTRIBUTE_READONLY, nullptr));
    made.reset();
    const bool barred = !win32::UniqueFileHandle(
        ::CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ::SetFileAttributesA(probe.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(probe.c_str());
    return barred;
  }

  std::string Root() { return kRoot + "\\"; }
  void MakeReadOnly(const std::string& path) { ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY); }
  bool MakeHidden(const std::string& path) { return ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN) != 0; }
  void SetTime(const std::string& path, const LocalDateTime& t) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(t.year);
    st.wMonth = static_cast<WORD>(t.month);
    st.wDay = static_cast<WORD>(t.day);
    st.wHour = static_cast<WORD>(t.hour);
    st.wMinute = static_cast<WORD>(t.minute);
    st.wSecond = static_cast<WORD>(t.second);
    FILETIME local{};
    FILETIME utc{};
    ASSERT_TRUE(::SystemTimeToFileTime(&st, &local) && ::LocalFileTimeToFileTime(&local, &utc));
    const win32::UniqueFileHandle file(
        ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file) << path;
    EXPECT_TRUE(::SetFileTime(file.get(), nullptr, nullptr, &utc));
  }
};

using WindowsBackEnds = ::testing::Types<Win32BackEnd<false>, Win32BackEnd<true>>;
}  // namespace

namespace conformance {
INSTANTIATE_TYPED_TEST_SUITE_P(Windows, FileSystemConformance, WindowsBackEnds, BackEndName);
}  // namespace conformance
}  // namespace tunovar

int main(int argc, char** argv) {
  tunovar::win32::RestrictDllSearchToSystem();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
