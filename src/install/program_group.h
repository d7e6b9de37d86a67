// The Program Manager group: the command strings sent over DDE for the group that the group
// file (formats/group_file.h) describes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tunovar {

inline constexpr std::string_view kOnCdMarker = "##ONCD:";

// The time limits of one command to Program Manager: for its conversation to be set up, and
// for its answer.
inline constexpr int kDdeConnectLimitMs = 3000;
inline constexpr int kDdeCommandLimitMs = 6000;

[[nodiscard]] std::string CreateGroupCommand(const std::string& groupName, const std::string& winDir,
                                             const std::string& groupFileName);
[[nodiscard]] std::string ShowGroupCommand(const std::string& groupName);
[[nodiscard]] std::string ReplaceItemCommand(const std::string& itemName);
[[nodiscard]] std::string AddItemCommand(const std::string& commandLine, const std::string& itemName);
[[nodiscard]] std::string DeleteGroupCommand(const std::string& groupName);

// For an item command holding "##ONCD:" (letter case ignored): cdRoot followed by the text
// after the marker without blanks at both ends. nullopt for a command without the marker.
[[nodiscard]] std::optional<std::string> ResolveOnCdCommand(const std::string& command,
                                                            const std::string& cdRoot);

}  // namespace tunovar
