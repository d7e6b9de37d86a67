// The installer's text files read as lines.
#include "formats/text_file.h"

#include <utility>

namespace tunovar {
namespace {

class FileLines final : public PieceLines {
 public:
  explicit FileLines(std::unique_ptr<ByteReader> reader) : reader_(std::move(reader)) {}

 private:
  std::optional<std::size_t> ReadPiece(char* buffer, std::size_t size) override {
    return reader_->Read(buffer, size);
  }
  std::unique_ptr<ByteReader> reader_;
};

}  // namespace

std::unique_ptr<LineSource> OpenTextLines(FileSystem& fs, const std::string& path) {
  std::unique_ptr<ByteReader> reader = fs.OpenForReading(path);
  if (!reader) return nullptr;
  return std::make_unique<FileLines>(std::move(reader));
}

}  // namespace tunovar
