#include "frontend/process.h"

#include <spawn.h>
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
  // The front end ignores SIGPIPE itself; the program gets the default back.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (output_to_stderr) posix_spawn_file_actions_adddup2(&actions, 2, 1);
  pid_t pid = 0;
  const int error = posix_spawn(&pid, path.c_str(), &actions, &attr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  program_outcome outcome;
  if (error != 0) return outcome;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return outcome;
  }
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
