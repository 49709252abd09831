#include "jet/io/output_file.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "jet/io/write_fully.h"

namespace jet {

namespace fs = std::filesystem;

Result<OutputFile> OutputFile::create(const fs::path& destination, FileSystem& fileSystem) {
  JET_TRY(bool taken, fileSystem.exists(destination));
  if (taken) return Error::alreadyExists(destination.string());
  const fs::path folder = folderOf(destination);
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return Error::notFound(folder.string());
  std::random_device random;
  for (int attempt = 0; attempt < 32; ++attempt) {
    fs::path temporary = folder / ("~" + destination.filename().string() + "." +
                                   std::to_string(random() % 1000000000u) + ".tmp");
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
  return Error(errc::kIoError, folder.string());
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
  if (taken) return Error::alreadyExists(destination_.string());
  JET_CHECK(fileSystem_->replace(temporary_, destination_));
  temporary_.clear();
  return okStatus();
}

Status OutputFile::commit(const std::function<Status(const fs::path&)>& verify) {
  if (!file_ || !writer_) return Error(errc::kInvalidArgument);
  Status s = writer_->drain();
  writer_.reset();
  if (s) s = file_->sync();
  if (s) s = file_->close();
  file_.reset();
  if (s && verify) s = verify(temporary_);
  if (s) s = nameDestination();
  if (!s) {
    discard();
    return s;
  }
  return fileSystem_->syncFolder(folderOf(destination_));
}

Result<ScratchFile> ScratchFile::create(const fs::path& folder) {
  int fd = ::open(folder.c_str(), O_RDWR | O_TMPFILE | O_EXCL | O_CLOEXEC, 0600);
  if (fd >= 0) return ScratchFile(fd);
  // No unnamed files here: a name that is removed at once.
  std::random_device random;
  for (int attempt = 0; attempt < 32; ++attempt) {
    fs::path name = folder / ("~jetdb-sort." + std::to_string(random() % 1000000000u) + ".tmp");
    fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::unlink(name.c_str());
      return ScratchFile(fd);
    }
    if (errno != EEXIST) return Error::fromErrno(errno, folder.string());
  }
  return Error(errc::kIoError, folder.string());
}

ScratchFile::~ScratchFile() {
  if (fd_ >= 0) ::close(fd_);
}

ScratchFile& ScratchFile::operator=(ScratchFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

Status ScratchFile::writeAt(std::uint64_t offset, std::span<const std::byte> bytes) {
  return writeFully(fd_, offset, bytes, "temporal");
}

Status ScratchFile::readAt(std::uint64_t offset, std::span<std::byte> out) const {
  std::size_t done = 0;
  while (done < out.size()) {
    ssize_t n = ::pread(fd_, out.data() + done, out.size() - done,
                        static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Error::fromErrno(errno, "temporal");
    if (n == 0) return Error(errc::kIoError, "temporal");
    done += static_cast<std::size_t>(n);
  }
  return okStatus();
}

}  // namespace jet
