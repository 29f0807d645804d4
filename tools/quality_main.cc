// quality: the figures of the translation-quality benchmark (rules/bench/quality.sh).
//   quality extract DICT              development pairs, "english TAB german" lines
#include <cstdio>
#include <string>
#include <vector>

#include "common/version.h"
#include "tools/devpairs.h"

namespace {

const char kHelp[] =
    "usage: quality extract DICT\n"
    "  extract DICT   writes the development sentence pairs of a German-English dictionary\n"
    "                 (lines \"German :: English\") as \"english TAB german\" lines, UTF-8:\n"
    "                 one-sentence sub-entries, English at most 10 words, even CRC-32 of\n"
    "                 the English side only, each English sentence once.\n"
    "Exit status 0; 1 for a wrong command line; 2 when an input cannot be read.\n";

int extract(const std::string& dict) {
  FILE* in = std::fopen(dict.c_str(), "r");
  if (in == nullptr) {
    std::fprintf(stderr, "quality: %s cannot be read\n", dict.c_str());
    return 2;
  }
  zembu::extract_development_pairs(in, [](const zembu::sentence_pair& p) {
    std::printf("%s\t%s\n", p.english.c_str(), p.german.c_str());
  });
  std::fclose(in);
  return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (zembu::answer_standard_option(args, "quality", kHelp)) return 0;
  if (args.size() == 2 && args[0] == "extract") return extract(args[1]);
  std::fputs(kHelp, stderr);
  return 1;
}
