// The removal batch of an installation, for the differential test of the two interpreters.
//
//   batch_sample write TARGET FOLDER [nt]   runs the uninstaller (deinstal /S) on the fake
//       platform over an installation in the Windows folder TARGET ("C:\A b&c\"), which leaves
//       to the batch what it cannot delete itself (the running uninstaller, the removal list,
//       the files of the seven waiting blocks, the folders holding them), on a system that runs the
//       commands of a "|" chain in order or, with "nt", on one that does not (NT-family
//       Windows, Wine): its last line then joins them with " & ". Writes FOLDER/deinst.bat as the
//       uninstaller wrote it for Windows, in the OEM code page 437 of an English Wine,
//       FOLDER/posix.bat as it wrote it for the built-in interpreter (Windows-1252, the same
//       bytes wherever the path is ASCII), and FOLDER/tree.txt, the installation's entries
//       relative to drive C: ("A b&c/TUNOVAR/runtime/defile", folders ending in "/"), UTF-8.
//   batch_sample run DRIVE_C RUNTIME  runs RUNTIME\deinst.bat (RUNTIME a Windows folder) with
//       the built-in interpreter, drive C: being the host folder DRIVE_C.
#include <iconv.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/ansi_text.h"
#include "base/ansi_utf8.h"
#include "formats/removal_list.h"
#include "platform/batch_interpreter.h"
#include "platform/posix/file_system_posix.h"
#include "installer/installer.h"
#include "support/installer_fixture.h"

using namespace tunovar;
using tunovar::testing::FakePlatform;

namespace {

// The product's files below InstallDir, names the batch must carry among them.
const std::vector<std::string> kProductFiles = {
    "runtime\\deinstal.exe", "runtime\\insttext", "runtime\\group", "runtime\\deinst.pif",
    "tunOVAR.exe",           "read me.txt",       "a&b (1).txt",    "100% ^sure!.txt",
    "x,y;z=w.txt",           "data\\songs.db",    "my data\\a b.txt", "Gr\xFC\xDF""e.txt"};

// Windows-1252 into code page 437, as Windows converts it for cmd; nullopt for a character
// 437 lacks.
std::optional<std::string> ToCodePage437(std::string_view ansi) {
  const iconv_t cd = iconv_open("CP437", "CP1252");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string in(ansi);
  std::string out(in.size() * 4 + 4, '\0');
  char* inPtr = in.data();
  char* outPtr = out.data();
  std::size_t inLeft = in.size();
  std::size_t outLeft = out.size();
  const std::size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (done == static_cast<std::size_t>(-1) || inLeft != 0) return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}

// The batch of the installation in TARGET, its file written in the code page codePage
// gives (none: the ANSI bytes); writes FOLDER/NAME and, when tree is set, FOLDER/tree.txt.
int WriteBatch(const std::string& target, const std::string& folder, bool nt, const std::string& name,
               std::function<std::optional<std::string>(std::string_view)> codePage, bool tree);

int Write(const std::string& target, const std::string& folder, bool nt) {
  const int windows = WriteBatch(target, folder, nt, "deinst.bat", ToCodePage437, true);
  if (windows != 0) return windows;
  return WriteBatch(target, folder, nt, "posix.bat", nullptr, false);
}

int WriteBatch(const std::string& target, const std::string& folder, bool nt, const std::string& name,
               std::function<std::optional<std::string>(std::string_view)> codePage, bool writeTree) {
  FakePlatform fake;
  fake.shell.dosBased = !nt;
  fake.shell.batchCodePage = std::move(codePage);
  const std::string dir = target + "TUNOVAR";
  const std::string app = dir + "\\runtime\\";
  fake.fs.PutFile("C:\\WINDOWS\\ovrituno.inf", "\"" + dir + "\\\"\r\n");
  fake.fs.PutFile(app + "insttext", tunovar::testing::InstallerTextFile({tunovar::testing::GermanTexts(), tunovar::testing::EnglishTexts()}));
  tunovar::StringList entries;
  for (const std::string& f : kProductFiles) {
    if (f != "runtime\\insttext") fake.fs.PutFile(dir + "\\" + f, f);
    entries.push_back(dir + "\\" + f);
  }
  tunovar::StringList folders;
  for (const std::string& f : {dir + "\\", app, dir + "\\data\\", dir + "\\my data\\"}) folders.push_back(f);
  fake.fs.PutFile(app + "defile", RemovalListText(1, entries, target) + FolderEntriesText(folders));
  // The files the seven waiting blocks delete, which no entry names: the batch removes them.
  for (const char* blockFile : {"runtime\\install.exe", "runtime\\asycfilt.dll", "spinstation.ini",
                                "animation.ini", "temp.m3u"}) {
    fake.fs.PutFile(dir + "\\" + blockFile, blockFile);
  }
  fake.clock.msPerReading = 1;  // the uninstaller's retries read the clock

  {
    Installer installer(fake.platform, {app.substr(0, app.size() - 1), "deinstal"}, ParseSwitches("/S"));
    if (installer.Start()) installer.Deliver(Ctl::Timer1, Event::kTimer);
    if (installer.ExitCodeOfRun() != kExitDone) {
      std::fprintf(stderr, "the uninstaller ended with %d\n", installer.ExitCodeOfRun());
      return 1;
    }
  }
  const std::string batch = fake.fs.Content(app + "deinst.bat");
  std::ofstream(folder + "/" + name, std::ios::binary) << batch;
  if (!writeTree) return batch.empty() ? 1 : 0;
  std::ofstream tree(folder + "/tree.txt", std::ios::binary);
  for (const std::string& path : fake.fs.Tree(target)) {
    if (EqualsNoCase(path, app + "deinst.bat")) continue;  // the test puts the batch in place
    std::string rel = path.substr(3);
    for (char& c : rel) c = c == '\\' ? '/' : c;
    if (fake.fs.Find(path)->folder && !rel.ends_with('/')) rel += '/';
    tree << AnsiToUtf8(rel) << '\n';
  }
  return batch.empty() ? 1 : 0;
}

int Run(const std::string& driveC, const std::string& runtime) {
  setenv("TUNOVAR_DRIVES", ("C=" + driveC).c_str(), 1);
  posix::PosixFileSystem fs;
  tunovar::testing::FakeClock clock;
  const auto batch = fs.ReadWholeFile(runtime + "\\deinst.bat");
  if (!batch) {
    std::fprintf(stderr, "no batch in %s\n", runtime.c_str());
    return 1;
  }
  BatchInterpreter interpreter(fs, clock, 2000, 100);
  return interpreter.Run(*batch, runtime) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  const bool nt = argc == 5 && std::string(argv[4]) == "nt";
  if ((argc == 4 || nt) && command == "write") return Write(Utf8ToAnsiLossy(argv[2]), argv[3], nt);
  if (argc == 4 && command == "run") return Run(argv[2], Utf8ToAnsiLossy(argv[3]));
  std::fprintf(stderr, "usage: batch_sample write TARGET FOLDER [nt] | run DRIVE_C RUNTIME\n");
  return 64;
}
