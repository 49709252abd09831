// A file system that writes down every call and fails the ones it is told
// to: the nth rename, delete, open, flush, lookup or lock, with a chosen
// error. Exact renames count and are written down as renames, link tests as
// existence tests.
// It wraps another file system, which does the real work of every call that
// does not fail.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace platform {

class FaultFileSystem : public FileSystem {
 public:
  enum class Op { Exists, Remove, Rename, Open, Flush, NameOnDisk, Lock };

  // `inner` must outlive this object; `journal` (may be null) receives one
  // line per call, such as "rename \BORRAR1.MDB > C:\KEL\KEL01.MDB".
  FaultFileSystem(FileSystem& inner, std::vector<std::string>* journal);

  // The `nth` (1-based) call of `op` from now on fails with `error`.
  void failNth(Op op, int nth, Error error);

  std::string currentFolder() const override { return inner_.currentFolder(); }
  Status setCurrentDrive(std::string_view drive) override;
  bool ordinaryFileExists(std::string_view pattern) override;
  Status remove(std::string_view name) override;
  Status rename(std::string_view from, std::string_view to) override;
  Status renameExact(std::string_view from, std::string_view to) override;
  bool isSymbolicLink(std::string_view name) override;
  Result<std::int64_t> fileLength(std::string_view name) override;
  Status flush(std::string_view name) override;
  Result<std::string> nameOnDisk(std::string_view name) override;
  Result<std::unique_ptr<FileLock>> lockExclusive(std::string_view name) override;

 private:
  // Writes the call down; returns the error it must fail with, if any.
  const Error* call(Op op, const std::string& line);

  struct Fault {
    int remaining;
    Error error;
  };
  FileSystem& inner_;
  std::vector<std::string>* journal_;
  std::map<Op, std::vector<Fault>> faults_;
};

}  // namespace platform
