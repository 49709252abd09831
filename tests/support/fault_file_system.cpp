#include "tests/support/fault_file_system.h"

namespace platform {

FaultFileSystem::FaultFileSystem(FileSystem& inner, std::vector<std::string>* journal)
    : inner_(inner), journal_(journal) {}

void FaultFileSystem::failNth(Op op, int nth, Error error) {
  faults_[op].push_back(Fault{nth, std::move(error)});
}

const Error* FaultFileSystem::call(Op op, const std::string& line) {
  if (journal_) journal_->push_back(line);
  const Error* hit = nullptr;
  for (Fault& f : faults_[op]) {
    if (--f.remaining == 0) hit = &f.error;
  }
  return hit;
}

Status FaultFileSystem::setCurrentDrive(std::string_view drive) {
  if (journal_) journal_->push_back("drive " + std::string(drive));
  return inner_.setCurrentDrive(drive);
}

bool FaultFileSystem::ordinaryFileExists(std::string_view pattern) {
  if (call(Op::Exists, "exists " + std::string(pattern))) return false;
  return inner_.ordinaryFileExists(pattern);
}

Status FaultFileSystem::remove(std::string_view name) {
  if (const Error* e = call(Op::Remove, "remove " + std::string(name))) return *e;
  return inner_.remove(name);
}

Status FaultFileSystem::rename(std::string_view from, std::string_view to) {
  if (const Error* e = call(Op::Rename, "rename " + std::string(from) + " > " + std::string(to))) {
    return *e;
  }
  return inner_.rename(from, to);
}

Status FaultFileSystem::renameExact(std::string_view from, std::string_view to) {
  if (const Error* e = call(Op::Rename, "rename " + std::string(from) + " > " + std::string(to))) {
    return *e;
  }
  return inner_.renameExact(from, to);
}

bool FaultFileSystem::isSymbolicLink(std::string_view name) {
  if (call(Op::Exists, "link " + std::string(name))) return false;
  return inner_.isSymbolicLink(name);
}

Result<std::int64_t> FaultFileSystem::fileLength(std::string_view name) {
  if (const Error* e = call(Op::Open, "length " + std::string(name))) return *e;
  return inner_.fileLength(name);
}

Status FaultFileSystem::flush(std::string_view name) {
  if (const Error* e = call(Op::Flush, "flush " + std::string(name))) return *e;
  return inner_.flush(name);
}

Result<std::string> FaultFileSystem::nameOnDisk(std::string_view name) {
  if (const Error* e = call(Op::NameOnDisk, "name " + std::string(name))) return *e;
  return inner_.nameOnDisk(name);
}

Result<std::unique_ptr<FileLock>> FaultFileSystem::lockExclusive(std::string_view name) {
  if (const Error* e = call(Op::Lock, "lock " + std::string(name))) return *e;
  return inner_.lockExclusive(name);
}

}  // namespace platform
