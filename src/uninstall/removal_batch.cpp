// The self-removal batch "deinst.bat": operands, blocks, removal lines and the folder chain.
#include "uninstall/removal_batch.h"

#include <vector>

#include "base/ansi_text.h"
#include "base/windows_path.h"

namespace tunovar {
namespace {

// Characters that end or split a word for the command interpreter.
bool IsSeparatorOrOperator(char c) {
  return std::string_view(" ,;=&|<>^()").find(c) != std::string_view::npos;
}

// Characters that no Windows name holds (a path with one names nothing we placed) and that
// double quotes cannot carry: a double quote would end the quotes, a wildcard or a control
// character would change the command. "<", ">" and "|" are quoted like every operator, and a
// colon is harmless in a path.
bool CannotBeCarried(char c) { return ForbiddenInName(c) && !IsSeparatorOrOperator(c) && c != ':'; }

}  // namespace

std::string FixedBlockPath(const FixedWaitBlock& block, std::string_view appPath,
                           std::string_view installDir) {
  if (block.inInstallDir && installDir.empty()) return std::string();
  std::string path(block.inInstallDir ? installDir : appPath);
  path += block.name;
  return path;
}

std::optional<std::string> BatchOperand(std::string_view path, const BatchCodePage& codePage) {
  bool quote = false;
  std::string out;
  out.reserve(path.size() + 2);
  for (const char c : path) {
    if (CannotBeCarried(c)) return std::nullopt;
    if (IsSeparatorOrOperator(c)) quote = true;
    // "/" separates components as "\" does, but to "del" and "rd" it starts a switch
    // ("rd C:\x/s" would remove a whole tree): it is written as "\".
    if (c == '/') {
      out += '\\';
      continue;
    }
    out += c;
    // The interpreter expands "%" even inside quotes; "%%" stands for one.
    if (c == '%') out += '%';
  }
  if (quote) out = "\"" + out + "\"";
  // The quotes, "%" and "\" are ASCII, the same in every code page.
  if (codePage) return codePage(out);
  return out;
}

std::string FixedBlockText(char label, std::string_view shortPath, const BatchCodePage& codePage) {
  // A block whose file name cannot be written waits for nothing, like a missing file.
  const std::string p = BatchOperand(shortPath, codePage).value_or(std::string());
  std::string text = "echo off";
  text += kCrLf;
  text += ':';
  text += label;
  text += kCrLf;
  text += "del " + p;
  text += kCrLf;
  text += "if exist " + p + " goto ";
  text += label;
  text += kCrLf;
  return text;
}

std::optional<std::string> FileLineText(std::string_view shortPath, const BatchCodePage& codePage) {
  const auto p = BatchOperand(shortPath, codePage);
  if (!p) return std::nullopt;
  return "del " + *p + std::string(kCrLf);
}

std::optional<std::string> FolderLineText(std::string_view shortPath, const BatchCodePage& codePage) {
  const auto p = BatchOperand(shortPath, codePage);
  if (!p) return std::nullopt;
  return "rd " + *p + std::string(kCrLf);
}

std::string BuildRemoveDirChain(std::string_view folder, ChainJoin join, const BatchCodePage& codePage) {
  const std::size_t drive = folder.find(":\\");
  if (drive == std::string_view::npos) return "";
  const std::vector<std::string_view> components = PathComponents(folder.substr(drive + 2));

  std::string chain;
  for (auto it = components.rbegin(); it != components.rend(); ++it) {
    // Past a component we cannot name, the chain would remove folders at the wrong level;
    // the folders above it hold it and stay anyway.
    if (IsDotsComponent(*it)) break;
    const auto operand = BatchOperand(*it, codePage);
    if (!operand) break;
    chain += JoinText(join);
    chain += "cd..";
    chain += JoinText(join);
    chain += "rd " + *operand;
  }
  return chain;
}

std::string LastLineText(std::string_view parentFolder, ChainJoin join, const BatchCodePage& codePage) {
  std::string line;
  for (const std::string_view command : kBatchLastLineCommands) {
    if (!line.empty()) line += JoinText(join);
    line += command;
  }
  return line + BuildRemoveDirChain(parentFolder, join, codePage);
}

void RemovalBatchWriter::Put(std::string_view text) {
  if (file_ != nullptr && !file_->Write(text)) failed_ = true;
}

void RemovalBatchWriter::NoteUncarried(std::string_view path) {
  if (!path.empty()) uncarried_.emplace_back(path);
}

std::string RemovalBatchWriter::WriteFixedBlock(char label, std::string_view shortPath) {
  if (!BatchOperand(shortPath, codePage_)) NoteUncarried(shortPath);
  std::string text = FixedBlockText(label, shortPath, codePage_);
  Put(text);
  return text;
}

std::optional<std::string> RemovalBatchWriter::AddWaitingBlock(char label, std::string_view shortPath) {
  if (shortPath.empty() || !BatchOperand(shortPath, codePage_)) {
    NoteUncarried(shortPath);
    return std::nullopt;
  }
  std::string text = FixedBlockText(label, shortPath, codePage_);
  Put(text);
  return text;
}

std::optional<std::string> RemovalBatchWriter::AddFileLine(std::string_view shortPath) {
  auto text = FileLineText(shortPath, codePage_);
  if (text) {
    Put(*text);
  } else {
    NoteUncarried(shortPath);
  }
  return text;
}

std::optional<std::string> RemovalBatchWriter::AddFolderLine(std::string_view shortPath) {
  auto text = FolderLineText(shortPath, codePage_);
  if (text) {
    Put(*text);
  } else {
    NoteUncarried(shortPath);
  }
  return text;
}

std::string RemovalBatchWriter::WriteLastLine(std::string_view parentFolder, ChainJoin join) {
  std::string text = LastLineText(parentFolder, join, codePage_);
  Put(text);
  return text;
}

}  // namespace tunovar
