// The FileSystem suite on the fake the core's tests use and on the POSIX back-end over
// temporary drive folders (the Win32 back-end runs it under Wine: tests/e2e).
#include "unit/platform/file_system_conformance.h"

#include <ctime>

#include "platform/posix/file_system_posix.h"
#include "support/fake_platform.h"
#include "support/temp_drives.h"

namespace tunovar {
namespace {

// The fake, with the attributes and times the interface has no call to set.
struct FakeBackEnd {
  static constexpr const char* kName = "Fake";
  static constexpr conformance::Answers kAnswers{};
  static bool ReadOnlyBarsWriting() { return true; }
  testing::FakeFileSystem fs;
  std::string Root() { return "C:\\"; }
  void MakeReadOnly(const std::string& path) { fs.Find(path)->readOnly = true; }
  bool MakeHidden(const std::string& path) {
    fs.Find(path)->hidden = true;
    return true;
  }
  void SetTime(const std::string& path, const LocalDateTime& time) { fs.Find(path)->time = time; }
};

// The POSIX back-end on drive C: of fresh temporary drive folders. A host file has no hidden
// attribute.
struct PosixBackEnd {
  static constexpr const char* kName = "Posix";
  // The stand-in passes on what unlink says of a folder, and puts a replacement in place
  // again when asked twice.
  static constexpr conformance::Answers kAnswers{.deleteOfAFolder = FsStatus::kAccessDenied,
                                                 .secondCommit = FsStatus::kOk};
  static bool ReadOnlyBarsWriting() { return true; }  // the back-end reads the mode itself
  testing::TempDrives drives{"C"};
  posix::PosixFileSystem fs;  // made after the drives, from TUNOVAR_DRIVES
  std::string Root() { return "C:\\"; }
  void MakeReadOnly(const std::string& path) { testing::TempDrives::SetMode(*fs.HostPath(path), 0444); }
  bool MakeHidden(const std::string&) { return false; }
  void SetTime(const std::string& path, const LocalDateTime& t) {
    std::tm local{};
    local.tm_year = t.year - 1900;
    local.tm_mon = t.month - 1;
    local.tm_mday = t.day;
    local.tm_hour = t.hour;
    local.tm_min = t.minute;
    local.tm_sec = t.second;
    local.tm_isdst = -1;
    testing::TempDrives::SetTime(*fs.HostPath(path), static_cast<long long>(std::mktime(&local)));
  }
};

using LinuxBackEnds = ::testing::Types<FakeBackEnd, PosixBackEnd>;
}  // namespace

namespace conformance {
INSTANTIATE_TYPED_TEST_SUITE_P(Linux, FileSystemConformance, LinuxBackEnds, BackEndName);
}  // namespace conformance
}  // namespace tunovar
