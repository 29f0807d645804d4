// Discontinuous structures: the pattern rules (rules of up to ten items that each
// describe one place of the analysis table; when a rule matches, in one of four search
// modes with backtracking, its operations move, swap, split, delete and insert places and
// patch their members; the rule file is read again after every firing) and the verb
// patterns (the slots a verb opens, appended as symbols to the place that holds it).
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "engine/rule_file.h"
#include "engine/state.h"

namespace zembu::engine {


// The pattern text for the verb reading of entry e whose "*" stands at (1-based)
// position x (0 for an entry of one reading), for pattern set langu (1 or 2).
std::string verb_pattern_text(engine_state& eng, std::string_view e, size_t x, int langu);

// Finds the verb reading of entry e: sets x as above and returns true, or false when the
// entry has no verb reading.
bool find_verb_reading(std::string_view e, size_t& x);

// Codes V (langu 1) and v (langu 2): every place's first verb gets the symbols of its
// pattern appended to its place.
void apply_verb_patterns(engine_state& eng, int langu);


// ---- Pattern rules ----


constexpr int max_items = 10;
// The most pattern rule firings in one sentence, over all pattern rule files.
constexpr int max_complex_firings = 1000;

// One pattern rule as its file gives it: header, item lines and operation lines, the
// items' tests and the operations split into words. Parsed once, used by every attempt.
struct complex_rule {
  int mode = 2;        // 0 ordered, 1 free, 2 adjacent, 3 backwards
  int n = 0;           // items, 1..10
  std::string delimiter;
  bool trace = false;  // the rule's own trace ("|")
  bool bang = false;   // fires only on a still open reading ("!")
  std::string header;
  std::array<std::string, max_items + 1> item_lines, op_lines;
  // The words of item k's lines, [k][1..count] (word 1 is there, empty, for an empty line);
  // sized to the rule, so a file of many rules stays small.
  std::array<std::vector<std::string>, max_items + 1> attr;  // [k][i] tests
  std::array<int, max_items + 1> attrcount{};
  std::array<std::vector<std::string>, max_items + 1> ops;  // [k][i] operations
  std::array<int, max_items + 1> opcount{};
  // The file lines of the header and of the rule's last line, counted from the file's start.
  long header_line = 0;
  long last_line = 0;
};

// The state of one attempt to match a pattern rule and run its operations.
struct complex_match {
  bool found_open = false;
  std::array<int, max_items + 1> zl{};                            // place of item k
  std::array<std::array<int, max_items + 1>, max_items + 1> m{};  // matched entries
  bool matched = false;
};

// Splits a line at single blanks into the tests attr[k][1..] (at most 10 parts).
void split_item_line(complex_rule& rule, int k, std::string_view line);
// Splits a line at single blanks into the operations ops[k][1..] (at most 10 parts).
void split_operation_line(complex_rule& rule, int k, std::string_view line);
// Parses a rule header ("|", "!", count, blank, mode, delimiter); false when malformed.
bool parse_complex_header(std::string_view line, complex_rule& rule);
// Searches places for the items; sets zl, the matched entries (left as they are when no
// place passes item 1) and matched.
void match_rule(engine_state& eng, const complex_rule& rule, complex_match& match);
// Does item k fit place p? `abort` is set when p holds the delimiter.
bool prove_item(engine_state& eng, const complex_rule& rule, complex_match& match, int k, int p,
                bool& abort);
// Word test i of item k on place p: the entry index at which it succeeded, or 0.
int test_word_attribute(engine_state& eng, const complex_rule& rule, complex_match& match,
                        const std::string& a, int p, int k, int i);
// Runs the operations ops[k][1..opcount[k]] of item k.
void apply_item_operations(engine_state& eng, const complex_rule& rule, complex_match& match,
                           int k);
// Code 5: applies the rule file `rules` until a pass finds no matching rule.
void run_complex_rules(engine_state& eng, const rule_file& rules);

// The number of places: the length of the class line divided by three.
int place_count(const engine_state& eng);

}  // namespace zembu::engine
