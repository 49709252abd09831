// A file system that fails one chosen operation, for crash-safety tests, and
// that watches every path a run names (the repair's fuzz target).
//
// It wraps another FileSystem (the real one, over a temporary folder) and
// counts every operation it is asked for, those of the files it creates
// included (createNew, writeAt, sync, close, createScratch, the scratch
// file's writeAt and readAt, copyPermissions, link, replace, remove,
// syncFolder, exists). The operation numbered `failAt` (from 1) fails
// with `error` and does nothing; the others pass through. With failAt = 0
// nothing fails, and log() lists the operations a run made, so a test
// can fail each of them in turn. failFirst() chooses the operation by what it
// is instead: the order of operations on two threads (a compaction writes
// its file on a thread of its own while it sorts) is not fixed.
// onPath, when set, is called with the path of every operation that names one
// (the folder for createScratch and syncFolder) before it is made; with
// skipFlushes, sync and syncFolder are counted but not made.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "jet/io/file_system.h"

namespace testing_support {

class FaultyFileSystem final : public jet::FileSystem {
 public:
  FaultyFileSystem(jet::FileSystem& inner, std::uint64_t failAt, int error = 3026)
      : inner_(inner), failAt_(failAt), error_(error) {}

  // Fails the first operation written down as `what` (as in log()).
  void failFirst(std::string what) { failFirst_ = std::move(what); }

  // The operations made so far, as "name path", for messages.
  const std::vector<std::string>& log() const { return log_; }
  // True iff the chosen operation was reached (and failed).
  bool failed() const { return (failAt_ != 0 && count_ >= failAt_) || failedFirst_; }

  std::function<void(const std::filesystem::path&)> onPath;
  bool skipFlushes = false;

  // Counts one operation; returns the error when it is the one to fail.
  jet::Status tick(const std::string& what);

  jet::Result<std::unique_ptr<jet::WritableFile>> createNew(const std::filesystem::path& path) override;
  jet::Result<std::unique_ptr<jet::ScratchFile>> createScratch(const std::filesystem::path& folder) override;
  jet::Status copyPermissions(const std::filesystem::path& model,
                              const std::filesystem::path& target) override;
  jet::Status link(const std::filesystem::path& existing, const std::filesystem::path& alias) override;
  jet::Status replace(const std::filesystem::path& from, const std::filesystem::path& to) override;
  jet::Status remove(const std::filesystem::path& path) override;
  jet::Status syncFolder(const std::filesystem::path& folder) override;
  jet::Result<bool> exists(const std::filesystem::path& path) override;

 private:
  // Tells onPath about `path` and `other` (if any), and counts `what`.
  jet::Status tick(const std::string& what, const std::filesystem::path& path,
                   const std::filesystem::path& other = {});

  jet::FileSystem& inner_;
  std::uint64_t failAt_;
  int error_;
  std::string failFirst_;
  bool failedFirst_ = false;
  std::mutex mutex_;  // operations come from the writing thread too
  std::uint64_t count_ = 0;
  std::vector<std::string> log_;
};

}  // namespace testing_support
