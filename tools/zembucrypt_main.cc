// zembucrypt: writes scrambled copies of definition files for the engine's enciphered
// mode (CRYPT, SHELLCRYPT):
//   zembucrypt lines infile outfile     every text line scrambled (scripts, rule files)
//   zembucrypt records infile outfile   every 256-byte lexicon record scrambled
#include <cstdio>
#include <string>

#include "tools/lexibau.h"

int main(int argc, char** argv) {
  const std::string mode = argc == 4 ? argv[1] : "";
  if (mode != "lines" && mode != "records") {
    std::printf("usage: %s lines|records infile outfile\n", argv[0]);
    return 1;
  }
  bool ok = mode == "lines" ? zembu::scramble_text_file(argv[2], argv[3])
                            : zembu::scramble_record_file(argv[2], argv[3]);
  if (!ok) {
    std::printf("%s cannot be read or %s cannot be written\n", argv[2], argv[3]);
    return 1;
  }
  return 0;
}
