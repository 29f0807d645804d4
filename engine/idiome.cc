#include "engine/idiome.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "common/idiom_index.h"
#include "engine/lexikon2.h"
#include "engine/longstr.h"
#include "engine/translat.h"

namespace zembu::engine {

namespace {

// The most attempts of one rule in one sentence; a rule whose actions keep bringing its
// first word back stops there.
constexpr int kMaxAttempts = 1000;

bool starts_with(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// The class-line symbol of an entry: its first three characters, blank-filled.
std::string symbol_of(std::string_view entry) {
  std::string s(entry.substr(0, 3));
  s.resize(3, ' ');
  return s;
}

// Splits a line at single blanks into at most 15 words.
int split_words(std::string_view line, std::array<std::string, max_idiom_words + 1>& out) {
  int n = 0;
  if (line.empty()) return 0;
  size_t p = 0;
  while (n < max_idiom_words) {
    size_t blank = line.find(' ', p);
    out[++n] = std::string(line.substr(p, blank == std::string_view::npos ? std::string_view::npos : blank - p));
    if (blank == std::string_view::npos) break;
    p = blank + 1;
  }
  return n;
}

std::string german_text(const engine_state& eng, int w) {
  return std::string(entry_view(eng.table.words[w].str()).text());
}

// True when pattern p matches text at its first position ("." and "*" are wildcards).
bool matches_at_start(engine_state& eng, std::string_view text, std::string_view p) {
  return instr3(eng, text, p) == 1;
}

bool passes(engine_state& eng, int w, char kind, const std::string& p) {
  if (kind == 0 || kind == '>') {
    // The plain tests run for every word and nearly every rule: compared in place.
    const std::string_view text = entry_view(eng.table.words[w].str()).text();
    return p == text || (kind == 0 && p == eng.table.originals[w].str());
  }
  const std::string e = eng.table.words[w];
  const std::string g = german_text(eng, w);
  const std::string k = eng.table.originals[w];
  switch (kind) {
    case '#':
      if (p.size() <= 3) return matches_at_start(eng, entry_view(e).cls(), p);
      return matches_at_start(eng, line_class(eng, w), p.substr(0, 3)) &&
             (p.substr(3) == g || p.substr(3) == k);
    case '^':
      return matches_at_start(eng, e.substr(0, 6), p);
    case '~':
      return matches_at_start(eng, entry_view(e).third(), p);
    case '$':
      if (p.size() <= 9) return matches_at_start(eng, e.substr(0, p.size()), p);
      return matches_at_start(eng, entry_view(e).code(), p.substr(0, 9)) &&
             (p.substr(9) == g || p.substr(9) == k);
    case '+':
      return p.size() <= k.size() && matches_at_start(eng, k.substr(k.size() - p.size()), p) &&
             starts_with(e, "ZZZ");
    default:
      return false;
  }
}

// Searches pattern word p from the rule's current position; returns the word found or 0.
int search_pattern_word(engine_state& eng, const idiom_rule& rule, std::string p) {
  int start = rule.current;
  int window_end = eng.table.word_count;
  if (!p.empty() && p[0] >= '0' && p[0] <= '9') {
    window_end = rule.current + (p[0] - '0');
    p.erase(0, 1);
  } else if (!p.empty() && p[0] == '*') {
    start = rule.attempt_start;
    p.erase(0, 1);
  }
  char kind = 0;
  if (!p.empty() && std::string_view("#^+$~>").find(p[0]) != std::string_view::npos) {
    kind = p[0];
    p.erase(0, 1);
  }
  int depth = 0;
  const std::string_view aux = "AUX", aux_lower = "aux", xxx = "XXX", e00 = "E00", uu = "_UU";
  for (int w = start < 1 ? 1 : start; w <= eng.table.word_count && w <= window_end; ++w) {
    // The word's symbol (line_class) without a copy: this loop runs for every rule.
    const std::string_view sym = eng.table.symbol(w);
    if (sym.size() == 3 && sym[2] == '[') ++depth;
    if (sym.size() == 3 && sym[2] == ']') --depth;
    if (depth != 0) continue;
    if (sym == aux || sym == aux_lower || sym == xxx || sym == e00) {
      ++window_end;
    } else if (sym == uu && window_end < eng.table.word_count) {
      ++window_end;
    }
    if (passes(eng, w, kind, p)) return w;
  }
  return 0;
}

// Moves the found positions at or behind `from` by delta.
void shift_found(idiom_rule& rule, int from, int delta) {
  for (int j = 1; j <= rule.pattern_count; ++j) {
    if (rule.found[j] >= from) rule.found[j] += delta;
  }
}

// Inserts a word made from a word spec at position `at`.
bool insert_spec(engine_state& eng, int at, std::string_view spec) {
  size_t eq = spec.find('=');
  std::string source, entry;
  if (eq != std::string_view::npos) {
    source = std::string(spec.substr(0, eq));
    entry = std::string(spec.substr(eq + 1));
  } else {
    entry = std::string(spec);
    source = std::string(entry_view(entry).text());
  }
  return insert_word(eng, at, source, entry);
}

// The word of pattern word n (argument of X, C and Z), or 0.
int word_of_pattern(const engine_state& eng, const idiom_rule& rule, std::string_view arg) {
  int n = str_to_int(arg);
  if (n < 1 || n > rule.pattern_count) return 0;
  int w = rule.found[n];
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
      const std::string cls = symbol_of(a.substr(1, 3));
      resolve_word_reading(eng, w, w, a.substr(1, 3));
      set_line_class(eng, w, cls);
      set_word_start(eng, w, cls);
      break;
    }
    case '#':
      a = put_captures(eng, a);
      set_line_class(eng, w, symbol_of(a.substr(1, 3)));
      eng.table.words[w] = str_overwrite(eng.table.words[w].str(), 1, a.substr(1));
      break;
    case '$': {
      const std::string cls = symbol_of(a.substr(1, 3));
      set_line_class(eng, w, cls);
      set_word_start(eng, w, cls);
      const std::string& k = eng.table.originals[w];
      eng.table.originals[w] = (a.size() > 4 ? a.substr(4) : std::string()) + std::string(entry_view(k).text());
      break;
    }
    case ':':
      eng.table.words[w] = a.substr(1);
      set_line_class(eng, w, symbol_of(a.substr(1)));
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

void run_actions(engine_state& eng, idiom_rule& rule) {
  rule.pointer = 1;
  for (int a = 1; a <= rule.action_count; ++a) {
    std::string word = rule.action[a].empty() ? "U" : rule.action[a];
    char letter = word[0];
    std::string arg = word.substr(1);
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
    const int p = rule.pointer;
    const int w = p >= 1 && p <= rule.pattern_count ? rule.found[p] : 0;
    const bool valid = w >= 1 && w <= eng.table.word_count;
    switch (letter) {
      case 'D':
        if (valid) {
          int n = 1;
          if (line_class(eng, w + 1) == "aux") {
            delete_word(eng, w + 1);
            ++n;
          }
          delete_word(eng, w);
          shift_found(rule, w, -n);
        }
        break;
      case 'E':
        if (valid) {
          delete_word(eng, w);
          shift_found(rule, w, -1);
        }
        break;
      case 'B':
        if (valid && insert_spec(eng, w, arg)) shift_found(rule, w, 1);
        break;
      case 'H':
        if (valid && insert_spec(eng, w + 1, arg)) shift_found(rule, w + 1, 1);
        break;
      case 'I':
      case 'J': {
        // Behind the word of the previous pattern word; with none, in front of the first.
        int at = p > 1 && p - 1 <= rule.pattern_count ? rule.found[p - 1] + 1 : rule.found[1];
        if (at < 1 || at > eng.table.word_count + 1) break;
        std::string spec = letter == 'J' ? "AUX---AUX" + arg : arg;
        if (insert_spec(eng, at, spec)) shift_found(rule, at, 1);
        break;
      }
      case 'X': {
        int v = word_of_pattern(eng, rule, arg);
        if (valid && v && insert_spec(eng, w + 1, eng.table.words[v].str())) shift_found(rule, w + 1, 1);
        break;
      }
      case 'C': {
        int v = word_of_pattern(eng, rule, arg);
        if (valid && v && insert_spec(eng, w, eng.table.words[v].str())) shift_found(rule, w, 1);
        break;
      }
      case 'Z': {
        int v = word_of_pattern(eng, rule, arg);
        if (valid && v) {
          const std::string joined = german_text(eng, v);
          std::string e = eng.table.words[w];
          e.insert(entry_view(e).code().size(), joined);
          eng.table.words[w] = e;
          eng.table.words[v] = entry_view(eng.table.words[v].str()).code();
        }
        break;
      }
      case 'A':
        if (valid) {
          std::string e = eng.table.words[w];
          const size_t n = static_cast<size_t>(std::max(0, str_to_int(arg)));
          e.resize(e.size() - std::min(n, e.size()));
          eng.table.words[w] = e;
          if (starts_with(e, "ZZZ---ZZZ")) {
            fatal_error("Delete affix cannot call Lexikon, not implemented (idiome).");
          }
        }
        break;
      case 'R':
        if (valid) change_word(eng, w, arg);
        break;
      default:  // U and anything unknown: no change
        break;
    }
    if (letter == 'A' || letter == 'D' || letter == 'E' || letter == 'R' || letter == 'U') ++rule.pointer;
  }
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
  size_t eq = spec.find('=');
  std::string entry;
  if (eq != std::string_view::npos) {
    eng.table.originals[w] = spec.substr(0, eq);
    entry = std::string(spec.substr(eq + 1));
  } else {
    entry = std::string(spec);
    eng.table.originals[w] = entry_view(entry).text();
  }
  eng.table.words[w] = entry;
  set_line_class(eng, w, symbol_of(entry));
}

idiom_rule make_idiom_rule(std::string_view pattern_line, std::string_view action_line) {
  idiom_rule rule;
  rule.pattern_line = std::string(pattern_line);
  rule.action_line = std::string(action_line);
  rule.pattern_count = split_words(pattern_line, rule.pattern);
  rule.action_count = split_words(action_line, rule.action);
  return rule;
}

void try_idiom_rule(engine_state& eng, idiom_rule& rule) {
  rule.found.fill(0);
  rule.current = rule.attempt_start;
  rule.failed = false;
  for (int j = 1; j <= rule.pattern_count && !rule.failed; ++j) {
    int w = search_pattern_word(eng, rule, rule.pattern[j]);
    if (w != 0) {
      rule.found[j] = w;
      rule.current = w + 1;
    } else {
      rule.failed = true;
    }
  }
  if (rule.failed) return;
  run_actions(eng, rule);
  if (eng.settings.visible) {
    con_writeline("Idiom rule " + rule.pattern_line);
    con_writeline("-> " + rule.action_line);
    trace_words(eng);
  }
}

int apply_idiom_rule(engine_state& eng, idiom_rule& rule, std::string_view file) {
  rule.attempt_start = 1;
  int fired = 0;
  for (int attempt = 0; attempt < kMaxAttempts && spend_work(eng, work_rule); ++attempt) {
    try_idiom_rule(eng, rule);
    if (!rule.failed) {
      ++fired;
      if (rule.first_line > 0) {
        note_fired(eng, file, rule.first_line, rule.last_line);
      }
    }
    const int first = rule.found[1];
    if (first == 0 || first >= eng.table.word_count) return fired;
    // Deletions move the found positions back, even in front of the first word.
    rule.attempt_start = first < 0 ? 1 : first + 1;
  }
  if (eng.settings.visible) con_writeline("idiom rule stopped after 1000 attempts: " + rule.pattern_line);
  return fired;
}

namespace {

// The rule of a pattern line and an action line as read from an idiom file (unscrambled);
// `number` counts the file's rules from 0.
idiom_rule rule_of_lines(std::string& pattern, const std::string& action, uint64_t number) {
  size_t comment = pattern.find(';');
  if (comment != std::string::npos) pattern.resize(comment);
  idiom_rule rule = make_idiom_rule(trim_spaces(pattern), trim_spaces(action));
  rule.first_line = static_cast<long>(2 * number + 1);
  rule.last_line = rule.first_line + 1;
  return rule;
}

// Reads the rules of idiom file `file` from rule `from` (numbered from 0) on and applies
// each.
void run_rules_from(engine_state& eng, const std::string& file, linereader& f, uint64_t from) {
  const engine_settings& st = eng.settings;
  std::string pattern, action;
  for (uint64_t skipped = 0; skipped < from; ++skipped) {
    if (!f.readline(pattern, 80)) return;
    f.readline(action, 80);
  }
  for (uint64_t number = from; f.readline(pattern, 80); ++number) {
    if (!f.readline(action, 80)) action.clear();
    unscramble_line(st, pattern);
    unscramble_line(st, action);
    idiom_rule rule = rule_of_lines(pattern, action, number);
    apply_idiom_rule(eng, rule, file);
  }
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
// source form of every word, as the plain test compares them; sorted, each once.
std::vector<std::string> sentence_keys(const engine_state& eng) {
  std::vector<std::string> keys;
  keys.reserve(2 * static_cast<size_t>(eng.table.word_count));
  for (int w = 1; w <= eng.table.word_count; ++w) {
    keys.push_back(german_text(eng, w));
    keys.push_back(eng.table.originals[w].str());
  }
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  if (!keys.empty() && keys.front().empty()) keys.erase(keys.begin());  // no rule's key
  return keys;
}

struct candidate {
  idiom_rule_ref ref;
  std::string_view key;  // in the sentence's keys; empty for a rule without a key
};

// The rules from rule `from` on that can fire in a sentence of the texts `keys`: those
// without a key and those whose key is among them, in file order. False when the index
// fails or gives a rule twice.
bool find_candidates(idiom_index& index, const std::vector<std::string>& keys, uint64_t from,
                     std::vector<candidate>& out, std::string& why) {
  out.clear();
  std::vector<idiom_rule_ref> refs;
  for (size_t k = 0; k <= keys.size(); ++k) {
    const std::string_view key = k == 0 ? std::string_view() : std::string_view(keys[k - 1]);
    refs.clear();
    if (!index.find(key, refs, why)) return false;
    for (const idiom_rule_ref& r : refs) {
      if (r.number >= from) out.push_back({r, key});
    }
  }
  std::sort(out.begin(), out.end(),
            [](const candidate& a, const candidate& b) { return a.ref.number < b.ref.number; });
  for (size_t i = 1; i < out.size(); ++i) {
    if (out[i].ref.number == out[i - 1].ref.number) {
      why = "rule " + std::to_string(out[i].ref.number) + " under two keys";
      return false;
    }
  }
  return true;
}

// Runs the rules of an idiom file through its index: the candidates in file order, found
// again behind every rule that changed the sentence's texts; the rules passed over count
// their work. Returns the number of the first rule not yet run: the rule count when all
// are done, or where the index failed.
uint64_t run_rules_indexed(engine_state& eng, const std::string& file, idiom_index& index,
                           idiom_step_report& report) {
  std::vector<std::string> keys = sentence_keys(eng);
  std::vector<candidate> candidates;
  uint64_t next = 0;
  if (!find_candidates(index, keys, next, candidates, report.why)) return next;
  std::string pattern, action;
  for (size_t at = 0; at < candidates.size() && !eng.work_exhausted;) {
    const candidate& c = candidates[at];
    if (!index.read_rule(c.ref, c.key, pattern, action, report.why)) return next;
    ++report.rules_read;
    spend_skipped(eng, c.ref.number - next);
    next = c.ref.number + 1;
    if (eng.work_exhausted) break;
    idiom_rule rule = rule_of_lines(pattern, action, c.ref.number);
    if (apply_idiom_rule(eng, rule, file) > 0) {
      std::vector<std::string> now = sentence_keys(eng);
      if (now != keys) {
        keys.swap(now);
        if (!find_candidates(index, keys, next, candidates, report.why)) return next;
        at = 0;
        continue;
      }
    }
    ++at;
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
  linereader f;
  std::string path;
  if (!rules.open_uncached(st, f, path)) return;
  // The index describes the plain file, and the trace shows every rule tried.
  uint64_t from = 0;
  if (st.plain_definitions && !st.visible && !path.empty()) {
    std::unique_ptr<idiom_index>& index = eng.idiom_indexes[path];
    if (!(index && index->still_fits(path))) {
      if (!index) index = std::make_unique<idiom_index>();
      if (!index->open(path, idiom_index_name(path), r.why)) index.reset();
    }
    if (index) {
      r.indexed = true;
      from = run_rules_indexed(eng, rules.name, *index, r);
      if (from >= index->rule_count()) return;
      // The index failed part-way: it is opened and checked again next time.
      eng.idiom_indexes.erase(path);
      r.read_on = true;
      r.read_on_from = from;
    }
  }
  run_rules_from(eng, rules.name, f, from);
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
