#include "common/replace.h"

namespace zembu {

size_t replace_repeated(std::string& s, std::string_view search,
                        std::string_view replacement, size_t width) {
  if (search.empty()) return 0;
  const bool one_pass = replaces_itself(search, replacement);
  size_t count = 0;
  size_t from = 0;
  while (count < kMaxReplacements) {
    size_t p = s.find(search, from);
    if (p == std::string::npos) break;
    s.replace(p, search.size(), replacement);
    cut_to(s, width);
    ++count;
    if (one_pass) {
      from = p + replacement.size();
    } else {
      // The text before p is unchanged and held no occurrence, so the first one now
      // cannot start earlier than one that overlaps the replaced place.
      from = p + 1 >= search.size() ? p + 1 - search.size() : 0;
    }
    if (from > s.size()) break;
  }
  return count;
}

void replace_pairs(std::string& s, const std::vector<replace_pair>& pairs, size_t width) {
  for (const replace_pair& pr : pairs) replace_repeated(s, pr.search, pr.replacement, width);
}

}  // namespace zembu
