// makeidio: writes the 162-byte idiom record file that the engine's indexed idiom step
// reads, from an idiom text file (two lines a rule: pattern line, action line). Record n
// (from 0) is rule n + 1 of the text file, with comments and outer blanks removed as the
// text step removes them.
//   makeidio idiomfile recordfile
#include <cstdio>
#include <string>
#include <vector>

#include "common/linereader.h"
#include "common/version.h"
#include "engine/idiome.h"
#include "engine/longstr.h"

namespace {

const char kHelp[] =
    "usage: makeidio idiomfile recordfile\n"
    "Writes the 162-byte idiom records for the indexed idiom step: record n (from 0) is\n"
    "rule n + 1 of the idiom file (two lines a rule: pattern line, action line), with\n"
    "comments and outer blanks removed.\n"
    "Exit status 0, or 1 when the idiom file cannot be read or the record file cannot be\n"
    "written.\n";

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (zembu::answer_standard_option(args, "makeidio", kHelp)) return 0;
  if (argc != 3) {
    std::printf("usage: %s idiomfile recordfile\n", argv[0]);
    return 1;
  }
  zembu::linereader in;
  if (!in.open(argv[1])) {
    std::printf("%s cannot be opened for reading\n", argv[1]);
    return 1;
  }
  // Never written through a symbolic link: the create fails instead.
  zembu::linewriter out;
  if (!out.create(argv[2])) {
    std::printf("%s cannot be opened for writing\n", argv[2]);
    return 1;
  }
  std::string pattern, action;
  size_t rules = 0;
  while (in.readline(pattern, 80)) {
    if (!in.readline(action, 80)) action.clear();
    size_t comment = pattern.find(';');
    if (comment != std::string::npos) pattern.resize(comment);
    out.write(zembu::engine::encode_idiom_record(zembu::engine::trim_spaces(pattern),
                                                 zembu::engine::trim_spaces(action)));
    ++rules;
  }
  if (!out.close()) {
    std::printf("%s cannot be written\n", argv[2]);
    return 1;
  }
  std::printf("%zu idiom records\n", rules);
  return 0;
}
