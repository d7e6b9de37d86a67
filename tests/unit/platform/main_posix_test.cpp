// Tests of the built Linux program (its path comes from TUNOVAR_TEST_INSTALL, set by CTest):
// without /S it has no window and changes nothing.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include <gtest/gtest.h>

#include "platform/posix/file_system_posix.h"
#include "platform/posix/shell_posix.h"
#include "support/temp_drives.h"

extern char** environ;

namespace tunovar::posix {
namespace {

using testing::TempDrives;

struct Outcome {
  int code = -1;
  std::string standardError;
};

// Runs the program with the arguments and this process's environment.
Outcome RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
  Outcome outcome;
  int errPipe[2];
  if (pipe2(errPipe, O_CLOEXEC) != 0) return outcome;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(errPipe[1]);
  if (error == 0) {
    char buffer[4096];
    ssize_t n = 0;
    while ((n = read(errPipe[0], buffer, sizeof buffer)) > 0) outcome.standardError.append(buffer, static_cast<std::size_t>(n));
    int status = 0;
    waitpid(pid, &status, 0);
    outcome.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  close(errPipe[0]);
  return outcome;
}

class MainPosix : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* program = std::getenv("TUNOVAR_TEST_INSTALL");
    if (program == nullptr || program[0] == '\0') GTEST_SKIP() << "TUNOVAR_TEST_INSTALL is not set (run through CTest)";
    program_ = program;
    // Drive folders that do not exist yet: the program must not make them.
    drives.SetEnv("TUNOVAR_DRIVES", "C=" + drives.Base() + "/c;D=" + drives.Base() + "/d");
  }

  TempDrives drives{""};
  std::string program_;
};

TEST_F(MainPosix, WithoutSilentTheProgramSaysItHasNoWindowAndChangesNothing) {
  const auto before = TempDrives::Tree(drives.Base());
  const std::vector<std::vector<std::string>> rows = {
      {},
      {"d"},
      {"/D=C:\\Apps"},
      {"/BOGUS"},
      {"/LANG=1", "/LOG=" + drives.Base() + "/install.log", "/NOCDDB"},
  };
  for (const auto& arguments : rows) {
    const Outcome outcome = RunProgram(program_, arguments);
    const std::string row = arguments.empty() ? "(none)" : arguments[0];
    EXPECT_EQ(outcome.code, 64) << row;
    EXPECT_NE(outcome.standardError.find("has no window"), std::string::npos) << row;
    EXPECT_NE(outcome.standardError.find("/S"), std::string::npos) << row;
    EXPECT_NE(outcome.standardError.find("Usage:"), std::string::npos) << row;
    EXPECT_EQ(TempDrives::Tree(drives.Base()), before) << row;
  }
  EXPECT_NE(RunProgram(program_, {"/BOGUS"}).standardError.find("Unknown switch /BOGUS."), std::string::npos);
}

TEST_F(MainPosix, ASilentRunWithABadSwitchEndsAsAUsageErrorBeforeAnythingChanges) {
  const auto before = TempDrives::Tree(drives.Base());
  struct Row {
    std::vector<std::string> arguments;
    const char* says;
  };
  const Row rows[] = {
      {{"/S", "/LANG=x"}, "/LANG="},
      {{"/S", "/D=C:\\\u041c\u0443\u0437\u044b\u043a\u0430"}, "Windows-1252"},
      {{"/S", "-D=C:\\x"}, "-D=C:\\x is no switch"},
      // An argument with a blank stays one word: the log's name is not taken for a stray word.
      {{"/LOG=" + drives.Base() + "/a log.txt", "/S", "/D="}, "/D= needs a folder"},
  };
  for (const Row& r : rows) {
    const Outcome outcome = RunProgram(program_, r.arguments);
    EXPECT_EQ(outcome.code, 64) << r.says;
    EXPECT_NE(outcome.standardError.find(r.says), std::string::npos) << outcome.standardError;
  }
  // Nothing but the log that the last row asked for.
  auto after = TempDrives::Tree(drives.Base());
  std::erase(after, "a log.txt");
  EXPECT_EQ(after, before);
}

TEST_F(MainPosix, AFolderNameNoWindowsPathCanHoldIsSaidNotTakenForACorruptedCd) {
  const auto bytes = TempDrives::ReadFile(program_);
  ASSERT_TRUE(bytes);
  for (const char* folder : {"cd:1", "what?", "all*"}) {
    const std::string copy = drives.Base() + "/" + folder + "/TUNOVAR/runtime/install";
    TempDrives::WriteFile(copy, *bytes);
    TempDrives::SetMode(copy, 0755);
    drives.SetEnv("TUNOVAR_DRIVES", "C=" + drives.Base() + "/c;D=" + drives.Base());
    const Outcome outcome = RunProgram(copy, {"/S"});
    EXPECT_EQ(outcome.code, 64) << folder;
    EXPECT_NE(outcome.standardError.find("no Windows path can hold"), std::string::npos) << outcome.standardError;
  }
}

TEST_F(MainPosix, ASecondInstanceEndsWithCodeFive) {
  PosixFileSystem fs;
  PosixShell running(fs);
  ASSERT_FALSE(running.AnotherInstanceRunning());
  EXPECT_EQ(RunProgram(program_, {"/S"}).code, 5);
  EXPECT_EQ(RunProgram(program_, {"d", "/S"}).code, 5);
}

}  // namespace
}  // namespace tunovar::posix
