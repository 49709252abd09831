// Running part of a test without root's rights, so that a test of a
// permission error means the same under root (as CI runs) as under a user:
// root may read and write any file, whatever its mode.
#pragma once

#include <functional>
#include <string>

namespace testing_support {

// The user and group "nobody", which own nothing a test creates.
inline constexpr unsigned kNobody = 65534;

struct ChildOutcome {
  bool ran = false;    // `body` ran to its end in the child
  int value = 0;       // what it returned
  std::string failure; // why it did not run, when it did not
};

// Runs `body` in a forked child. A child of root first leaves every group and
// takes the group and user "nobody" for good (setresgid, setresuid), and
// checks that it cannot take root back; a child of another user keeps its
// rights. The child reports `body`'s value through a pipe and exits without
// running the parent's exit handlers. Requires: no other thread is running;
// `body` makes no test assertions (they would be lost with the child).
ChildOutcome runUnprivileged(const std::function<int()>& body);

}  // namespace testing_support
