// The installer's text files ("insttext", the list files, "group", "defile") read as lines.
//
// One reader for all of them: the lines come as a stream, a piece of the file at a time, and
// a read error is reported as such (LineStatus::kReadError), never as the end of the file.
// Each reader of a format takes a read error as a corrupted file.
#pragma once

#include <memory>
#include <string>

#include "base/text_lines.h"
#include "platform/file_system.h"

namespace tunovar {

// The lines of the file at path; nullptr when it cannot be opened (it is missing).
[[nodiscard]] std::unique_ptr<LineSource> OpenTextLines(FileSystem& fs, const std::string& path);

}  // namespace tunovar
