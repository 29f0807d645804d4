// zembucrypt: writes scrambled copies of definition files for the engine's enciphered
// mode (CRYPT, SHELLCRYPT):
//   zembucrypt lines infile outfile     every text line scrambled (scripts, rule files)
//   zembucrypt records infile outfile   every 256-byte lexicon record scrambled
#include <cstdio>
#include <string>
#include <vector>

#include "common/version.h"
#include "tools/lexibau.h"

namespace {

const char kHelp[] =
    "usage: zembucrypt lines infile outfile     enciphered copy of a script or rule file\n"
    "       zembucrypt records infile outfile   enciphered copy of a lexicon record file\n"
    "Writes the copy that the engine reads in its enciphered mode (CRYPT, SHELLCRYPT).\n"
    "Exit status 0, or 1 when infile cannot be read or outfile cannot be written.\n";

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (zembu::answer_standard_option(args, "zembucrypt", kHelp)) return 0;
  const std::string mode = argc == 4 ? argv[1] : "";
  if (mode != "lines" && mode != "records") {
    std::printf("usage: %s lines|records infile outfile\n", argv[0]);
    return 1;
  }
  bool ok = mode == "lines" ? zembu::engine::scramble_text_file(argv[2], argv[3])
                            : zembu::engine::scramble_record_file(argv[2], argv[3]);
  if (!ok) {
    std::printf("%s cannot be read or %s cannot be written\n", argv[2], argv[3]);
    return 1;
  }
  return 0;
}
