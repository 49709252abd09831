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

Result<MemoryFileSystem::Place> MemoryFileSystem::place(std::string_view name) const {
  if (name.empty()) return Error::numbered(errnum::kBadFileName);
  const WindowsName parsed = parseWindowsName(name);
  const char drive = parsed.drive ? parsed.drive : current_;
  if (drives_.find(drive) == std::string::npos) return Error::numbered(errnum::kDeviceUnavailable);
  return Place{drive, parsed.partsFromRoot(folders_.at(drive))};
}

bool MemoryFileSystem::folderExists(char drive, const std::vector<std::string>& parts) const {
  if (parts.empty()) return true;
  auto it = entries_.find(key(drive, parts));
  return it != entries_.end() && it->second.folder;
}

Error MemoryFileSystem::missing(const Place& p) const {
  std::vector<std::string> up = p.parts;
  if (!up.empty()) up.pop_back();
  return Error::numbered(folderExists(p.drive, up) ? errnum::kFileNotFound
                                                   : errnum::kPathNotFound);
}

const MemoryFileSystem::Entry* MemoryFileSystem::find(const Place& p) const {
  if (p.parts.empty()) return nullptr;
  auto it = entries_.find(key(p.drive, p.parts));
  return it == entries_.end() ? nullptr : &it->second;
}

void MemoryFileSystem::addFolder(std::string_view name) {
  Result<Place> p = place(name);
  if (!p) return;
  std::vector<std::string> parts;
  for (const std::string& part : p->parts) {
    parts.push_back(part);
    entries_.try_emplace(key(p->drive, parts), Entry{joinWindowsFolder(p->drive, parts), true, {}});
  }
}

void MemoryFileSystem::addFile(std::string_view name, std::string bytes) {
  Result<Place> p = place(name);
  if (!p || p->parts.empty()) return;
  Entry& e = entries_[key(p->drive, p->parts)];
  if (e.name.empty()) e.name = joinWindowsFolder(p->drive, p->parts);
  e.folder = false;
  e.bytes = std::move(bytes);
}

bool MemoryFileSystem::isFile(std::string_view name) const {
  Result<Place> p = place(name);
  const Entry* e = p ? find(*p) : nullptr;
  return e && !e->folder;
}

std::optional<std::string> MemoryFileSystem::contents(std::string_view name) const {
  Result<Place> p = place(name);
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

Status MemoryFileSystem::setCurrentDrive(std::string_view drive) {
  const std::string letter = upperCase(drive.substr(0, 1));
  if (letter.empty() || drives_.find(letter[0]) == std::string::npos) {
    return Error::numbered(errnum::kDeviceUnavailable);
  }
  current_ = letter[0];
  return {};
}

bool MemoryFileSystem::ordinaryFileExists(std::string_view pattern) {
  Result<Place> p = place(pattern);
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

Status MemoryFileSystem::remove(std::string_view name) {
  Result<Place> p = place(name);
  if (!p) return p.error();
  const Entry* e = find(*p);
  if (!e || e->folder) return missing(*p);
  entries_.erase(key(p->drive, p->parts));
  return {};
}

Status MemoryFileSystem::rename(std::string_view from, std::string_view to) {
  Result<Place> src = place(from);
  if (!src) return src.error();
  Result<Place> dst = place(to);
  if (!dst) return dst.error();
  const Entry* e = find(*src);
  if (!e || e->folder) return missing(*src);
  if (find(*dst)) return Error::numbered(errnum::kFileExists);
  std::vector<std::string> up = dst->parts;
  if (!up.empty()) up.pop_back();
  if (dst->parts.empty() || !folderExists(dst->drive, up)) {
    return Error::numbered(errnum::kPathNotFound);
  }
  Entry moved{joinWindowsFolder(dst->drive, dst->parts), false, e->bytes};
  entries_.erase(key(src->drive, src->parts));
  entries_[key(dst->drive, dst->parts)] = std::move(moved);
  return {};
}

Status MemoryFileSystem::renameExact(std::string_view from, std::string_view to) {
  return rename(from, to);
}

Result<std::int64_t> MemoryFileSystem::fileLength(std::string_view name) {
  Result<Place> p = place(name);
  if (!p) return p.error();
  const Entry* e = find(*p);
  if (!e) return missing(*p);
  if (e->folder) return Error::numbered(errnum::kPathFileAccess);
  return static_cast<std::int64_t>(e->bytes.size());
}

Status MemoryFileSystem::flush(std::string_view name) {
  Result<Place> p = place(name);
  if (!p) return p.error();
  const Entry* e = find(*p);
  if (!e || e->folder) return missing(*p);
  return {};
}

Result<std::string> MemoryFileSystem::nameOnDisk(std::string_view name) {
  Result<Place> p = place(name);
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

Result<std::unique_ptr<FileLock>> MemoryFileSystem::lockExclusive(std::string_view name) {
  Result<Place> p = place(name);
  if (!p) return p.error();
  const Entry* e = find(*p);
  if (!e) {
    std::vector<std::string> up = p->parts;
    if (!up.empty()) up.pop_back();
    if (p->parts.empty() || !folderExists(p->drive, up)) return missing(*p);
    addFile(name, "");
  }
  std::string k = key(p->drive, p->parts);
  if (locked_.contains(k)) return std::unique_ptr<FileLock>();
  return std::unique_ptr<FileLock>(std::make_unique<HeldKey>(locked_, std::move(k)));
}

}  // namespace platform
