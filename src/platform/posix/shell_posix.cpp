// The shell and the system around the installer on Linux.
#include "platform/posix/shell_posix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "base/ansi_text.h"
#include "base/ansi_utf8.h"
#include "base/windows_path.h"
#include "platform/batch_interpreter.h"
#include "platform/posix/clock_posix.h"
#include "platform/posix/detached_process.h"
#include "platform/posix/uninstall_entry.h"
#include "platform/posix/xdg_dirs.h"
#include "platform/posix/unique_fd.h"

namespace tunovar::posix {
namespace {

// ShellExecuteA's results used here.
constexpr int kOpened = 42;          // anything above 32 is success
constexpr int kFileNotFound = 2;
constexpr int kOutOfResources = 8;   // SE_ERR_OOM
constexpr int kNoAssociation = 31;   // SE_ERR_NOASSOC

struct LocaleRow {
  const char* language;
  const char* territory;  // nullptr: the language's default
  std::uint16_t id;
};

// Windows language identifiers of the locales an installer meets most.
constexpr LocaleRow kLocales[] = {
    {"de", nullptr, 0x0407}, {"de", "CH", 0x0807}, {"de", "AT", 0x0C07}, {"de", "LU", 0x1007},
    {"de", "LI", 0x1407},
    {"en", nullptr, 0x0409}, {"en", "GB", 0x0809}, {"en", "AU", 0x0C09}, {"en", "CA", 0x1009},
    {"en", "NZ", 0x1409}, {"en", "IE", 0x1809}, {"en", "ZA", 0x1C09},
    {"fr", nullptr, 0x040C}, {"fr", "BE", 0x080C}, {"fr", "CA", 0x0C0C}, {"fr", "CH", 0x100C},
    {"fr", "LU", 0x140C},
    {"nl", nullptr, 0x0413}, {"nl", "BE", 0x0813},
    {"it", nullptr, 0x0410}, {"it", "CH", 0x0810},
    {"es", nullptr, 0x0C0A}, {"es", "MX", 0x080A},
    {"pt", nullptr, 0x0816}, {"pt", "BR", 0x0416},
    {"da", nullptr, 0x0406}, {"sv", nullptr, 0x041D}, {"nb", nullptr, 0x0414}, {"no", nullptr, 0x0414},
    {"nn", nullptr, 0x0814}, {"fi", nullptr, 0x040B}, {"pl", nullptr, 0x0415}, {"cs", nullptr, 0x0405},
    {"hu", nullptr, 0x040E}, {"ru", nullptr, 0x0419}, {"tr", nullptr, 0x041F}, {"el", nullptr, 0x0408},
    {"ja", nullptr, 0x0411},
};

// The extension of a path's last name, lower case, without its dot ("" when it has none).
std::string ExtensionOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return LCase(path.substr(dot + 1));
}

}  // namespace

std::uint16_t LangIdOfLocale(std::string_view locale) {
  const std::size_t end = locale.find_first_of(".@");
  const std::string_view name = locale.substr(0, end);
  const std::size_t underscore = name.find('_');
  const std::string language = LCase(name.substr(0, underscore));
  const std::string territory = underscore == std::string_view::npos ? "" : UCase(name.substr(underscore + 1));
  std::uint16_t fallback = 0x0409;
  for (const LocaleRow& row : kLocales) {
    if (language != row.language) continue;
    if (row.territory == nullptr) fallback = row.id;
    if (row.territory != nullptr && territory == row.territory) return row.id;
  }
  return fallback;
}

std::string MessagesLocale() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] != '\0') return value;
  }
  return "";
}

PosixShell::PosixShell(PosixFileSystem& fs, Console* log)
    : fs_(fs), log_(log), setupDataFolder_(SetupDataFolder()), menu_(fs, DataHome(), ConfigHome()) {}

PosixShell::~PosixShell() = default;

void PosixShell::PassOver(const std::string& kind, const std::string& file) {
  passedOver_.push_back(kind + " " + file);
  if (log_ != nullptr) {
    log_->WriteLog(kind == "program" ? "Not started, no Windows program runs here: " + file
                                     : "Not opened, no program to open it: " + file);
  }
}

bool PosixShell::StartBatch(const std::string& batchName, const std::string& workingFolder) {
  // The same built-in interpreter the program information file leads to.
  return Open(batchName, "", workingFolder, ShowMode::kHidden) > 32;
}

int PosixShell::Open(const std::string& file, const std::string& parameters,
                     const std::string& workingFolder, ShowMode show) {
  (void)parameters;
  (void)show;
  // A name without a drive is found in the working folder, as the system's shell finds it.
  const bool relative = file.size() < 2 || (file[1] != ':' && file[0] != '\\');
  const std::string opened = relative && !workingFolder.empty() ? WithTrailingBackslash(workingFolder) + file : file;
  if (!fs_.EntryExists(opened)) return kFileNotFound;
  const std::string extension = ExtensionOf(opened);
  if (extension == "pif" || extension == "bat") {
    // The program information file exists to run the batch of its name, and the only batch
    // this program opens is the one the uninstaller writes: both run with the interpreter of
    // that batch. The batch is read whole now and may delete itself while it runs.
    const std::string batchPath = opened.substr(0, opened.size() - 3) + "bat";
    const auto batch = fs_.ReadWholeFile(batchPath);
    if (!batch) return kFileNotFound;
    std::string folder = workingFolder;
    if (folder.empty()) folder = opened.substr(0, opened.find_last_of("\\/"));
    // How long a waiting block of the batch waits before it gives up.
    constexpr std::uint32_t giveUp = 120000;
    // The batch keeps this program's watches open and lets go of them at its own end, which
    // nobody waits for: whoever closes them last waits for the kernel's grace period of the
    // removed watches (up to 16 ms), and this program's end then does not.
    const bool started = RunDetached([this, &batch, &batchPath, &folder] {
      // A file system of its own: the installer's watches are not the batch's. The batch
      // waits in real time, however the installer's time is kept.
      PosixFileSystem own(fs_.Drives());
      PosixClock clock;
      // A waiting block goes on as soon as its file is let go of, not at the next round. A
      // file that nobody holds (let go of just now, or read-only) is tried again at once the
      // first time, then after the whole pause.
      int unheld = 0;
      BatchInterpreter interpreter(own, clock, giveUp, 100, [&](const std::string& path, std::uint32_t ms) {
        if (own.WaitUntilLetGo(path, ms) != PosixFileSystem::LetGo::kNotHeld) {
          unheld = 0;
        } else if (unheld++ > 0) {
          clock.SleepMs(ms);
        }
      });
      // The batch ends once its file is gone or replaced: a new installation ended it.
      const auto first = own.FileStat(batchPath);
      interpreter.StopWhenOwnFileGoes(batchPath, [&own, &batchPath, first] {
        const auto now = own.FileStat(batchPath);
        return first && now && now->st_dev == first->st_dev && now->st_ino == first->st_ino;
      });
      (void)interpreter.Run(*batch, folder);
    }, fs_.WatchesDescriptor());
    return started ? kOpened : kOutOfResources;
  }
  if (extension == "exe" || extension == "com") {
    PassOver("program", opened);
    return kOpened;
  }
  const auto opener = FindOnPath("xdg-open");
  const auto host = fs_.HostPath(opened);
  if (!opener || !host) {
    PassOver("document", opened);
    return kNoAssociation;
  }
  std::string folder;
  if (!workingFolder.empty() && fs_.FolderExists(workingFolder)) folder = fs_.HostPath(workingFolder).value_or("");
  return SpawnDetached(*opener, {*host}, folder) ? kOpened : kNoAssociation;
}

DdeStatus PosixShell::DdeExecute(const std::string& service, const std::string& topic,
                                 const std::string& command, int connectMs, int timeoutMs) {
  // The menu is written at once, within any limit.
  (void)connectMs;
  (void)timeoutMs;
  if (!EqualsNoCase(service, "ProgMan") || !EqualsNoCase(topic, "Progman")) return DdeStatus::kRefused;
  return menu_.Execute(command);
}

bool PosixShell::RegisterUninstaller(const UninstallEntry& entry) {
  // The Linux build of the uninstaller is installed without ".exe".
  std::string path = entry.uninstallerPath;
  if (!fs_.FileExists(path) && EndsWithNoCase(path, ".exe")) {
    const std::string bare = path.substr(0, path.size() - 4);
    if (fs_.FileExists(bare)) path = bare;
  }
  const auto host = fs_.HostPath(path);
  if (!host) return false;
  return WriteUninstallEntry(setupDataFolder_, AnsiToUtf8(entry.displayName), *host,
                             AnsiToUtf8(entry.displayVersion), entry.estimatedSizeKb);
}

bool PosixShell::UnregisterUninstaller() { return RemoveUninstallEntry(setupDataFolder_); }

std::optional<WindowRef> PosixShell::FindTopWindow(const std::string& className, const std::string& title) {
  (void)className;
  (void)title;
  return std::nullopt;
}

void PosixShell::SendClose(WindowRef window) { (void)window; }

std::uint16_t PosixShell::SystemDefaultLangId() { return LangIdOfLocale(MessagesLocale()); }

std::optional<std::string> PosixShell::WindowsDirectory() {
  // Looking at drive C: makes its folder and its Windows folder on first use.
  return fs_.OnDiskSpelling("C:\\WINDOWS");
}

std::optional<std::string> PosixShell::SystemDirectory() {
  const auto windows = WindowsDirectory();
  if (!windows) return std::nullopt;
  return *windows + "\\SYSTEM32";
}

std::string PosixShell::ShortPathName(const std::string& path) {
  // No 8.3 names here: the short form is the path in its on-disk spelling.
  return LongPathName(path);
}

std::string PosixShell::LongPathName(const std::string& path) {
  constexpr std::size_t kCapacity = 1000;  // characters, the terminating NUL among them
  const auto spelled = fs_.OnDiskSpelling(path);
  if (!spelled || spelled->size() >= kCapacity) return "";
  return *spelled;
}

std::string PosixShell::InstanceLockPath() {
  // The Windows folder of drive C:, which holds the installation's record: every run of the
  // same drive map sees it, whatever its user's runtime folder, and the folder itself is
  // locked, so nothing is added to it. Without it, a lock of this user's.
  if (const auto windows = fs_.OnDiskSpelling("C:\\WINDOWS")) {
    if (auto host = fs_.HostPath(*windows)) return *host;
  }
  return RuntimeFolder() + "/tunovar-setup-" + DecimalText(static_cast<std::int64_t>(getuid())) + ".lock";
}

bool PosixShell::AnotherInstanceRunning() {
  if (lock_) return false;  // this run holds the lock already
  // Close-on-exec, and never handed to the batch's process: no child keeps the lock.
  const std::string path = InstanceLockPath();
  UniqueFd fd(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW));
  if (!fd && errno == ENOTDIR) fd = UniqueFd(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
  if (!fd && errno == ENOENT) fd = UniqueFd(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
  if (!fd) return false;  // no lock to be had: the run goes on
  if (flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return errno == EWOULDBLOCK;
  lock_ = std::move(fd);
  return false;
}

}  // namespace tunovar::posix
