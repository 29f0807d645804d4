// The suffix splitter zembu4: reads the agglutination list and the token lines of a
// sentence, splits listed suffixes off the words, inserting each suffix as a token line of
// its own right after its word, and writes the lines out again.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "common/linereader.h"
#include "suffix/tokentab.h"

namespace zembu::suffix {

// The most suffixes the agglutination list takes; later ones are ignored.
constexpr size_t kMaxSuffixes = 500;

// The agglutination list used when none is named.
extern const char kDefaultSuffixFile[];

// Where messages and the visible trace go, and where answers at a stop come from.
struct console {
  FILE* out = nullptr;            // standard output, say; null: lines go to `captured`
  std::string captured;
  linereader* answers = nullptr;  // null: a stop does not wait

  // Writes s as one line.
  void line(std::string_view s);
  // Makes everything written visible and waits for one answer line.
  void wait();
};

// Reads the suffixes of `in` into `list` (emptied first), skipping empty lines, at most
// `max` of them; true when more followed (they are ignored).
bool read_suffixes(linereader& in, std::vector<std::string>& list,
                   size_t max = kMaxSuffixes);

// True when `suffix` splits off `word`: it is not empty, strictly shorter than the word,
// and the word ends in it, byte for byte.
bool suffix_applies(std::string_view suffix, std::string_view word);

// Reads token lines from `in` into t until t is full or the input ends; lines behind
// stay unread. Each line, also an empty one, takes one entry. With a trace, each
// non-empty line is shown.
void read_tokens(linereader& in, tokentab& t, console* trace);

// Splits the suffixes off every entry of t in turn, entries inserted on the way
// included. With a trace, every step is shown and every insertion shows the table and
// waits for an answer.
void split_tokens(tokentab& t, const std::vector<std::string>& suffixes, console* trace);

// The token lines after split_tokens: the entries of t, then unsplit what did not fit
// (the entries pushed past the end, the lines of `in` not read yet), each with its line
// feed. `passed_through` tells whether anything went out unsplit.
std::string split_token_text(const tokentab& t, linereader& in, bool& passed_through);

struct zembu4_args {
  std::string infile;
  std::string outfile;
  std::string suffixfile = kDefaultSuffixFile;
  bool visible = false;
};

// Takes the arguments after the program name; false when fewer than two are given.
bool parse_zembu4_args(const std::vector<std::string>& args, zembu4_args& a);

// The message for a call with too few arguments.
std::string zembu4_usage(const std::string& program);

// Writes an error as the splitter reports it: an empty line, then the message.
void report_error(console& con, std::string_view message);

// Runs the splitter on files; messages and the trace go to `con`. Returns the exit
// status: 0, or 1 after an error.
int run_zembu4(const zembu4_args& a, console& con);

}  // namespace zembu::suffix
