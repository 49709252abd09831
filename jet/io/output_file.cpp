#include "jet/io/output_file.h"

#include <future>
#include <random>
#include <string>

#include "jet/io/path_text.h"

namespace jet {

namespace fs = std::filesystem;

Result<OutputFile> OutputFile::create(const fs::path& destination, FileSystem& fileSystem) {
  JET_TRY(bool taken, fileSystem.exists(destination));
  if (taken) return Error::alreadyExists(utf8Of(destination));
  const fs::path folder = folderOf(destination);
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return Error::notFound(utf8Of(folder));
  std::random_device random;
  for (int attempt = 0; attempt < 32; ++attempt) {
    fs::path temporary = folder / pathFromUtf8(std::string("~")
                                                   .append(utf8Of(destination.filename()))
                                                   .append(".")
                                                   .append(std::to_string(random() % 1000000000u))
                                                   .append(".tmp"));
    auto file = fileSystem.createNew(temporary);
    if (file) {
      OutputFile out;
      out.fileSystem_ = &fileSystem;
      out.file_ = std::move(*file);
      out.writer_ = std::make_unique<BackgroundWriter>(*out.file_);
      out.temporary_ = std::move(temporary);
      out.destination_ = destination;
      return out;
    }
    if (file.error().number() != errc::kAlreadyExists) return std::move(file).error();
  }
  return Error(errc::kIoError, utf8Of(folder));
}

OutputFile::~OutputFile() { discard(); }

OutputFile::OutputFile(OutputFile&& other) noexcept
    : fileSystem_(other.fileSystem_), file_(std::move(other.file_)),
      writer_(std::move(other.writer_)), temporary_(std::move(other.temporary_)), destination_(std::move(other.destination_)) {
  other.temporary_.clear();
}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
  if (this != &other) {
    discard();
    fileSystem_ = other.fileSystem_;
    file_ = std::move(other.file_);
    writer_ = std::move(other.writer_);
    temporary_ = std::move(other.temporary_);
    destination_ = std::move(other.destination_);
    other.temporary_.clear();
  }
  return *this;
}

void OutputFile::discard() {
  writer_.reset();
  if (file_) (void)file_->close();
  file_.reset();
  if (!temporary_.empty()) (void)fileSystem_->remove(temporary_);
  temporary_.clear();
}

Status OutputFile::write(std::vector<std::byte>& bytes, std::span<const WriteExtent> extents) {
  if (!writer_) return Error(errc::kInvalidArgument);
  return writer_->write(bytes, extents);
}

// The temporary file takes the destination's name, never over an existing
// file: a second name (which fails when the destination exists), then the
// temporary name goes. Where there are no hard links (FAT): test, then rename.
Status OutputFile::nameDestination() {
  Status linked = fileSystem_->link(temporary_, destination_);
  if (linked) {
    // Should the temporary name stay, the destination is complete all the
    // same; the destructor tries once more to remove it.
    if (fileSystem_->remove(temporary_)) temporary_.clear();
    return okStatus();
  }
  const int n = linked.error().number();
  if (n == errc::kAlreadyExists || n == errc::kDiskFull) return linked;
  JET_TRY(bool taken, fileSystem_->exists(destination_));
  if (taken) return Error::alreadyExists(utf8Of(destination_));
  JET_CHECK(fileSystem_->replace(temporary_, destination_));
  temporary_.clear();
  return okStatus();
}

Status OutputFile::commit(const std::function<Status(const fs::path&)>& verify) {
  if (!file_ || !writer_) return Error(errc::kInvalidArgument);
  Status s = writer_->drain();
  writer_.reset();
  if (s && verify && file_->readableWhileOpen()) {
    // The check reads the pages from memory while the disk takes them. A
    // failed flush is told before what the check found.
    std::future<Status> flushed = std::async(std::launch::async, [this] { return file_->sync(); });
    Status checked = verify(temporary_);
    s = flushed.get();
    if (s) s = std::move(checked);
    if (s) s = file_->close();
    file_.reset();
  } else {
    if (s) s = file_->sync();
    if (s) s = file_->close();
    file_.reset();
    if (s && verify) s = verify(temporary_);
  }
  if (s) s = nameDestination();
  if (!s) {
    discard();
    return s;
  }
  return fileSystem_->syncFolder(folderOf(destination_));
}

}  // namespace jet
