// makeidio: writes the 162-byte idiom record file that the engine's indexed idiom step
// reads, from an idiom text file (two lines a rule: pattern line, action line). Record n
// (from 0) is rule n + 1 of the text file, with comments and outer blanks removed as the
// text step removes them.
//   makeidio idiomfile recordfile
#include <cstdio>
#include <string>

#include "common/linereader.h"
#include "engine/idiome.h"
#include "engine/longstr.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::printf("usage: %s idiomfile recordfile\n", argv[0]);
    return 1;
  }
  zembu::linereader in;
  if (!in.open(argv[1])) {
    std::printf("%s cannot be opened for reading\n", argv[1]);
    return 1;
  }
  FILE* out = std::fopen(argv[2], "wb");
  if (!out) {
    std::printf("%s cannot be opened for writing\n", argv[2]);
    return 1;
  }
  std::string pattern, action;
  size_t rules = 0;
  bool ok = true;
  while (in.readline(pattern, 80)) {
    if (!in.readline(action, 80)) action.clear();
    size_t comment = pattern.find(';');
    if (comment != std::string::npos) pattern.resize(comment);
    std::string rec = zembu::encode_idiom_record(zembu::trim_spaces(pattern), zembu::trim_spaces(action));
    ok = std::fwrite(rec.data(), 1, rec.size(), out) == rec.size() && ok;
    ++rules;
  }
  if (std::fclose(out) != 0 || !ok) {
    std::printf("%s cannot be written\n", argv[2]);
    return 1;
  }
  std::printf("%zu idiom records\n", rules);
  return 0;
}
