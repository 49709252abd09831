// A move-only handle on an open file: the one place where the program meets
// the operating system's file calls.
//
// Everything that holds an open file holds a File: the database read or
// repaired, the new file a compaction writes, the external sort's scratch
// file, the window's copies between drives. Reads and writes are positional
// and whole (interrupted or partial system calls are carried on). What is the
// same on every system lives in file.cpp; the system calls in file_posix.cpp
// and file_win32.cpp. Failures are jet::Error made by Error::fromErrno or
// Error::fromWindowsError, which keep the system's own code (systemCode()),
// so that the window's side can give its own numbers for them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

#include "jet/core/result.h"

namespace jet {

class File {
 public:
  enum class Mode {
    kRead,       // an existing file, for reading
    kReadWrite,  // an existing file, for reading and writing
    kLock,       // for reading, created when missing, a link not followed: a file to lock
  };

  // Opens a file. Fails with 3044 when it does not exist, 3051 when it may
  // not be opened in `mode`, 3043 for other failures; a folder is refused as
  // "not a database" (3049). On Windows the share mode is the database's lock
  // (file_win32.cpp).
  static Result<File> open(const std::filesystem::path& path, Mode mode = Mode::kRead);
  // Creates `path` for reading and writing. Fails with 3204 when it exists,
  // so that nothing of someone else's is ever overwritten.
  static Result<File> createNew(const std::filesystem::path& path);
  // True where a file made by createNew may be opened again by its name, for
  // reading, while it is still open (POSIX systems); false on Windows, where
  // its creator shares nothing.
  static bool newFilesReadableWhileOpen();
  // A scratch file in `folder` that has no name, or one that goes at once or
  // when the file closes, as the system allows: nothing is left behind
  // however the program ends. Errors name it "temporal".
  static Result<File> createScratch(const std::filesystem::path& folder);
  // Makes the creations, renames and removals done in `folder` durable.
  // Folders that cannot be flushed (some file systems) are not an error.
  static Status syncFolder(const std::filesystem::path& folder);

  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool isOpen() const { return fd_ >= 0; }
  Mode mode() const { return mode_; }
  // The name the file was opened by (what errors name).
  const std::filesystem::path& path() const { return path_; }
  // The platform descriptor, for the lock functions (file_lock.h).
  int descriptor() const { return fd_; }

  // Current size in bytes.
  Result<std::uint64_t> size() const;
  // Reads up to out.size() bytes at `offset`. Returns the number read: less
  // than requested only at the end of the file.
  Result<std::size_t> readAt(std::uint64_t offset, std::span<std::byte> out) const;
  // Reads exactly out.size() bytes at `offset`; 3043 when fewer remain.
  Status readExactlyAt(std::uint64_t offset, std::span<std::byte> out) const;
  // Writes all of `bytes` at `offset`; the file grows as needed.
  Status writeAt(std::uint64_t offset, std::span<const std::byte> bytes);
  // Asks the system to start writing what was written so far to the disk,
  // without waiting; only a hint (errors come from sync()).
  void startWriteback();
  // Returns once the data and the size written so far are on the disk.
  Status sync();
  // Closes now and says whether the system took the close well (a deferred
  // write error shows here on some file systems); later calls do nothing.
  // The destructor closes too, and ignores the outcome.
  Status close();

 private:
  File(int fd, Mode mode, std::filesystem::path path)
      : fd_(fd), mode_(mode), path_(std::move(path)) {}
  // One system call each (file_posix.cpp, file_win32.cpp): a read that
  // returns 0 at the end of the file, a write of at least one byte.
  Result<std::size_t> readSome(std::uint64_t offset, std::span<std::byte> out) const;
  Result<std::size_t> writeSome(std::uint64_t offset, std::span<const std::byte> bytes);
  // Closes `fd` (this file's, already let go of); the system's complaint, if any.
  Status closeDescriptor(int fd) const;
  Error failure(int number) const;

  int fd_ = -1;
  Mode mode_ = Mode::kRead;
  std::filesystem::path path_;
};

}  // namespace jet
