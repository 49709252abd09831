#include "tests/support/faulty_file_system.h"

namespace testing_support {
namespace {

class FaultyFile final : public jet::WritableFile {
 public:
  FaultyFile(FaultyFileSystem& fs, std::unique_ptr<jet::WritableFile> inner, std::string name)
      : fs_(fs), inner_(std::move(inner)), name_(std::move(name)) {}

  jet::Status writeAt(std::uint64_t offset, std::span<const std::byte> bytes) override {
    JET_CHECK(fs_.tick("writeAt " + name_));
    return inner_->writeAt(offset, bytes);
  }
  void startWriteback() override { inner_->startWriteback(); }  // a hint: not counted
  bool readableWhileOpen() const override { return inner_->readableWhileOpen(); }
  jet::Status sync() override {
    JET_CHECK(fs_.tick("sync " + name_));
    return fs_.skipFlushes ? jet::okStatus() : inner_->sync();
  }
  jet::Status close() override {
    if (closed_) return jet::okStatus();
    closed_ = true;
    if (auto s = fs_.tick("close " + name_); !s) {
      (void)inner_->close();  // the descriptor goes either way
      return s;
    }
    return inner_->close();
  }

 private:
  FaultyFileSystem& fs_;
  std::unique_ptr<jet::WritableFile> inner_;
  std::string name_;
  bool closed_ = false;
};

class FaultyScratch final : public jet::ScratchFile {
 public:
  FaultyScratch(FaultyFileSystem& fs, std::unique_ptr<jet::ScratchFile> inner)
      : fs_(fs), inner_(std::move(inner)) {}

  jet::Status writeAt(std::uint64_t offset, std::span<const std::byte> bytes) override {
    JET_CHECK(fs_.tick("writeAt temporal"));
    return inner_->writeAt(offset, bytes);
  }
  jet::Status readAt(std::uint64_t offset, std::span<std::byte> out) override {
    JET_CHECK(fs_.tick("readAt temporal"));
    return inner_->readAt(offset, out);
  }

 private:
  FaultyFileSystem& fs_;
  std::unique_ptr<jet::ScratchFile> inner_;
};

}  // namespace

jet::Status FaultyFileSystem::tick(const std::string& what) {
  std::lock_guard lock(mutex_);
  ++count_;
  log_.push_back(what);
  const bool first = !failedFirst_ && what == failFirst_;
  failedFirst_ = failedFirst_ || first;
  if (count_ == failAt_ || first) return jet::Error(error_, what);
  return jet::okStatus();
}

jet::Status FaultyFileSystem::tick(const std::string& what, const std::filesystem::path& path,
                                   const std::filesystem::path& other) {
  if (onPath) {
    onPath(path);
    if (!other.empty()) onPath(other);
  }
  return tick(what);
}

jet::Result<std::unique_ptr<jet::WritableFile>> FaultyFileSystem::createNew(
    const std::filesystem::path& path) {
  JET_CHECK(tick("createNew " + path.filename().string(), path));
  JET_TRY(auto file, inner_.createNew(path));
  return std::unique_ptr<jet::WritableFile>(
      std::make_unique<FaultyFile>(*this, std::move(file), path.filename().string()));
}

jet::Result<std::unique_ptr<jet::ScratchFile>> FaultyFileSystem::createScratch(
    const std::filesystem::path& folder) {
  JET_CHECK(tick("createScratch", folder));
  JET_TRY(auto file, inner_.createScratch(folder));
  return std::unique_ptr<jet::ScratchFile>(std::make_unique<FaultyScratch>(*this, std::move(file)));
}

jet::Status FaultyFileSystem::copyPermissions(const std::filesystem::path& model,
                                              const std::filesystem::path& target) {
  JET_CHECK(tick("copyPermissions " + target.filename().string(), target, model));
  return inner_.copyPermissions(model, target);
}

jet::Status FaultyFileSystem::link(const std::filesystem::path& existing,
                                   const std::filesystem::path& alias) {
  JET_CHECK(tick("link " + alias.filename().string(), alias, existing));
  return inner_.link(existing, alias);
}

jet::Status FaultyFileSystem::replace(const std::filesystem::path& from, const std::filesystem::path& to) {
  JET_CHECK(tick("replace " + to.filename().string(), to, from));
  return inner_.replace(from, to);
}

jet::Status FaultyFileSystem::remove(const std::filesystem::path& path) {
  JET_CHECK(tick("remove " + path.filename().string(), path));
  return inner_.remove(path);
}

jet::Status FaultyFileSystem::syncFolder(const std::filesystem::path& folder) {
  JET_CHECK(tick("syncFolder", folder));
  return skipFlushes ? jet::okStatus() : inner_.syncFolder(folder);
}

jet::Result<bool> FaultyFileSystem::exists(const std::filesystem::path& path) {
  JET_CHECK(tick("exists " + path.filename().string(), path));
  return inner_.exists(path);
}

}  // namespace testing_support
