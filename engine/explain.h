// The explain trace: asked for by the shell form's word EXPLAIN, the engine writes for
// every sentence the word table it starts from and, after each procedure of the script,
// a block with the procedure, the rules that fired in it and the word table and class
// line where they changed. zembu --explain reads it from zembu.exp.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "engine/state.h"

namespace zembu::engine {

// The file the trace goes to, in the working directory; made anew by each engine run.
constexpr const char* kExplainFile = "zembu.exp";

// The word table and class line as the trace last showed them.
struct explain_view {
  std::vector<std::pair<std::string, std::string>> words;  // source form, entry
  std::string class_line;
};

// The view of the current sentence.
explain_view take_view(const engine_state& eng);

// The lines of a word table: "words <count>", then "word <position> <source> <entry>"
// per word; fields are separated by a TAB (a TAB inside a field becomes a blank).
std::string words_lines(const explain_view& v);

// The block of one procedure run: "procedure <index> <code> <name> <argument>", a line
// "fired <file> <first line> <last line>" per rule in firing order, then the word table
// lines when the words changed from `before` and "class <class line>" when that changed.
std::string procedure_block(int index, const procedure_entry& e,
                            const std::vector<fired_rule>& fired, const explain_view& before,
                            const explain_view& after);

// Before the first procedure of a sentence: opens the trace file on first use, writes
// "sentence <label>", the word table and the class line, and takes them as `view`.
void explain_sentence_start(engine_state& eng, explain_view& view);
// After procedure `index` (entry `e` as it was when it started): writes its block and
// takes the new word table as `view`; the fired rules are forgotten.
void explain_procedure_done(engine_state& eng, int index, const procedure_entry& e,
                            explain_view& view);
// After the last procedure: "result <result line>" and "end".
void explain_sentence_end(engine_state& eng);

}  // namespace zembu::engine
