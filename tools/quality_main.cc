// quality: the figures of the translation-quality benchmark (rules/bench/quality.sh).
#include <cstdio>
#include <string>
#include <vector>

#include "common/codepage.h"
#include "common/linereader.h"
#include "common/version.h"
#include "tools/chrf.h"
#include "tools/devpairs.h"
#include "tools/wordbyword.h"

namespace {

const char kHelp[] =
    "usage: quality extract DICT\n"
    "       quality score REFERENCES HYPOTHESES\n"
    "       quality baseline RULES < english > german\n"
    "       quality encode < utf8 > cp437\n"
    "       quality unknown TOKENS WORDFILE\n"
    "  extract   the development sentence pairs of a German-English dictionary (lines\n"
    "            \"German :: English\") as \"english TAB german\" lines, UTF-8: one-sentence\n"
    "            sub-entries, English at most 10 words, even CRC-32 of the English only,\n"
    "            each English sentence once\n"
    "  score     corpus chrF (character 1- to 6-grams, beta 2) and exact-match rate of the\n"
    "            hypotheses against the references, UTF-8, one sentence a line\n"
    "  baseline  word-by-word translation of English lines (UTF-8) with the LEXICON and\n"
    "            USER LEXICON of a rule source (code page 437); its word counts on stderr\n"
    "  encode    UTF-8 lines in code page 437, as the front end converts its text\n"
    "  unknown   the word tokens of a token file and the unknown words of the engine's\n"
    "            word file\n"
    "Exit status 0; 1 for a wrong command line or a failed write; 2 when an input cannot\n"
    "be read or the line counts differ.\n";

bool flushed() { return std::fflush(stdout) == 0 && !std::ferror(stdout); }

bool read_lines(const std::string& name, std::vector<std::string>& lines) {
  zembu::linereader in;
  if (!in.open(name)) {
    std::fprintf(stderr, "quality: %s cannot be read\n", name.c_str());
    return false;
  }
  std::string line;
  while (in.readline(line, 1 << 20)) lines.push_back(line);
  return true;
}

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
  return flushed() ? 0 : 1;
}

int score(const std::string& references, const std::string& hypotheses) {
  std::vector<std::string> refs, hyps;
  if (!read_lines(references, refs) || !read_lines(hypotheses, hyps)) return 2;
  if (refs.size() != hyps.size()) {
    std::fprintf(stderr, "quality: %zu references but %zu hypotheses\n", refs.size(), hyps.size());
    return 2;
  }
  const zembu::corpus_scores s = zembu::score_corpus(refs, hyps);
  std::printf("sentences %zu\nchrF %.2f\nexact %.2f\n", s.sentences, s.chrf, s.exact_rate);
  return flushed() ? 0 : 1;
}

int baseline(const std::string& rules_name) {
  zembu::linereader rules;
  if (!rules.open(rules_name)) {
    std::fprintf(stderr, "quality: %s cannot be read\n", rules_name.c_str());
    return 2;
  }
  const zembu::baseline_dictionary dict = zembu::read_baseline_dictionary(rules);
  zembu::linereader in;
  in.attach(stdin);
  zembu::word_counts counts;
  std::string line;
  while (in.readline(line, 1 << 20)) {
    const std::string german =
        zembu::translate_word_by_word(dict, zembu::decode_user_line(line).text, counts);
    std::printf("%s\n", zembu::encode_for_user(german).c_str());
  }
  std::fprintf(stderr, "words %zu\nunknown %zu\n", counts.words, counts.unknown);
  return flushed() ? 0 : 1;
}

int encode() {
  zembu::linereader in;
  in.attach(stdin);
  std::string line;
  while (in.readline(line, 1 << 20)) {
    const std::string text = zembu::decode_user_line(line).text;
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
  }
  return flushed() ? 0 : 1;
}

int unknown(const std::string& tokens_name, const std::string& word_file_name) {
  zembu::linereader tokens, words;
  if (!tokens.open(tokens_name)) {
    std::fprintf(stderr, "quality: %s cannot be read\n", tokens_name.c_str());
    return 2;
  }
  // No word file: the engine found no unknown word.
  const size_t unknown = words.open(word_file_name) ? zembu::count_unknown_words(words) : 0;
  std::printf("words %zu\nunknown %zu\n", zembu::count_token_words(tokens), unknown);
  return flushed() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (zembu::answer_standard_option(args, "quality", kHelp)) return 0;
  const std::string command = args.empty() ? "" : args[0];
  if (command == "extract" && args.size() == 2) return extract(args[1]);
  if (command == "score" && args.size() == 3) return score(args[1], args[2]);
  if (command == "baseline" && args.size() == 2) return baseline(args[1]);
  if (command == "encode" && args.size() == 1) return encode();
  if (command == "unknown" && args.size() == 3) return unknown(args[1], args[2]);
  std::fputs(kHelp, stderr);
  return 1;
}
