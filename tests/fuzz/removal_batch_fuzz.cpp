// The removal batch as the uninstaller writes it, run by the built-in interpreter on an
// in-memory drive: every file and folder it names is removed, the folder chain of the last
// line goes when it is empty, and nothing outside the installation is touched. Names come
// from the characters a Windows name may hold, the batch's special ones among them.
#include <algorithm>
#include <string>
#include <vector>

#include "base/ansi_text.h"
#include "base/windows_path.h"
#include "fuzz/fuzz_input.h"
#include "platform/batch_interpreter.h"
#include "support/fake_platform.h"
#include "uninstall/removal_batch.h"

using namespace tunovar;
using tunovar::fuzz::FuzzInput;
using tunovar::fuzz::Require;
using tunovar::testing::FakeClock;
using tunovar::testing::FakeFileSystem;

namespace {

constexpr std::string_view kNameCharacters =
    "aB1 &^()%!,;=.'`~[]{}@#$+-_\xE9\xC4\xFF";

// A name Windows keeps as written: not only dots, no blank or dot at its end.
std::string NameOf(FuzzInput& input, bool blankAtStart) {
  std::string name;
  const int length = 1 + input.Below(12);
  for (int i = 0; i < length; ++i) {
    name += kNameCharacters[static_cast<std::size_t>(input.Below(static_cast<int>(kNameCharacters.size())))];
  }
  if (!blankAtStart) name = Trim(name);
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
  return name.empty() || IsDotsComponent(name) ? "n" : name;
}

bool Inside(const std::string& path, const std::string& folder) {
  return FakeFileSystem::Key(path).starts_with(FakeFileSystem::Key(folder) + "\\");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  FakeFileSystem fs;

  // The product folder C:\c1\...\cn with its runtime folder.
  std::vector<std::string> chain;
  std::string installDir = "C:";
  const int depth = 1 + input.Below(3);
  for (int i = 0; i < depth; ++i) {
    chain.push_back(installDir + "\\" + NameOf(input, false));
    installDir = chain.back();
  }
  const std::string appPath = installDir + "\\runtime\\";
  for (const char* own : {"deinst.bat", "deinst.pif", "defile", "install.exe"}) fs.PutFile(appPath + own, own);

  // What another program keeps beside the installation and above it.
  std::vector<std::string> keep = {"C:\\keep.txt", chain.front() + "x\\keep.txt"};
  if (depth > 1) keep.push_back(chain.front() + "\\other\\keep.txt");
  for (const std::string& k : keep) fs.PutFile(k, "keep");

  // The installation's files and folders, named from the input ("~f" and "~d" at their ends
  // keep a file from taking a folder's name).
  std::vector<std::string> files, folders;
  const int count = input.Below(6);
  for (int i = 0; i < count; ++i) {
    std::string folder = installDir;
    if (input.Below(2) == 1) {
      folder += "\\" + NameOf(input, true) + "~d";
      folders.push_back(folder);
    }
    files.push_back(folder + "\\" + NameOf(input, true) + "~f");
    fs.PutFile(files.back(), "x");
  }

  RemovalBatchWriter batch(fs.OpenForWriting(appPath + "deinst.bat", WriteMode::kReplace));
  for (const FixedWaitBlock& block : kFixedWaitBlocks) {
    const std::string path = FixedBlockPath(block, appPath, installDir);
    (void)batch.WriteFixedBlock(block.label, fs.FileExists(path) ? path : "");
  }
  for (const std::string& f : files) Require(batch.AddFileLine(f).has_value(), "a file Windows can name gets its line");
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
    Require(batch.AddFolderLine(*it).has_value(), "a folder Windows can name gets its line");
  }
  // Both joins of the last line: "|" where pipes run in order, " & " where they do not.
  (void)batch.WriteLastLine(installDir + "\\", input.Below(2) == 0 ? ChainJoin::kPipe : ChainJoin::kAmpersand);
  Require(batch.Complete(), "the batch is written completely");
  batch.Close();

  const std::optional<std::string> text = fs.ReadWholeFile(appPath + "deinst.bat");
  Require(text.has_value(), "the batch can be read");
  fs.journal.clear();
  FakeClock clock;
  BatchInterpreter interpreter(fs, clock, 1000, 100);
  Require(interpreter.Run(*text, WithoutTrailingBackslash(appPath)) == 0, "no waiting block gives up");

  for (const std::string& entry : fs.journal) {
    const std::string path = entry.substr(entry.find(' ') + 1);
    const bool ownFolder = std::any_of(chain.begin(), chain.end(), [&](const std::string& c) {
      return FakeFileSystem::Key(c) == FakeFileSystem::Key(path);
    });
    Require(Inside(path, installDir) || (entry.starts_with("RemoveFolder ") && ownFolder),
            "the batch acts only inside the product folder and on the folders of its chain");
  }
  for (const std::string& k : keep) Require(fs.Content(k) == "keep", "what lies outside stays");
  Require(!fs.Has(installDir), "the product folder is gone");
  for (const std::string& c : chain) {
    const bool holdsKept = std::any_of(keep.begin(), keep.end(), [&](const std::string& k) { return Inside(k, c); });
    Require(fs.Has(c) == holdsKept, "a folder of the chain goes exactly when it is empty");
  }
  return 0;
}
