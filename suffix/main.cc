// zembu4 infile outfile [suffixfile] [visible]: the suffix splitter of the translation
// pipeline.
#include <cstdio>
#include <string>
#include <vector>

#include "common/linereader.h"
#include "suffix/splitter.h"

int main(int argc, char** argv) {
  zembu::linereader answers;
  answers.attach(stdin);
  zembu::console con;
  con.out = stdout;
  con.answers = &answers;

  std::vector<std::string> args(argv + 1, argv + argc);
  zembu::zembu4_args a;
  int status = 1;
  if (zembu::parse_zembu4_args(args, a)) {
    status = zembu::run_zembu4(a, con);
  } else {
    zembu::report_error(con, zembu::zembu4_usage(argc > 0 ? argv[0] : "zembu4"));
  }
  std::fflush(stdout);
  return status;
}
