// The names of one host folder, found by their Windows key (the Windows-1252 spelling in upper
// case) as a case-insensitive lookup needs them.
//
// A folder of the installation may hold tens of thousands of names, and the file system keeps
// those of every folder it writes to: one entry a name, the name as it is on disk under the
// hash of its key, so that a name costs little more than its own bytes. Names without a
// Windows spelling are not kept (nothing finds them).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tunovar {

class FolderNameSet {
 public:
  void Clear() { names_.clear(); }
  [[nodiscard]] std::size_t size() const { return names_.size(); }

  // key: KeyOfDiskName(diskName), computed by the caller.
  void Add(std::string_view key, std::string_view diskName);
  void Remove(std::string_view key, std::string_view diskName);
  // Exactly this name is there.
  [[nodiscard]] bool Contains(std::string_view key, std::string_view diskName) const;
  // The name on disk with this key: preferred when it is there, else the smallest of those
  // with the key; nullopt when no name has it.
  [[nodiscard]] std::optional<std::string> Spelling(std::string_view key, std::string_view preferred = {}) const;
  // Every name, in no particular order.
  template <typename Visit>
  void ForEachName(Visit visit) const {
    for (const auto& entry : names_) visit(entry.second);
  }

 private:
  static std::size_t HashOf(std::string_view key) { return std::hash<std::string_view>{}(key); }
  // Two keys may share a hash: a name found by the hash is checked against the key.
  static bool HasKey(std::string_view diskName, std::string_view key);

  std::unordered_multimap<std::size_t, std::string> names_;
};

}  // namespace tunovar
