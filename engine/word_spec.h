// The word specs and class symbols the rule steps (pattern rules, idioms, syntax rules)
// write: a word spec names a word ("source=entry", or an entry whose German text is the
// source); a class symbol is the first three characters of an entry; a class pattern
// overwrites a symbol except where it holds "*".
#pragma once

#include <string>
#include <string_view>

#include "engine/state.h"

namespace zembu::engine {

struct word_spec {
  std::string source;
  std::string entry;
};

// The source form and entry `spec` names (a leading "*" is kept: callers drop it).
word_spec parse_word_spec(std::string_view spec);


// The symbol `old` (three characters) overwritten by the first three characters of
// `pattern` after the captures are put in; a "*" (also for a pattern shorter than three)
// keeps old's character.
std::string overwrite_class(const engine_state& eng, std::string_view pattern, std::string_view old);

}  // namespace zembu::engine
