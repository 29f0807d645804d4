// The engine's state: the configuration fixed at start-up (settings, procedure table and
// the tables the script loads) apart from the state of the sentences (word table,
// analysis and symbol tables, capture slots, counters), so that a run can be set back to
// the state of a fresh start cheaply. Nothing in it is allocated per sentence.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/bstring.h"
#include "common/idiom_index.h"
#include "common/lexicon_index.h"
#include "common/linereader.h"
#include "common/procedure_limit.h"
#include "engine/lazy_table.h"
#include "engine/longstr.h"
#include "engine/rule_cache.h"
#include "engine/settings.h"
#include "engine/wordtable.h"

namespace zembu::engine {

constexpr int max_symbols = 200;       // names of the symbol table
constexpr int max_suffixes = 600;      // suffix list of procedure 0
constexpr int max_terminations = 600;  // termination table of procedure 0
constexpr int max_vp_patterns = 200;   // verb-pattern strings per set
constexpr int max_vp_codes = 20;       // verb-pattern codes per set
constexpr int first_symbol = 202;      // number of the first symbol
// The work one sentence may take, in steps, and what each kind of work costs: a place
// tried in a pattern match one step; a procedure run, a syntax rule applied, a pattern
// rule read and tried and an idiom attempt a few; a pattern rule that fires (its
// operations, the file read again from its start) a hundred. Rule sets that keep each
// other busy end the sentence here with what they have made so far.
constexpr long max_sentence_work = 1000000;
constexpr long work_trial = 1;
constexpr long work_rule = 5;
constexpr long work_firing = 100;
// The trace lines one sentence may write; past them the trace is off for the rest of the
// sentence (the work and the result stay as they are).
constexpr unsigned long max_sentence_trace = 200000;

using ministring = bstring<10>;
using normstring = bstring<80>;
// The analysis table: rows 1..200 of cells 1..200 (row and cell 0 unused).
using tabb = std::array<std::array<uint8_t, max_words + 1>, max_words + 1>;

struct procedure_entry {
  char code = 0;
  bstring<30> name;
  bstring<80> argument;
};

// Where a loaded table entry stands: its file (as the procedure names it) and lines.
struct file_lines {
  bstring<30> file;
  long first = 0;
  long last = 0;
};

struct termination_entry {
  ministring first;    // text before the "-" of the termination line
  ministring second;   // text after it
  normstring third;    // the following line up to its first blank
  normstring fourth;   // the rest of that line
};

// A rule that fired, for the explain trace: the definition file as the procedure names
// it and the file lines the rule takes (records, for a file of fixed records).
struct fired_rule {
  std::string file;
  long first = 0;
  long last = 0;
};

struct vp_set {
  std::array<ministring, max_vp_patterns> patterns;
  int pattern_count = 0;
  std::array<bstring<3>, max_vp_codes> codes;
  int code_count = 0;
};

// What start-up fixes for the whole run: the settings, the procedure table and the
// tables the script loads. A sentence may change some of it while it runs (the trace
// switches, the name a per-word rule file gives its procedure); a fresh run starts from
// the values of start-up.
struct engine_setup {
  engine_settings settings;

  // Procedure table.
  std::array<procedure_entry, max_procedures + 1> procedures;  // 1..procedure_count
  int procedure_count = 0;
  // The per-word rule file a C or D procedure ran last (empty until it runs one): from
  // then on, for the rest of the run, the procedure goes by that name in the trace, the
  // explain report and the search of a restart.
  std::array<bstring<30>, max_procedures + 1> word_file_names;

  // Tables loaded at script time (made when the script loads them).
  lazy_table<normstring, max_suffixes + 1> suffixes;  // 1..suffix_count
  lazy_table<file_lines, max_suffixes + 1> suffix_lines;  // where each suffix stands
  int suffix_count = 0;
  lazy_table<termination_entry, max_terminations + 1> terminations;  // 1..termination_count
  lazy_table<file_lines, max_terminations + 1> termination_lines;  // where each entry stands
  int termination_count = 0;
  lazy_table<vp_set, 3> verb_patterns;  // sets 1 (V) and 2 (v)
};

// The state of the sentences of one run: empty at start-up, filled by the sentence loops.
struct sentence_state {
  // The word table of the current sentence.
  word_table table;
  bstring<6> sentence_label;
  bool more_pending = false;   // a plain sentence's rest waits in zembu.aux
  bool rest_spilled = false;   // a token sentence's rest waits in zembu.rst
  bool rest_complete = false;  // that rest holds the end of its sentence

  // Symbol table and capture slots (the analysis table is in sentence_scratch).
  std::array<bstring<30>, max_symbols + 1> symbols;  // 1..symbol_count
  int symbol_count = 0;
  std::array<char, 11> captures{{' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '}};  // 1..10

  // The procedure being run.
  int current = 0;

  // Change pairs of the unknown-word treatment (load_change_pairs, code b).
  std::array<std::array<ministring, 2>, 201> change_pairs;  // 1..change_count
  int change_count = 0;

  maxistring result_line;

  // Syntax rules and flattening (syntax.cc). The restarts of rule files in the current
  // sentence (bounded, reset before the first procedure); the length of the new word
  // list of flattening (the list is in sentence_scratch).
  int syntax_restarts = 0;
  int flat_count = 0;

  // The steps of work of the current sentence (reset before its first procedure) and
  // whether they are used up; the pattern rule firings of the sentence.
  long work = 0;
  bool work_exhausted = false;
  int complex_firings = 0;
  // The trace line count at the sentence's start, and whether its trace was cut off.
  unsigned long trace_start = 0;
  bool trace_cut = false;

  // The rules that fired in the procedure being run, for the explain trace.
  std::vector<fired_rule> fired;
};

// The tables a sentence fills before it reads them: the analysis table (cleared and set
// up at the start of the procedures), the places a syntax rule builds before they replace
// the matched ones, and the new word list of flattening (1..flat_count, each written
// before it is read). Setting a kept engine back for its next sentence leaves them alone.
struct sentence_scratch {
  tabb analysis{};
  tabb new_rows{};
  std::array<normstring, max_words + 1> flat_words;
  std::array<normstring, max_words + 1> flat_originals;
};

// The engine as one run has it: start-up's configuration, the sentence state, the open
// output files and the indexes opened on the way.
struct engine_state : engine_setup, sentence_state, sentence_scratch {
  linewriter listing;      // open from start-up while show_listing is on
  linewriter result_file;  // the result file of the file loops
  // When set, the token loop takes its sentences from memory and the result lines go to
  // this text instead of the result file (an engine kept in another program's process).
  std::string* result_text = nullptr;
  // The word file of unknown words is deleted unread after every sentence (by the front
  // end that keeps the engine in its process): procedure S then writes nothing.
  bool discard_word_file = false;
  linewriter word_file;  // open from the first sentence that writes the word file
  // The explain trace (explain.h), while settings.explain is on.
  linewriter explain_file;

  // Indexes of text lexicons and idiom files by the file's path, opened once for the run
  // and used again while the file is the one they were made for (opening checks a whole
  // index, which every sentence of a text would otherwise pay again).
  std::map<std::string, std::unique_ptr<lexicon_index>> lexicon_indexes;
  std::map<std::string, std::unique_ptr<idiom_index>> idiom_indexes;
  // Rule files (pattern rules, idioms, syntax rules) parsed once for the run and used
  // again while the file is unchanged.
  rule_cache parsed_rules;
};

// Writes a line of the result: to result_text when it is set, else to the result file.
inline void write_result_line(engine_state& eng, std::string_view line) {
  if (eng.result_text) {
    eng.result_text->append(line);
    eng.result_text->push_back('\n');
  } else {
    eng.result_file.writeline(line);
  }
}

// Notes for the explain trace that the rule on lines first..last of `file` fired; does
// nothing while the trace is off.
inline void note_fired(engine_state& eng, std::string_view file, long first, long last) {
  if (eng.settings.explain) eng.fired.push_back({std::string(file), first, last});
}

// spend_work past its common case: the trace's line cap, the bound reached.
inline bool spend_work_slowly(engine_state& eng, long steps) {
  if (eng.settings.visible && con_lines() - eng.trace_start > max_sentence_trace) {
    con_writeline("trace stopped after " + std::to_string(max_sentence_trace) +
                  " lines in this sentence; the sentence goes on without it.");
    eng.settings.visible = false;
    eng.trace_cut = true;
  }
  if (eng.work_exhausted) return false;
  eng.work += steps;
  if (eng.work <= max_sentence_work) return true;
  eng.work_exhausted = true;
  if (eng.settings.visible) {
    con_writeline("sentence stopped after " + std::to_string(max_sentence_work) +
                  " steps of work: the result is what the rules made so far.");
  }
  return false;
}

// Counts `steps` of work of the current sentence. False once max_sentence_work is used
// up; the first time, the trace says so. Turns the trace off for the rest of the sentence
// once it has written max_sentence_trace lines.
inline bool spend_work(engine_state& eng, long steps = 1) {
  // Without the trace and within the bound (nearly always) only the count moves.
  if (!eng.settings.visible && !eng.work_exhausted && eng.work + steps <= max_sentence_work) {
    eng.work += steps;
    return true;
  }
  return spend_work_slowly(eng, steps);
}

}  // namespace zembu::engine
