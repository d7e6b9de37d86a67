// What of an installation stays once its removal batch has run.
#include "uninstall/files_that_stay.h"

#include <map>
#include <set>

#include "base/ansi_text.h"
#include "base/windows_path.h"
#include "uninstall/removal_batch.h"

namespace tunovar {

std::vector<std::string> FilesThatStay(FileSystem& fs, const std::string& appPath, const std::string& installDir,
                                       const RemovalList& list, bool batchRuns) {
  // The folders to look into, each once, in the order first named.
  std::vector<std::string> folders;
  std::set<std::string> seen;
  const auto look = [&](const std::string& folder) {
    const std::string withSlash = WithTrailingBackslash(folder);
    if (!withSlash.empty() && seen.insert(UCase(withSlash)).second && fs.FolderExists(withSlash)) {
      folders.push_back(withSlash);
    }
  };
  if (!installDir.empty()) look(installDir);
  look(appPath);
  const std::string inside = installDir.empty() ? std::string() : UCase(installDir + "\\");
  for (const RemovalEntry& entry : list.entries) {
    const bool namesFolder = entry.folder || EndsInBackslash(entry.path);
    if (namesFolder && !inside.empty() && StartsWithNoCase(entry.path, inside) && !HasDotsComponent(entry.path)) {
      look(std::string(entry.path));
    }
  }

  // Upper-case path -> path, for the files found.
  std::map<std::string, std::string> found;
  for (const std::string& folder : folders) {
    for (const std::string& name : fs.ListFiles(folder + "*")) found.emplace(UCase(folder + name), folder + name);
  }
  if (batchRuns && !found.empty()) {
    for (const FixedWaitBlock& block : kFixedWaitBlocks) found.erase(UCase(FixedBlockPath(block, appPath, installDir)));
    for (const char* own : {"deinst.pif", "deinst.bat"}) found.erase(UCase(appPath + own));
    // Every file of the list, in a key that keeps its room. Upper-casing keeps a path's
    // length, and only a few files are found: a path of a length none of them has is passed
    // over without a key.
    std::vector<bool> foundLength;
    for (const auto& [foundKey, foundPath] : found) {
      if (foundKey.size() >= foundLength.size()) foundLength.resize(foundKey.size() + 1);
      foundLength[foundKey.size()] = true;
    }
    std::string key;
    for (const RemovalEntry& entry : list.entries) {
      if (entry.folder || entry.path.size() >= foundLength.size() || !foundLength[entry.path.size()]) continue;
      AssignUCase(key, entry.path);
      found.erase(key);
    }
  }
  std::vector<std::string> staying;
  staying.reserve(found.size());
  for (auto& [key, path] : found) staying.push_back(std::move(path));
  return staying;
}

}  // namespace tunovar
