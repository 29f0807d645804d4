// makelexi: builds the indexed form of a text lexicon (lexi.zmb layout) for the engine:
//   makelexi textlexicon name         writes name.ndx and name.dat
//   makelexi CRYPT textlexicon dir/   writes dir/zembu.001 and dir/zembu.002, scrambled
#include <cstdio>
#include <string>
#include <vector>

#include "common/linereader.h"
#include "common/version.h"
#include "tools/lexibau.h"

namespace {

const char kHelp[] =
    "usage: makelexi textlexicon name          writes name.ndx + name.dat\n"
    "       makelexi CRYPT textlexicon dir/    writes dir/zembu.001 + dir/zembu.002, enciphered\n"
    "Builds the indexed form of a text lexicon (two lines an entry, as in lexi.zmb): the\n"
    "index file and the file of 256-byte records that a procedure line \"l name\" searches.\n"
    "Exit status 0, or 1 when the lexicon cannot be read or an output cannot be written.\n";

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (zembu::answer_standard_option(args, "makelexi", kHelp)) return 0;
  bool crypt = argc == 4 && std::string(argv[1]) == "CRYPT";
  if (argc != 3 && !crypt) {
    std::printf("usage: %s textlexicon name | %s CRYPT textlexicon directory/\n", argv[0], argv[0]);
    return 1;
  }
  const std::string source = argv[crypt ? 2 : 1];
  const std::string target = argv[crypt ? 3 : 2];
  zembu::linereader file;
  if (!file.open(source)) {
    std::printf("%s cannot be opened for reading\n", source.c_str());
    return 1;
  }
  zembu::engine::indexed_lexicon lex =
      zembu::engine::build_indexed_lexicon(zembu::engine::read_text_lexicon(file));
  const std::string index = crypt ? target + "zembu.001" : target + ".ndx";
  const std::string data = crypt ? target + "zembu.002" : target + ".dat";
  if (!zembu::engine::write_indexed_lexicon(lex, index, data, crypt)) {
    std::printf("%s or %s cannot be written\n", index.c_str(), data.c_str());
    return 1;
  }
  std::printf("%zu records, %zu index lines\n", lex.records.size(), lex.index.size());
  return 0;
}
