// The lines of the installer's text files, read as a stream.
#include "base/text_lines.h"

#include <algorithm>

namespace tunovar {

LineStatus PieceLines::Next(std::string& line) {
  const LineStatus status = NextAsWritten(line);
  // An editor's UTF-8 mark at the start of the file belongs to no name or text.
  if (status == LineStatus::kLine && firstLine_) {
    firstLine_ = false;
    if (line.starts_with(kUtf8ByteOrderMark)) line.erase(0, kUtf8ByteOrderMark.size());
  }
  return status;
}

LineStatus PieceLines::NextAsWritten(std::string& line) {
  if (over_) return *over_;
  line.clear();
  bool any = false;  // a character or a line end of this line was seen
  for (;;) {
    if (at_ == size_) {
      const std::optional<std::size_t> read = ReadPiece(piece_.data(), piece_.size());
      if (!read) {
        over_ = LineStatus::kReadError;
        line.clear();
        return *over_;
      }
      if (*read == 0) {
        over_ = LineStatus::kEnd;
        // A final line without an end counts; an empty remainder is no line.
        return any ? LineStatus::kLine : *over_;
      }
      at_ = 0;
      size_ = std::min(*read, piece_.size());
    }
    if (afterCr_) {
      afterCr_ = false;
      if (piece_[at_] == '\n') {
        ++at_;
        continue;
      }
    }
    const char* begin = piece_.data() + at_;
    const char* end = piece_.data() + size_;
    const char* stop = std::find_if(begin, end, [](char c) { return c == '\r' || c == '\n'; });
    line.append(begin, stop);
    any = any || stop != begin;
    at_ = static_cast<std::size_t>(stop - piece_.data());
    if (stop != end) {
      afterCr_ = *stop == '\r';
      ++at_;
      return LineStatus::kLine;
    }
  }
}

std::optional<std::size_t> BytesLines::ReadPiece(char* buffer, std::size_t size) {
  const std::size_t n = std::min(size, bytes_.size());
  std::copy_n(bytes_.data(), n, buffer);
  bytes_.remove_prefix(n);
  return n;
}

std::vector<std::string> SplitLines(std::string_view bytes) {
  BytesLines source(bytes);
  std::vector<std::string> lines;
  std::string line;
  while (source.Next(line) == LineStatus::kLine) lines.push_back(line);
  return lines;
}

}  // namespace tunovar
