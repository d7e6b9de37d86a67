// Tests of the POSIX folder cache alone, over a temporary folder: after each change another
// program makes, the kept names are those of a fresh reading, and the change count moved.
#include "platform/posix/folder_cache.h"

#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/temp_drives.h"

namespace tunovar::posix {
namespace {

using testing::TempDrives;

std::vector<std::string> NamesIn(FolderCache& cache, const std::string& folder) {
  std::vector<std::string> out;
  const FolderCache::FolderNames* names = cache.NamesOf(folder, true);
  if (names == nullptr) return {"(no folder)"};
  names->names.ForEachName([&out](const std::string& name) { out.push_back(name); });
  std::sort(out.begin(), out.end());
  return out;
}

TEST(FolderCachePosix, KeptNamesFollowEveryChangeFromOutside) {
  struct Row {
    const char* name;
    std::function<void(const std::string& folder)> change;
    std::vector<std::string> names;  // of the folder afterwards
  };
  const auto touch = [](const std::string& host) { TempDrives::WriteFile(host, "x"); };
  const Row rows[] = {
      {"a file added", [&](const std::string& f) { touch(f + "/New.txt"); }, {"New.txt", "a.txt", "sub"}},
      {"a file removed", [](const std::string& f) { unlink((f + "/a.txt").c_str()); }, {"sub"}},
      {"a file renamed", [](const std::string& f) { rename((f + "/a.txt").c_str(), (f + "/B.TXT").c_str()); },
       {"B.TXT", "sub"}},
      {"a folder removed", [](const std::string& f) { rmdir((f + "/sub").c_str()); }, {"a.txt"}},
      {"the folder replaced",
       [&](const std::string& f) {
         touch(f + ".new/other");
         rename(f.c_str(), (f + ".old").c_str());
         rename((f + ".new").c_str(), f.c_str());
       },
       {"other"}},
      {"the folder removed",
       [](const std::string& f) {
         rename(f.c_str(), (f + ".old").c_str());
       },
       {"(no folder)"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempDrives drives;
    const std::string folder = drives.Host('C', "Prog");
    touch(folder + "/a.txt");
    TempDrives::MakeFolders(folder + "/sub");
    FolderCache cache;
    ASSERT_TRUE(cache.Watch(drives.Root('C')));
    ASSERT_TRUE(cache.Watch(folder));
    ASSERT_EQ(NamesIn(cache, folder), (std::vector<std::string>{"a.txt", "sub"}));
    ASSERT_NE(cache.KeptNamesOf(folder), nullptr);
    const std::uint64_t before = cache.Changes();
    row.change(folder);
    cache.ApplyChanges();
    EXPECT_GT(cache.Changes(), before);
    EXPECT_EQ(NamesIn(cache, folder), row.names);
  }
}

TEST(FolderCachePosix, AMadeFolderLearnsOnlyFromTheProgramsOwnChanges) {
  TempDrives drives;
  const std::string folder = drives.Host('C', "Made");
  TempDrives::MakeFolders(folder);
  FolderCache cache;
  ASSERT_TRUE(cache.Watch(drives.Root('C')));
  cache.Made(folder);
  ASSERT_EQ(NamesIn(cache, folder), std::vector<std::string>{});
  TempDrives::WriteFile(folder + "/own.txt", "x");
  cache.OwnNameChanged(folder + "/own.txt", FolderCache::OwnChange::kFileAdded);
  EXPECT_TRUE(cache.MayExist(folder + "/own.txt"));
  EXPECT_FALSE(cache.MayExist(folder + "/other.txt"));
  // Not watched: a name another program puts there is not seen (the race the cache accepts).
  TempDrives::WriteFile(folder + "/theirs.txt", "x");
  cache.ApplyChanges();
  EXPECT_EQ(NamesIn(cache, folder), std::vector<std::string>{"own.txt"});
  cache.OwnNameChanged(folder + "/own.txt", FolderCache::OwnChange::kFileRemoved);
  EXPECT_FALSE(cache.MayExist(folder + "/own.txt"));
  // A folder it does not keep may hold anything.
  EXPECT_TRUE(cache.MayExist(drives.Host('C', "Elsewhere/x.txt")));
}

}  // namespace
}  // namespace tunovar::posix
