// What a File does the same way on every system: ownership, and whole reads
// and writes made of as many system calls as they take.
#include "jet/io/file.h"

#include <utility>

#include "jet/io/path_text.h"

namespace jet {

File::~File() { (void)close(); }

File::File(File&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), mode_(other.mode_), path_(std::move(other.path_)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    (void)close();
    fd_ = std::exchange(other.fd_, -1);
    mode_ = other.mode_;
    path_ = std::move(other.path_);
  }
  return *this;
}

Error File::failure(int number) const { return Error(number, utf8Of(path_)); }

Status File::close() {
  if (fd_ < 0) return okStatus();
  return closeDescriptor(std::exchange(fd_, -1));
}

Result<std::size_t> File::readAt(std::uint64_t offset, std::span<std::byte> out) const {
  std::size_t done = 0;
  while (done < out.size()) {
    JET_TRY(std::size_t n, readSome(offset + done, out.subspan(done)));
    if (n == 0) break;
    done += n;
  }
  return done;
}

Status File::readExactlyAt(std::uint64_t offset, std::span<std::byte> out) const {
  JET_TRY(std::size_t n, readAt(offset, out));
  if (n != out.size()) return failure(errc::kIoError);
  return okStatus();
}

Status File::writeAt(std::uint64_t offset, std::span<const std::byte> bytes) {
  if (fd_ < 0) return failure(errc::kIoError);
  std::size_t done = 0;
  while (done < bytes.size()) {
    JET_TRY(std::size_t n, writeSome(offset + done, bytes.subspan(done)));
    if (n == 0) return failure(errc::kIoError);
    done += n;
  }
  return okStatus();
}

}  // namespace jet
