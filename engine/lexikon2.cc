#include "engine/lexikon2.h"

namespace zembu {

namespace {

// Searches the readings in `rest` (which starts at a "*" when the first reading may be
// chosen by a match) for "*" + the longest leading part of cls; returns the position of
// that "*", or npos.
size_t find_reading(std::string_view rest, std::string_view cls) {
  for (size_t n = cls.size(); n >= 1; --n) {
    std::string key = "*" + std::string(cls.substr(0, n));
    size_t p = rest.find(key);
    if (p != std::string_view::npos) return p;
  }
  return std::string_view::npos;
}

// The reading that starts at position `from` of `rest`, up to the next "*".
std::string reading_at(std::string_view rest, size_t from) {
  size_t end = rest.find('*', from);
  return std::string(rest.substr(from, end == std::string_view::npos ? std::string_view::npos : end - from));
}

}  // namespace

std::string resolve_reading(std::string_view entry, std::string_view cls) {
  if (entry.size() < 4 || entry[3] != '*' || cls == "ZZZ" || (!cls.empty() && cls[0] == 'U')) {
    return std::string(entry);
  }
  std::string_view rest = entry.substr(4);
  size_t p = find_reading(rest, cls);
  return p == std::string_view::npos ? reading_at(rest, 0) : reading_at(rest, p + 1);
}

void resolve_word_reading(engine_state& eng, int i, int j, std::string_view cls) {
  if (i < 1 || i > max_words) return;
  const std::string entry = eng.words[i];
  if (entry.size() < 4 || entry[3] != '*') return;
  std::string_view rest = std::string_view(entry).substr(3);  // keeps the "*"
  size_t p = find_reading(rest, cls);
  if (p == std::string_view::npos) p = 0;
  std::string chosen = reading_at(rest, p + 1);
  set_line_class(eng, j, chosen.substr(0, 3));
  eng.words[i] = chosen;
}

}  // namespace zembu
