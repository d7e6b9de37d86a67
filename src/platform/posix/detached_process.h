// Work and programs started in a process of their own that the installer never waits for.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tunovar::posix {

// Runs work in a grandchild in a session of its own (double fork and setsid), with standard
// input and output on /dev/null and no other inherited file open (no lock or held file of
// the installer lives on in it) but keptOpen (-1: none), which it closes only when it ends;
// the grandchild ends with _exit when work returns. Returns false when the process could not
// be made.
[[nodiscard]] bool RunDetached(const std::function<void()>& work, int keptOpen = -1);

// Starts program (a full path) with its arguments the same way, in folder when it is not
// empty, its output on /dev/null. Never through a shell.
[[nodiscard]] bool SpawnDetached(const std::string& program, const std::vector<std::string>& arguments,
                                 const std::string& folder);

// The full path of an executable file of that name in a folder of $PATH.
[[nodiscard]] std::optional<std::string> FindOnPath(const std::string& name);

}  // namespace tunovar::posix
