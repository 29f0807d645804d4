#include "engine/idiome.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include "common/idiom_index.h"
#include "engine/lexikon2.h"
#include "engine/longstr.h"
#include "engine/rule_cache.h"
#include "engine/run_files.h"
#include "engine/translat.h"
#include "engine/word_spec.h"

namespace zembu::engine {

namespace {

// The most attempts of one rule in one sentence; a rule whose actions keep bringing its
// first word back stops there.
constexpr int kMaxAttempts = 1000;

bool starts_with(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}


// Splits a line at single blanks into at most 15 words, out[1..]; returns their number.
int split_words(std::string_view line, std::array<std::string_view, max_idiom_words + 1>& out) {
  int n = 0;
  if (line.empty()) return 0;
  size_t p = 0;
  while (n < max_idiom_words) {
    size_t blank = line.find(' ', p);
    out[++n] = line.substr(p, blank == std::string_view::npos ? std::string_view::npos : blank - p);
    if (blank == std::string_view::npos) break;
    p = blank + 1;
  }
  return n;
}

std::string german_text(const engine_state& eng, int w) {
  return std::string(entry_view(eng.table.words[w].str()).text());
}

// Is sym the three characters t? Compared in place: the search asks it for every word.
bool is_symbol(std::string_view sym, const char (&t)[4]) {
  return sym.size() == 3 && sym[0] == t[0] && sym[1] == t[1] && sym[2] == t[2];
}

// Equal texts, the first characters compared before the rest.
bool same_text(std::string_view a, std::string_view b) {
  return a.size() == b.size() && (a.empty() || (a[0] == b[0] && a == b));
}

// The first n bytes of s (all of s when it is shorter).
std::string_view first_bytes(std::string_view s, size_t n) {
  return std::string_view(s.data(), std::min(s.size(), n));
}

// matches_first_noted in place, for the tests every rule makes of every word.
inline bool matches_noted(capture_call& last, std::string_view s, std::string_view p) {
  if (s.size() < p.size()) return false;
  last = {s, p, true};
  const char* const sd = s.data();
  const char* const pd = p.data();
  for (size_t k = 0; k < p.size(); ++k) {
    if (pd[k] != sd[k] && pd[k] != '.' && pd[k] != '*') return false;
  }
  return true;
}

// Does word w pass the test `kind` of p? The pattern tests ("." and "*" wildcards at the
// text's first position) are noted in `last` for the captures of the search.
bool passes(const engine_state& eng, int w, char kind, const std::string& p, capture_call& last) {
  if (kind == 0 || kind == '>') {
    // The plain tests run for every word and nearly every rule: compared in place.
    const std::string_view text = entry_view(eng.table.words[w].str()).text();
    return same_text(p, text) || (kind == 0 && same_text(p, eng.table.originals[w].str()));
  }
  // The word's texts as views: no copies for a test that runs for many rules and words.
  const std::string_view e = eng.table.words[w].str();
  const entry_view view(e);
  const std::string_view g = view.text();
  const std::string_view k = eng.table.originals[w].str();
  const std::string_view pv = p;
  switch (kind) {
    case '#':
      if (p.size() <= 3) return matches_noted(last, first_bytes(e, 3), pv);
      return matches_first_noted(last, eng.table.symbol(w), pv.substr(0, 3)) &&
             (pv.substr(3) == g || pv.substr(3) == k);
    case '^':
      return matches_first_noted(last, e.substr(0, 6), pv);
    case '~':
      return matches_first_noted(last, view.third(), pv);
    case '$':
      if (p.size() <= 9) return matches_noted(last, first_bytes(e, p.size()), pv);
      return matches_first_noted(last, view.code(), pv.substr(0, 9)) &&
             (pv.substr(9) == g || pv.substr(9) == k);
    case '+':
      return p.size() <= k.size() && matches_first_noted(last, k.substr(k.size() - p.size()), pv) &&
             starts_with(e, "ZZZ");
    default:
      return false;
  }
}

// What a word's symbol means to the search of a pattern word: it opens or closes a
// bracket, it widens the window (always or only inside the sentence), or nothing.
enum symbol_mark : unsigned char { kPlain, kOpens, kCloses, kWidens, kWidensInside };

symbol_mark mark_of(std::string_view sym) {
  if (sym.size() != 3) return kPlain;
  if (sym[2] == '[') return kOpens;
  if (sym[2] == ']') return kCloses;
  if (is_symbol(sym, "AUX") || is_symbol(sym, "aux") || is_symbol(sym, "XXX") ||
      is_symbol(sym, "E00")) {
    return kWidens;
  }
  if (is_symbol(sym, "_UU")) return kWidensInside;
  return kPlain;
}

// The first 16 bytes of a word's entry (zeros behind a shorter one) and its length: the
// tests of its first characters are made on them without reading the entry.
struct entry_head {
  std::array<uint64_t, 2> bytes{};
  size_t size = 0;
};

entry_head head_of(std::string_view entry) {
  entry_head h;
  h.size = entry.size();
  std::memcpy(h.bytes.data(), entry.data(), std::min<size_t>(entry.size(), sizeof h.bytes));
  return h;
}

// matches_noted's test of the first p.size() (at most 16) characters of an entry, made on
// its head: "." and "*" match any character.
struct head_test {
  std::array<uint64_t, 2> mask{};
  std::array<uint64_t, 2> bits{};
  size_t size;

  explicit head_test(std::string_view p) : size(p.size()) {
    char m[16] = {}, b[16] = {};
    for (size_t k = 0; k < p.size() && k < sizeof m; ++k) {
      if (p[k] == '.' || p[k] == '*') continue;
      m[k] = static_cast<char>(0xFF);
      b[k] = p[k];
    }
    std::memcpy(mask.data(), m, sizeof m);
    std::memcpy(bits.data(), b, sizeof b);
  }
  // Does an entry of head h hold the characters (it is at least as long as the test)?
  bool passes(const entry_head& h) const {
    return ((h.bytes[0] & mask[0]) == bits[0]) & ((h.bytes[1] & mask[1]) == bits[1]);
  }
};

// What the search knows of every word of the table (by word): mark_of of its symbol and
// the head of its entry.
struct searched_words {
  const symbol_mark* marks;
  const entry_head* heads;
};

// Searches pattern word p from the attempt's current position; returns the word found or 0.
// Its pattern tests are noted in `last` (the captures are put in once per attempt). `words`
// (may be null) tells the words' marks and heads.
int find_pattern_word(const engine_state& eng, const idiom_attempt& attempt,
                      const idiom_pattern_word& p, capture_call& last,
                      const searched_words* words = nullptr) {
  int start = attempt.current;
  int window_end = eng.table.word_count;
  if (p.window >= 0) {
    window_end = attempt.current + p.window;
  } else if (p.from_start) {
    start = attempt.attempt_start;
  }
  const char kind = p.kind;
  // The most frequent tests, of the first characters of the entry ("$" of up to nine
  // characters, "#" of up to three against the class), are made here in place.
  const size_t prefix = kind == '$' && p.text.size() <= 9   ? p.text.size()
                        : kind == '#' && p.text.size() <= 3 ? 3
                                                            : 0;
  const std::string_view text = p.text;
  const symbol_mark* const marks = words != nullptr ? words->marks : nullptr;
  if (prefix != 0 && words != nullptr) {
    // The first characters tested on the heads; the last word tested is noted at the end.
    const head_test test(text);
    const entry_head* const heads = words->heads;
    int depth = 0;
    int noted = 0;
    int found = 0;
    for (int w = start < 1 ? 1 : start; w <= eng.table.word_count && w <= window_end; ++w) {
      const symbol_mark mark = marks[w];
      if (mark == kOpens) ++depth;
      if (mark == kCloses) --depth;
      if (depth != 0) continue;
      if (mark == kWidens || (mark == kWidensInside && window_end < eng.table.word_count)) {
        ++window_end;
      }
      if (heads[w].size < test.size) continue;
      noted = w;
      if (test.passes(heads[w])) {
        found = w;
        break;
      }
    }
    if (noted != 0) last = {first_bytes(eng.table.words[noted].str(), prefix), text, true};
    return found;
  }
  int depth = 0;
  for (int w = start < 1 ? 1 : start; w <= eng.table.word_count && w <= window_end; ++w) {
    const symbol_mark mark = marks != nullptr ? marks[w] : mark_of(eng.table.symbol(w));
    if (mark == kOpens) ++depth;
    if (mark == kCloses) --depth;
    if (depth != 0) continue;
    if (mark == kWidens || (mark == kWidensInside && window_end < eng.table.word_count)) {
      ++window_end;
    }
    if (prefix != 0) {
      if (matches_noted(last, first_bytes(eng.table.words[w].str(), prefix), text)) return w;
    } else if (passes(eng, w, kind, p.text, last)) {
      return w;
    }
  }
  return 0;
}

// Moves the found positions at or behind `from` by delta.
void shift_found(const idiom_rule& rule, idiom_attempt& attempt, int from, int delta) {
  for (int j = 1; j <= rule.pattern_count; ++j) {
    if (attempt.found[j] >= from) attempt.found[j] += delta;
  }
}

// Inserts a word made from a word spec at position `at`.
bool insert_spec(engine_state& eng, int at, std::string_view spec) {
  const word_spec w = parse_word_spec(spec);
  return insert_word(eng, at, w.source, w.entry);
}

// The word of pattern word n (argument of X, C and Z), or 0.
int word_of_pattern(const engine_state& eng, const idiom_rule& rule, const idiom_attempt& attempt,
                    std::string_view arg) {
  int n = str_to_int(arg);
  if (n < 1 || n > rule.pattern_count) return 0;
  int w = attempt.found[n];
  return w >= 1 && w <= eng.table.word_count ? w : 0;
}

// Action R: changes word w by the argument's first character.
void change_word(engine_state& eng, int w, std::string a) {
  const char form = a.empty() ? '\0' : a[0];
  switch (form) {
    case '!':
      a = put_captures(eng, a);
      resolve_word_reading(eng, w, w, a.substr(1, 3));
      break;
    case '?': {
      a = put_captures(eng, a);
      const std::string cls = padded_class(a.substr(1, 3));
      resolve_word_reading(eng, w, w, a.substr(1, 3));
      set_line_class(eng, w, cls);
      set_word_start(eng, w, cls);
      break;
    }
    case '#':
      a = put_captures(eng, a);
      set_line_class(eng, w, padded_class(a.substr(1, 3)));
      eng.table.words[w] = str_overwrite(eng.table.words[w].str(), 1, a.substr(1));
      break;
    case '$': {
      const std::string cls = padded_class(a.substr(1, 3));
      set_line_class(eng, w, cls);
      set_word_start(eng, w, cls);
      const std::string& k = eng.table.originals[w];
      eng.table.originals[w] = (a.size() > 4 ? a.substr(4) : std::string()) + std::string(entry_view(k).text());
      break;
    }
    case ':':
      eng.table.words[w] = a.substr(1);
      set_line_class(eng, w, padded_class(a.substr(1)));
      break;
    case '<':
    case '=':
      eng.table.originals[w] = a.substr(1);
      break;
    case '>':
      eng.table.words[w] = std::string(entry_view(eng.table.words[w].str()).code()) + a.substr(1);
      break;
    default:
      set_word_from_spec(eng, w, a);
      break;
  }
}

// ---- One function per action letter ----

// What an action works on: the word found for the pattern word at the attempt's pointer
// (valid: one of the sentence's words) and the action's argument.
struct action_call {
  engine_state& eng;
  const idiom_rule& rule;
  idiom_attempt& attempt;
  int p;  // the pointer
  int w;  // its word
  bool valid;
  char letter;
  const std::string& arg;
};

using action_fn = void (*)(action_call&);

void act_none(action_call&) {}

// D: the word goes, with an "aux" word behind it.
void act_delete(action_call& c) {
  if (!c.valid) return;
  int n = 1;
  if (line_class(c.eng, c.w + 1) == "aux") {
    delete_word(c.eng, c.w + 1);
    ++n;
  }
  delete_word(c.eng, c.w);
  shift_found(c.rule, c.attempt, c.w, -n);
}

// E: the word goes.
void act_erase(action_call& c) {
  if (!c.valid) return;
  delete_word(c.eng, c.w);
  shift_found(c.rule, c.attempt, c.w, -1);
}

// B and H: a new word in front of (B) or behind (H) the word.
void act_insert_at_word(action_call& c) {
  if (!c.valid) return;
  const int at = c.letter == 'B' ? c.w : c.w + 1;
  if (insert_spec(c.eng, at, c.arg)) shift_found(c.rule, c.attempt, at, 1);
}

// I and J: a new word (J: an AUX word) behind the word of the previous pattern word; with
// none, in front of the first.
void act_insert_behind(action_call& c) {
  const int p = c.p;
  int at = p > 1 && p - 1 <= c.rule.pattern_count ? c.attempt.found[p - 1] + 1 : c.attempt.found[1];
  if (at < 1 || at > c.eng.table.word_count + 1) return;
  std::string spec = c.letter == 'J' ? "AUX---AUX" + c.arg : c.arg;
  if (insert_spec(c.eng, at, spec)) shift_found(c.rule, c.attempt, at, 1);
}

// X and C: a copy of pattern word n's word behind (X) or in front of (C) the word.
void act_copy(action_call& c) {
  const int v = word_of_pattern(c.eng, c.rule, c.attempt, c.arg);
  if (!c.valid || !v) return;
  const int at = c.letter == 'X' ? c.w + 1 : c.w;
  if (insert_spec(c.eng, at, c.eng.table.words[v].str())) shift_found(c.rule, c.attempt, at, 1);
}

// Z: pattern word n's German text joins the word's, in front.
void act_join(action_call& c) {
  engine_state& eng = c.eng;
  const int v = word_of_pattern(eng, c.rule, c.attempt, c.arg);
  if (!c.valid || !v) return;
  const std::string joined = german_text(eng, v);
  std::string e = eng.table.words[c.w];
  e.insert(entry_view(e).code().size(), joined);
  eng.table.words[c.w] = e;
  eng.table.words[v] = entry_view(eng.table.words[v].str()).code();
}

// A: n characters cut from the word's end.
void act_cut(action_call& c) {
  engine_state& eng = c.eng;
  if (!c.valid) return;
  std::string e = eng.table.words[c.w];
  const size_t n = static_cast<size_t>(std::max(0, str_to_int(c.arg)));
  e.resize(e.size() - std::min(n, e.size()));
  eng.table.words[c.w] = e;
  if (starts_with(e, "ZZZ---ZZZ")) {
    fatal_error("Delete affix cannot call Lexikon, not implemented (idiome).");
  }
}

// R: the word changed.
void act_change(action_call& c) {
  if (c.valid) change_word(c.eng, c.w, c.arg);
}

struct action_entry {
  action_fn fn = act_none;
  bool advances = false;  // the pointer moves to the next pattern word
};

struct action_table {
  std::array<action_entry, 256> letters{};
  action_table() {
    auto set = [&](const char* ls, action_fn f, bool advances) {
      for (const char* l = ls; *l; ++l) letters[static_cast<unsigned char>(*l)] = {f, advances};
    };
    set("U", act_none, true);
    set("D", act_delete, true);
    set("E", act_erase, true);
    set("BH", act_insert_at_word, false);
    set("IJ", act_insert_behind, false);
    set("XC", act_copy, false);
    set("Z", act_join, false);
    set("A", act_cut, true);
    set("R", act_change, true);
  }
};

const action_table actions;

void run_actions(engine_state& eng, const idiom_rule& rule, idiom_attempt& attempt) {
  attempt.pointer = 1;
  for (int a = 1; a <= rule.action_count; ++a) {
    const idiom_action& action = rule.actions[a];
    const int p = attempt.pointer;
    const int w = p >= 1 && p <= rule.pattern_count ? attempt.found[p] : 0;
    const bool valid = w >= 1 && w <= eng.table.word_count;
    const action_entry& entry = actions.letters[static_cast<unsigned char>(action.letter)];
    action_call call{eng, rule, attempt, p, w, valid, action.letter, action.arg};
    entry.fn(call);
    if (entry.advances) ++attempt.pointer;
  }
}

// A pattern word taken apart.
idiom_pattern_word parse_pattern_word(std::string_view p) {
  idiom_pattern_word word;
  if (!p.empty() && p[0] >= '0' && p[0] <= '9') {
    word.window = p[0] - '0';
    p.remove_prefix(1);
  } else if (!p.empty() && p[0] == '*') {
    word.from_start = true;
    p.remove_prefix(1);
  }
  if (!p.empty() && std::string_view("#^+$~>").find(p[0]) != std::string_view::npos) {
    word.kind = p[0];
    p.remove_prefix(1);
  }
  word.text = std::string(p);
  return word;
}

// An action taken apart.
idiom_action parse_action(std::string_view text) {
  idiom_action action;
  const std::string_view word = text.empty() ? std::string_view("U") : text;
  char letter = word[0];
  std::string arg(word.substr(1));
  switch (letter) {
    case '!': letter = 'R'; break;
    case '+': letter = 'I'; break;
    case '-': letter = 'D'; break;
    case '0': letter = 'U'; break;
    default: break;
  }
  if ((letter == 'B' || letter == 'H' || letter == 'I' || letter == 'R') && !arg.empty() &&
      arg[0] == '*') {
    arg.erase(0, 1);
  }
  action.letter = letter;
  action.arg = std::move(arg);
  return action;
}

void trace_words(const engine_state& eng) {
  for (int i = 1; i <= eng.table.word_count; ++i) {
    const std::string& k = eng.table.originals[i];
    std::string shown = k.size() < 20 ? std::string(20 - k.size(), ' ') + k : k;
    con_writeline(int_width(i, 2) + shown + " " + eng.table.words[i].str());
  }
}

void trace_start(const engine_state& eng) {
  if (!eng.settings.visible) return;
  con_writeline("words in idioms at beginning of complexes (idiome)");
  trace_words(eng);
}

}  // namespace

void set_word_from_spec(engine_state& eng, int w, std::string_view spec) {
  if (w < 1 || w > eng.table.word_count) return;
  const word_spec parsed = parse_word_spec(spec);
  eng.table.originals[w] = parsed.source;
  eng.table.words[w] = parsed.entry;
  set_line_class(eng, w, padded_class(parsed.entry));
}

idiom_rule make_idiom_rule(std::string_view pattern_line, std::string_view action_line) {
  idiom_rule rule;
  rule.pattern_line = std::string(pattern_line);
  rule.action_line = std::string(action_line);
  std::array<std::string_view, max_idiom_words + 1> words;
  rule.pattern_count = split_words(rule.pattern_line, words);
  rule.tests.resize(static_cast<size_t>(rule.pattern_count) + 1);
  for (int j = 1; j <= rule.pattern_count; ++j) rule.tests[j] = parse_pattern_word(words[j]);
  rule.action_count = split_words(rule.action_line, words);
  rule.actions.resize(static_cast<size_t>(rule.action_count) + 1);
  for (int a = 1; a <= rule.action_count; ++a) rule.actions[a] = parse_action(words[a]);
  return rule;
}

namespace {

// A first pattern word as its search from the sentence's first word depends on it.
struct first_word_key {
  std::string_view text;
  char kind;
  int window;
  bool operator==(const first_word_key& o) const {
    return kind == o.kind && window == o.window && text == o.text;
  }
};

struct first_word_hash {
  size_t operator()(const first_word_key& k) const {
    return std::hash<std::string_view>()(k.text) ^ (static_cast<size_t>(k.kind) << 8) ^
           static_cast<size_t>(k.window + 1);
  }
};

struct first_word_found {
  int from = 1;  // the word the search starts at
  int word = 0;
  capture_call last;
  // The capture slots the search of `last` leaves (they depend on its text and pattern
  // only); known once a failed attempt has put them in.
  bool captures_known = false;
  std::array<char, 11> captures{};
};

// The searches of the rules' first pattern words from the sentence's first word, which
// many rules share, kept while the word table stays as it is: a step forgets them after
// every rule that fired. Rules whose first pattern words search alike share a group; the
// texts are the rules' own (they outlive the memo). The searches of the attempts behind
// a first word found (from the word behind it) are kept too, a few per group.
struct first_word_memo {
  static constexpr size_t kMaxLater = 8;
  std::unordered_map<first_word_key, int, first_word_hash> groups;
  std::vector<first_word_found> found;  // by group
  std::vector<uint64_t> found_in;       // the generation found[group] was made in
  std::vector<std::vector<first_word_found>> later;  // by group: from later words
  std::vector<uint64_t> later_in;       // the generation later[group] was made in
  uint64_t generation = 1;
  // mark_of of the symbol and the head of the entry of every word (by word), made in
  // generation marks_made_in.
  std::vector<symbol_mark> marks;
  std::vector<entry_head> heads;
  searched_words words{};
  uint64_t marks_made_in = 0;

  // The marks and heads of the words of the table as it is now.
  const searched_words* words_of(const engine_state& eng) {
    if (marks_made_in != generation) {
      const int n = std::max(0, eng.table.word_count);
      marks.resize(static_cast<size_t>(n) + 1);
      heads.resize(static_cast<size_t>(n) + 1);
      for (int w = 1; w <= n; ++w) {
        marks[static_cast<size_t>(w)] = mark_of(eng.table.symbol(w));
        heads[static_cast<size_t>(w)] = head_of(eng.table.words[w].str());
      }
      words = {marks.data(), heads.data()};
      marks_made_in = generation;
    }
    return &words;
  }

  // The group of the rule's first pattern word; -1 for a rule without pattern words.
  int group_of(const idiom_rule& rule) {
    if (rule.pattern_count < 1) return -1;
    const idiom_pattern_word& p = rule.tests[1];
    const first_word_key key{p.text, p.kind, p.window};
    // Looked up before it is added: most rules share a group made before.
    const auto known = groups.find(key);
    if (known != groups.end()) return known->second;
    const int group = static_cast<int>(found.size());
    groups.emplace(key, group);
    found.emplace_back();
    found_in.push_back(0);
    later.emplace_back();
    later_in.push_back(0);
    return group;
  }
  // The searches of group `group` from later words made since the table last changed.
  std::vector<first_word_found>& later_searches(int group) {
    const size_t g = static_cast<size_t>(group);
    if (later_in[g] != generation) {
      later[g].clear();
      later_in[g] = generation;
    }
    return later[g];
  }
  // The word table changed.
  void forget() { ++generation; }
};

// Searches the attempt's pattern word j, through `memo` for the first pattern word (of
// group `group`) of an attempt from the sentence's first word.
int search_word(const engine_state& eng, const idiom_rule& rule, const idiom_attempt& attempt,
                int j, capture_call& last, first_word_memo* memo, int group) {
  const idiom_pattern_word& p = rule.tests[j];
  if (memo == nullptr) return find_pattern_word(eng, attempt, p, last);
  // The first pattern word searches from the attempt's start (with or without "*").
  if (group < 0 || j != 1 || attempt.current != attempt.attempt_start) {
    return find_pattern_word(eng, attempt, p, last, memo->words_of(eng));
  }
  first_word_found* f = nullptr;
  if (attempt.attempt_start == 1) {
    f = &memo->found[static_cast<size_t>(group)];
    if (memo->found_in[static_cast<size_t>(group)] != memo->generation) {
      *f = first_word_found();
      f->word = find_pattern_word(eng, attempt, p, f->last, memo->words_of(eng));
      memo->found_in[static_cast<size_t>(group)] = memo->generation;
    }
  } else {
    std::vector<first_word_found>& searches = memo->later_searches(group);
    for (first_word_found& s : searches) {
      if (s.from == attempt.attempt_start) f = &s;
    }
    if (f == nullptr) {
      if (searches.size() >= first_word_memo::kMaxLater) {
        return find_pattern_word(eng, attempt, p, last, memo->words_of(eng));
      }
      f = &searches.emplace_back();
      f->from = attempt.attempt_start;
      f->word = find_pattern_word(eng, attempt, p, f->last, memo->words_of(eng));
    }
  }
  if (f->last.made) last = f->last;
  return f->word;
}

// The search of group `group` from word `from` kept in `memo` while the word table has
// not changed since; null when there is none.
first_word_found* kept_search(first_word_memo* memo, int group, int from = 1) {
  if (memo == nullptr || group < 0) return nullptr;
  const size_t g = static_cast<size_t>(group);
  if (from == 1) return memo->found_in[g] == memo->generation ? &memo->found[g] : nullptr;
  if (memo->later_in[g] != memo->generation) return nullptr;
  for (first_word_found& s : memo->later[g]) {
    if (s.from == from) return &s;
  }
  return nullptr;
}

// Puts in the captures of the kept search `f` (the same as put_call_captures of its last
// test), computed once.
void put_kept_captures(engine_state& eng, first_word_found& f) {
  if (!f.last.made) return;
  if (!f.captures_known) {
    put_call_captures(eng, f.last);
    f.captures = eng.captures;
    f.captures_known = true;
    return;
  }
  eng.captures = f.captures;
}

// try_idiom_rule with the searches of first pattern words kept in `memo` (may be null).
void try_rule(engine_state& eng, const idiom_rule& rule, idiom_attempt& attempt,
              first_word_memo* memo, int group) {
  attempt.found.fill(0);
  attempt.current = attempt.attempt_start;
  attempt.failed = false;
  // The word table stays as it is while the pattern words are searched.
  capture_call last;
  // A first pattern word searched before from the attempt's start and not found: the
  // attempt fails with the captures that search left.
  if (rule.pattern_count >= 1) {
    first_word_found* f = kept_search(memo, group, attempt.attempt_start);
    if (f != nullptr && f->word == 0) {
      attempt.failed = true;
      put_kept_captures(eng, *f);
      return;
    }
  }
  for (int j = 1; j <= rule.pattern_count && !attempt.failed; ++j) {
    int w = search_word(eng, rule, attempt, j, last, memo, group);
    if (w != 0) {
      attempt.found[j] = w;
      attempt.current = w + 1;
    } else {
      attempt.failed = true;
    }
  }
  put_call_captures(eng, last);
  if (attempt.failed) return;
  run_actions(eng, rule, attempt);
  if (eng.settings.visible) {
    con_writeline("Idiom rule " + rule.pattern_line);
    con_writeline("-> " + rule.action_line);
    trace_words(eng);
  }
}

// apply_idiom_rule with the searches of first pattern words kept in `memo` (may be null).
int apply_rule(engine_state& eng, const idiom_rule& rule, std::string_view file,
               first_word_memo* memo, int group) {
  idiom_attempt state;
  state.attempt_start = 1;
  int fired = 0;
  for (int attempt = 0; attempt < kMaxAttempts && spend_work(eng, work_rule); ++attempt) {
    try_rule(eng, rule, state, memo, group);
    if (!state.failed) {
      ++fired;
      // The actions changed the word table: what was found before no longer holds.
      if (memo != nullptr) {
        memo->forget();
        memo = nullptr;
      }
      if (rule.first_line > 0) {
        note_fired(eng, file, rule.first_line, rule.last_line);
      }
    }
    const int first = state.found[1];
    if (first == 0 || first >= eng.table.word_count) return fired;
    // Deletions move the found positions back, even in front of the first word.
    state.attempt_start = first < 0 ? 1 : first + 1;
  }
  if (eng.settings.visible) con_writeline("idiom rule stopped after 1000 attempts: " + rule.pattern_line);
  return fired;
}

}  // namespace

void try_idiom_rule(engine_state& eng, const idiom_rule& rule, idiom_attempt& attempt) {
  try_rule(eng, rule, attempt, nullptr, -1);
}

int apply_idiom_rule(engine_state& eng, const idiom_rule& rule, std::string_view file) {
  return apply_rule(eng, rule, file, nullptr, -1);
}

namespace {

// The rule of a pattern line and an action line as read from an idiom file (unscrambled);
// `number` counts the file's rules from 0.
idiom_rule rule_of_lines(std::string& pattern, const std::string& action, uint64_t number) {
  size_t comment = pattern.find(';');
  if (comment != std::string::npos) pattern.resize(comment);
  // Trimmed as trim_spaces does it, without a copy of either line.
  const auto trimmed = [](std::string_view s) {
    const size_t end = s.find_last_not_of(' ');
    return end == std::string_view::npos ? std::string_view()
                                         : s.substr(0, end + 1).substr(s.find_first_not_of(' '));
  };
  idiom_rule rule = make_idiom_rule(trimmed(pattern), trimmed(action));
  rule.first_line = static_cast<long>(2 * number + 1);
  rule.last_line = rule.first_line + 1;
  return rule;
}

// Every rule of an idiom file, in file order (in a deque: a rule is large and never moved).
std::deque<idiom_rule> read_idiom_rules(const engine_settings& st, linereader& f) {
  std::deque<idiom_rule> rules;
  std::string pattern, action;
  for (uint64_t number = 0; f.readline(pattern, 80); ++number) {
    if (!f.readline(action, 80)) action.clear();
    unscramble_line(st, pattern);
    unscramble_line(st, action);
    rules.push_back(rule_of_lines(pattern, action, number));
  }
  return rules;
}

// A text's bit among 256, from its length and its first and last bytes: a set of a
// sentence's texts marks their bits, so most texts not in it are told by one bit.
unsigned text_bit(std::string_view t) {
  if (t.empty()) return 0;
  return (static_cast<unsigned>(t.size()) * 37u + static_cast<unsigned char>(t[0]) * 11u +
          static_cast<unsigned char>(t.back())) & 255u;
}

// What the step knows of a rule's first pattern word without reading the rule (rules lie
// apart in memory, their summaries side by side): its group of searches and whether it
// only compares texts, with the bit of its text.
struct rule_summary {
  int group = -1;           // -1: the rule has no pattern words
  bool texts_only = false;  // the plain test or ">" with a text
  unsigned char bit = 0;    // text_bit of that text
};

rule_summary summarise(first_word_memo& memo, const idiom_rule& rule) {
  rule_summary s;
  s.group = memo.group_of(rule);
  if (rule.pattern_count >= 1) {
    const idiom_pattern_word& first = rule.tests[1];
    s.texts_only = (first.kind == 0 || first.kind == '>') && !first.text.empty();
    s.bit = static_cast<unsigned char>(text_bit(first.text));
  }
  return s;
}

// The parsed rules of an idiom file read without its index, with the summary of each
// rule made once, and the searches of their groups.
struct idiom_rule_set {
  std::deque<idiom_rule> rules;
  std::vector<rule_summary> summaries;  // by rule
  mutable first_word_memo memo;         // forgotten at every step
};

idiom_rule_set read_idiom_rule_set(const engine_settings& st, linereader& f) {
  idiom_rule_set set;
  set.rules = read_idiom_rules(st, f);
  set.summaries.reserve(set.rules.size());
  for (const idiom_rule& rule : set.rules) set.summaries.push_back(summarise(set.memo, rule));
  return set;
}


// The rules read through an idiom file's index since it was opened, by number, in blocks
// made when a rule of theirs is read: a run that reads a few rules of a large file keeps
// (and clears) room for those few only.
struct candidate {
  idiom_rule_ref ref;
  std::string_view key;  // in the sentence's keys; empty for a rule without a key
};

// The texts of the table's words in table order (the German text and the source form of
// each), to tell cheaply whether a rule that fired changed any of them.
struct table_texts {
  std::vector<std::string> texts;

  void take(const engine_state& eng) {
    const int n = std::max(0, eng.table.word_count);
    texts.resize(2 * static_cast<size_t>(n));
    for (int w = 1; w <= n; ++w) {
      texts[2 * static_cast<size_t>(w) - 2].assign(entry_view(eng.table.words[w].str()).text());
      texts[2 * static_cast<size_t>(w) - 1].assign(eng.table.originals[w].str());
    }
  }
  bool same_as(const engine_state& eng) const {
    const int n = std::max(0, eng.table.word_count);
    if (texts.size() != 2 * static_cast<size_t>(n)) return false;
    for (int w = 1; w <= n; ++w) {
      if (texts[2 * static_cast<size_t>(w) - 2] != entry_view(eng.table.words[w].str()).text() ||
          texts[2 * static_cast<size_t>(w) - 1] != eng.table.originals[w].str()) {
        return false;
      }
    }
    return true;
  }
};

// A rule read through the index and its summary.
struct indexed_rule {
  std::unique_ptr<idiom_rule> rule;  // null while the rule is not read
  rule_summary summary;
};

// The rules of the keys looked up in an index, by key: open addressing over the keys'
// hashes, the entries side by side (a sentence looks up all its texts at every step).
class key_rules {
 public:
  size_t size() const { return entries_.size(); }
  void clear() {
    entries_.clear();
    slots_.assign(slots_.size(), slot{});
  }
  // The rules of `key`; null when it was not added.
  const std::vector<idiom_rule_ref>* find(std::string_view key) const {
    if (slots_.empty()) return nullptr;
    const uint64_t h = hash(key);
    for (size_t at = h & (slots_.size() - 1);; at = (at + 1) & (slots_.size() - 1)) {
      const slot& s = slots_[at];
      if (s.entry == 0) return nullptr;
      if (s.hash == h && entries_[s.entry - 1].first == key) return &entries_[s.entry - 1].second;
    }
  }
  // Adds `key` (not there yet) with its rules; valid until the next add or clear.
  const std::vector<idiom_rule_ref>* add(std::string_view key,
                                         const std::vector<idiom_rule_ref>& rules) {
    if (2 * (entries_.size() + 1) > slots_.size()) grow();
    entries_.emplace_back(std::string(key), rules);
    place(hash(key), static_cast<uint32_t>(entries_.size()));
    return &entries_.back().second;
  }

 private:
  struct slot {
    uint64_t hash = 0;
    uint32_t entry = 0;  // 1 + the entry's place; 0 for a free slot
  };
  static uint64_t hash(std::string_view key) {
    uint64_t h = 14695981039346656037ULL;
    for (char c : key) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    return h;
  }
  void place(uint64_t h, uint32_t entry) {
    size_t at = h & (slots_.size() - 1);
    while (slots_[at].entry != 0) at = (at + 1) & (slots_.size() - 1);
    slots_[at] = {h, entry};
  }
  void grow() {
    slots_.assign(std::max<size_t>(64, 2 * slots_.size()), slot{});
    for (size_t e = 0; e < entries_.size(); ++e) {
      place(hash(entries_[e].first), static_cast<uint32_t>(e + 1));
    }
  }
  std::vector<slot> slots_;  // a power of two of them, at most half taken
  std::vector<std::pair<std::string, std::vector<idiom_rule_ref>>> entries_;
};

struct rules_through_index {
  static constexpr uint64_t block = 256;
  std::vector<std::unique_ptr<std::array<indexed_rule, block>>> blocks;
  first_word_memo memo;  // forgotten at every step
  // The rules without a key, in file order, once the index gave them; the numbers among
  // them given twice, in file order.
  std::vector<candidate> without_key;
  std::vector<uint64_t> without_key_twice;
  // By place in without_key: 256 + the text_bit of a rule read whose first pattern word
  // only compares texts (rule_summary), else 0.
  std::vector<uint16_t> without_key_texts;
  bool without_key_known = false;
  // The rules of the keys looked up so far (the index does not change while open); at
  // most kMaxKeys of them, so that long runs of ever new words stay bounded.
  static constexpr size_t kMaxKeys = 200000;
  key_rules by_key;
  // Room for finding the candidates, used again.
  std::vector<idiom_rule_ref> refs;
  std::vector<candidate> with_key;
  table_texts seen;
  // The place of rule `number`.
  indexed_rule& rule(uint64_t number) {
    const uint64_t b = number / block;
    if (b >= blocks.size() || !blocks[b]) make_block(b);
    return (*blocks[b])[number % block];
  }
  void make_block(uint64_t b);
};

void rules_through_index::make_block(uint64_t b) {
  if (b >= blocks.size()) blocks.resize(b + 1);
  blocks[b] = std::make_unique<std::array<indexed_rule, block>>();
}

// Counts the work of `rules` rules whose first pattern word the sentence does not hold:
// each the one attempt that would have failed, as apply_idiom_rule counts it.
void spend_skipped(engine_state& eng, uint64_t rules) {
  if (rules == 0 || eng.work_exhausted) return;
  const uint64_t room = static_cast<uint64_t>(std::max(0L, max_sentence_work - eng.work));
  const uint64_t fit = room / work_rule;
  if (rules <= fit) {
    eng.work += static_cast<long>(rules) * work_rule;
    return;
  }
  // The attempt that goes past the bound ends the sentence's work.
  eng.work += static_cast<long>(fit) * work_rule;
  spend_work(eng, work_rule);
}

// The texts a plain first pattern word can meet in the sentence: the German text and the
// source form of every word, as the plain test compares them; sorted, each once; with the
// bits of those texts.
struct sentence_texts {
  std::vector<std::string> keys;
  std::array<uint64_t, 4> bits{};

  explicit sentence_texts(std::vector<std::string> k) : keys(std::move(k)) {
    for (const std::string& t : keys) {
      const unsigned b = text_bit(t);
      bits[b >> 6] |= uint64_t{1} << (b & 63);
    }
  }
  // False when no text of the bit `b` is among them.
  bool may_hold(unsigned b) const { return (bits[b >> 6] & (uint64_t{1} << (b & 63))) != 0; }
  bool has(std::string_view t) const {
    return may_hold(text_bit(t)) && std::binary_search(keys.begin(), keys.end(), t);
  }
  bool operator!=(const sentence_texts& o) const { return keys != o.keys; }
};

sentence_texts sentence_keys(const engine_state& eng) {
  // Sorted as views of the table's texts, copied once at the end.
  std::vector<std::string_view> texts;
  texts.reserve(2 * static_cast<size_t>(std::max(0, eng.table.word_count)));
  for (int w = 1; w <= eng.table.word_count; ++w) {
    texts.push_back(entry_view(eng.table.words[w].str()).text());
    texts.push_back(eng.table.originals[w].str());
  }
  // Byte order as std::string_view's, the first bytes compared in place (most differ there).
  std::sort(texts.begin(), texts.end(), [](std::string_view a, std::string_view b) {
    if (!a.empty() && !b.empty() && a[0] != b[0]) {
      return static_cast<unsigned char>(a[0]) < static_cast<unsigned char>(b[0]);
    }
    return a < b;
  });
  texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
  auto first = texts.begin();
  if (first != texts.end() && first->empty()) ++first;  // no rule's key
  return sentence_texts(std::vector<std::string>(first, texts.end()));
}

// False when the rule's first pattern word cannot find any word of a sentence whose texts
// are `keys`: it compares texts (the plain test or ">") and no word has its text.
bool may_find_first(const idiom_rule& rule, const sentence_texts& keys) {
  if (rule.pattern_count < 1) return true;
  const idiom_pattern_word& first = rule.tests[1];
  if ((first.kind != 0 && first.kind != '>') || first.text.empty()) return true;
  return keys.has(first.text);
}

// Applies a rule to a sentence whose texts are `keys`. A rule whose first pattern word
// finds no word is not tried: it counts the work of its one failed attempt, as
// apply_idiom_rule does. Returns the number of firings.
int apply_with_keys(engine_state& eng, const idiom_rule& rule, const sentence_texts& keys,
                    std::string_view file, first_word_memo& memo, int group) {
  if (may_find_first(rule, keys)) return apply_rule(eng, rule, file, &memo, group);
  if (!spend_work(eng, work_rule) && eng.settings.visible) {
    con_writeline("idiom rule stopped after 1000 attempts: " + rule.pattern_line);
  }
  return 0;
}

// apply_with_keys (for a rule found under one of the keys: apply_rule) with what the
// summary tells first: a rule whose text is surely not among the keys, or whose first
// pattern word was searched in vain since the table last changed, fails without being
// read. (A search that only compares texts leaves no captures, so the order of the two
// tells does not matter.)
int apply_summarised(engine_state& eng, const idiom_rule& rule, const rule_summary& summary,
                     bool keyed, const sentence_texts& keys, std::string_view file,
                     first_word_memo& memo) {
  first_word_found* f = nullptr;
  if ((!keyed && summary.texts_only && !keys.may_hold(summary.bit)) ||
      ((f = kept_search(&memo, summary.group)) != nullptr && f->word == 0)) {
    // The one attempt of the rule, failed.
    if (!spend_work(eng, work_rule)) {
      if (eng.settings.visible) {
        con_writeline("idiom rule stopped after 1000 attempts: " + rule.pattern_line);
      }
      return 0;
    }
    if (f != nullptr) put_kept_captures(eng, *f);
    return 0;
  }
  if (keyed) return apply_rule(eng, rule, file, &memo, summary.group);
  return apply_with_keys(eng, rule, keys, file, memo, summary.group);
}

// Applies the rules of idiom file `file` from rule `from` (numbered from 0) on.
void run_rules_from(engine_state& eng, std::string_view file, const idiom_rule_set& set,
                    uint64_t from) {
  sentence_texts keys = sentence_keys(eng);
  first_word_memo& memo = set.memo;
  memo.forget();
  for (uint64_t number = from; number < set.rules.size(); ++number) {
    const idiom_rule& rule = set.rules[number];
    if (apply_summarised(eng, rule, set.summaries[number], false, keys, file, memo) > 0) {
      keys = sentence_keys(eng);
    }
  }
}


// The candidates of a sentence, taken one by one in file order: the rules without a key
// from `i` on merged with those of the sentence's keys from `k` on (none twice).
// The rules without a key known to compare texts the sentence lacks are passed over: like
// the rules the index leaves out, they count the work of their one failed attempt as
// rules skipped (that attempt leaves no captures).
struct candidate_list {
  const std::vector<candidate>* without_key = nullptr;
  const std::vector<candidate>* with_key = nullptr;
  const std::vector<uint16_t>* texts_bits = nullptr;  // rules_through_index's
  const sentence_texts* keys = nullptr;
  size_t i = 0;
  size_t k = 0;
  size_t taken_without = 0;  // the place in without_key of the last rule taken from it, + 1

  // Takes the next candidate into c; false when there is none.
  bool take(candidate& c) {
    while (i < without_key->size() && (*texts_bits)[i] != 0 &&
           !keys->may_hold(static_cast<unsigned>((*texts_bits)[i] - 256))) {
      ++i;
    }
    const bool more_without = i < without_key->size();
    taken_without = 0;
    if (k < with_key->size() &&
        (!more_without || (*with_key)[k].ref.number < (*without_key)[i].ref.number)) {
      c = (*with_key)[k++];
      return true;
    }
    if (!more_without) return false;
    c = (*without_key)[i++];
    taken_without = i;
    return true;
  }
};

// The rules from rule `from` on that can fire in a sentence of the texts `keys`: those
// without a key and those whose key is among them, in file order. False when the index
// fails or gives a rule twice. The rules without a key, the same for every sentence, are
// kept in `read`, and the candidates of the keys too (until the next call).
bool find_candidates(idiom_index& index, const sentence_texts& keys, uint64_t from,
                     candidate_list& out, std::string& why, rules_through_index& read) {
  const auto by_number = [](const candidate& a, const candidate& b) {
    return a.ref.number < b.ref.number;
  };
  std::vector<idiom_rule_ref>& refs = read.refs;
  if (!read.without_key_known) {
    refs.clear();
    if (!index.find(std::string_view(), refs, why)) return false;
    read.without_key.clear();
    for (const idiom_rule_ref& r : refs) read.without_key.push_back({r, std::string_view()});
    if (!std::is_sorted(read.without_key.begin(), read.without_key.end(), by_number)) {
      std::sort(read.without_key.begin(), read.without_key.end(), by_number);
    }
    read.without_key_twice.clear();
    for (size_t i = 1; i < read.without_key.size(); ++i) {
      const uint64_t n = read.without_key[i].ref.number;
      if (n == read.without_key[i - 1].ref.number &&
          (read.without_key_twice.empty() || read.without_key_twice.back() != n)) {
        read.without_key_twice.push_back(n);
      }
    }
    read.without_key_texts.assign(read.without_key.size(), 0);
    read.without_key_known = true;
  }
  // Those of the sentence's keys, few, are sorted; they are merged in as they are taken.
  std::vector<candidate>& with_key = read.with_key;
  with_key.clear();
  if (read.by_key.size() + keys.keys.size() > rules_through_index::kMaxKeys) read.by_key.clear();
  for (const std::string& k : keys.keys) {
    const std::string_view key = k;
    const std::vector<idiom_rule_ref>* known = read.by_key.find(key);
    if (known == nullptr) {
      refs.clear();
      if (!index.find(key, refs, why)) return false;
      known = read.by_key.add(key, refs);
    }
    for (const idiom_rule_ref& r : *known) {
      if (r.number >= from) with_key.push_back({r, key});
    }
  }
  std::sort(with_key.begin(), with_key.end(), by_number);
  const auto first = std::lower_bound(read.without_key.begin(), read.without_key.end(),
                                      candidate{idiom_rule_ref{from}, std::string_view()}, by_number);
  // The first rule in file order that is a candidate twice: twice without a key, twice
  // with one, or with a key and without.
  bool twice = false;
  uint64_t number = 0;
  const auto note_twice = [&](uint64_t n) {
    if (!twice || n < number) number = n;
    twice = true;
  };
  const auto without = std::lower_bound(read.without_key_twice.begin(),
                                        read.without_key_twice.end(), from);
  if (without != read.without_key_twice.end()) note_twice(*without);
  for (size_t i = 1; i < with_key.size(); ++i) {
    if (with_key[i].ref.number == with_key[i - 1].ref.number) {
      note_twice(with_key[i].ref.number);
      break;
    }
  }
  for (const candidate& c : with_key) {
    if (std::binary_search(first, read.without_key.end(), c, by_number)) {
      note_twice(c.ref.number);
      break;
    }
  }
  if (twice) {
    why = "rule " + std::to_string(number) + " under two keys";
    return false;
  }
  out = {&read.without_key, &with_key, &read.without_key_texts, &keys,
         static_cast<size_t>(first - read.without_key.begin()), 0, 0};
  return true;
}

// Runs the rules of an idiom file through its index: the candidates in file order, found
// again behind every rule that changed the sentence's texts; the rules passed over count
// their work. Returns the number of the first rule not yet run: the rule count when all
// are done, or where the index failed.
uint64_t run_rules_indexed(engine_state& eng, std::string_view file, idiom_index& index,
                           rules_through_index& read, idiom_step_report& report) {
  sentence_texts keys = sentence_keys(eng);
  table_texts& seen = read.seen;
  seen.take(eng);
  candidate_list candidates;
  uint64_t next = 0;
  if (!find_candidates(index, keys, next, candidates, report.why, read)) return next;
  std::string pattern, action;
  read.memo.forget();
  for (candidate c; !eng.work_exhausted && candidates.take(c);) {
    // A rule is read and parsed the first time it is a candidate; the index and its
    // file stay as they are while the index is open.
    indexed_rule& place = read.rule(c.ref.number);
    std::unique_ptr<idiom_rule>& known = place.rule;
    if (!known) {
      if (!index.read_rule(c.ref, c.key, pattern, action, report.why)) return next;
      known = std::make_unique<idiom_rule>(rule_of_lines(pattern, action, c.ref.number));
      place.summary = summarise(read.memo, *known);
      if (candidates.taken_without != 0 && place.summary.texts_only) {
        read.without_key_texts[candidates.taken_without - 1] =
            static_cast<uint16_t>(256 + place.summary.bit);
      }
    }
    ++report.rules_read;
    spend_skipped(eng, c.ref.number - next);
    next = c.ref.number + 1;
    if (eng.work_exhausted) break;
    // A rule found under one of the sentence's keys can find its first word: only the
    // rules without a key are checked against the keys. A rule that fired and left the
    // texts as they were leaves the candidates too.
    if (apply_summarised(eng, *known, place.summary, !c.key.empty(), keys, file, read.memo) > 0 &&
        !seen.same_as(eng)) {
      seen.take(eng);
      sentence_texts now = sentence_keys(eng);
      if (now != keys) {
        std::swap(keys, now);
        if (!find_candidates(index, keys, next, candidates, report.why, read)) return next;
      }
    }
  }
  spend_skipped(eng, index.rule_count() - std::min(next, index.rule_count()));
  return index.rule_count();
}

}  // namespace

void run_idioms(engine_state& eng, const rule_file& rules, idiom_step_report* report) {
  const engine_settings& st = eng.settings;
  idiom_step_report unused;
  idiom_step_report& r = report != nullptr ? *report : unused;
  r = idiom_step_report();
  trace_start(eng);
  // The name as given, else under the definitions path (as open_text_def).
  std::string path;
  if (rules.text) {
    path.clear();
  } else if (!resolve_definition(st, rules.name, path)) {
    return;
  }
  // The index describes the plain file, and the trace shows every rule tried.
  uint64_t from = 0;
  if (st.plain_definitions && !st.visible && !path.empty()) {
    std::unique_ptr<idiom_index>& index = eng.idiom_indexes[path];
    std::shared_ptr<void>& read = eng.parsed_rules.through_index[path];
    // Within a run the index is checked against the rule file once.
    const std::string check = "idiom index\n" + path;
    check_outcome known;
    const bool checked = checked_before(check, known);
    const bool fits = index && ((checked && known.passed) || index->still_fits(path));
    if (fits) note_check(check, {true, ""});
    if (!fits || !read) {
      if (!index) index = std::make_unique<idiom_index>();
      bool opened = false;
      if (checked && !known.passed) {
        r.why = known.why;
      } else {
        opened = index->open(path, idiom_index_name(path), r.why);
        note_check(check, {opened, r.why});
      }
      if (!opened) index.reset();
      read = std::make_shared<rules_through_index>();
    }
    if (index) {
      r.indexed = true;
      from = run_rules_indexed(eng, rules.name, *index,
                               *std::static_pointer_cast<rules_through_index>(read), r);
      if (from >= index->rule_count()) return;
      // The index failed part-way: it is opened and checked again next time.
      eng.idiom_indexes.erase(path);
      eng.parsed_rules.through_index.erase(path);
      r.read_on = true;
      r.read_on_from = from;
    }
  }
  // Read without the index, the whole file is parsed, once for the run.
  std::string parsed_path;
  const auto parsed = load_rules<idiom_rule_set>(
      eng.parsed_rules, "idiom", path.empty() ? rules : named_rule_file(path), st, parsed_path,
      [&](linereader& file) { return read_idiom_rule_set(st, file); });
  if (parsed) run_rules_from(eng, rules.name, *parsed, from);
}

void decode_idiom_record(std::string_view bytes, std::string& pattern, std::string& action) {
  pattern.clear();
  action.clear();
  if (bytes.size() < idiom_record_size) return;
  size_t n1 = static_cast<unsigned char>(bytes[0]);
  size_t n2 = static_cast<unsigned char>(bytes[81]);
  pattern = std::string(bytes.substr(1, n1 < 80 ? n1 : 80));
  action = std::string(bytes.substr(82, n2 < 80 ? n2 : 80));
}

std::string encode_idiom_record(std::string_view pattern, std::string_view action) {
  std::string out(idiom_record_size, '\0');
  std::string p = cut(pattern, 80), a = cut(action, 80);
  out[0] = static_cast<char>(p.size());
  out.replace(1, p.size(), p);
  out[81] = static_cast<char>(a.size());
  out.replace(82, a.size(), a);
  return out;
}

void run_indexed_idioms(engine_state& eng, const rule_file& records) {
  const engine_settings& st = eng.settings;
  trace_start(eng);
  FILE* f = records.open_records(st);
  if (!f) return;
  std::vector<int> numbers;
  for (int i = 1; i <= eng.table.word_count; ++i) {
    const std::string& x = eng.table.extras[i];
    if (x.empty()) continue;
    const std::string number = x.substr(0, x.find(' '));
    if (is_number(number) && str_to_int(number) >= 0) numbers.push_back(str_to_int(number));
  }
  char buf[idiom_record_size];
  for (int n : numbers) {
    if (std::fseek(f, static_cast<long>(n) * static_cast<long>(idiom_record_size), SEEK_SET) != 0 ||
        std::fread(buf, 1, idiom_record_size, f) != idiom_record_size) {
      continue;
    }
    std::string pattern, action;
    decode_idiom_record(std::string_view(buf, idiom_record_size), pattern, action);
    idiom_rule rule = make_idiom_rule(pattern, action);
    rule.first_line = rule.last_line = n + 1;
    apply_idiom_rule(eng, rule, records.name);
  }
  std::fclose(f);
}

}  // namespace zembu::engine
