// Syntax rules and flattening: the three-line rules of a synt file that group the places
// of the class line and the analysis table, and the step that turns the places back into
// a word list, with function words and the feature words that inflection reads.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/rule_file.h"
#include "engine/state.h"

namespace zembu::engine {

// The most restarts of rule files in one sentence; a rule file that keeps changing the
// class line stops after this many.
constexpr int max_syntax_restarts = 1000;

// A set of three-character cells, one bit each of 256 (cells may share a bit).
using cell_set = std::array<uint64_t, 4>;

// One rule as the engine reads it: pattern, replacement, order part and the
// disambiguation list with its mode.
struct syntax_rule {
  std::string pattern;      // symbols to search, cut at its first blank
  cell_set pattern_cells{}; // the pattern's whole cells without "." or "*" (line_cells)
  std::string replacement;  // the new symbols
  std::string order;        // how the new places are built ("" leaves the rows alone)
  std::string list;         // disambiguation items
  bool force = false;       // "!": the word's class is overwritten by the reading
};

// Splits the three trimmed lines of a rule into its parts.
syntax_rule parse_syntax_rule(std::string_view pattern, std::string_view replacement,
                              std::string_view action);

// The cells of a class line: those at positions 0, 3, 6, ... A pattern can be found in
// the line (find3) only when every whole cell of it without "." or "*" is among them.
cell_set line_cells(std::string_view line);

// Codes 4 (with_table: the trace lists the whole table) and A: applies the rule file
// `rules` to the class line and the analysis table until no rule changes the class line.
void run_syntax_rules(engine_state& eng, const rule_file& rules, bool with_table);

// Applies one rule at the first cell-aligned match in the class line; returns the
// position of the match, 0 when the rule did not fire.
size_t apply_syntax_rule(engine_state& eng, const syntax_rule& rule, bool with_table);

// Rebuilds rows start.. of the analysis table after a rule replaced `old_places` places
// by `new_places`, as the order part prescribes.
void regroup_rows(engine_state& eng, std::string_view order, int start, int old_places,
                  int new_places);

// Code E: the places become the word list again; symbols become words by the function
// word file `functions`, lower-case material is merged into feature words.
void flatten_analysis(engine_state& eng, const rule_file& functions);

// The analysis table as text, one place a line ("row: members"), for tests.
std::string dump_analysis(const engine_state& eng);

}  // namespace zembu::engine
