// One front end per working directory: the passes share fixed file names there, so a
// second front end would mix its sentences and definitions with the first one's. The
// lock is a file whose lock the system releases when its process ends, so a lock left by
// a killed run is taken over.
#pragma once

#include <string>

namespace zembu::frontend {

constexpr const char* kLockFile = "zembu.lock";

struct work_lock {
  int fd = -1;       // the open, locked lock file; -1 when not held
  std::string path;  // where it is
};

// Takes the lock of the directory `dir` ("" for the working directory, otherwise ending
// in "/"). False when another process holds it (`holder` gets its process number, 0 when
// unknown) or the lock file cannot be made (`holder` is -1, errno tells why).
bool take_work_lock(const std::string& dir, work_lock& lock, long& holder);

// Removes the lock file and releases the lock; nothing when it is not held.
void release_work_lock(work_lock& lock);

}  // namespace zembu::frontend
