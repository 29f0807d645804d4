// zembu4 infile outfile [suffixfile] [visible]: the suffix splitter of the translation
// pipeline.
#include <cstdio>
#include <string>
#include <vector>

#include "common/linereader.h"
#include "common/version.h"
#include "suffix/splitter.h"

namespace {

const char kHelp[] =
    "usage: zembu4 infile outfile [suffixfile] [visible]\n"
    "Splits listed endings off the words of a token file: each ending becomes a token line\n"
    "of its own (class ZZZ) right after its word. The list defaults to definitions/aggl.zmb\n"
    "(one suffix a line, up to 500). visible (third or fourth word) traces every step and\n"
    "waits for Enter after each split. Up to 2000 token lines are split; lines beyond are\n"
    "written through unsplit. Errors (missing arguments, list, input or unwritable output)\n"
    "print an empty line and a message and exit with status 1.\n";

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (zembu::answer_standard_option(args, "zembu4", kHelp)) return 0;
  zembu::linereader answers;
  answers.attach(stdin);
  zembu::suffix::console con;
  con.out = stdout;
  con.answers = &answers;

  zembu::suffix::zembu4_args a;
  int status = 1;
  if (zembu::suffix::parse_zembu4_args(args, a)) {
    status = zembu::suffix::run_zembu4(a, con);
  } else {
    zembu::suffix::report_error(con, zembu::suffix::zembu4_usage(argc > 0 ? argv[0] : "zembu4"));
  }
  std::fflush(stdout);
  return status;
}
