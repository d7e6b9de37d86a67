// Tests of the line reader every text file of the installer goes through.
#include "base/text_lines.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tunovar {
namespace {

// Bytes handed out a few at a time, so that a line end can fall between two pieces; reading
// fails at breakAt when it lies inside the bytes.
class Pieces final : public PieceLines {
 public:
  Pieces(std::string bytes, std::size_t pieceSize, std::size_t breakAt = std::string::npos)
      : bytes_(std::move(bytes)), pieceSize_(pieceSize), breakAt_(breakAt) {}

 private:
  std::optional<std::size_t> ReadPiece(char* buffer, std::size_t size) override {
    if (at_ >= breakAt_ && at_ < bytes_.size()) return std::nullopt;
    const std::size_t n = std::min({size, pieceSize_, bytes_.size() - at_, breakAt_ - at_});
    std::copy_n(bytes_.data() + at_, n, buffer);
    at_ += n;
    return n;
  }
  std::string bytes_;
  std::size_t pieceSize_;
  std::size_t breakAt_;
  std::size_t at_ = 0;
};

// The lines read, then "<end>" or "<read error>".
std::vector<std::string> ReadAll(LineSource& source) {
  std::vector<std::string> out;
  std::string line;
  for (;;) {
    switch (source.Next(line)) {
      case LineStatus::kLine: out.push_back(line); continue;
      case LineStatus::kEnd: out.emplace_back("<end>"); break;
      case LineStatus::kReadError: out.emplace_back("<read error>"); break;
    }
    // Once over, it stays over.
    EXPECT_NE(source.Next(line), LineStatus::kLine);
    return out;
  }
}

TEST(TextLines, LinesEndAtCrLfCrOrLfInAnyPieceSize) {
  using Lines = std::vector<std::string>;
  struct Row {
    const char* name;
    std::string bytes;
    Lines lines;
  };
  const Row rows[] = {
      {"CR LF", "a\r\nb\r\n", {"a", "b", "<end>"}},
      {"empty line", "a\r\n\r\n", {"a", "", "<end>"}},
      {"LF, last line without end", "a\nb", {"a", "b", "<end>"}},
      {"lone CR", "a\rb\r", {"a", "b", "<end>"}},
      {"CR CR LF is two ends", "a\r\r\nb", {"a", "", "b", "<end>"}},
      {"LF CR is two ends", "a\n\rb", {"a", "", "b", "<end>"}},
      {"empty file", "", {"<end>"}},
  };
  for (const Row& r : rows) {
    for (const std::size_t piece : {1u, 2u, 3u, 4096u}) {
      Pieces source(r.bytes, piece);
      EXPECT_EQ(ReadAll(source), r.lines) << r.name << ", pieces of " << piece;
    }
    EXPECT_EQ(SplitLines(r.bytes), Lines(r.lines.begin(), r.lines.end() - 1)) << r.name;
  }
}

TEST(TextLines, AReadErrorIsNoEndOfTheFile) {
  using Lines = std::vector<std::string>;
  // The line being read when the error came is never given as a line.
  Pieces cut("ab\r\ncde\r\nf", 3, 6);
  EXPECT_EQ(ReadAll(cut), (Lines{"ab", "<read error>"}));
  Pieces atOnce("ab\r\n", 4, 0);
  EXPECT_EQ(ReadAll(atOnce), (Lines{"<read error>"}));
  Pieces afterTheLastByte("ab\r\n", 4, 4);  // nothing left to fail on
  EXPECT_EQ(ReadAll(afterTheLastByte), (Lines{"ab", "<end>"}));
}

}  // namespace
}  // namespace tunovar
