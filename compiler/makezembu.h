// The rule compiler: reads the rule source section by section and writes the definition
// files and the procedure script that lists, in source order, the procedures the
// translation engine runs over each sentence.
#pragma once

#include <string>

namespace zembu {

// Compiles the rule source `quelle_pfad` into the directory `defpath` (a prefix such as
// "definitions/"). Returns what the compiler has to say on standard output: empty after a
// clean run, the three-line error report after a malformed line, one line when a file
// cannot be opened or created.
std::string makezembu(const std::string& quelle_pfad, const std::string& defpath);

}  // namespace zembu
