#include "engine/disconti.h"

#include "engine/longstr.h"
#include "engine/translat.h"

namespace zembu {

namespace {

constexpr int kLastCell = 199;  // members of a place live in cells 1..199
constexpr int kLargestCell = 255;

// The character at 1-based position p of e, or 0 beyond its end.
char at(std::string_view e, size_t p) { return p >= 1 && p <= e.size() ? e[p - 1] : '\0'; }

// The code number a pattern letter selects: "1".."9" 1..9, "A".."K" 10..20, else 0.
int letter_code(char c) {
  if (c >= '1' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'K') return c - 'A' + 10;
  return 0;
}

}  // namespace

bool find_verb_reading(std::string_view e, size_t& x) {
  if (at(e, 4) != '*' && (at(e, 1) == 'V' || at(e, 7) == 'V')) {
    x = 0;
    return true;
  }
  size_t p = e.find("*V");
  if (p != std::string_view::npos) {
    x = p + 1;
    return true;
  }
  for (size_t i = 0; i < e.size(); ++i) {
    if (e[i] == '*' && at(e, i + 8) == 'V') {
      x = i + 1;
      return true;
    }
  }
  return false;
}

std::string verb_pattern_text(engine_state& eng, std::string_view e, size_t x, int langu) {
  const vp_set& vp = eng.verb_patterns[langu];
  const size_t o = 4 + static_cast<size_t>(langu);
  const char c = at(e, x + o);
  if (c == '-') {
    const char kind = at(e, x + o - static_cast<size_t>(langu));
    return kind == 'I' ? "1" : kind == 'T' ? "2" : "12";
  }
  const int f = c >= '0' && c <= '9' ? c - '0' : 0;
  if (f >= 1 && f <= vp.pattern_count) return vp.patterns[f - 1];
  if (eng.settings.visible) {
    con_writeline("verb=" + std::string(e));
    con_writeline("Verbpattern vpnum[langu]=" + std::to_string(vp.pattern_count) +
                  " x=" + std::to_string(f));
    con_writeline("Verbpattern changed to 12 =Vin Vtr (disconti)");
  }
  return "12";
}

void apply_verb_patterns(engine_state& eng, int langu) {
  if (langu < 1 || langu > 2) return;
  const vp_set& vp = eng.verb_patterns[langu];
  if (vp.pattern_count == 0 || vp.code_count == 0) return;
  const int places = eng.word_count < max_words ? eng.word_count : max_words;
  for (int p = 1; p <= places; ++p) {
    auto& row = eng.analysis[p];
    for (int c = 1; c <= max_words; ++c) {
      const int v = row[c];
      if (v == 0) break;
      if (v > max_words) continue;
      const std::string& e = eng.words[v];
      size_t x = 0;
      if (!find_verb_reading(e, x)) continue;
      const std::string pattern = verb_pattern_text(eng, e, x, langu);
      if (eng.settings.visible) {
        con_writeline("Test verb word[" + std::to_string(p) + "]=" + e);
        con_writeline("--> pattern " + std::string(1, at(e, x + 4 + langu)) + " = " + pattern);
      }
      int cell = 1;
      while (cell <= max_words && row[cell] != 0) ++cell;
      for (char letter : pattern) {
        const int k = letter_code(letter);
        if (k == 0 || k > vp.code_count || vp.codes[k - 1].empty()) continue;
        const int n = symbol_number(eng, vp.codes[k - 1]);
        if (n < 1 || n > kLargestCell || cell > kLastCell) continue;
        row[cell++] = static_cast<uint8_t>(n);
      }
      for (int k = cell; k <= max_words; ++k) row[k] = 0;
      break;
    }
  }
}

}  // namespace zembu
