#include "platform/cinstancelock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

CInstanceLock::CInstanceLock(const std::filesystem::path& directory) {
  const auto file = directory / "ondrel.lock";
  const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    heldElsewhere_ = errno == EWOULDBLOCK;
    ::close(fd);
    return;
  }
  fd_ = fd;
}

CInstanceLock::~CInstanceLock() {
  if (fd_ >= 0) ::close(fd_);
}
