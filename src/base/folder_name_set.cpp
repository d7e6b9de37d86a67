// The names of one host folder, found by their Windows key.
#include "base/folder_name_set.h"

#include "base/disk_names.h"

namespace tunovar {

bool FolderNameSet::HasKey(std::string_view diskName, std::string_view key) {
  const auto own = KeyOfDiskName(diskName);
  return own && *own == key;
}

void FolderNameSet::Add(std::string_view key, std::string_view diskName) {
  if (!Contains(key, diskName)) names_.emplace(HashOf(key), diskName);
}

void FolderNameSet::Remove(std::string_view key, std::string_view diskName) {
  const auto [first, last] = names_.equal_range(HashOf(key));
  for (auto it = first; it != last; ++it) {
    if (it->second == diskName) {
      names_.erase(it);
      return;
    }
  }
}

bool FolderNameSet::Contains(std::string_view key, std::string_view diskName) const {
  const auto [first, last] = names_.equal_range(HashOf(key));
  for (auto it = first; it != last; ++it) {
    if (it->second == diskName) return true;
  }
  return false;
}

std::optional<std::string> FolderNameSet::Spelling(std::string_view key, std::string_view preferred) const {
  const auto [first, last] = names_.equal_range(HashOf(key));
  const std::string* smallest = nullptr;
  for (auto it = first; it != last; ++it) {
    if (!preferred.empty() && it->second == preferred) return it->second;
    if ((smallest == nullptr || it->second < *smallest) && HasKey(it->second, key)) smallest = &it->second;
  }
  if (smallest == nullptr) return std::nullopt;
  return *smallest;
}

}  // namespace tunovar
