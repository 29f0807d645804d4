// The rule compiler: reads the rule source section by section and writes the definition
// files and the procedure script that lists, in source order, the procedures the
// translation engine runs over each sentence.
#pragma once

#include <string>

namespace zembu {

// What one run of the compiler has to say.
struct compile_result {
  // For standard output: empty after a clean run, the three-line error report after a
  // malformed line, one line when the rule source does not open.
  std::string report;
  // For standard error: one line naming the file that could not be written and why; then
  // no file of the run was put in place and the previous definition files stand.
  std::string failure;
  // For standard error: a note when the script has more procedures than the engine runs.
  std::string warning;
  // The procedure lines of the script written (0 when none was written).
  int procedures = 0;
};

// Compiles the rule source `quelle_pfad` into the directory `defpath` (a prefix such as
// "definitions/"). Every file is written under a temporary name and renamed into place
// at the end, the procedure script last; a failed create or write puts none in place.
compile_result compile_rules(const std::string& quelle_pfad, const std::string& defpath);

// compile_rules, reduced to what goes to standard output.
std::string makezembu(const std::string& quelle_pfad, const std::string& defpath);

}  // namespace zembu
