// The word table of the current sentence and the two ways a sentence gets into it: token
// lines of a pass file (with the zembu.rst spill of an over-long sentence) and a plain
// sentence split by the engine itself (with the ZZ_ markers and the zembu.aux overflow).
#pragma once

#include <string>
#include <string_view>

#include <array>

#include "common/bstring.h"
#include "common/linereader.h"
#include "engine/longstr.h"

namespace zembu::engine {

constexpr int max_words = 200;  // entries of the word table

using norm_lang_string = bstring<100>;
// A column of the word table, indexed 1..200 (element 0 unused).
using woerter_type = std::array<norm_lang_string, max_words + 1>;

// The words of the current sentence: entry, original and idiom record of each place
// 1..word_count, and the class line of three characters a place.
struct word_table {
  woerter_type words;
  woerter_type originals;
  woerter_type extras;
  int word_count = 0;
  maxistring class_line;
};

struct engine_state;

// The class of entry i: its first three characters.
std::string class_of(const engine_state& eng, int i);
// The text of entry i: from its tenth character on.
std::string text_of(const engine_state& eng, int i);

// Adds one entry for payload w of class k (nothing for an empty payload or a full table).
void add_token_entry(engine_state& eng, std::string w, std::string_view k);
// Reads token lines into the table until a SEN line, the end of the file, or more than
// `limit` entries. Returns true when it stopped at a SEN line.
bool read_token_sentence(engine_state& eng, linereader& file, int limit);
// Assembles the next sentence of the token route: the rest spilled by the previous cycle
// first, then the pass file; an over-long sentence spills its tail to zembu.rst.
void assemble_token_sentence(engine_state& eng, linereader& pass);
// True when the class line is that of a sentence without text (STR, NOS, SEN).
bool is_strnossen(const engine_state& eng);

// Fills the table from a plain sentence; leaves word_count = 1 for an empty s.
void split_plain_sentence(engine_state& eng, maxistring& s);
// s := the first line of zembu.aux, which is then deleted; empty when there is none.
void reload_plain_rest(engine_state& eng, maxistring& s);

// The table as text, one entry a line ("i|class line triple|original|entry"), for tests.
std::string dump_word_table(const engine_state& eng);

}  // namespace zembu::engine
