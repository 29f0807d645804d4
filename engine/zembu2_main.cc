// zembu2: the translation engine. Runs the procedure script over every sentence of a
// token file (shell form), a text file or the keyboard (direct form).
#include <string>
#include <vector>

#include "common/version.h"
#include "engine/longstr.h"
#include "engine/trans2.h"

namespace {

const char kUsage[] =
    "usage: zembu2 SHELLMODE|SHELLCRYPT path infile resultfile [VISIBLE|visible]\n"
    "       zembu2 [VISIBLE] [NOCRYPT|CRYPT] [/path] [textfile] [path]\n"
    "\n"
    "Runs the procedure script definitions/exec.zmb over each sentence.\n"
    "Shell form (as the front end calls it): translates the token file infile into\n"
    "resultfile, one line a sentence; SHELLCRYPT reads enciphered definitions from path;\n"
    "VISIBLE echoes each sentence, visible turns the trace on.\n"
    "Direct form: translates textfile (story.txt gives the result story.XLT, the listing\n"
    "story.LST and the unknown words story.WOR), or, without one, sentences typed one a\n"
    "line until an empty line.\n"
    "The words VISIBLE, NOCRYPT and CRYPT (any case) switch the trace and enciphered\n"
    "definitions; a word starting with / is the definitions path; the first other word\n"
    "is the text file, any later one the path. Settings come from zembu.cfg.\n"
    "A result file that cannot be created or written is named on standard error and the\n"
    "exit status is 1.\n"
    "\n"
    "  --help     this text\n"
    "  --version  the version\n";

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (zembu::answer_standard_option(args, "zembu2", kUsage)) return 0;
  try {
    return zembu::engine::run_engine(args, true);
  } catch (const zembu::engine::engine_stop&) {
    // The messages are out; a stopped engine ends as if its work were done.
    return 0;
  }
}
