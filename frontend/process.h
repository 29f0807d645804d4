// Starting the pass programs: a program is run by its path with an argument vector made
// by splitting one argument string at blanks, without a shell, and waited for.
#pragma once

#include <string>
#include <vector>

namespace zembu::frontend {

// How a program run ended.
struct program_outcome {
  bool started = false;  // false: the program could not be started (missing, not runnable)
  bool exited = false;   // it ended by itself with `status`; otherwise a signal ended it
  int status = 0;        // exit status when exited, else the signal number
};

// The words of `arguments`, split at blanks; runs of blanks give no empty words.
std::vector<std::string> split_arguments(const std::string& arguments);

// Runs the program `path` with the words of `arguments` as its arguments and waits for
// it to end. Standard output is flushed first so that the program's output follows ours;
// with `output_to_stderr` the program's standard output goes to our standard error.
program_outcome run_program(const std::string& path, const std::string& arguments,
                            bool output_to_stderr = false);

// True when the program ran and ended by itself with one of the statuses `good`.
bool succeeded(const program_outcome& outcome, std::initializer_list<int> good = {0});

// How the run ended, for a message: "could not be started", "ended with status 2",
// "was killed by signal 11".
std::string describe(const program_outcome& outcome);

}  // namespace zembu::frontend
