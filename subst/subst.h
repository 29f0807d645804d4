// The substitution filter zembu3: copies a text file line by line and applies a table of
// search/replacement pairs to every line (the final substitutions of the rule author), or,
// when no table is given, a built-in table of transliterations written in UTF-8.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "common/linereader.h"
#include "common/replace.h"

namespace zembu::subst {

// The most pairs a table file gives; pairs behind them are ignored.
constexpr size_t kMaxPairs = 1000;

// The longest line the filter takes whole: the engine's longest result line, which is
// as long as the engine's long string can be (maxi_capacity in engine/longstr.h). A
// longer line is cut to this length, with a message.
constexpr size_t kLongestLine = 2000;

// How long the substitutions may make a line: room for every byte of the longest line to
// become a UTF-8 letter of up to four bytes. Growth beyond it is cut, with a message.
constexpr size_t kLongestResult = 4 * kLongestLine;

// The built-in table, in the order it is applied; replacements are UTF-8 sequences.
const std::vector<replace_pair>& builtin_table();

// Reads pairs from `in` into `pairs` (emptied first): a search line, then a replacement
// line; an odd last line gives a pair with an empty replacement. Takes at most `max`
// pairs; true when more followed (they are not read).
bool read_subst_table(linereader& in, std::vector<replace_pair>& pairs,
                      size_t max = kMaxPairs);

// One line per pair: "[search] -> [replacement]" (brackets show the blanks).
std::string dump_subst_table(const std::vector<replace_pair>& pairs);

// Rewrites one line: every run of TABs becomes one TAB, then each pair in table order
// by repeated replacement, each finished before the next starts. The result is kept
// within `width` bytes; returns false when it had to be cut.
bool subst_line(std::string& line, const std::vector<replace_pair>& pairs,
                size_t width = kLongestResult);

// The lines of `in` (named `name` in messages) as the filter writes them, each with its
// line feed; a line cut to kLongestLine or kLongestResult is named on `errors`.
std::string subst_text(linereader& in, const std::string& name,
                       const std::vector<replace_pair>& pairs, FILE* errors);

struct zembu3_args {
  std::string infile;
  std::string outfile;
  std::string tablefile;  // empty: none named
  bool has_table = false;
};

// Takes the arguments after the program name; false when fewer than two are given.
bool parse_zembu3_args(const std::vector<std::string>& args, zembu3_args& a);

// The line that names the arguments, for a call with too few of them.
std::string zembu3_usage(const std::string& program);

// Filters a.infile into a.outfile; messages go to `console` as single lines, and a line
// cut to kLongestLine or kLongestResult is named on `errors` with its number and length.
// Returns the exit status: 0, or 1 when a file cannot be read or written.
int run_zembu3(const zembu3_args& a, FILE* console, FILE* errors = stderr);

}  // namespace zembu::subst
