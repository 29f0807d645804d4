// Pattern rules: rules of up to ten items that each describe one place of the analysis
// table by a symbol pattern and word tests; when a rule matches (in one of four search
// modes, with backtracking), the operations of its items move, swap, split, delete and
// insert places and patch their members. The rule file is read again after every firing.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "engine/state.h"

namespace zembu {

constexpr int max_items = 10;
constexpr int max_complex_firings = 1000;

// One pattern rule and the state of matching it.
struct complex_rule {
  int mode = 2;        // 0 ordered, 1 free, 2 adjacent, 3 backwards
  int n = 0;           // items, 1..10
  std::string delimiter;
  bool trace = false;  // the rule's own trace ("|")
  bool bang = false;   // fires only on a still open reading ("!")
  bool found_open = false;
  std::string header;
  std::array<std::string, max_items + 1> item_lines, op_lines;
  std::array<std::array<std::string, max_items + 1>, max_items + 1> attr;  // [k][i]
  std::array<int, max_items + 1> attrcount{};
  std::array<int, max_items + 1> zl{};                                     // place of item k
  std::array<std::array<int, max_items + 1>, max_items + 1> m{};           // matched entries
  bool matched = false;
};

// Splits a line at single blanks into attr[k][1..] (at most 10 parts).
void split_item_line(complex_rule& rule, int k, std::string_view line);
// Parses a rule header ("|", "!", count, blank, mode, delimiter); false when malformed.
bool parse_complex_header(std::string_view line, complex_rule& rule);
// Searches places for the items; sets zl, the matched entries and matched.
void match_rule(engine_state& eng, complex_rule& rule);
// Does item k fit place p? `abort` is set when p holds the delimiter.
bool prove_item(engine_state& eng, complex_rule& rule, int k, int p, bool& abort);
// Word test i of item k on place p: the entry index at which it succeeded, or 0.
int test_word_attribute(engine_state& eng, complex_rule& rule, const std::string& a, int p,
                        int k, int i);
// Runs the operations attr[k][1..attrcount[k]] of item k.
void apply_item_operations(engine_state& eng, complex_rule& rule, int k);
// Code 5: applies the current procedure's rule file until a pass finds no matching rule.
void run_complex_rules(engine_state& eng);

// The number of places: the length of the class line divided by three.
int place_count(const engine_state& eng);

}  // namespace zembu
