#include "engine/word_spec.h"

#include "engine/translat.h"

namespace zembu::engine {

word_spec parse_word_spec(std::string_view spec) {
  word_spec w;
  const size_t eq = spec.find('=');
  if (eq != std::string_view::npos) {
    w.source = std::string(spec.substr(0, eq));
    w.entry = std::string(spec.substr(eq + 1));
  } else {
    w.entry = std::string(spec);
    w.source = std::string(entry_view(w.entry).text());
  }
  return w;
}

std::string overwrite_class(const engine_state& eng, std::string_view pattern, std::string_view old) {
  std::string s(pattern.substr(0, 3));
  s.resize(3, '*');
  s = put_captures(eng, s);
  for (size_t c = 0; c < 3 && c < s.size() && c < old.size(); ++c) {
    if (s[c] == '*') s[c] = old[c];
  }
  return s.substr(0, 3);
}

}  // namespace zembu::engine
