// Disk figures for whatever drive is current when asked, for tests.
#pragma once

#include <string>

#include "platform/disk_space.h"
#include "platform/files.h"

namespace testing_support {

class FakeDisk : public platform::DiskSpace {
 public:
  explicit FakeDisk(platform::Files& fs) : fs_(fs) {}
  platform::DiskFigures figures{8, 512, 1000, 2000};
  bool fails = false;
  std::string askedOn;  // the current folder at the time of the last query

  bool diskFreeSpace(platform::DiskFigures& out) override {
    askedOn = fs_.currentFolder();
    if (fails) return false;
    out = figures;
    return true;
  }

 private:
  platform::Files& fs_;
};

}  // namespace testing_support
