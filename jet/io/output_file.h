// A new database file that appears only when complete.
//
// OutputFile writes under a temporary name in the destination's folder;
// commit() flushes the file to disk, gives it the destination's name (never
// over an existing file) and flushes the folder, so that at every moment the
// destination either does not exist or is complete. Destroying an OutputFile
// that was not committed removes the temporary file: a failure leaves nothing
// behind. A crash can leave the temporary file (named "~<destination
// name>.<random>.tmp"), never a partial destination. Every operation goes
// through a FileSystem (file_system.h), so that a test can fail any of them.
// Writes are handed to a thread of the OutputFile's own, so that building the
// next pages and storing the last ones go on at once; a failed write is
// reported by a later call or by commit(). While the file is written, the
// system is asked every few megabytes to start writing it to disk, so that
// the flush in commit() waits for little more than the last of it.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "jet/core/result.h"
#include "jet/io/background_writer.h"
#include "jet/io/file_system.h"

namespace jet {

class OutputFile {
 public:
  // Fails with 3204 when `destination` exists (nothing is touched), 3044 when
  // its folder does not, 3051 when the folder may not be written. Requires:
  // `fileSystem` outlives the OutputFile.
  static Result<OutputFile> create(const std::filesystem::path& destination,
                                   FileSystem& fileSystem = localFileSystem());

  OutputFile() = default;
  ~OutputFile();
  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&& other) noexcept;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Queues the pieces `extents` of `bytes` to be written, and gives back in
  // `bytes` the memory of a buffer already written, to fill again (contents
  // and size unspecified). Returns the failure of any earlier write (3026
  // when the disk is full); after a failure nothing more is written.
  Status write(std::vector<std::byte>& bytes, std::span<const WriteExtent> extents);
  // Flushes, closes, runs `verify` on the complete file under its temporary
  // name (when given; where the file system lets the file be read while it
  // is open, at the same time as the flush, which then costs no time of its
  // own), names the file as the destination (a second name, then
  // the temporary one removed; a rename where the file system has no hard
  // links) and flushes the folder. Fails with 3204 when the destination
  // appeared meanwhile, or with what `verify` returned; the temporary file is
  // then removed.
  Status commit(const std::function<Status(const std::filesystem::path&)>& verify = {});

  const std::filesystem::path& temporaryPath() const { return temporary_; }
  const std::filesystem::path& destination() const { return destination_; }

 private:
  void discard();
  Status nameDestination();

  FileSystem* fileSystem_ = nullptr;
  std::unique_ptr<WritableFile> file_;
  std::unique_ptr<BackgroundWriter> writer_;  // writes to file_; stopped before file_ closes
  std::filesystem::path temporary_;
  std::filesystem::path destination_;
};

}  // namespace jet
