// The interpreter of the self-removal batch ("deinst.bat") that the uninstaller writes.
//
// It runs exactly that dialect, in-process, never through a shell:
//   echo off                    ignored (so is every command it does not know)
//   :x                          a label
//   del PATH                    deletes one file ("del " alone does nothing)
//   rd PATH                     removes one empty folder
//   if exist PATH goto x        jumps when a file or folder exists (an empty PATH is false)
//   cd .. / cd..                goes to the folder above (at a drive's root it stays there)
//   a | b | c   a & b & c       runs a, b and c one after the other in one current folder
// Everything after "del ", "rd " or "if exist " up to " goto " is one path, taken without its
// double quotes (blanks inside them kept, at its ends too), with "%%" read as "%"; a relative
// path is taken from the current folder.
// Lines end in CR LF (a lone LF is accepted too). The whole file is read before it runs, so
// the batch may delete itself. A jump back to a label repeats a waiting block: it pauses
// between rounds and gives up after the give-up time, so a file that can never be deleted
// does not keep the batch running for ever. A path that a symbolic link on its way leads
// elsewhere is deleted or removed only where it really lies inside the installation (the
// folder two above the batch's own); a link as the last name is removed as a link.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/file_system.h"

namespace tunovar {

class BatchInterpreter {
 public:
  // The pause of a waiting block between two rounds: it waits at most ms for the file the
  // block waits for (a Windows path) and may end as soon as that file is let go of.
  using Pause = std::function<void(const std::string& path, std::uint32_t ms)>;

  // A waiting block pauses between its rounds (pause, else pauseMs on clock) and gives up
  // once more than giveUpMs have passed on clock since its first jump back.
  BatchInterpreter(FileSystem& fs, Clock& clock, std::uint32_t giveUpMs = 120000,
                   std::uint32_t pauseMs = 100, Pause pause = nullptr);

  // The batch's own file (a Windows path) and a test that it is still the same file: once it
  // is gone or replaced (a new installation ends a batch that still waits), the batch stops
  // before its next deletion, as the command interpreter stops when its file is gone. Its own
  // "del" of that file is no such end.
  void StopWhenOwnFileGoes(std::string ownFile, std::function<bool()> ownFileUnchanged);

  // Runs the batch with currentFolder (a Windows path) as the current folder. Returns the
  // number of waiting blocks that were given up.
  int Run(std::string_view batch, const std::string& currentFolder);

 private:
  enum class Flow { kNext, kJump, kStop };
  Flow Execute(std::string_view command, std::size_t& jumpTo);
  std::string Resolve(const std::string& path) const;
  // The path lies where it is written, or really inside the installation.
  [[nodiscard]] bool MayChange(const std::string& path) const;

  FileSystem& fs_;
  Clock& clock_;
  std::uint32_t giveUpMs_;
  std::uint32_t pauseMs_;
  Pause pause_;
  std::string current_;
  std::string ownFile_;
  std::function<bool()> ownFileUnchanged_;
  bool ownFileDeleted_ = false;
  std::string realInstallation_;  // ends in "\"; "" when the batch's folder is too short
  std::size_t pc_ = 0;
  int gaveUp_ = 0;
  // Label (upper case) -> line index; and the time the first jump back to it was taken.
  std::map<std::string, std::size_t> labels_;
  std::map<std::string, std::uint32_t> waitingSince_;
};

}  // namespace tunovar
