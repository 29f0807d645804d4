#include "engine/disconti.h"

#include <algorithm>
#include <deque>
#include <vector>

#include "engine/lexikon2.h"
#include "engine/longstr.h"
#include "engine/translat.h"
#include "engine/rule_cache.h"
#include "engine/word_spec.h"

namespace zembu::engine {

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
  const int places = eng.table.word_count < max_words ? eng.table.word_count : max_words;
  for (int p = 1; p <= places; ++p) {
    auto& row = eng.analysis[p];
    for (int c = 1; c <= max_words; ++c) {
      const int v = row[c];
      if (v == 0) break;
      if (v > max_words) continue;
      const std::string& e = eng.table.words[v];
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

// ---- Pattern rules ----


namespace {

// Bound of the place trials of one match; backtracking in the backwards mode can come
// back to the same places, so a match that goes on beyond this is given up.
constexpr long kMaxTrials = 400000;

bool starts_with(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

const char* true_false(bool b) { return b ? "TRUE" : "FALSE"; }

// ---- Places: a row of the analysis table with its symbol in the class line ----

struct place_copy {
  std::array<uint8_t, max_words + 1> row{};
  std::string symbol;
};

place_copy take_place(const engine_state& eng, int p) {
  place_copy c;
  c.row = eng.analysis[p];
  c.symbol = padded_class(line_class(eng, p));
  return c;
}

// Removes place p: its symbol and its row; later rows move up, the last row is cleared.
void remove_place(engine_state& eng, int p) {
  if (p < 1 || p > max_words) return;
  for (int r = p; r < max_words; ++r) eng.analysis[r] = eng.analysis[r + 1];
  eng.analysis[max_words].fill(0);
  eng.table.erase_symbol(p);
}

// Inserts a place at index p; later rows move down one. False when no room is left.
bool put_place(engine_state& eng, int p, const place_copy& c) {
  const int total = place_count(eng);
  if (p < 1 || p > total + 1 || total >= max_words) return false;
  for (int r = max_words; r > p; --r) eng.analysis[r] = eng.analysis[r - 1];
  eng.analysis[p] = c.row;
  eng.table.insert_symbol(p, padded_class(c.symbol));
  return true;
}

// Every place index at or behind `from` moves by delta.
void shift_places(complex_match& match, int from, int delta) {
  for (int j = 1; j <= max_items; ++j) {
    if (match.zl[j] >= from) match.zl[j] += delta;
  }
}

// The first empty entry of row p, or 0 when the row is full.
int first_empty(const engine_state& eng, int p) {
  for (int e = 1; e <= max_words; ++e) {
    if (eng.analysis[p][e] == 0) return e;
  }
  return 0;
}

// Removes entry e of row p; later entries move forward, the last becomes 0.
void erase_entry(engine_state& eng, int p, int e) {
  if (e < 1 || e > max_words) return;
  for (int j = e; j < max_words; ++j) eng.analysis[p][j] = eng.analysis[p][j + 1];
  eng.analysis[p][max_words] = 0;
}

// Inserts value v at entry e of row p; later entries move back one. False when full.
bool insert_entry(engine_state& eng, int p, int e, int v) {
  if (e < 1 || e > max_words || eng.analysis[p][max_words] != 0) return false;
  for (int j = max_words; j > e; --j) eng.analysis[p][j] = eng.analysis[p][j - 1];
  eng.analysis[p][e] = static_cast<uint8_t>(v);
  return true;
}

// A word spec taken apart, a leading "*" dropped.
word_spec split_spec(std::string_view spec) {
  if (!spec.empty() && spec[0] == '*') spec.remove_prefix(1);
  return parse_word_spec(spec);
}

// A new word of this source form and entry appended to the word table. Returns its
// number, 0 when full.
int append_word(engine_state& eng, const std::string& source, const std::string& entry) {
  if (eng.table.word_count >= max_words) {
    if (eng.settings.visible) con_writeline("word table full: no word added");
    return 0;
  }
  eng.table.insert(eng.table.word_count + 1, entry, source);
  return eng.table.word_count;
}

// A new word appended from a word spec. Returns its number, 0 when full.
int new_word(engine_state& eng, std::string_view spec, std::string* symbol = nullptr) {
  const word_spec w = split_spec(spec);
  if (symbol) *symbol = padded_class(w.entry);
  return append_word(eng, w.source, w.entry);
}

// ---- Matching ----

void rule_trace(const complex_rule& rule, std::string_view line) {
  if (rule.trace) con_writeline(line);
}

// A word test of one entry value v (a word or a symbol number).
bool test_entry(engine_state& eng, complex_match& match, const std::string& a, int v) {
  if (v >= first_symbol) {
    std::string key = starts_with(a, "-") ? a.substr(1, 3) : a.substr(0, 3);
    return instr3(eng, symbol_name(eng, v), key) != 0;
  }
  if (v < 1 || v > max_words) return false;
  // The word's texts as views: this test runs for every place a rule tries.
  const std::string_view e = eng.table.words[v].str();
  const std::string_view k = eng.table.originals[v].str();
  const entry_view field(e);
  const std::string_view g = field.text();
  const char tc = a.empty() ? '\0' : a[0];
  const std::string_view rest = a.empty() ? std::string_view() : std::string_view(a).substr(1);
  switch (tc) {
    case '#': return instr3(eng, field.cls(), rest.substr(0, 3)) == 1;
    case '^': return instr3(eng, field.second(), rest.substr(0, 3)) == 1;
    case '~': return instr3(eng, field.third(), rest.substr(0, 3)) == 1;
    case '$': return instr3(eng, field.code(), rest.substr(0, 9)) == 1;
    case '+': return g.find('+') != std::string::npos;
    case '?': return e.find("*" + std::string(rest)) != std::string::npos;
    case '!':
      if (e.find("*" + std::string(rest)) != std::string::npos) {
        match.found_open = true;
        return true;
      }
      return starts_with(e, rest);
    case '<': return k == rest;
    case '-': return k == a;
    case '>': return lower_str(rest) == lower_str(g);
    default: return a == k || lower_str(a) == lower_str(g);
  }
}

}  // namespace

int place_count(const engine_state& eng) { return eng.table.place_count(); }

namespace {

// Splits a line at single blanks into words[1..] (at most 10); returns their number. Word 1
// is there, empty, when the line is.
int split_words(std::string_view line, std::vector<std::string>& words) {
  const size_t blanks = static_cast<size_t>(std::count(line.begin(), line.end(), ' '));
  words.clear();
  words.reserve(std::min<size_t>(blanks + 1, max_items) + 1);
  words.emplace_back();  // word 0 is not used
  int n = 0;
  if (!line.empty()) {
    size_t p = 0;
    while (n < max_items) {
      size_t blank = line.find(' ', p);
      words.emplace_back(line.substr(p, blank == std::string_view::npos ? std::string_view::npos : blank - p));
      ++n;
      if (blank == std::string_view::npos) break;
      p = blank + 1;
    }
  }
  if (n == 0) words.emplace_back();
  return n;
}

}  // namespace

void split_item_line(complex_rule& rule, int k, std::string_view line) {
  rule.attrcount[k] = split_words(line, rule.attr[k]);
}

void split_operation_line(complex_rule& rule, int k, std::string_view line) {
  rule.opcount[k] = split_words(line, rule.ops[k]);
}

bool parse_complex_header(std::string_view line, complex_rule& rule) {
  size_t p = 0;
  rule.trace = p < line.size() && line[p] == '|';
  if (rule.trace) ++p;
  rule.bang = p < line.size() && line[p] == '!';
  if (rule.bang) ++p;
  size_t blank = line.find(' ', p);
  if (blank == std::string_view::npos) return false;
  std::string_view count = line.substr(p, blank - p);
  if (!is_number(count)) return false;
  rule.n = str_to_int(count);
  if (rule.n < 1) return false;
  const char mode = blank + 1 < line.size() ? line[blank + 1] : ' ';
  rule.mode = mode == '+' ? 0 : mode == '-' ? 1 : mode == '<' ? 3 : 2;
  std::string_view rest = blank + 2 <= line.size() ? line.substr(blank + 2) : std::string_view();
  rule.delimiter = std::string(rest.substr(0, rest.find(' ')));
  rule.header = std::string(line);
  return true;
}

int test_word_attribute(engine_state& eng, const complex_rule& rule, complex_match& match,
                        const std::string& a, int p, int k, int i) {
  size_t pos = 0;
  bool cont = false, single = false, neg = false, first_only = false, last_word = false;
  if (pos < a.size() && a[pos] == '\xf8') { cont = true; ++pos; }
  if (pos < a.size() && a[pos] == '\xf8') { single = true; ++pos; }
  if (pos < a.size() && a[pos] == '/') { neg = true; ++pos; }
  if (pos < a.size() && a[pos] == '0') { first_only = true; ++pos; }
  if (pos < a.size() && a[pos] == '9') { last_word = true; ++pos; }
  const std::string rest = a.substr(pos);
  int start = 1;
  if (cont && i > 2 && i - 2 <= max_items) start = match.m[k][i - 2] + 1;
  if (last_word) {
    for (int e = 1; e < max_words; ++e) {
      int v = eng.analysis[p][e];
      if (v >= 1 && v <= max_words) start = e;
    }
  }
  if (start < 1) start = 1;
  if (rule.trace) rule_trace(rule, "testing " + a + " in Zl. " + std::to_string(p));
  bool success = false;
  int at = start;
  if (!rest.empty() && rest[0] == '&') {
    success = instr3(eng, line_class(eng, p), rest.substr(1, 3)) == 1;
  } else {
    for (at = start; at <= max_words; ++at) {
      int v = first_only && at > 1 ? 0 : eng.analysis[p][at];
      if (rule.trace) {
        rule_trace(rule, "test=" + std::to_string(at) + " number=table[" + std::to_string(p) + "," +
                             std::to_string(at) + "]=" + std::to_string(v));
      }
      if (v == 0) break;
      if (test_entry(eng, match, rest, v)) {
        success = true;
        break;
      }
      if (single || (neg && cont)) break;
    }
    if (at > max_words) at = max_words;
  }
  int result = 0;
  if (neg) {
    result = success ? 0 : (at < 1 ? 1 : at);
  } else {
    result = success ? (at < 1 ? 1 : at) : 0;
  }
  if (rule.trace) rule_trace(rule, std::string("Testing = ") + true_false(result != 0));
  return result;
}

namespace {

// The word tests 2.. of item k on place p, whose first test has passed: the rest of
// prove_place, out of line so that the common early failure stays small.
bool prove_word_tests(engine_state& eng, const complex_rule& rule, complex_match& match, int k, int p,
                      capture_call& last) {
  if (rule.attrcount[k] < 2) {
    rule_trace(rule, "proove->TRUE");
    return true;
  }
  put_call_captures(eng, last);
  last = capture_call();
  int r = 0;
  for (int i = 2; i <= rule.attrcount[k]; ++i) {
    r = test_word_attribute(eng, rule, match, rule.attr[k][i], p, k, i);
    match.m[k][i - 1] = r;
    if (r == 0) break;
  }
  if (rule.trace) rule_trace(rule, std::string("proove-> ") + true_false(r != 0));
  return r != 0;
}

// prove_item with the class tests of the place noted in `last` instead of putting their
// captures in; they are put in before a word test, which may look at them. Inline: the
// search asks it for every place and most places fail the first test.
inline bool prove_place(engine_state& eng, const complex_rule& rule, complex_match& match, int k,
                        int p, bool& abort, capture_call& last) {
  abort = false;
  // A symbol is at most three characters: instr3 on it tests its first position only.
  const std::string_view symbol = eng.table.symbol(p);
  if (!rule.delimiter.empty() && matches_first_noted(last, symbol, rule.delimiter)) {
    abort = true;
    return false;
  }
  if (k == 1) match.found_open = false;
  for (int j = 1; j <= max_items; ++j) match.m[k][j] = 0;
  if (!matches_first_noted(last, symbol, rule.attr[k][1])) {
    rule_trace(rule, "Proove mit INSTR (getsymbol,attr1)=false exit");
    return false;
  }
  return prove_word_tests(eng, rule, match, k, p, last);
}

// Puts in the captures of the last noted test when the search ends.
struct captures_at_end {
  engine_state& eng;
  capture_call& last;
  ~captures_at_end() { put_call_captures(eng, last); }
};

// The places at the start of a search that fail item 1's first test without holding the
// delimiter, passed over without their trials: returns how many (of the places the search
// tries for item 1: all but the last place, or the only one) and leaves the work spent,
// `last` and zl[1] as those trials do. Passes over none while the rule or the sentence
// traces, or when the work would run out on the way.
int pass_over_failing_places(engine_state& eng, const complex_rule& rule, complex_match& match,
                             int tried, capture_call& last) {
  if (tried < 1 || rule.trace || eng.settings.visible || eng.work_exhausted) return 0;
  const std::string_view first = rule.attr[1][1];
  const std::string_view delimiter = rule.delimiter;
  int q = 1;
  int noted = 0;  // the last place whose test was noted
  for (; q <= tried; ++q) {
    const std::string_view symbol = eng.table.symbol(q);
    const bool first_fits = symbol.size() >= first.size();
    if (first_fits && matches_first(symbol, first)) break;
    if (!delimiter.empty() && symbol.size() >= delimiter.size()) {
      if (matches_first(symbol, delimiter)) break;
      noted = q;
    }
    if (first_fits) noted = q;
  }
  const int passed = q - 1;
  if (passed == 0 || eng.work + passed * work_trial > max_sentence_work) return 0;
  eng.work += passed * work_trial;
  if (noted > 0) {
    const std::string_view symbol = eng.table.symbol(noted);
    last = {symbol, symbol.size() >= first.size() ? first : delimiter, true};
  }
  match.zl[1] = passed + 1;
  return passed;
}

}  // namespace

bool prove_item(engine_state& eng, const complex_rule& rule, complex_match& match, int k, int p,
                bool& abort) {
  capture_call last;
  const bool found = prove_place(eng, rule, match, k, p, abort, last);
  put_call_captures(eng, last);
  return found;
}

void match_rule(engine_state& eng, const complex_rule& rule, complex_match& match) {
  match.found_open = false;
  match.zl.fill(1);
  match.matched = false;
  const int total = place_count(eng);
  const int n = rule.n < max_items ? rule.n : max_items;
  long trials = 0;
  int k = 1;
  int limit = total;
  auto init_item = [&] {
    const int prev = k > 1 ? match.zl[k - 1] : 0;
    switch (rule.mode) {
      case 0: match.zl[k] = k == 1 ? 1 : prev + 1; limit = total; break;
      case 1: match.zl[k] = 1; limit = total; break;
      case 2: match.zl[k] = k == 1 ? 1 : prev + 1; limit = k == 1 ? total : match.zl[k]; break;
      default: match.zl[k] = k == 1 ? 1 : prev - 1; limit = total; break;
    }
  };
  init_item();
  // The word table stays as it is while the places are tried.
  capture_call last;
  const captures_at_end put_last{eng, last};
  // Item 1 is tried on all but the last place (on the only one of one).
  const int tried = total < 2 ? total : total - 1;
  trials = pass_over_failing_places(eng, rule, match, tried, last);
  if (trials > 0 && trials == tried) return;  // no place passes item 1: no entries matched
  for (auto& row : match.m) row.fill(0);
  for (;;) {
    // Search item k from its start value.
    if (limit > total) limit = total;
    bool found = false;
    if (match.zl[k] <= limit) {
      if (rule.mode == 2 && starts_with(eng.table.symbol(match.zl[k]), "E") && limit < total) ++limit;
      for (;;) {
        if (++trials > kMaxTrials || !spend_work(eng, work_trial)) {
          rule_trace(rule, "match given up");
          return;
        }
        bool abort = false;
        const int p = match.zl[k];
        found = prove_place(eng, rule, match, k, p, abort, last);
        if (rule.trace) {
          con_writeline("i=" + std::to_string(k) + " zl[i]=" + std::to_string(p));
          con_writeline("proove rule attr[" + std::to_string(k) + "]=" + rule.attr[k][1] +
                        " with symbol " + line_class(eng, p) + " -> " + true_false(found));
        }
        if (found || abort) break;
        if (rule.mode == 2 && starts_with(eng.table.symbol(p), "E") && limit < total) ++limit;
        if (rule.mode == 3 && k > 1) {
          --match.zl[k];
        } else {
          ++match.zl[k];
        }
        if ((rule.mode == 3 && k > 1 && match.zl[k] < 1) || match.zl[k] >= limit || k > total) break;
      }
    }
    if (found) {
      ++k;
      if (k <= n) {
        init_item();
        continue;
      }
      match.matched = true;
      if (rule.bang && !match.found_open) {
        match.matched = false;
        rule_trace(rule, "All items disambiguated, continue testing in other location.");
        ++match.zl[1];
        k = 1;
        limit = total;
        continue;
      }
      return;
    }
    // Backtracking.
    if (k == 1) {
      match.matched = false;
      rule_trace(rule, "First item not found -> exit");
      return;
    }
    --k;
    ++match.zl[k];
    while (match.zl[k] > total && k > 1) {
      --k;
      ++match.zl[k];
    }
    for (int j = k + 1; j <= max_items; ++j) {
      match.zl[j] = rule.mode == 1 ? 1 : rule.mode == 3 ? match.zl[k] - 1 : match.zl[k] + 1;
    }
    if (rule.mode == 2) limit = k > 1 ? match.zl[k - 1] + 1 : total;
    if (limit > total) limit = total;
  }
}

// ---- Operations ----

namespace {

// The digit d opening an argument, or 0 when there is none.
int digit_of(std::string_view arg) { return !arg.empty() && is_digit(arg[0]) && arg[0] != '0' ? arg[0] - '0' : 0; }

// The word number of word test d of item k (the member at its matched entry), or 0.
int word_of_test(const engine_state& eng, const complex_match& match, int k, int place, int d) {
  if (d < 1 || d > max_items || place < 1 || place > max_words) return 0;
  int e = match.m[k][d];
  if (e < 1 || e > max_words) return 0;
  int v = eng.analysis[place][e];
  return v >= 1 && v <= max_words ? v : 0;
}

// Cuts the separable prefix (the German text up to "+", with the "+") out of word w.
std::string cut_prefix(engine_state& eng, int w) {
  const std::string e = eng.table.words[w];
  const std::string_view text = entry_view(e).text();
  size_t plus = text.find('+');
  if (plus == std::string_view::npos) return "";
  std::string prefix(text.substr(0, plus));
  eng.table.words[w] = std::string(entry_view(e).code()) + std::string(text.substr(plus + 1));
  return prefix;
}

void trace_operation(engine_state& eng, const complex_rule& rule, const complex_match& match,
                     const char* when, int k,
                     char op, const std::string& arg, int place) {
  if (!eng.settings.visible) return;
  con_writeline(when);
  con_writeline(std::to_string(k) + ". operation " + std::string(1, op) + " " + arg + " in line " +
                std::to_string(place));
  std::string indexes = "Line indexes: ";
  for (int j = 1; j <= rule.n && j <= max_items; ++j) indexes += std::to_string(match.zl[j]) + " ";
  con_writeline(indexes);
  analysis_to_screen(eng);
}

// New place of one new word (source form, entry), before (at = place) or after
// (at = place + 1) the place.
void word_place(engine_state& eng, complex_match& match, int at, const std::string& source,
                const std::string& entry) {
  if (place_count(eng) >= max_words) return;
  int w = append_word(eng, source, entry);
  if (w == 0) return;
  place_copy c;
  c.row[1] = static_cast<uint8_t>(w);
  c.symbol = padded_class(entry);
  if (put_place(eng, at, c)) shift_places(match, at, 1);
}

// The same from a word spec.
void new_word_place(engine_state& eng, complex_match& match, int at, std::string_view spec) {
  const word_spec w = split_spec(spec);
  word_place(eng, match, at, w.source, w.entry);
}

void patch_member(engine_state& eng, complex_match& match, int k, int place, const std::string& arg) {
  const int d = is_digit(arg[0]) ? arg[0] - '0' : -1;
  if (d < 0 || arg.size() < 2) return;
  const int e = d == 0 ? 1 : (d <= max_items ? match.m[k][d] : 0);
  if (e < 1 || e > max_words) return;
  const int v = eng.analysis[place][e];
  const char sub = arg[1];
  const std::string text = arg.substr(2);
  if (v >= first_symbol) {
    if (sub == '#' || sub == '$') {
      const std::string t = sub == '$' ? put_captures(eng, text) : text;
      int s = symbol_number(eng, t.substr(0, 3));
      if (s >= 1 && s <= 255) eng.analysis[place][e] = static_cast<uint8_t>(s);
    }
    return;
  }
  if (v < 1 || v > max_words) return;
  std::string entry = eng.table.words[v];
  auto replace_range = [&](size_t from, size_t n, const std::string& t) {
    if (entry.size() < from) entry.resize(from, ' ');
    entry.replace(from, n, t);
    eng.table.words[v] = entry;
  };
  switch (sub) {
    case '#': replace_range(0, 3, put_captures(eng, text)); break;
    case '$': replace_range(0, 9, put_captures(eng, text)); break;
    case '^': replace_range(3, 3, put_captures(eng, text)); break;
    case '~': replace_range(6, 3, put_captures(eng, text)); break;
    case '<': eng.table.originals[v] = text; break;
    case '>': eng.table.words[v] = std::string(entry_view(entry).code()) + text; break;
    case '%': {
      const std::string g(entry_view(entry).text().substr(0, 3));
      if (d != 0) {
        // As E: the matched entries of word tests 2 onward follow the members forward.
        erase_entry(eng, place, e);
        for (int j = 2; j <= max_items; ++j) {
          if (match.m[k][j] >= e) --match.m[k][j];
        }
      }
      int s = symbol_number(eng, g);
      int free_entry = first_empty(eng, place);
      if (s >= 1 && s <= 255 && free_entry != 0) eng.analysis[place][free_entry] = static_cast<uint8_t>(s);
      break;
    }
    default: {
      const word_spec w = split_spec(std::string_view(arg).substr(1));
      eng.table.originals[v] = w.source;
      eng.table.words[v] = w.entry;
      break;
    }
  }
}

void insert_member(engine_state& eng, const complex_rule& rule, complex_match& match, int k,
                   int place, const std::string& arg) {
  if (place < 1 || place > max_words) return;
  if (arg.empty()) return;
  const char c = arg[0];
  if (!is_digit(c) && c != '*') {
    int s = symbol_number(eng, arg);
    int e = first_empty(eng, place);
    if (s >= 1 && s <= 255 && e != 0) eng.analysis[place][e] = static_cast<uint8_t>(s);
    return;
  }
  std::string text = arg.substr(1);
  bool later = false;
  if (!text.empty() && text[0] == '+') {
    later = true;
    text.erase(0, 1);
  }
  if (!text.empty() && text[0] == '*') text.erase(0, 1);
  int member = 0;
  const bool full = eng.analysis[place][max_words] != 0;
  if (full) return;
  // The entry the member goes to, found before a word is made for it.
  const int d = c == '*' ? 0 : c - '0';
  int e = c == '*' ? first_empty(eng, place) : d == 0 ? 1 : match.m[k][d];
  if (e < 1) return;
  if (c != '*' && later) ++e;
  if (e > max_words) return;
  if (text.find('=') != std::string::npos || text.size() != 3) {
    member = new_word(eng, text);
  } else {
    member = symbol_number(eng, text);
  }
  if (member < 1 || member > 255) return;
  if (c == '*') {
    eng.analysis[place][e] = static_cast<uint8_t>(member);
    return;
  }
  if (!insert_entry(eng, place, e, member)) return;
  for (int j = d < 1 ? 1 : d; j <= rule.opcount[k] && j <= max_items; ++j) {
    if (match.m[k][j] >= e) ++match.m[k][j];
  }
}

// Splits place in two at the matched entry of word test d (Q: a member behind it must
// exist; R: the matched member itself).
void split_place(engine_state& eng, const complex_match& match, int k, int place, char op,
                 const std::string& arg) {
  const int d = digit_of(arg);
  if (d == 0) return;
  const int e = match.m[k][d];
  if (e < 1 || e > max_words) return;
  const int check = op == 'Q' ? e + 1 : e;
  if (check > max_words || eng.analysis[place][check] == 0) return;
  if (place_count(eng) >= max_words) return;
  const std::string old = padded_class(line_class(eng, place));
  std::string s1 = arg.substr(1, 3), s2 = arg.size() > 4 ? arg.substr(4, 3) : std::string();
  if (s1 == "***") s1 = old;
  if (s2 == "***") s2 = old;
  for (int r = max_words; r > place; --r) eng.analysis[r] = eng.analysis[r - 1];
  for (int j = e; j <= max_words; ++j) eng.analysis[place][j] = 0;
  auto& next = eng.analysis[place + 1];
  int to = 1;
  for (int j = e; j <= max_words; ++j) next[to++] = next[j];
  for (; to <= max_words; ++to) next[to] = 0;
  eng.table.set_symbol(place, padded_class(s1) + padded_class(s2));
}


// ---- One function per operation letter ----

// What an operation works on: the item k of the rule being fired, its place (valid_place:
// one of the class line's places when the operation starts) and the operation's argument.
struct operation_call {
  engine_state& eng;
  const complex_rule& rule;
  complex_match& match;
  int k;
  int place;
  char op;
  const std::string& arg;
  bool valid_place;
};

using operation_fn = void (*)(operation_call&);

void op_none(operation_call&) {}

void op_copy(operation_call& c) {
  if (c.eng.settings.visible) con_writeline("The function COPY is not implemented (disconti)!");
}

// D: the place goes; the items behind it move forward.
void op_delete(operation_call& c) {
  if (!c.valid_place) return;
  remove_place(c.eng, c.place);
  for (int j = 1; j <= max_items; ++j) {
    if (c.match.zl[j] > c.place) --c.match.zl[j];
  }
}

// S: the place's symbol overwritten.
void op_symbol(operation_call& c) {
  if (!c.valid_place) return;
  const std::string old = padded_class(line_class(c.eng, c.place));
  set_line_class(c.eng, c.place, overwrite_class(c.eng, c.arg, old));
}

// T: the place and item m's place swap.
void op_swap(operation_call& c) {
  engine_state& eng = c.eng;
  const int m = digit_of(c.arg);
  if (m == 0 || m > max_items || !c.valid_place) return;
  const int other = c.match.zl[m];
  if (other < 1 || other > place_count(eng)) return;
  std::swap(eng.analysis[c.place], eng.analysis[other]);
  const std::string a = padded_class(line_class(eng, c.place)), b = padded_class(line_class(eng, other));
  set_line_class(eng, c.place, b);
  set_line_class(eng, other, a);
  c.match.zl[m] = c.place;
  c.match.zl[c.k] = other;
}

// X and M: item m's place moves behind (X) or in front of (M) the place.
void op_move(operation_call& c) {
  engine_state& eng = c.eng;
  const int m = digit_of(c.arg);
  if (m == 0 || m > max_items || !c.valid_place) return;
  const int from = c.match.zl[m];
  if (from < 1 || from > place_count(eng)) return;
  place_copy moved = take_place(eng, from);
  remove_place(eng, from);
  int at = c.place;
  if (c.op == 'M' && c.place >= from) at = c.place - 1;
  if (at < 1) at = 1;
  put_place(eng, at, moved);
  if (c.place < from) {
    for (int j = 1; j <= m; ++j) ++c.match.zl[j];
  } else {
    for (int j = 1; j <= (c.op == 'M' ? m : c.k); ++j) --c.match.zl[j];
  }
  c.match.zl[m] = c.op == 'M' ? c.match.zl[c.k] - 1 : c.match.zl[c.k];
}

// L and A: a new place of a new word in front of (L) or behind (A) the place.
void op_word_place(operation_call& c) {
  if (c.valid_place) new_word_place(c.eng, c.match, c.op == 'L' ? c.place : c.place + 1, c.arg);
}

// N: the place's words replaced by one new word; its symbols stay.
void op_new_word(operation_call& c) {
  engine_state& eng = c.eng;
  if (!c.valid_place) return;
  std::string symbol;
  int w = new_word(eng, c.arg, &symbol);
  if (w == 0) return;
  std::array<uint8_t, max_words + 1> row{};
  row[1] = static_cast<uint8_t>(w);
  int to = 2;
  for (int j = 1; j <= max_words && to <= max_words; ++j) {
    if (eng.analysis[c.place][j] > max_words) row[to++] = eng.analysis[c.place][j];
  }
  eng.analysis[c.place] = row;
  set_line_class(eng, c.place, symbol);
}

// I: a member inserted.
void op_insert(operation_call& c) {
  if (c.valid_place) insert_member(c.eng, c.rule, c.match, c.k, c.place, c.arg);
}

// E: the member of word test d erased.
void op_erase(operation_call& c) {
  const int d = digit_of(c.arg);
  if (d == 0 || !c.valid_place) return;
  const int e = c.match.m[c.k][d];
  if (e < 1 || e > max_words) return;
  erase_entry(c.eng, c.place, e);
  for (int j = 2; j <= max_items; ++j) {
    if (c.match.m[c.k][j] >= e) --c.match.m[c.k][j];
  }
}

// Y and Z: the word of test d leaves the place for a new place of its own, in front of
// (Y) or behind (Z) it.
void op_split_word(operation_call& c) {
  engine_state& eng = c.eng;
  const int d = digit_of(c.arg);
  const int w = c.valid_place ? word_of_test(eng, c.match, c.k, c.place, d) : 0;
  if (w == 0 || place_count(eng) >= max_words || eng.table.word_count >= max_words) return;
  erase_entry(eng, c.place, c.match.m[c.k][d]);
  const int copy = append_word(eng, eng.table.originals[w].str(), eng.table.words[w].str());
  if (copy == 0) return;
  place_copy moved;
  moved.row[1] = static_cast<uint8_t>(copy);
  moved.symbol = c.arg.substr(1, 3);
  const int at = c.op == 'Y' ? c.place : c.place + 1;
  if (put_place(eng, at, moved)) shift_places(c.match, at, 1);
}

// Q and R: the place split in two.
void op_split_place(operation_call& c) {
  if (c.valid_place) split_place(c.eng, c.match, c.k, c.place, c.op, c.arg);
}

// V: the separable prefix of test d's verb becomes a member of the place.
void op_prefix_member(operation_call& c) {
  engine_state& eng = c.eng;
  const int d = digit_of(c.arg);
  const int w = c.valid_place ? word_of_test(eng, c.match, c.k, c.place, d) : 0;
  // The prefix leaves the verb only when its word and its entry have room.
  if (w == 0 || eng.analysis[c.place][max_words] != 0 || eng.table.word_count >= max_words) return;
  const std::string prefix = cut_prefix(eng, w);
  const int p = append_word(eng, "PREFIX_" + lower_str(prefix), "ADP------" + prefix);
  if (p != 0) insert_entry(eng, c.place, c.match.m[c.k][d], p);
}

// K: the separable prefix of test d's verb becomes a place in front of the place.
void op_prefix_place(operation_call& c) {
  engine_state& eng = c.eng;
  const int d = digit_of(c.arg);
  const int w = c.valid_place ? word_of_test(eng, c.match, c.k, c.place, d) : 0;
  if (w == 0 || place_count(eng) >= max_words || eng.table.word_count >= max_words) return;
  const std::string prefix = cut_prefix(eng, w);
  word_place(eng, c.match, c.place, prefix, "ADP------" + prefix);
}

// !, ? and =: test d's word resolved to a reading; "!" keeps the place's symbol, "?"
// takes the reading's, "=" overwrites the old one by the reading's class pattern.
void op_reading(operation_call& c) {
  engine_state& eng = c.eng;
  const int d = digit_of(c.arg);
  const int w = c.valid_place ? word_of_test(eng, c.match, c.k, c.place, d) : 0;
  if (w == 0) return;
  const std::string reading = c.arg.substr(1);
  const std::string old = padded_class(line_class(eng, c.place));
  resolve_word_reading(eng, w, c.place, reading);
  if (c.op == '?') return;
  set_line_class(eng, c.place, old);
  if (c.op == '=') set_line_class(eng, c.place, overwrite_class(eng, reading, old));
}

// -: a reading removed from test d's word.
void op_drop_reading(operation_call& c) {
  engine_state& eng = c.eng;
  const int d = digit_of(c.arg);
  const int w = c.valid_place ? word_of_test(eng, c.match, c.k, c.place, d) : 0;
  if (w == 0) return;
  std::string e = eng.table.words[w];
  size_t at = e.find("*" + c.arg.substr(1));
  if (at == std::string::npos) return;
  size_t end = e.find('*', at + 1);
  e.erase(at, end == std::string::npos ? std::string::npos : end - at);
  eng.table.words[w] = e;
}

// P: a member patched.
void op_patch(operation_call& c) {
  if (c.valid_place) patch_member(c.eng, c.match, c.k, c.place, c.arg);
}

struct operation_table {
  std::array<operation_fn, 256> fn{};
  operation_table() {
    fn.fill(op_none);
    auto set = [&](const char* letters, operation_fn f) {
      for (const char* l = letters; *l; ++l) fn[static_cast<unsigned char>(*l)] = f;
    };
    set("C", op_copy);
    set("D", op_delete);
    set("S", op_symbol);
    set("T", op_swap);
    set("XM", op_move);
    set("LA", op_word_place);
    set("N", op_new_word);
    set("I", op_insert);
    set("E", op_erase);
    set("YZ", op_split_word);
    set("QR", op_split_place);
    set("V", op_prefix_member);
    set("K", op_prefix_place);
    set("!?=", op_reading);
    set("-", op_drop_reading);
    set("P", op_patch);
  }
};

const operation_table operations;

// Reads the next n lines (an empty one past the file's end) into lines[1..n], trimmed;
// lines beyond max_items are read and dropped. `line_no` counts the lines read.
void read_rule_lines(const engine_settings& st, linereader& f, long& line_no, int n,
                     std::array<std::string, max_items + 1>& lines) {
  std::string line;
  for (int k = 1; k <= n; ++k) {
    if (f.readline(line, 80)) {
      ++line_no;
    } else {
      line.clear();
    }
    unscramble_line(st, line);
    if (k <= max_items) lines[k] = trim_spaces(line);
  }
}

// The lines of one rule read from the file: false when no header is left. `line_no`
// counts the file's lines read so far.
bool read_complex_rule(const engine_settings& st, linereader& f, long& line_no, complex_rule& rule) {
  std::string line;
  bool have_header = false;
  while (!have_header && f.readline(line)) {
    ++line_no;
    unscramble_line(st, line);
    have_header = parse_complex_header(trim_spaces(line), rule);
  }
  if (!have_header) return false;
  rule.header_line = line_no;
  read_rule_lines(st, f, line_no, rule.n, rule.item_lines);
  read_rule_lines(st, f, line_no, rule.n, rule.op_lines);
  if (rule.n > max_items) rule.n = max_items;
  for (int k = 1; k <= rule.n; ++k) split_item_line(rule, k, rule.item_lines[k]);
  for (int k = 1; k <= rule.n; ++k) split_operation_line(rule, k, rule.op_lines[k]);
  rule.last_line = line_no;
  return true;
}

// Every rule of a pattern rule file, in file order.
// A rule is large (its tests and operations are fixed arrays of texts): each is parsed in
// its place, never moved, so a file costs one rule's memory per rule.
std::deque<complex_rule> read_complex_rules(const engine_settings& st, linereader& f) {
  std::deque<complex_rule> rules;
  long line_no = 0;
  for (;;) {
    complex_rule& rule = rules.emplace_back();
    if (!read_complex_rule(st, f, line_no, rule)) {
      rules.pop_back();
      break;
    }
  }
  return rules;
}

}  // namespace

void apply_item_operations(engine_state& eng, const complex_rule& rule, complex_match& match,
                           int k) {
  for (int i = 1; i <= rule.opcount[k]; ++i) {
    const std::string& word = rule.ops[k][i];
    if (word.empty()) continue;
    const char op = word[0];
    const std::string arg = word.substr(1);
    const int place = match.zl[k];
    if (k == 1 && i == 1 && op != 'U') {
      trace_operation(eng, rule, match, "Before processing: ", k, op, arg, place);
    }
    const bool valid_place = place >= 1 && place <= place_count(eng);
    operation_call call{eng, rule, match, k, place, op, arg, valid_place};
    operations.fn[static_cast<unsigned char>(op)](call);
    if (op != '$') trace_operation(eng, rule, match, "After processing: ", k, op, arg, place);
  }
}

void run_complex_rules(engine_state& eng, const rule_file& file) {
  const engine_settings& st = eng.settings;
  analysis_to_screen(eng);
  const std::string& name = file.name;
  // The file is parsed once for the run; reading it again from its start after a firing
  // is going back to its first rule.
  std::string path;
  const auto rules = load_rules<std::deque<complex_rule>>(
      eng.parsed_rules, "complex", file, st, path,
      [&](linereader& f) { return read_complex_rules(st, f); });
  if (!rules) {
    if (st.visible) con_writeline("Disconti: " + name + " file not open!");
    return;
  }
  size_t next = 0;
  complex_match match;  // match_rule sets it up for every rule
  while (spend_work(eng, work_rule)) {
    if (next >= rules->size()) return;
    const complex_rule& rule = (*rules)[next++];
    if (st.visible && rule.trace) {
      con_writeline("Ext.disc: " + rule.header);
      for (int k = 1; k <= rule.n; ++k) con_writeline("Ext.sy: " + std::to_string(k) + " " + rule.item_lines[k]);
      for (int k = 1; k <= rule.n; ++k) con_writeline("Ext.op: " + std::to_string(k) + " " + rule.op_lines[k]);
      for (int k = 1; k <= rule.n; ++k) con_writeline("attrcount=" + std::to_string(rule.attrcount[k]));
    }
    match_rule(eng, rule, match);
    if (!match.matched) continue;
    // The firings are counted over the whole sentence, every pattern rule file and every
    // restart of the procedures included.
    if (eng.complex_firings >= max_complex_firings) {
      if (st.visible) con_writeline("Disconti: " + name + " stopped after 1000 firings in this sentence");
      return;
    }
    if (st.visible) {
      const std::string joiner = " \xf9 ";
      std::string items, ops;
      for (int k = 1; k <= rule.n; ++k) {
        items += (k > 1 ? joiner : "") + rule.item_lines[k];
        ops += (k > 1 ? joiner : "") + rule.op_lines[k];
      }
      con_writeline("idiom rule:   " + items);
      if (!rule.delimiter.empty()) con_writeline("delimiter:    " + rule.delimiter);
      con_writeline("substitution: " + ops);
      con_writeline();
    }
    note_fired(eng, name, rule.header_line, rule.last_line);
    for (int k = 1; k <= rule.n; ++k) apply_item_operations(eng, rule, match, k);
    put_captures_line(eng);
    ++eng.complex_firings;
    if (!spend_work(eng, work_firing)) return;
    next = 0;
  }
}

}  // namespace zembu::engine
