// Lexicon search: every word of the sentence looked up in a text or indexed lexicon, with
// names, numbers, affix splitting and the default entry of unknown words; the choice of
// one reading of a several-reading entry; the word file of words that stayed unknown.
#pragma once

#include <string>
#include <string_view>

#include "engine/state.h"
#include "engine/translat.h"

namespace zembu {

// Keeps the reading of a several-reading entry that fits `cls` (the first one when none).
std::string resolve_reading(std::string_view entry, std::string_view cls);
// The same on words[i], writing the chosen reading's class into position j of the class line.
void resolve_word_reading(engine_state& eng, int i, int j, std::string_view cls);

}  // namespace zembu
