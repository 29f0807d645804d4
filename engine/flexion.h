// Inflection: every word of the sentence gets its German form from the inflection file,
// chosen by its inflection class (the third code of its entry) and the feature codes of
// the next feature word; the actions cut and append endings, prefix, double the last
// letter, put in umlauts and substitute letters.
#pragma once

#include <string>
#include <string_view>

#include "engine/rule_file.h"
#include "engine/state.h"

namespace zembu::engine {

// Code 7: inflects every word by the inflection file `rules`.
void inflect_words(engine_state& eng, const rule_file& rules);

// Applies action R to word d: to its entry, or to its source form when on_key is set.
// A substitution list behind "," always works on the entry.
void apply_ending(engine_state& eng, int d, std::string_view action, bool on_key);

// The ending part of an action applied to t (an entry, or a source form when on_key).
std::string ending_of(std::string t, std::string r, bool on_key);

// The last of A O U a o u from position 10 on as its UTF-8 umlaut, a diphthong au taking
// the umlaut on its a; texts shorter than 10 characters stay unchanged.
std::string vowel_change(std::string_view text);

}  // namespace zembu::engine
