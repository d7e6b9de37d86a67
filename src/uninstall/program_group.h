// The Program Manager group: the command strings sent over DDE, and the group file.
//
// "group" (beside the program), ANSI, CR LF:
//   2                        the number N of items per language
//   TUNOVAR                  base name of the group's file in the Windows folder (".GRP" added)
//   Ovri TUNOVAR             the group's title
//   ### Deutsch              optional marker line: passed over where an item name is expected
//   Player                   item 0 of language 0: its name,
//   TUNOVAR\tunOVAR.exe      then its command, relative to the install folder, or
//   Intro                    item 1 of language 0
//   ##ONCD: TUNOVAR\i.exe    "##ONCD:" and a path relative to the CD root
//   ...                      N items for each language section of "insttext", in its order
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tunovar {

inline constexpr std::string_view kOnCdMarker = "##ONCD:";

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
