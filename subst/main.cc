// zembu3 infile outfile [tablefile]: the substitution filter of the translation pipeline.
#include <cstdio>
#include <string>
#include <vector>

#include "subst/subst.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  zembu::zembu3_args a;
  if (!zembu::parse_zembu3_args(args, a)) {
    std::string usage = zembu::zembu3_usage(argc > 0 ? argv[0] : "zembu3");
    std::fwrite(usage.data(), 1, usage.size(), stdout);
    std::fputc('\n', stdout);
    return 1;
  }
  return zembu::run_zembu3(a, stdout);
}
