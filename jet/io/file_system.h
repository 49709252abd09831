// The file operations that put a new database file in place: create it, write
// and flush it, give a file a second name, rename over an existing name, and
// flush a folder so that a rename survives a crash; and the scratch files of
// the external sort.
//
// Repair and compaction reach the disk for writing only through this small
// interface, so that a test can put a layer in between that fails any one
// operation (tests/support/faulty_file_system.h), as leveldb's Env does. The
// machine's own (localFileSystem) writes through File (file.h); what differs
// between systems (names, links, renames) is in file_system_posix.cpp and
// file_system_win32.cpp.
//
// Every failure is a jet::Error made from the system's error: 3204 when a
// name that must be new exists, 3026 when the disk is full, 3051 when
// permission is denied, 3043 otherwise.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>

#include "jet/core/result.h"

namespace jet {

// A file being written. Closing without sync() guarantees nothing about what
// reached the disk.
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  // Writes all of `bytes` at `offset` (the file grows as needed).
  virtual Status writeAt(std::uint64_t offset, std::span<const std::byte> bytes) = 0;
  // Asks the system to start writing what was written so far to the disk,
  // without waiting; only a hint (errors come from sync()).
  virtual void startWriteback() {}
  // Returns once the data and the size written so far are on the disk.
  virtual Status sync() = 0;
  // True when the file may be opened by its name and read (by another
  // thread) while this one is open and being flushed.
  virtual bool readableWhileOpen() const { return false; }
  // Closes the file; later calls do nothing. The destructor closes too, and
  // ignores the outcome.
  virtual Status close() = 0;
};

// A scratch file: written and read back at offsets, gone when it closes.
class ScratchFile {
 public:
  virtual ~ScratchFile() = default;
  // Writes all of `bytes` at `offset` (the file grows as needed).
  virtual Status writeAt(std::uint64_t offset, std::span<const std::byte> bytes) = 0;
  // Reads exactly out.size() bytes at `offset` (3043 when fewer remain).
  virtual Status readAt(std::uint64_t offset, std::span<std::byte> out) = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Creates `path` for writing. Fails with 3204 when it exists already, so
  // that nothing of someone else's is ever overwritten.
  virtual Result<std::unique_ptr<WritableFile>> createNew(const std::filesystem::path& path) = 0;
  // Creates a scratch file in `folder` that leaves nothing behind however the
  // program ends (File::createScratch).
  virtual Result<std::unique_ptr<ScratchFile>> createScratch(
      const std::filesystem::path& folder) = 0;
  // Gives `target` the permission bits of `model` (a new file takes the place
  // of `model` and should keep what its owner allowed).
  virtual Status copyPermissions(const std::filesystem::path& model,
                                 const std::filesystem::path& target) = 0;
  // Makes `alias` a second name of the file `existing` (a hard link). Fails
  // with 3204 when `alias` exists; with 3051 or 3043 where the file system has
  // no hard links, and the caller copies instead.
  virtual Status link(const std::filesystem::path& existing,
                      const std::filesystem::path& alias) = 0;
  // Renames `from` to `to` in one step: `to`, if it exists, is replaced, and
  // at every moment `to` names either its old file or the new one.
  virtual Status replace(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
  // Deletes `path`; a missing file is not an error.
  virtual Status remove(const std::filesystem::path& path) = 0;
  // Makes the renames and creations done in `folder` durable.
  virtual Status syncFolder(const std::filesystem::path& folder) = 0;
  // True iff something exists under `path`.
  virtual Result<bool> exists(const std::filesystem::path& path) = 0;
};

// The machine's own file system.
FileSystem& localFileSystem();

// The folder that holds `file` ("." for a bare name).
std::filesystem::path folderOf(const std::filesystem::path& file);

}  // namespace jet
