#include "frontend/programmlauf.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

extern char** environ;

namespace zembu {

std::vector<std::string> teile_argumente(const std::string& argumente) {
  std::vector<std::string> woerter;
  size_t i = 0;
  while (i < argumente.size()) {
    if (argumente[i] == ' ') {
      ++i;
      continue;
    }
    size_t ende = argumente.find(' ', i);
    if (ende == std::string::npos) ende = argumente.size();
    woerter.push_back(argumente.substr(i, ende - i));
    i = ende;
  }
  return woerter;
}

bool starte_programm(const std::string& pfad, const std::string& argumente) {
  std::vector<std::string> woerter = teile_argumente(argumente);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(pfad.c_str()));
  for (std::string& w : woerter) argv.push_back(w.data());
  argv.push_back(nullptr);

  std::fflush(nullptr);
  // The front end ignores SIGPIPE itself; the program gets the default back.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t standard;
  sigemptyset(&standard);
  sigaddset(&standard, SIGPIPE);
  posix_spawnattr_setsigdefault(&attr, &standard);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF);
  pid_t pid = 0;
  const int fehler = posix_spawn(&pid, pfad.c_str(), nullptr, &attr, argv.data(), environ);
  posix_spawnattr_destroy(&attr);
  if (fehler != 0) return false;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

}  // namespace zembu
