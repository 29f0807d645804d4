// Idioms: rules of pattern words and actions over the plain sequence of words, read from
// an idiom text file (two lines a rule; through the file's index only the rules whose first
// word the sentence holds) or, one rule per word, from a file of fixed idiom records; they
// rewrite, insert, delete and join the words found.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/rule_file.h"
#include "engine/state.h"

namespace zembu::engine {

constexpr int max_idiom_words = 15;
constexpr size_t idiom_record_size = 162;

// One pattern word taken apart: where it is searched and what it tests.
struct idiom_pattern_word {
  int window = -1;          // a leading digit: how many words behind the current one; -1 none
  bool from_start = false;  // a leading "*": searched from the attempt's start
  char kind = 0;            // the test character ("#^+$~>"), 0 for the plain test
  std::string text;         // what the test compares
};

// One action taken apart: its letter ("!", "+", "-" and "0" read as R, I, D and U; an
// empty action is U) and its argument (a leading "*" dropped for B, H, I and R).
struct idiom_action {
  char letter = 'U';
  std::string arg;
};

// One idiom rule as its file gives it. Parsed once, used by every attempt.
struct idiom_rule {
  std::string pattern_line, action_line;
  int pattern_count = 0;
  int action_count = 0;
  // Sized to the rule (element 0 unused), so a file of many rules stays small.
  std::vector<idiom_pattern_word> tests;  // 1..pattern_count: the pattern words taken apart
  std::vector<idiom_action> actions;      // 1..action_count: the actions taken apart
  // The lines of the rule's file it was read from (records of a record file), for the
  // explain trace; 0 when not known.
  long first_line = 0;
  long last_line = 0;
};

// The state of applying an idiom rule: where the attempt starts and the words found.
struct idiom_attempt {
  std::array<int, max_idiom_words + 1> found{};  // word of each pattern word; 0 = not found
  int attempt_start = 1;
  int current = 1;
  int pointer = 1;  // the pattern word whose found word the next action works on
  bool failed = false;
};

// A rule from its pattern line and action line (split at single blanks, at most 15 words).
idiom_rule make_idiom_rule(std::string_view pattern_line, std::string_view action_line);
// One attempt from attempt.attempt_start: searches the pattern words and, when all are
// found, runs the actions.
void try_idiom_rule(engine_state& eng, const idiom_rule& rule, idiom_attempt& attempt);
// Applies a rule over the whole sentence, again behind each place where it fired; returns
// the number of times it fired (its actions ran). The explain trace names `file` for it.
int apply_idiom_rule(engine_state& eng, const idiom_rule& rule, std::string_view file = "");
// Sets word w from a word spec: "source=entry", or an entry whose text is the source.
void set_word_from_spec(engine_state& eng, int w, std::string_view spec);

// How a text idiom step read its file.
struct idiom_step_report {
  bool indexed = false;       // through the file's index
  uint64_t rules_read = 0;    // rules read through the index; the others were skipped
  bool read_on = false;       // the index failed on the way: from rule read_on_from on
  uint64_t read_on_from = 0;  // (numbered from 0) the rules were read from the file
  std::string why;            // why the index was left aside (empty: there is none)
};

// Code 2: the rules of the idiom file `rules`, in file order. With the trace
// off and a plain file whose index fits it, only the rules that can fire are read; the
// others count the work of their one failed attempt, so the word table and the work are
// those of reading every rule.
void run_idioms(engine_state& eng, const rule_file& rules,
                idiom_step_report* report = nullptr);
// Code 8: for each word with an idiom record number in its extras entry, that record's rule
// of the record file `records`.
void run_indexed_idioms(engine_state& eng, const rule_file& records);

// The two lines of a 162-byte idiom record, and the record of two lines.
void decode_idiom_record(std::string_view bytes, std::string& pattern, std::string& action);
std::string encode_idiom_record(std::string_view pattern, std::string_view action);

}  // namespace zembu::engine
