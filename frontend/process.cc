#include "frontend/process.h"

#include <pthread.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>

extern char** environ;

namespace zembu::frontend {

std::vector<std::string> split_arguments(const std::string& arguments) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < arguments.size()) {
    if (arguments[i] == ' ') {
      ++i;
      continue;
    }
    size_t end = arguments.find(' ', i);
    if (end == std::string::npos) end = arguments.size();
    words.push_back(arguments.substr(i, end - i));
    i = end;
  }
  return words;
}

program_outcome run_program(const std::string& path, const std::string& arguments,
                            bool output_to_stderr) {
  std::vector<std::string> words = split_arguments(arguments);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(path.c_str()));
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  std::fflush(nullptr);
  // The child of vfork sets back only the signals the front end handles (running the
  // program would do that too, but our handler must not run in the child before) and
  // SIGPIPE, which the front end ignores and the program gets by default; posix_spawn
  // would look at every signal, some 120 system calls a program. Every signal is held
  // until the child has its own settings.
  sigset_t all, before;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, &before);
  volatile int start_error = 0;
  const pid_t pid = vfork();
  if (pid == 0) {
    struct sigaction by_default = {}, now = {};
    by_default.sa_handler = SIG_DFL;
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
      if (sigaction(sig, nullptr, &now) == 0 && now.sa_handler != SIG_DFL &&
          now.sa_handler != SIG_IGN) {
        sigaction(sig, &by_default, nullptr);
      }
    }
    sigaction(SIGPIPE, &by_default, nullptr);
    if (output_to_stderr && dup2(2, 1) < 0) {
      start_error = errno;
      _exit(127);
    }
    sigprocmask(SIG_SETMASK, &before, nullptr);
    execve(path.c_str(), argv.data(), environ);
    start_error = errno != 0 ? errno : ENOEXEC;
    _exit(127);
  }
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  program_outcome outcome;
  if (pid < 0) return outcome;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return outcome;
  }
  if (start_error != 0) return outcome;
  outcome.started = true;
  outcome.exited = WIFEXITED(status);
  outcome.status = outcome.exited ? WEXITSTATUS(status) : WTERMSIG(status);
  return outcome;
}

bool succeeded(const program_outcome& outcome, std::initializer_list<int> good) {
  return outcome.started && outcome.exited &&
         std::find(good.begin(), good.end(), outcome.status) != good.end();
}

std::string describe(const program_outcome& outcome) {
  if (!outcome.started) return "could not be started";
  if (!outcome.exited) return "was killed by signal " + std::to_string(outcome.status);
  return "ended with status " + std::to_string(outcome.status);
}

}  // namespace zembu::frontend
