// Verb patterns: the slots that a verb opens, taken from the pattern digit of its verb
// reading and the pattern set that the procedure script loaded, appended as symbols to
// the place that holds the verb.
#pragma once

#include <string>
#include <string_view>

#include "engine/state.h"

namespace zembu {

// The pattern text for the verb reading of entry e whose "*" stands at (1-based)
// position x (0 for an entry of one reading), for pattern set langu (1 or 2).
std::string verb_pattern_text(engine_state& eng, std::string_view e, size_t x, int langu);

// Finds the verb reading of entry e: sets x as above and returns true, or false when the
// entry has no verb reading.
bool find_verb_reading(std::string_view e, size_t& x);

// Codes V (langu 1) and v (langu 2): every place's first verb gets the symbols of its
// pattern appended to its place.
void apply_verb_patterns(engine_state& eng, int langu);

}  // namespace zembu
