// zembu --explain: why a sentence came out as it did. Runs the pipeline for the sentence
// with the engine's explain trace and prints, stage by stage, the tokens after zembu1 and
// zembu4, every procedure of the script with the rules that fired in it (each with the
// rules.txt lines it was compiled from) and the word table where it changed, then the
// engine's result line and the German.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/replace.h"
#include "common/rules_map.h"
#include "frontend/frontend.h"

namespace zembu::frontend {

// A rule the engine reports as fired: its definition file and the file lines it takes.
struct trace_rule {
  std::string file;
  long first = 0;
  long last = 0;
};

// One procedure run of the engine's explain trace.
struct trace_procedure {
  int index = 0;
  std::string code, name, argument;
  std::vector<trace_rule> fired;
  bool words_changed = false;
  std::vector<std::pair<std::string, std::string>> words;  // source form, entry
  bool class_changed = false;
  std::string class_line;
};

// The explain trace of one sentence, as the engine wrote it (code page 437).
struct trace_sentence {
  std::string label;
  std::vector<std::pair<std::string, std::string>> words;  // at the start
  std::string class_line;                                  // at the start
  std::vector<trace_procedure> procedures;
  std::string result;
  bool complete = false;  // its "end" line was read
};

// The sentences of an explain trace (zembu.exp); unknown lines are passed over.
std::vector<trace_sentence> parse_explain_trace(std::string_view text);

// What the pipeline did with one piece of a sentence (all code page 437).
struct explained_piece {
  std::vector<std::string> tokens;        // pass1, after zembu1
  std::vector<std::string> split_tokens;  // pass3, after zembu4
  std::vector<std::string> result;        // pass2, the engine's result lines
  std::string trace;                      // zembu.exp
};

// The source the report quotes: the lines of rules.txt and the map of the definitions,
// and the pair tables of zembu1 and zembu3 when they come from the definitions.
struct rule_source {
  std::vector<std::string> lines;  // rules.txt, line 1 first (code page 437)
  map_index map;
  std::vector<replace_pair> substitutions;        // ascii.zmb
  std::vector<replace_pair> final_substitutions;  // asci2.zmb
};

// The pairs of a pair file's text (search line, replacement line), at most `max`. With
// `odd_last` a last search line without its replacement is a pair with an empty one.
std::vector<replace_pair> read_pairs(std::string_view text, bool odd_last, size_t max);

// The pairs of `file` that change the texts when the pairs are applied to each text in
// table order by repeated replacement, as the passes apply them: for each text, each
// pair that replaced something, by its two lines.
std::vector<trace_rule> pairs_fired(const std::vector<replace_pair>& pairs,
                                    const std::string& file,
                                    const std::vector<std::string>& texts, size_t width);

// The keys zembu1 made its substitutions in: the upper-cased text of each token line
// (its text behind the field marker and the nine-byte attribute field); tokens holding
// "/" or "\\" are left out, as zembu1 leaves them alone.
std::vector<std::string> token_keys(const std::vector<std::string>& token_lines);

// "rules.txt:LINE: <text>" for every rules.txt line of the records that the fired rule
// takes, or one line saying it comes from no rules.txt line (code page 437).
std::vector<std::string> cite_rule(const rule_source& src, const trace_rule& rule);

// The report for one sentence, as lines in code page 437: the sentence, the tokens, the
// procedures, the result line and the German (`german`, what zembu3 wrote).
std::vector<std::string> explain_report(const rule_source& src, const std::string& sentence,
                                        const std::vector<explained_piece>& pieces,
                                        const std::vector<std::string>& german);

// zembu --explain for a parsed command line, in the working directory: the sentences of
// `args.explain_text`, or of standard input when it is "-". Returns the exit status.
int run_explain(const frontend_args& args);

}  // namespace zembu::frontend
