// The lines of the installer's text files, read as a stream.
//
// A line ends at CR LF, a lone CR or a lone LF; a final line without an end counts; an empty
// file has no lines. A UTF-8 byte order mark at the start of the file, which an editor may put
// there, is not part of the first line. Reading holds the current line and one piece of the file, never the whole
// file split up (a file of empty lines would take many times its size as separate strings).
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tunovar {

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

enum class LineStatus {
  kLine,       // the next line was read
  kEnd,        // the file has no more lines
  kReadError,  // the file could not be read on: what was read so far is not the whole file
};

// Lines read one after the other.
class LineSource {
 public:
  virtual ~LineSource() = default;
  // The next line into line (without its end). After kEnd or kReadError, every further call
  // gives the same again; the text of a line cut short by a read error is never given.
  [[nodiscard]] virtual LineStatus Next(std::string& line) = 0;
};

// Lines cut from bytes read in pieces: a file reader implements ReadPiece.
class PieceLines : public LineSource {
 public:
  [[nodiscard]] LineStatus Next(std::string& line) final;

 protected:
  // Reads the next bytes of the file into buffer: their count, 0 at the end, nullopt when
  // they cannot be read.
  [[nodiscard]] virtual std::optional<std::size_t> ReadPiece(char* buffer, std::size_t size) = 0;

 private:
  [[nodiscard]] LineStatus NextAsWritten(std::string& line);
  std::array<char, 8192> piece_{};
  bool firstLine_ = true;
  std::size_t at_ = 0;
  std::size_t size_ = 0;
  bool afterCr_ = false;  // the last line ended at a CR: an LF right after it belongs to it
  std::optional<LineStatus> over_;  // kEnd or kReadError once reached
};

// The lines of bytes held in memory.
class BytesLines final : public PieceLines {
 public:
  explicit BytesLines(std::string_view bytes) : bytes_(bytes) {}

 private:
  std::optional<std::size_t> ReadPiece(char* buffer, std::size_t size) override;
  std::string_view bytes_;
};

// Every line of bytes held in memory, for text that is small by nature (the removal batch).
[[nodiscard]] std::vector<std::string> SplitLines(std::string_view bytes);

}  // namespace tunovar
