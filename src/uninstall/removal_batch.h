// The self-removal batch "deinst.bat": its fixed waiting blocks, removal lines, last line.
//
// The uninstaller cannot delete its own files, files still in use or the folder it runs
// from; it leaves that to this batch, which runs (on DOS-based Windows through "deinst.pif")
// once the uninstaller has let go of its files. Line map of the file, in the runtime folder
// (AppPath), in the code page its interpreter reads (the OEM code page on Windows: the
// ANSI bytes wherever the two agree), every line ending in CR LF except the last:
//
//   1     echo off                      block d   AppPath & "install.exe"
//   2     :d                            each block: four lines, its label L, and P the
//   3     del P                         short form of its file ("" when the file is
//   4     if exist P goto d             missing: "del " and "if exist  goto d")
//   5-8   block e   AppPath & "defile"
//   9-12  block f   AppPath & "MSVBVM50.DLL"
//   13-16 block h   AppPath & "asycfilt.dll"
//   17-20 block k   InstallDir & "\spinstation.ini"
//   21-24 block n   InstallDir & "\animation.ini"
//   25-28 block l   InstallDir & "\temp.m3u"
//   29..  del S                         a file left to the batch (S its short form; the
//                                       uninstaller leaves it none: a listed file it cannot
//                                       delete stays, and is named as staying)
//         rd S                          a listed folder still present (no final "\")
//         echo off / :u / del S /       the running uninstaller, waited for like the
//         if exist S goto u             blocks' files: it goes only after its image does
//   last  del deinst.pif | del deinst.bat | cd .. | rd runtime | cd.. | rd cn ... | cd.. | rd c1
//                                       c1..cn the components of InstallDir; no CR LF. Where
//                                       the interpreter runs the sides of a pipe at the same
//                                       time (NT-family Windows), " & " joins them instead
//
// Each block deletes its file and jumps back while it still exists, so the batch does not
// pass block e until the uninstaller has let go of "defile", which it holds until it ends.
//
// Operands: a path or component holding a blank, ",", ";", "=", "&", "|", "<", ">", "^",
// "(" or ")" is written in double quotes, every "%" is doubled and every "/" is written as
// "\" (the same separator to Windows, never a switch), so that no name can become a command,
// a switch or split in two; any other name is written byte for byte. A name that
// no Windows file can have (a double quote, a wildcard, a control character) is not
// written at all: such a block gets an empty P, such a removal line is left out, and a
// folder chain stops below such a component. The same holds for a name with a character that
// the interpreter's code page lacks: written in another character it would name another file.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/file_system.h"

namespace tunovar {

// The text in the code page of the batch's interpreter; nullopt when it cannot hold it. An
// empty function keeps the bytes as they are.
using BatchCodePage = std::function<std::optional<std::string>(std::string_view)>;

// A fixed waiting block: its label and where its file lies.
struct FixedWaitBlock {
  char label;
  bool inInstallDir;      // false: AppPath & name; true: InstallDir & name
  std::string_view name;  // a name in InstallDir starts with "\"
};

inline constexpr std::array<FixedWaitBlock, 7> kFixedWaitBlocks{{
    {'d', false, "install.exe"},
    {'e', false, "defile"},
    {'f', false, "MSVBVM50.DLL"},
    {'h', false, "asycfilt.dll"},
    {'k', true, "\\spinstation.ini"},
    {'n', true, "\\animation.ini"},
    {'l', true, "\\temp.m3u"},
}};

// How the commands of the last line are joined. DOS-based Windows runs the commands of a
// "|" chain one after the other, each in the folder the one before left. NT-family Windows
// runs each side of a pipe in an interpreter of its own, all at the same time: "cd .." would
// never carry over and no folder would go, so there " & " joins them, which runs them in order.
enum class ChainJoin { kPipe, kAmpersand };

[[nodiscard]] constexpr std::string_view JoinText(ChainJoin join) {
  return join == ChainJoin::kPipe ? " | " : " & ";
}

// The commands of the last line before the folder chain.
inline constexpr std::array<std::string_view, 4> kBatchLastLineCommands{
    "del deinst.pif", "del deinst.bat", "cd ..", "rd runtime"};

// The full path of a block's file; "" for a block in InstallDir when there is none (the name
// would start at the root of the current drive, outside anything installed): such a block
// waits for nothing, like one whose file is missing.
[[nodiscard]] std::string FixedBlockPath(const FixedWaitBlock& block, std::string_view appPath,
                                         std::string_view installDir);

// A path as the batch may carry it (quoted, "%" doubled, "/" as "\", in the code page);
// nullopt for a name that no Windows file can have or the code page cannot hold. An empty
// path stays empty.
[[nodiscard]] std::optional<std::string> BatchOperand(std::string_view path, const BatchCodePage& codePage = {});

// The label of the waiting block for the running uninstaller among the removal lines.
inline constexpr char kRunningProgramLabel = 'u';

// The four lines of a block, each with its CR LF. shortPath is the short form of the block's
// file ("" when it does not exist).
[[nodiscard]] std::string FixedBlockText(char label, std::string_view shortPath, const BatchCodePage& codePage = {});

// "del " / "rd " with the operand and CR LF; nullopt when the path cannot be written.
[[nodiscard]] std::optional<std::string> FileLineText(std::string_view shortPath, const BatchCodePage& codePage = {});
[[nodiscard]] std::optional<std::string> FolderLineText(std::string_view shortPath, const BatchCodePage& codePage = {});

// The folder-removal chain for a folder path: " | cd.. | rd " and a component, for each
// component below the drive root from the deepest upwards; "" for a drive root or a path
// without ":\". Empty components ("\\") are no folder level and are left out; the chain
// stops below a component that cannot be written or that is made of dots only. With
// ChainJoin::kAmpersand " & " stands for each " | ".
[[nodiscard]] std::string BuildRemoveDirChain(std::string_view folder, ChainJoin join = ChainJoin::kPipe,
                                              const BatchCodePage& codePage = {});

// The last line for the product folder (InstallDir followed by "\"), without line end.
[[nodiscard]] std::string LastLineText(std::string_view parentFolder, ChainJoin join = ChainJoin::kPipe,
                                       const BatchCodePage& codePage = {});

// Writes "deinst.bat" piece by piece. Built on a writer that may be missing (the folder is
// not writable): the writes then go nowhere, as a file that cannot be opened is not written.
// Each call returns the text it gave the file, for the log. The paths it could not write
// (of a block's file or a removal line) are kept: nothing will remove those files.
class RemovalBatchWriter {
 public:
  explicit RemovalBatchWriter(std::unique_ptr<TextFileWriter> file, BatchCodePage codePage = {})
      : file_(std::move(file)), opened_(file_ != nullptr), codePage_(std::move(codePage)) {}

  [[nodiscard]] bool IsOpen() const { return file_ != nullptr; }
  // The file was opened and every write reached it: only such a batch may be started,
  // as a half-written line could name a different file than the one meant.
  [[nodiscard]] bool Complete() const { return opened_ && !failed_; }
  std::string WriteFixedBlock(char label, std::string_view shortPath);
  // A waiting block among the removal lines; nullopt (and nothing written) when the path
  // cannot be written.
  std::optional<std::string> AddWaitingBlock(char label, std::string_view shortPath);
  // nullopt (and nothing written) when the path cannot be written.
  std::optional<std::string> AddFileLine(std::string_view shortPath);
  std::optional<std::string> AddFolderLine(std::string_view shortPath);
  std::string WriteLastLine(std::string_view parentFolder, ChainJoin join = ChainJoin::kPipe);
  // Closes the file; later writes go nowhere.
  void Close() { file_.reset(); }
  // The paths given that the batch could not carry, in order.
  [[nodiscard]] const std::vector<std::string>& Uncarried() const { return uncarried_; }

 private:
  void Put(std::string_view text);
  void NoteUncarried(std::string_view path);
  std::unique_ptr<TextFileWriter> file_;
  bool opened_;
  bool failed_ = false;
  BatchCodePage codePage_;
  std::vector<std::string> uncarried_;
};

}  // namespace tunovar
