// The built Linux program (TUNOVAR_TEST_INSTALL, set by CTest) installing a CD of a few hundred
// files, ended by a real signal at several moments: SIGKILL leaves a removal list on disk that
// names every file placed, SIGINT and SIGTERM end the run as cancelled (exit code 6, said on
// standard error, no success message); then the uninstaller removes all that was placed, and a
// rerun of the install completes.
//
// The moment is chosen by what the program has done: its log goes to a pipe of one page that
// the test reads, so that the program is never more than a page of log lines (some fifty
// files) ahead of the line the test has seen when it sends the signal.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <set>

#include <gtest/gtest.h>

#include "base/ansi_text.h"
#include "formats/removal_journal.h"
#include "formats/removal_list.h"
#include "platform/batch_interpreter.h"
#include "platform/posix/file_system_posix.h"
#include "installer/installer.h"
#include "support/installer_fixture.h"
#include "support/temp_drives.h"

extern char** environ;

namespace tunovar::posix {
namespace {

using testing::CrLfLines;
using testing::TempDrives;

constexpr int kFiles = 400;
const std::string kRuntime = "C:\\Apps\\TUNOVAR\\TUNOVAR\\runtime";

std::string DataFile(int k) {
  std::string n = std::to_string(k);
  return "TUNOVAR\\data\\f" + std::string(4 - n.size(), '0') + n + ".txt";
}

// The CD in folder cd: the program, its lists and texts, a stand-in uninstaller (the
// uninstaller is run in the test's own process) and kFiles small files.
void PutCd(const std::string& cd, const std::string& program) {
  const std::string runtime = cd + "/TUNOVAR/runtime/";
  TempDrives::WriteFile(runtime + "install", *TempDrives::ReadFile(program));
  TempDrives::SetMode(runtime + "install", 0755);
  std::vector<testing::TextSection> texts{testing::GermanTexts(), testing::EnglishTexts(), testing::FrenchTexts()};
  for (testing::TextSection& t : texts) t.requiredMb = "1";
  TempDrives::WriteFile(runtime + "insttext", testing::InstallerTextFile(texts));
  TempDrives::WriteFile(runtime + "filedir", CrLfLines({"TUNOVAR\\", "TUNOVAR\\runtime\\", "TUNOVAR\\data\\"}));
  std::vector<std::string> files{"TUNOVAR\\runtime\\deinstal", "TUNOVAR\\runtime\\insttext"};
  for (int k = 1; k <= kFiles; ++k) files.push_back(DataFile(k));
  TempDrives::WriteFile(runtime + "filelist", CrLfLines(files));
  TempDrives::WriteFile(runtime + "dbfiles", "");
  TempDrives::WriteFile(runtime + "group", "0\r\nTUNOVAR\r\nOvri TUNOVAR\r\n");
  TempDrives::WriteFile(runtime + "deinstal", "the uninstaller");
  for (int k = 1; k <= kFiles; ++k) {
    std::string host = DataFile(k);
    for (char& c : host) c = c == '\\' ? '/' : c;
    TempDrives::WriteFile(cd + "/" + host, "file " + std::to_string(k));
  }
}

struct Ended {
  int status = 0;           // as waitpid gives it
  std::string standardError;
  std::string log;          // what the test read of it
};

// Starts the program from the CD and reads its log until a line holds trigger, then sends
// signal (0: none); reads on to the end unless the signal was SIGKILL.
Ended Install(const std::string& program, const std::string& trigger, int signal, const std::string& scratch) {
  const std::string fifo = scratch + "/log.fifo";
  unlink(fifo.c_str());
  EXPECT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string errors = scratch + "/stderr.txt";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<std::string> arguments{program, "/S", "/LANG=1", "/LOG=" + fifo, "/D=C:\\Apps"};
  std::vector<char*> argv;
  for (std::string& a : arguments) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  Ended ended;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  EXPECT_EQ(spawned, 0);
  if (spawned != 0) return ended;
  // Held open for writing too, so that the pipe never reads as ended: the program's end is
  // seen on its process descriptor, and what it wrote before is read after it.
  const int fd = open(fifo.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  (void)fcntl(fd, F_SETPIPE_SZ, 4096);
  const int process = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  bool sent = signal == 0;
  for (bool exited = false;;) {
    char buffer[512];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
      ended.log.append(buffer, static_cast<std::size_t>(n));
      if (!sent && ended.log.find(trigger) != std::string::npos) {
        kill(pid, signal);
        sent = true;
        if (signal == SIGKILL) break;
      }
      continue;
    }
    if (exited) break;  // and all it wrote is read
    pollfd p[2] = {{fd, POLLIN, 0}, {process, POLLIN, 0}};
    if (poll(p, 2, -1) > 0 && (p[1].revents & POLLIN) != 0) exited = true;
  }
  close(process);
  if (pid != 0) waitpid(pid, &ended.status, 0);
  close(fd);
  ended.standardError = TempDrives::ReadFile(errors).value_or("");
  return ended;
}

// The removal list on disk as the uninstaller reads it: the journal's list (with the entries
// of a "defile" beside it), else "defile".
std::optional<RemovalList> ListOnDisk(FileSystem& fs) {
  std::string text;
  if (auto journal = ReadRemovalJournal(fs, kRuntime + "\\defile.jnl", kRuntime + "\\defile").text) {
    text = *journal;
  } else if (auto defile = fs.ReadWholeFile(kRuntime + "\\defile")) {
    text = *defile;
  } else {
    return std::nullopt;
  }
  BytesLines lines(text);
  return ParseRemovalList(lines);
}

// A silent uninstall by the installed uninstaller, in this process, then its batch.
int Uninstall() {
  PosixFileSystem fs;
  testing::FakePlatform fake;
  fake.shell.fs = nullptr;
  fake.clock.msPerReading = 1;
  Platform platform{fs, fake.shell, fake.ui, fake.console, fake.clock};
  int code = -1;
  {
    Installer installer(platform, LaunchInfo{kRuntime, "deinstal"}, ParseSwitches("/S"));
    if (installer.Start()) installer.Deliver(Ctl::Timer1, Event::kTimer);
    code = installer.ExitCodeOfRun();
  }
  if (const auto batch = fs.ReadWholeFile(kRuntime + "\\deinst.bat")) {
    BatchInterpreter interpreter(fs, fake.clock, 2000, 100);
    (void)interpreter.Run(*batch, kRuntime);
  }
  return code;
}

class InterruptedInstallPosix : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* program = std::getenv("TUNOVAR_TEST_INSTALL");
    if (program == nullptr || program[0] == '\0') GTEST_SKIP() << "TUNOVAR_TEST_INSTALL is not set (run through CTest)";
    PutCd(cd_.Root('D'), program);
  }
  TempDrives cd_{"D"};
};

TEST_F(InterruptedInstallPosix, ASignalAtAnyMomentLeavesEveryPlacedFileRecordedAndNoSuccessSaid) {
  const std::string program = cd_.Host('D', "TUNOVAR/runtime/install");
  struct Row {
    const char* moment;  // a line of the log
    int signal;
  };
  const Row rows[] = {
      {"Removal journal begun", SIGKILL},
      {"Placed C:\\Apps\\TUNOVAR\\TUNOVAR\\runtime\\deinstal ", SIGKILL},
      {"data\\f0150.txt", SIGKILL},
      {"data\\f0300.txt", SIGKILL},
      {"data\\f0001.txt", SIGINT},
      {"data\\f0200.txt", SIGTERM},
      {"Record appended: ", SIGKILL},
      {"Record appended: ", SIGINT},
      {"Uninstaller registered", SIGINT},
  };
  for (const Row& r : rows) {
    for (const bool thenUninstall : {true, false}) {
      const std::string name = std::string(r.moment) + " / " + strsignal(r.signal) + (thenUninstall ? " / uninstall" : " / rerun");
      TempDrives c{"C"};
      c.SetEnv("TUNOVAR_DRIVES", "C=" + c.Root('C') + ";D=" + cd_.Root('D'));
      const Ended ended = Install(program, r.moment, r.signal, c.Base());
      ASSERT_NE(ended.log.find(r.moment), std::string::npos) << name << ": the program never got there\n" << ended.log;
      const bool cancelled = WIFEXITED(ended.status) && WEXITSTATUS(ended.status) == kExitCancelled;
      const bool done = WIFEXITED(ended.status) && WEXITSTATUS(ended.status) == kExitDone;
      const bool saidDone = ended.standardError.find("Title EN: Start now?") != std::string::npos;
      if (r.signal == SIGKILL) {
        EXPECT_TRUE(WIFSIGNALED(ended.status)) << name;
      } else {
        // A signal after the last pause finds the run done; any other ends it as cancelled.
        EXPECT_TRUE(cancelled || done) << name << ": status " << ended.status;
        EXPECT_EQ(saidDone, done) << name << "\n" << ended.standardError;
        EXPECT_EQ(ended.standardError.find("The installation was cancelled (by SIG") != std::string::npos, cancelled)
            << name << "\n" << ended.standardError;
      }

      // Every file in the product folder is named by the list on disk.
      PosixFileSystem fs;
      const std::optional<RemovalList> list = ListOnDisk(fs);
      ASSERT_TRUE(list) << name;
      std::set<std::string> named;
      for (const RemovalEntry& e : list->entries) named.insert(UCase(e.path));
      const std::string product = c.Host('C', "Apps/TUNOVAR/TUNOVAR");
      for (const std::string& relative : TempDrives::Tree(product)) {
        if (relative == "runtime/defile" || relative == "runtime/defile.jnl") continue;
        std::string path = "C:\\Apps\\TUNOVAR\\TUNOVAR\\" + relative;
        for (char& ch : path) ch = ch == '/' ? '\\' : ch;
        EXPECT_EQ(named.count(UCase(path)), 1u) << name << ": placed and not named: " << path;
      }

      if (thenUninstall) {
        if (!TempDrives::Exists(product + "/runtime/deinstal")) continue;  // no uninstaller yet
        EXPECT_EQ(Uninstall(), kExitDone) << name;
        EXPECT_FALSE(TempDrives::Exists(c.Host('C', "Apps"))) << name << ": left "
                                                             << ::testing::PrintToString(TempDrives::Tree(c.Host('C', "Apps")));
      } else {
        const Ended rerun = Install(program, "", 0, c.Base());
        EXPECT_TRUE(WIFEXITED(rerun.status) && WEXITSTATUS(rerun.status) == kExitDone) << name << "\n"
                                                                                      << rerun.standardError;
        EXPECT_FALSE(TempDrives::Exists(product + "/runtime/defile.jnl")) << name;
        EXPECT_TRUE(TempDrives::Exists(product + "/data/f0400.txt")) << name;
      }
    }
  }
}

}  // namespace
}  // namespace tunovar::posix
