#include "frontend/worklock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace zembu::frontend {

namespace {

// The process number written in the lock file, 0 when there is none.
long read_holder(int fd) {
  char buf[32] = {};
  const ssize_t n = pread(fd, buf, sizeof buf - 1, 0);
  return n > 0 ? std::strtol(buf, nullptr, 10) : 0;
}

}  // namespace

bool take_work_lock(const std::string& dir, work_lock& lock, long& holder) {
  const std::string path = dir + kLockFile;
  holder = -1;
  // A run that ends removes its lock file; one that opened the file just before may
  // then lock a file that no longer has the name. Such a lock is worth nothing, so the
  // name is checked after locking and the whole step repeated.
  for (int attempt = 0; attempt < 100; ++attempt) {
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      holder = error == EWOULDBLOCK ? read_holder(fd) : -1;
      close(fd);
      errno = error;
      return false;
    }
    struct stat opened, named;
    if (fstat(fd, &opened) != 0 || lstat(path.c_str(), &named) != 0 ||
        opened.st_dev != named.st_dev || opened.st_ino != named.st_ino) {
      close(fd);
      continue;
    }
    const std::string pid = std::to_string(static_cast<long>(getpid())) + "\n";
    if (ftruncate(fd, 0) != 0 || pwrite(fd, pid.data(), pid.size(), 0) < 0) {
      const int error = errno;
      close(fd);
      errno = error;
      return false;
    }
    lock.fd = fd;
    lock.path = path;
    return true;
  }
  errno = EAGAIN;
  return false;
}

void release_work_lock(work_lock& lock) {
  if (lock.fd < 0) return;
  unlink(lock.path.c_str());
  close(lock.fd);
  lock.fd = -1;
}

}  // namespace zembu::frontend
