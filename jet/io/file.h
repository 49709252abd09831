// A move-only handle on an open file, read with positional reads.
//
// The one place where the engine meets the operating system's file calls: a
// Win32 build replaces file.cpp (CreateFileW, ReadFile with an OVERLAPPED
// offset) and keeps this header. Failures become jet::Error through
// Error::fromErrno, so a missing file is 3044 and a denied one 3051.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

#include "jet/core/result.h"

namespace jet {

class File {
 public:
  enum class Mode { kRead, kReadWrite };

  // Opens an existing file. Fails with 3044 when it does not exist, 3051 when
  // it may not be opened in `mode`, 3043 for other failures. A directory is
  // refused as "not a database" (3049) by the caller's first read, not here.
  static Result<File> open(const std::filesystem::path& path, Mode mode = Mode::kRead);

  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool isOpen() const { return fd_ >= 0; }
  Mode mode() const { return mode_; }
  const std::filesystem::path& path() const { return path_; }
  // The platform descriptor, for the lock functions (file_lock.h).
  int descriptor() const { return fd_; }

  // Current size in bytes.
  Result<std::uint64_t> size() const;

  // Reads up to out.size() bytes at `offset`. Returns the number read: less
  // than requested only at the end of the file. Retries interrupted reads.
  Result<std::size_t> readAt(std::uint64_t offset, std::span<std::byte> out) const;

 private:
  File(int fd, Mode mode, std::filesystem::path path)
      : fd_(fd), mode_(mode), path_(std::move(path)) {}
  void close();

  int fd_ = -1;
  Mode mode_ = Mode::kRead;
  std::filesystem::path path_;
};

}  // namespace jet
