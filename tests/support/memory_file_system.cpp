#include "tests/support/memory_file_system.h"

#include "platform/text.h"
#include "platform/windows_name.h"

namespace platform {

MemoryFileSystem::MemoryFileSystem(std::string_view currentFolder, std::string_view drives)
    : drives_(upperCase(drives)) {
  for (char d : drives_) folders_[d] = {};
  const WindowsName parsed = parseWindowsName(currentFolder);
  current_ = parsed.drive ? parsed.drive : drives_.at(0);
  folders_[current_] = parsed.parts;
  addFolder(currentFolder);
}

std::string MemoryFileSystem::key(char drive, const std::vector<std::string>& parts) {
  return upperCase(joinWindowsFolder(drive, parts));
}

RunResult<MemoryFileSystem::Place> MemoryFileSystem::place(std::string_view name) const {
  if (name.empty()) return RunError::numbered(errnum::kBadFileName);
  const WindowsName parsed = parseWindowsName(name);
  const char drive = parsed.drive ? parsed.drive : current_;
  if (drives_.find(drive) == std::string::npos) return RunError::numbered(errnum::kDeviceUnavailable);
  return Place{drive, parsed.partsFromRoot(folders_.at(drive))};
}

bool MemoryFileSystem::folderExists(char drive, const std::vector<std::string>& parts) const {
  if (parts.empty()) return true;
  auto it = entries_.find(key(drive, parts));
  return it != entries_.end() && it->second.folder;
}

bool MemoryFileSystem::parentExists(const Place& p) const {
  if (p.parts.empty()) return false;
  return folderExists(p.drive, std::vector<std::string>(p.parts.begin(), p.parts.end() - 1));
}

RunError MemoryFileSystem::missing(const Place& p) const {
  const bool folderFound = p.parts.empty() || parentExists(p);
  return RunError::numbered(folderFound ? errnum::kFileNotFound : errnum::kPathNotFound);
}

const MemoryFileSystem::Entry* MemoryFileSystem::find(const Place& p) const {
  if (p.parts.empty()) return nullptr;
  auto it = entries_.find(key(p.drive, p.parts));
  return it == entries_.end() ? nullptr : &it->second;
}

void MemoryFileSystem::addFolder(std::string_view name) {
  RunResult<Place> p = place(name);
  if (!p) return;
  std::vector<std::string> parts;
  for (const std::string& part : p->parts) {
    parts.push_back(part);
    entries_.try_emplace(key(p->drive, parts), Entry{joinWindowsFolder(p->drive, parts), true, {}});
  }
}

void MemoryFileSystem::addFile(std::string_view name, std::string bytes) {
  RunResult<Place> p = place(name);
  if (!p || p->parts.empty()) return;
  Entry& e = entries_[key(p->drive, p->parts)];
  if (e.name.empty()) e.name = joinWindowsFolder(p->drive, p->parts);
  e.folder = false;
  e.bytes = std::move(bytes);
}

bool MemoryFileSystem::isFile(std::string_view name) const { return contents(name).has_value(); }

std::optional<std::string> MemoryFileSystem::contents(std::string_view name) const {
  RunResult<Place> p = place(name);
  const Entry* e = p ? find(*p) : nullptr;
  if (!e || e->folder) return std::nullopt;
  return e->bytes;
}

std::vector<std::string> MemoryFileSystem::files() const {
  std::vector<std::string> out;
  for (const auto& [k, e] : entries_) {
    if (!e.folder) out.push_back(e.name);
  }
  return out;
}

std::string MemoryFileSystem::currentFolder() const {
  return joinWindowsFolder(current_, folders_.at(current_));
}

void MemoryFileSystem::failNth(Op op, int nth, RunError error) {
  faults_[op].push_back(Fault{nth, std::move(error)});
}

const RunError* MemoryFileSystem::call(Op op, const std::string& line) {
  if (journal_) journal_->push_back(line);
  const RunError* hit = nullptr;
  for (Fault& f : faults_[op]) {
    if (--f.remaining == 0) hit = &f.error;
  }
  return hit;
}

RunStatus MemoryFileSystem::setCurrentDrive(std::string_view drive) {
  if (journal_) journal_->push_back("drive " + std::string(drive));
  const std::string letter = upperCase(drive.substr(0, 1));
  if (letter.empty() || drives_.find(letter[0]) == std::string::npos) {
    return RunError::numbered(errnum::kDeviceUnavailable);
  }
  current_ = letter[0];
  return {};
}

bool MemoryFileSystem::ordinaryFileExists(std::string_view pattern) {
  if (call(Op::Exists, "exists " + std::string(pattern))) return false;
  RunResult<Place> p = place(pattern);
  if (!p || p->parts.empty() || parseWindowsName(pattern).endsWithSeparator) return false;
  const std::string last = p->parts.back();
  std::vector<std::string> folder = p->parts;
  folder.pop_back();
  const std::string prefix = key(p->drive, folder) + (folder.empty() ? "" : "\\");
  for (const auto& [k, e] : entries_) {
    if (e.folder || !k.starts_with(prefix)) continue;
    const std::string name = e.name.substr(e.name.rfind('\\') + 1);
    if (k.find('\\', prefix.size()) == std::string::npos && !name.starts_with('.') &&
        matchesWildcard(last, name)) {
      return true;
    }
  }
  return false;
}

RunStatus MemoryFileSystem::remove(std::string_view name) {
  if (const RunError* e = call(Op::Remove, "remove " + std::string(name))) return *e;
  RunResult<Place> p = place(name);
  if (!p) return p.error();
  const Entry* e = find(*p);
  if (!e || e->folder) return missing(*p);
  entries_.erase(key(p->drive, p->parts));
  return {};
}

RunStatus MemoryFileSystem::rename(std::string_view from, std::string_view to) {
  if (const RunError* e = call(Op::Rename, "rename " + std::string(from) + " > " + std::string(to))) {
    return *e;
  }
  RunResult<Place> src = place(from);
  if (!src) return src.error();
  RunResult<Place> dst = place(to);
  if (!dst) return dst.error();
  const Entry* e = find(*src);
  if (!e || e->folder) return missing(*src);
  if (find(*dst)) return RunError::numbered(errnum::kFileExists);
  if (!parentExists(*dst)) return RunError::numbered(errnum::kPathNotFound);
  Entry moved{joinWindowsFolder(dst->drive, dst->parts), false, e->bytes};
  entries_.erase(key(src->drive, src->parts));
  entries_[key(dst->drive, dst->parts)] = std::move(moved);
  return {};
}

RunStatus MemoryFileSystem::renameExact(std::string_view from, std::string_view to) {
  return rename(from, to);
}

bool MemoryFileSystem::isSymbolicLink(std::string_view name) {
  call(Op::Exists, "link " + std::string(name));
  return false;
}

RunResult<std::int64_t> MemoryFileSystem::fileLength(std::string_view name) {
  if (const RunError* e = call(Op::Open, "length " + std::string(name))) return *e;
  RunResult<Place> p = place(name);
  if (!p) return p.error();
  const Entry* e = find(*p);
  if (!e) return missing(*p);
  if (e->folder) return RunError::numbered(errnum::kPathFileAccess);
  return static_cast<std::int64_t>(e->bytes.size());
}

RunStatus MemoryFileSystem::flush(std::string_view name) {
  if (const RunError* e = call(Op::Flush, "flush " + std::string(name))) return *e;
  RunResult<Place> p = place(name);
  if (!p) return p.error();
  const Entry* e = find(*p);
  if (!e || e->folder) return missing(*p);
  return {};
}

RunResult<std::string> MemoryFileSystem::nameOnDisk(std::string_view name) {
  if (const RunError* e = call(Op::NameOnDisk, "name " + std::string(name))) return *e;
  RunResult<Place> p = place(name);
  if (!p) return p.error();
  const Entry* e = find(*p);
  if (!e) return missing(*p);
  return e->name;
}

namespace {

class HeldKey : public FileLock {
 public:
  HeldKey(std::set<std::string>& locked, std::string key) : locked_(locked), key_(std::move(key)) {
    locked_.insert(key_);
  }
  ~HeldKey() override { locked_.erase(key_); }

 private:
  std::set<std::string>& locked_;
  std::string key_;
};

}  // namespace

RunResult<std::unique_ptr<FileLock>> MemoryFileSystem::lockExclusive(std::string_view name) {
  if (const RunError* e = call(Op::Lock, "lock " + std::string(name))) return *e;
  RunResult<Place> p = place(name);
  if (!p) return p.error();
  const Entry* e = find(*p);
  if (!e) {
    if (!parentExists(*p)) return missing(*p);
    addFile(name, "");
  }
  std::string k = key(p->drive, p->parts);
  if (locked_.contains(k)) return std::unique_ptr<FileLock>();
  return std::unique_ptr<FileLock>(std::make_unique<HeldKey>(locked_, std::move(k)));
}

}  // namespace platform
