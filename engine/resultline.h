// The engine's output procedures: the result line with its typographic clean-up (the
// translated sentence or the source words, with or without classes), the analysis
// listing of code s and the two word lists.
#pragma once

#include <string>

#include "engine/state.h"
#include "engine/translat.h"

namespace zembu::engine {

// Builds the result line from the word table and writes it to the listing and, when
// write_result is on, to the result file.
void build_result_line(engine_state& eng, wortartenanzeige classes, ausgabesprache language);
// The clean-up of a result line without classes: glue, punctuation spacing, first capital.
std::string clean_result(const engine_settings& st, std::string line);
// Code s: one line per entry to the result file and a wrapped display; empties the result line.
void analysis_listing(engine_state& eng);
// Code ö (148): the source words with coarse classes on standard output.
void word_list_classes(engine_state& eng);
// Code Ö (153): the translated texts on standard output.
void word_list_texts(engine_state& eng);
// The coarse class label of a class (empty for sentence and punctuation classes).
std::string coarse_label(const engine_settings& st, const std::string& cls);
// Runs the output procedure of `code` (R r W w s ö Ö); false for any other code.
bool run_output_procedure(engine_state& eng, char code);

}  // namespace zembu::engine
