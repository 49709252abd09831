#include "tests/support/unprivileged.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace testing_support {
namespace {

// What the child writes: whether `body` ran, and its value or errno.
struct Message { int ran = 0; int value = 0; };

void send(int fd, Message m) {
  const ssize_t n = ::write(fd, &m, sizeof m);
  ::_exit(n == static_cast<ssize_t>(sizeof m) ? 0 : 1);
}

// In the child: gives up root, or returns false with errno set.
bool dropRoot() {
  if (::geteuid() != 0) return true;
  if (::setgroups(0, nullptr) != 0) return false;
  if (::setresgid(kNobody, kNobody, kNobody) != 0) return false;
  if (::setresuid(kNobody, kNobody, kNobody) != 0) return false;
  // The saved set-user-ID is gone too: taking root back must fail.
  if (::setuid(0) == 0 || ::geteuid() == 0) {
    errno = EPERM;
    return false;
  }
  return true;
}

}  // namespace

ChildOutcome runUnprivileged(const std::function<int()>& body) {
  ChildOutcome outcome;
  int fds[2];
  if (::pipe(fds) != 0) {
    outcome.failure = std::string("pipe: ") + std::strerror(errno);
    return outcome;
  }
  const pid_t child = ::fork();
  if (child < 0) {
    outcome.failure = std::string("fork: ") + std::strerror(errno);
    ::close(fds[0]);
    ::close(fds[1]);
    return outcome;
  }
  if (child == 0) {
    ::close(fds[0]);
    if (!dropRoot()) send(fds[1], Message{0, errno});
    send(fds[1], Message{1, body()});
  }
  ::close(fds[1]);
  Message m;
  const ssize_t n = ::read(fds[0], &m, sizeof m);
  ::close(fds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (n != static_cast<ssize_t>(sizeof m)) {
    outcome.failure = "the child ended without an answer (status " + std::to_string(status) + ")";
  } else if (!m.ran) {
    outcome.failure = std::string("cannot give up root: ") + std::strerror(m.value);
  } else {
    outcome.ran = true;
    outcome.value = m.value;
  }
  return outcome;
}

}  // namespace testing_support
