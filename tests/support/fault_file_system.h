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

#include "platform/files.h"

namespace platform {

class FaultFileSystem : public Files {
 public:
  enum class Op { Exists, Remove, Rename, Open, Flush, NameOnDisk, Lock };

  // `inner` must outlive this object; `journal` (may be null) receives one
  // line per call, such as "rename \BORRAR1.MDB > C:\KEL\KEL01.MDB".
  FaultFileSystem(Files& inner, std::vector<std::string>* journal);

  // The `nth` (1-based) call of `op` from now on fails with `error`.
  void failNth(Op op, int nth, RunError error);

  std::string currentFolder() const override { return inner_.currentFolder(); }
  RunStatus setCurrentDrive(std::string_view drive) override;
  bool ordinaryFileExists(std::string_view pattern) override;
  RunStatus remove(std::string_view name) override;
  RunStatus rename(std::string_view from, std::string_view to) override;
  RunStatus renameExact(std::string_view from, std::string_view to) override;
  bool isSymbolicLink(std::string_view name) override;
  RunResult<std::int64_t> fileLength(std::string_view name) override;
  RunStatus flush(std::string_view name) override;
  RunResult<std::string> nameOnDisk(std::string_view name) override;
  RunResult<std::unique_ptr<FileLock>> lockExclusive(std::string_view name) override;

 private:
  // Writes the call down; returns the error it must fail with, if any.
  const RunError* call(Op op, const std::string& line);

  struct Fault {
    int remaining;
    RunError error;
  };
  Files& inner_;
  std::vector<std::string>* journal_;
  std::map<Op, std::vector<Fault>> faults_;
};

}  // namespace platform
