// Repeated replacement, the string rewriting that the compiler, the filters and the
// engine share: replace the first occurrence, search again from the start, until none
// remains. A table of pairs is applied pair by pair in table order.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/bstring.h"

namespace zembu {

// The most replacements one call makes; a pair that would go on beyond this (a cycle
// of equal-length rewrites, say) stops here, leaving the text as it stands.
constexpr size_t kMaxReplacements = 100000;

struct replace_pair {
  std::string search;
  std::string replacement;
};

// True when repeated replacement of `search` by `replacement` would never end on its own.
inline bool replaces_itself(std::string_view search, std::string_view replacement) {
  return !search.empty() && replacement.find(search) != std::string_view::npos;
}

// Replaces `search` by `replacement` in s until it no longer occurs, every search
// starting again from the front, the result cut to `width` bytes. An empty search
// changes nothing. When the replacement contains the search text the search goes on
// behind each inserted text instead (one left-to-right pass), so every call ends.
// Returns the number of replacements made.
size_t replace_repeated(std::string& s, std::string_view search,
                        std::string_view replacement, size_t width = kShortWidth);

// Applies every pair of `pairs` in table order by repeated replacement.
void replace_pairs(std::string& s, const std::vector<replace_pair>& pairs,
                   size_t width = kShortWidth);

}  // namespace zembu
