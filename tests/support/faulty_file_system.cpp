// The file system that fails one chosen mutating operation.
#include "support/faulty_file_system.h"

namespace tunovar::testing {
namespace {

class FaultyReplacement : public ReplacementFile {
 public:
  FaultyReplacement(FaultyFileSystem& fs, std::unique_ptr<ReplacementFile> inner, std::string path)
      : fs_(fs), inner_(std::move(inner)), path_(std::move(path)) {}

  bool Write(const char* data, std::size_t size) override {
    return !fs_.Fails("Write(new) " + path_) && inner_->Write(data, size);
  }
  Copied CopyFrom(ByteReader& reader, std::uint64_t limit) override {
    if (fs_.Fails("CopyFrom " + path_)) return {0, false, true};
    return inner_->CopyFrom(reader, limit);
  }
  FsStatus Commit(const std::string& timesFrom) override {
    return fs_.Fails("Commit " + path_) ? fs_.failWith : inner_->Commit(timesFrom);
  }

 private:
  FaultyFileSystem& fs_;
  std::unique_ptr<ReplacementFile> inner_;
  std::string path_;
};

class FaultyWriter : public TextFileWriter {
 public:
  FaultyWriter(FaultyFileSystem& fs, std::unique_ptr<TextFileWriter> inner, std::string path)
      : fs_(fs), inner_(std::move(inner)), path_(std::move(path)) {}
  bool Write(std::string_view bytes) override { return !fs_.Fails("Write " + path_) && inner_->Write(bytes); }
  bool Sync() override { return !fs_.Fails("Sync " + path_) && inner_->Sync(); }

 private:
  FaultyFileSystem& fs_;
  std::unique_ptr<TextFileWriter> inner_;
  std::string path_;
};

}  // namespace

bool FaultyFileSystem::Fails(const std::string& what) {
  operations.push_back(what);
  if (beforeOperation) beforeOperation(operations.size());
  return static_cast<int>(operations.size()) == failAt;
}

FsStatus FaultyFileSystem::ClearAttributes(const std::string& path) {
  return Fails("ClearAttributes " + path) ? failWith : inner_.ClearAttributes(path);
}

FsStatus FaultyFileSystem::CreateFolder(const std::string& path) {
  return Fails("CreateFolder " + path) ? failWith : inner_.CreateFolder(path);
}

FsStatus FaultyFileSystem::RemoveFolder(const std::string& path) {
  return Fails("RemoveFolder " + path) ? failWith : inner_.RemoveFolder(path);
}

FsStatus FaultyFileSystem::DeleteFile(const std::string& path) {
  return Fails("Delete " + path) ? failWith : inner_.DeleteFile(path);
}

std::unique_ptr<ReplacementFile> FaultyFileSystem::CreateReplacement(const std::string& destination) {
  if (Fails("CreateReplacement " + destination)) return nullptr;
  std::unique_ptr<ReplacementFile> inner = inner_.CreateReplacement(destination);
  if (inner == nullptr) return nullptr;
  return std::make_unique<FaultyReplacement>(*this, std::move(inner), destination);
}

std::unique_ptr<TextFileWriter> FaultyFileSystem::OpenForWriting(const std::string& path, WriteMode mode) {
  if (Fails("OpenForWriting " + path)) return nullptr;
  std::unique_ptr<TextFileWriter> inner = inner_.OpenForWriting(path, mode);
  if (inner == nullptr) return nullptr;
  return std::make_unique<FaultyWriter>(*this, std::move(inner), path);
}

}  // namespace tunovar::testing
