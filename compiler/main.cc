// makezembu: compiles rules.txt in the working directory into the definition files and
// the procedure script under definitions/. A malformed line is reported on standard
// output with status 0; a file that cannot be written is named on standard error with
// status 1, and then the previous definition files are left as they were.
#include <cstdio>
#include <string>
#include <vector>

#include "common/version.h"
#include "compiler/makezembu.h"

namespace {

const char kUsage[] =
    "usage: makezembu\n"
    "\n"
    "Reads rules.txt in the working directory and rewrites the definition files and the\n"
    "procedure script definitions/exec.zmb; the directory definitions/ must exist. Prints\n"
    "nothing on success. A malformed line stops it with\n"
    "  error: <the offending text>\n"
    "  source <the source line>\n"
    "  Zembu generator terminated\n"
    "on standard output and status 0; the script still gets its last line. A definition\n"
    "file that cannot be written (a full disk, say) is named on standard error with status\n"
    "1, and no file of the run replaces the previous ones. A script of more than 250\n"
    "procedures, more than the engine runs, gives a warning on standard error.\n"
    "\n"
    "  --help     this text\n"
    "  --version  the version\n";

void put(const std::string& text, FILE* to) { std::fwrite(text.data(), 1, text.size(), to); }

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (zembu::answer_standard_option(args, "makezembu", kUsage)) return 0;
  const zembu::compile_result r = zembu::compile_rules("rules.txt", "definitions/");
  put(r.report, stdout);
  std::fflush(stdout);
  put(r.failure, stderr);
  put(r.warning, stderr);
  return r.failure.empty() ? 0 : 1;
}
