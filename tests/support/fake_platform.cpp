// The fake platform: in-memory files with Windows path rules, recorded shell and window calls.
#include "support/fake_platform.h"

#include <algorithm>

#include "base/ansi_text.h"
#include "base/wildcard.h"

namespace tunovar::testing {

// ---- File system ------------------------------------------------------------------------

std::string FakeFileSystem::Key(const std::string& path) {
  std::string k = UCase(path);
  while (k.size() > 2 && k.back() == '\\') k.pop_back();
  return k;
}

std::string FakeFileSystem::Parent(const std::string& key) {
  const auto at = key.rfind('\\');
  if (at == std::string::npos) return "";
  return key.substr(0, at);
}

FakeFileSystem::FakeFileSystem() { AddDrive('C'); }

void FakeFileSystem::AddDrive(char letter, std::int64_t freeMb) {
  const char up = ToUpperAnsi(letter);
  drives_[up] = freeMb;
  FakeNode root;
  root.folder = true;
  root.name = std::string(1, up) + ":";
  nodes_[root.name] = root;
}

void FakeFileSystem::SetFreeMb(char letter, std::int64_t freeMb) { drives_[ToUpperAnsi(letter)] = freeMb; }

FakeNode* FakeFileSystem::Find(const std::string& path) {
  if (path.empty()) return nullptr;
  const auto it = nodes_.find(Key(path));
  return it == nodes_.end() ? nullptr : &it->second;
}

FakeNode* FakeFileSystem::ParentFolder(const std::string& path) {
  FakeNode* p = Find(Parent(Key(path)));
  return (p != nullptr && p->folder) ? p : nullptr;
}

void FakeFileSystem::PutFolder(const std::string& path) {
  const std::string key = Key(path);
  if (key.size() <= 2) return;
  if (Find(Parent(key)) == nullptr) PutFolder(path.substr(0, Parent(key).size()));
  if (Find(key) != nullptr) return;
  FakeNode n;
  n.folder = true;
  std::string trimmed = path;
  while (!trimmed.empty() && trimmed.back() == '\\') trimmed.pop_back();
  n.name = trimmed.substr(trimmed.rfind('\\') + 1);
  nodes_[key] = n;
}

void FakeFileSystem::PutFile(const std::string& path, const std::string& bytes, LocalDateTime time) {
  const std::string key = Key(path);
  PutFolder(path.substr(0, Parent(key).size()));
  FakeNode n;
  n.name = path.substr(path.rfind('\\') + 1);
  n.bytes = bytes;
  n.time = time;
  nodes_[key] = n;
}

std::string FakeFileSystem::Content(const std::string& path) {
  FakeNode* n = Find(path);
  return n == nullptr ? std::string() : n->bytes;
}

std::vector<std::string> FakeFileSystem::Tree(const std::string& folder) {
  std::vector<std::string> out;
  const std::string prefix = Key(folder);
  for (const auto& [key, node] : nodes_) {
    if (key.size() <= 2) continue;  // drive roots
    if (!prefix.empty() && key != prefix && !StartsWithNoCase(key, prefix + "\\")) continue;
    // Rebuild the stored spelling from the components.
    std::string shown;
    std::string k = key;
    std::vector<std::string> parts;
    while (k.size() > 2) {
      parts.push_back(nodes_[k].name);
      k = Parent(k);
    }
    shown = k;
    for (auto it = parts.rbegin(); it != parts.rend(); ++it) shown += "\\" + *it;
    if (node.folder) shown += "\\";
    out.push_back(shown);
  }
  std::sort(out.begin(), out.end());
  return out;
}

bool FakeFileSystem::FileExists(const std::string& path) {
  FakeNode* n = Find(path);
  return n != nullptr && !n->folder && !n->hidden && !path.empty() && path.back() != '\\';
}

bool FakeFileSystem::EntryExists(const std::string& path) {
  FakeNode* n = Find(path);
  if (n == nullptr) return false;
  if (!path.empty() && path.back() == '\\') return n->folder;
  return true;
}

bool FakeFileSystem::FolderExists(const std::string& path) {
  FakeNode* n = Find(path);
  return n != nullptr && n->folder;
}

std::optional<std::uint64_t> FakeFileSystem::FileLength(const std::string& path) {
  FakeNode* n = Find(path);
  if (n == nullptr || n->folder) return std::nullopt;
  return n->bytes.size();
}

std::optional<LocalDateTime> FakeFileSystem::LastWriteTime(const std::string& path) {
  FakeNode* n = Find(path);
  if (n == nullptr) return std::nullopt;
  return n->time;
}

FsStatus FakeFileSystem::ClearAttributes(const std::string& path) {
  FakeNode* n = Find(path);
  if (n == nullptr) return FsStatus::kNotFound;
  n->readOnly = false;
  n->hidden = false;
  return FsStatus::kOk;
}

FsStatus FakeFileSystem::CreateFolder(const std::string& path) {
  journal.push_back("CreateFolder " + path);
  const std::string key = Key(path);
  if (Find(key) != nullptr) return FsStatus::kExists;
  if (ParentFolder(key) == nullptr) return FsStatus::kNotFound;
  if (failWrites.count(key) != 0) return FsStatus::kAccessDenied;
  PutFolder(path);
  return FsStatus::kOk;
}

FsStatus FakeFileSystem::RemoveFolder(const std::string& path) {
  journal.push_back("RemoveFolder " + path);
  const std::string key = Key(path);
  FakeNode* n = Find(key);
  if (n == nullptr || !n->folder) return FsStatus::kNotFound;
  for (const auto& [k, node] : nodes_) {
    if (k.size() > key.size() && StartsWithNoCase(k, key + "\\")) return FsStatus::kNotEmpty;
  }
  nodes_.erase(key);
  return FsStatus::kOk;
}

FsStatus FakeFileSystem::DeleteFile(const std::string& path) {
  journal.push_back("Delete " + path);
  if (path.find('\0') != std::string::npos) return FsStatus::kInvalidPath;  // no system takes it
  const std::string key = Key(path);
  FakeNode* n = Find(key);
  // A path ending in "\" names a folder, never a file to delete.
  if (n == nullptr || n->folder || path.back() == '\\') return FsStatus::kNotFound;
  if (n->locked || held.count(key) != 0) return FsStatus::kInUse;
  if (n->readOnly) return FsStatus::kAccessDenied;
  nodes_.erase(key);
  return FsStatus::kOk;
}

std::optional<std::string> FakeFileSystem::ReadWholeFile(const std::string& path) {
  FakeNode* n = Find(path);
  const std::string key = Key(path);
  if (n == nullptr || n->folder || failReads.count(key) != 0) return std::nullopt;
  if (const auto it = breakReadsAfter.find(key); it != breakReadsAfter.end() && it->second < n->bytes.size()) {
    return std::nullopt;
  }
  return n->bytes;
}

namespace {

class FakeReader : public ByteReader {
 public:
  // The bytes up to breakAt can be read; reading on from there fails.
  FakeReader(std::string bytes, std::size_t breakAt) : bytes_(std::move(bytes)), breakAt_(breakAt) {}
  std::optional<std::size_t> Read(char* buffer, std::size_t size) override {
    if (pos_ >= breakAt_ && pos_ < bytes_.size()) return std::nullopt;
    if (breakAt_ == 0) return std::nullopt;
    const std::size_t n = std::min({size, bytes_.size() - pos_, breakAt_ - pos_});
    std::copy_n(bytes_.data() + pos_, n, buffer);
    pos_ += n;
    return n;
  }

 private:
  std::string bytes_;
  std::size_t breakAt_;
  std::size_t pos_ = 0;
};

class FakeReplacement : public ReplacementFile {
 public:
  FakeReplacement(FakeFileSystem& fs, std::string destination)
      : fs_(fs), destination_(std::move(destination)) {}
  bool Write(const char* data, std::size_t size) override {
    ++fs_.writeCalls[FakeFileSystem::Key(destination_)];
    if (fs_.failWrites.count(FakeFileSystem::Key(destination_)) != 0) return false;
    bytes_.append(data, size);
    return true;
  }
  FsStatus Commit(const std::string& timesFrom) override {
    const std::string key = FakeFileSystem::Key(destination_);
    if (committed_ || fs_.failWrites.count(key) != 0) return FsStatus::kIoError;
    FakeNode* old = fs_.Find(destination_);
    if (old != nullptr && (old->locked || old->folder || fs_.held.count(key) != 0)) return FsStatus::kInUse;
    LocalDateTime time{2026, 12, 8, 10, 0, 0};
    if (FakeNode* src = fs_.Find(timesFrom); src != nullptr) time = src->time;
    fs_.journal.push_back("Replace " + destination_);
    fs_.PutFile(destination_, bytes_, time);
    committed_ = true;
    return FsStatus::kOk;
  }

 private:
  FakeFileSystem& fs_;
  std::string destination_;
  std::string bytes_;
  bool committed_ = false;  // a replacement is put in place once
};

class FakeWriter : public TextFileWriter {
 public:
  FakeWriter(FakeFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
  bool Write(std::string_view bytes) override {
    FakeNode* n = fs_.Find(path_);
    if (n == nullptr) return false;
    if (const auto full = fs_.diskFullAt.find(FakeFileSystem::Key(path_)); full != fs_.diskFullAt.end()) {
      const std::size_t room = full->second > n->bytes.size() ? full->second - n->bytes.size() : 0;
      if (bytes.size() > room) {
        n->bytes.append(bytes.substr(0, room));
        return false;
      }
    }
    n->bytes.append(bytes);
    return true;
  }
  bool Sync() override {
    if (fs_.Find(path_) == nullptr) return false;
    ++fs_.syncs[FakeFileSystem::Key(path_)];
    return true;
  }

 private:
  FakeFileSystem& fs_;
  std::string path_;
};

class FakeHold : public FileHold {
 public:
  FakeHold(FakeFileSystem& fs, std::string key) : fs_(fs), key_(std::move(key)) { fs_.held.insert(key_); }
  ~FakeHold() override { fs_.held.erase(key_); }

 private:
  FakeFileSystem& fs_;
  std::string key_;
};

}  // namespace

std::unique_ptr<ByteReader> FakeFileSystem::OpenForReading(const std::string& path) {
  FakeNode* n = Find(path);
  const std::string key = Key(path);
  if (n == nullptr || n->folder || failOpens.count(key) != 0) return nullptr;
  std::size_t breakAt = n->bytes.size() + 1;  // never
  if (failReads.count(key) != 0) breakAt = 0;
  if (const auto it = breakReadsAfter.find(key); it != breakReadsAfter.end()) breakAt = it->second;
  return std::make_unique<FakeReader>(n->bytes, breakAt);
}

std::unique_ptr<ReplacementFile> FakeFileSystem::CreateReplacement(const std::string& destination) {
  // A path ending in "\" names a folder, never a file to put in place.
  if (destination.empty() || destination.back() == '\\' || ParentFolder(destination) == nullptr) return nullptr;
  return std::make_unique<FakeReplacement>(*this, destination);
}

std::unique_ptr<TextFileWriter> FakeFileSystem::OpenForWriting(const std::string& path, WriteMode mode) {
  const std::string key = Key(path);
  if (ParentFolder(key) == nullptr || failWrites.count(key) != 0) return nullptr;
  FakeNode* n = Find(key);
  if (n != nullptr && (n->folder || n->readOnly || n->locked)) return nullptr;
  journal.push_back((mode == WriteMode::kAppend ? "Append " : "Write ") + path);
  if (n == nullptr || mode == WriteMode::kReplace) PutFile(path, "");
  return std::make_unique<FakeWriter>(*this, path);
}

std::unique_ptr<FileHold> FakeFileSystem::HoldOpen(const std::string& path) {
  if (!FileExists(path)) return nullptr;
  return std::make_unique<FakeHold>(*this, Key(path));
}

std::vector<std::string> FakeFileSystem::ListFiles(const std::string& pattern) {
  std::vector<std::string> out;
  const auto at = pattern.find_last_of("\\/");
  if (at == std::string::npos) return out;
  const std::string folder = Key(pattern.substr(0, at));
  const std::string namePattern = pattern.substr(at + 1);
  if (namePattern.empty()) return out;  // a folder path lists no files
  for (const auto& [key, node] : nodes_) {
    if (node.folder || node.hidden || Parent(key) != folder) continue;
    if (WildcardMatch(namePattern, node.name)) out.push_back(node.name);
  }
  return out;
}

std::optional<std::string> FakeFileSystem::DriveName(char letter) {
  const char up = ToUpperAnsi(letter);
  if (drives_.count(up) == 0) return std::nullopt;
  return std::string(1, ToLowerAnsi(up)) + ":";
}

std::optional<std::int64_t> FakeFileSystem::FreeMegabytes(int driveNumber) {
  const char letter = static_cast<char>('A' + driveNumber);
  const auto it = drives_.find(letter);
  if (it == drives_.end()) return std::nullopt;
  return it->second;
}

// ---- Shell ------------------------------------------------------------------------------

int FakeShell::Open(const std::string& file, const std::string& parameters,
                    const std::string& workingFolder, ShowMode show) {
  calls.push_back("Open " + file + "|" + parameters + "|" + workingFolder + "|" +
                  std::to_string(static_cast<int>(show)));
  opened.push_back(file);
  return onOpen ? onOpen(file) : openResult;
}

bool FakeShell::StartBatch(const std::string& batchName, const std::string& workingFolder) {
  calls.push_back("StartBatch " + batchName + "|" + workingFolder);
  opened.push_back(batchName);
  return batchStarts;
}

DdeStatus FakeShell::DdeExecute(const std::string& service, const std::string& topic,
                                const std::string& command, int connectMs, int timeoutMs) {
  calls.push_back("DDE " + service + "|" + topic + "|" + command + "|" + std::to_string(connectMs) + "|" +
                  std::to_string(timeoutMs));
  ddeCommands.push_back(command);
  DdeStatus next = ddeResult;
  if (!ddeResults.empty()) {
    next = ddeResults.front();
    ddeResults.pop_front();
  }
  if (clock != nullptr && next == DdeStatus::kConnectTimedOut) clock->now += static_cast<std::uint32_t>(connectMs);
  if (clock != nullptr && next == DdeStatus::kTimedOut) clock->now += static_cast<std::uint32_t>(timeoutMs);
  return next;
}

bool FakeShell::CreateShellLink(const std::string& linkPath, const std::string& target,
                                const std::string& workingFolder) {
  calls.push_back("Link " + linkPath + "|" + target + "|" + workingFolder);
  const std::size_t slash = linkPath.rfind('\\');
  if (!linksWork || fs == nullptr || slash == std::string::npos || !fs->FolderExists(linkPath.substr(0, slash))) {
    return false;
  }
  fs->PutFile(linkPath, target + "|" + workingFolder);
  return true;
}

bool FakeShell::RegisterUninstaller(const UninstallEntry& entry) {
  calls.push_back("Register " + entry.uninstallerPath + "|" + entry.displayName);
  registered = true;
  registeredPath = entry.uninstallerPath;
  registeredName = entry.displayName;
  registeredVersion = entry.displayVersion;
  registeredSizeKb = entry.estimatedSizeKb;
  return true;
}

bool FakeShell::UnregisterUninstaller() {
  calls.push_back("Unregister");
  const bool was = registered;
  registered = false;
  return was;
}

std::optional<WindowRef> FakeShell::FindTopWindow(const std::string& cls, const std::string& title) {
  calls.push_back("FindWindow " + cls + "|" + title);
  const std::string key = cls + "|" + title;
  if (windows.count(key) == 0) return std::nullopt;
  for (std::size_t i = 0; i < windowKeys_.size(); ++i) {
    if (windowKeys_[i] == key) return static_cast<WindowRef>(i + 1);
  }
  windowKeys_.push_back(key);
  return static_cast<WindowRef>(windowKeys_.size());
}

void FakeShell::SendClose(WindowRef window) {
  calls.push_back("SendClose");
  if (window == 0 || window > windowKeys_.size()) return;
  const auto it = windows.find(windowKeys_[window - 1]);
  if (it == windows.end() || it->second < 0) return;
  if (--it->second <= 0) windows.erase(it);
}

std::string FakeShell::ShortPathName(const std::string& path) {
  if (const auto it = shortNames.find(UCase(path)); it != shortNames.end()) return it->second;
  if (fs != nullptr && !fs->EntryExists(path) && !fs->FolderExists(path)) return "";
  return shortNamesEqualPath ? path : "";
}

std::string FakeShell::LongPathName(const std::string& path) {
  if (const auto it = longNames.find(UCase(path)); it != longNames.end()) return it->second;
  return "";
}

// ---- Window system and console ------------------------------------------------------------

class FakeFolderPicker : public FolderPicker {
 public:
  explicit FakeFolderPicker(FakeUi& ui) : ui_(ui) {}
  void SetOptions(int a, int b, bool c) override {
    ui_.pickerCalls.push_back("Options " + std::to_string(a) + "," + std::to_string(b) + "," +
                              (c ? "true" : "false"));
  }
  void SetRoot(const std::string& root) override { ui_.pickerCalls.push_back("Root " + root); }
  bool Preselect(const std::string& folder) override {
    const bool ok = ui_.pickerFolders.empty() || ui_.pickerFolders.count(UCase(folder)) != 0;
    ui_.pickerCalls.push_back("Preselect " + folder + (ok ? " ok" : " refused"));
    return ok;
  }
  std::optional<std::string> ShowModal() override {
    ui_.pickerCalls.push_back("Show");
    return ui_.pickerChoice;
  }

 private:
  FakeUi& ui_;
};

MessageAnswer FakeUi::ShowMessage(const std::string& title, const std::string& text,
                                  MessageButtons buttons) {
  messages.push_back({title, text, buttons});
  if (onMessage) onMessage(messages.back());
  MessageAnswer answer = buttons == MessageButtons::kOk ? MessageAnswer::kOk : MessageAnswer::kYes;
  if (!answers.empty()) {
    answer = answers.front();
    answers.pop_front();
  }
  return answer;
}

std::unique_ptr<FolderPicker> FakeUi::CreateFolderPicker() {
  if (!pickerAvailable) return nullptr;
  return std::make_unique<FakeFolderPicker>(*this);
}

void FakeUi::PumpEvents() {
  ++pumps;
  if (onPump) onPump();
}

bool FakeConsole::Logged(std::string_view part) const {
  return std::any_of(log.begin(), log.end(),
                     [&](const std::string& l) { return l.find(part) != std::string::npos; });
}

}  // namespace tunovar::testing
