// The machine's own file system, what localFileSystem() returns: files are
// created, written and flushed through File, the same on every system
// (file_system.cpp); names are linked, replaced, removed and looked up with
// the system's own calls (file_system_posix.cpp, file_system_win32.cpp).
#pragma once

#include "jet/io/file_system.h"

namespace jet {

class LocalFileSystem final : public FileSystem {
 public:
  Result<std::unique_ptr<WritableFile>> createNew(const std::filesystem::path& path) override;
  Result<std::unique_ptr<ScratchFile>> createScratch(const std::filesystem::path& folder) override;
  Status copyPermissions(const std::filesystem::path& model,
                         const std::filesystem::path& target) override;
  Status link(const std::filesystem::path& existing, const std::filesystem::path& alias) override;
  Status replace(const std::filesystem::path& from, const std::filesystem::path& to) override;
  Status remove(const std::filesystem::path& path) override;
  Status syncFolder(const std::filesystem::path& folder) override;
  Result<bool> exists(const std::filesystem::path& path) override;
};

}  // namespace jet
