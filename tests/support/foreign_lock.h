// Another program's hold on a database, as Jet takes it: a write lock on a
// byte of the database file's lock range, through an open file description of
// its own (F_OFD_SETLK), which the engine sees as another process's.
#pragma once

#include <filesystem>

namespace testing_support {

class ForeignLock {
 public:
  // Opens `database` and locks it; held() says whether that worked.
  explicit ForeignLock(const std::filesystem::path& database);
  ~ForeignLock();
  ForeignLock(const ForeignLock&) = delete;
  ForeignLock& operator=(const ForeignLock&) = delete;

  bool held() const { return held_; }
  // Closes the file, which gives the lock back.
  void release();

 private:
  int fd_ = -1;
  bool held_ = false;
};

}  // namespace testing_support
