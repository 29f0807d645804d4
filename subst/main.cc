// zembu3 infile outfile [tablefile]: the substitution filter of the translation pipeline.
#include <cstdio>
#include <string>
#include <vector>

#include "common/version.h"
#include "subst/subst.h"

namespace {

const char kHelp[] =
    "usage: zembu3 infile outfile [tablefile]\n"
    "Copies infile to outfile line by line: runs of TABs become one TAB, then every\n"
    "search/replacement pair of the table file (two lines per pair, up to 1000 pairs) is\n"
    "applied in order. Without a table file, or with one that is missing or empty, a\n"
    "built-in table turns transliteration marks (s. h- n~ a: ' ...) into UTF-8 letters and\n"
    "tidies blanks before full stops and commas. A line longer than 2000 bytes (the longest\n"
    "result line of the engine) is cut, and so is a line that the substitutions make longer\n"
    "than 8000 bytes, each with a message on standard error. A file that cannot be read or\n"
    "written gives a one-line message and exit status 1.\n";

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (zembu::answer_standard_option(args, "zembu3", kHelp)) return 0;
  zembu::subst::zembu3_args a;
  if (!zembu::subst::parse_zembu3_args(args, a)) {
    std::string usage = zembu::subst::zembu3_usage(argc > 0 ? argv[0] : "zembu3");
    std::fwrite(usage.data(), 1, usage.size(), stdout);
    std::fputc('\n', stdout);
    return 1;
  }
  return zembu::subst::run_zembu3(a, stdout);
}
