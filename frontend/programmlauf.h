// Starting the pass programs: a program is run by its path with an argument vector made
// by splitting one argument string at blanks, without a shell, and waited for.
#pragma once

#include <string>
#include <vector>

namespace zembu {

// The words of `argumente`, split at blanks; runs of blanks give no empty words.
std::vector<std::string> teile_argumente(const std::string& argumente);

// Runs the program `pfad` with the words of `argumente` as its arguments and waits for
// it to end. Standard output is flushed first so that the program's output follows ours.
// True when the program ran (whatever its exit status), false when it could not start.
bool starte_programm(const std::string& pfad, const std::string& argumente);

}  // namespace zembu
