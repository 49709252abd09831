// What the machine's file system does the same way on every system: its
// files are Files.
#include "jet/io/file.h"
#include "jet/io/local_file_system.h"

namespace jet {
namespace {

class LocalWritableFile final : public WritableFile {
 public:
  explicit LocalWritableFile(File file) : file_(std::move(file)) {}

  Status writeAt(std::uint64_t offset, std::span<const std::byte> bytes) override {
    return file_.writeAt(offset, bytes);
  }
  void startWriteback() override { file_.startWriteback(); }
  Status sync() override { return file_.sync(); }
  bool readableWhileOpen() const override { return File::newFilesReadableWhileOpen(); }
  Status close() override { return file_.close(); }

 private:
  File file_;
};

class LocalScratchFile final : public ScratchFile {
 public:
  explicit LocalScratchFile(File file) : file_(std::move(file)) {}

  Status writeAt(std::uint64_t offset, std::span<const std::byte> bytes) override {
    return file_.writeAt(offset, bytes);
  }
  Status readAt(std::uint64_t offset, std::span<std::byte> out) override {
    return file_.readExactlyAt(offset, out);
  }

 private:
  File file_;
};

}  // namespace

Result<std::unique_ptr<WritableFile>> LocalFileSystem::createNew(const std::filesystem::path& path) {
  JET_TRY(File file, File::createNew(path));
  return std::unique_ptr<WritableFile>(std::make_unique<LocalWritableFile>(std::move(file)));
}

Result<std::unique_ptr<ScratchFile>> LocalFileSystem::createScratch(
    const std::filesystem::path& folder) {
  JET_TRY(File file, File::createScratch(folder));
  return std::unique_ptr<ScratchFile>(std::make_unique<LocalScratchFile>(std::move(file)));
}

Status LocalFileSystem::syncFolder(const std::filesystem::path& folder) {
  return File::syncFolder(folder);
}

FileSystem& localFileSystem() {
  static LocalFileSystem fs;
  return fs;
}

std::filesystem::path folderOf(const std::filesystem::path& file) {
  std::filesystem::path folder = file.parent_path();
  return folder.empty() ? std::filesystem::path(".") : folder;
}

}  // namespace jet
