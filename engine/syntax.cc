#include "engine/syntax.h"

#include <cstdlib>
#include <vector>

#include "common/linereader.h"
#include "engine/lexikon2.h"
#include "engine/longstr.h"
#include "engine/rule_cache.h"
#include "engine/translat.h"
#include "engine/word_spec.h"

namespace zembu::engine {

namespace {

constexpr size_t kRuleLineWidth = 80;
constexpr int kLastCell = 199;  // members of a place live in cells 1..199
constexpr int kLargestCell = 255;

bool starts_with(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// Reads one line of a rule file: at most 80 characters, unscrambled, trimmed.
bool read_rule_line(const engine_settings& st, linereader& f, std::string& line) {
  if (!f.readline(line, kRuleLineWidth)) {
    line.clear();
    return false;
  }
  unscramble_line(st, line);
  line = trim_spaces(line);
  return true;
}

// Appends member v to place row of the new rows, dropping it when the place is full.
void append_member(tabb& rows, int row, int& cell, int v) {
  if (cell < kLastCell) rows[row][++cell] = static_cast<uint8_t>(v);
}

// Resolves the words named by the disambiguation list; start is the first matched place.
void disambiguate(engine_state& eng, const syntax_rule& rule, int start) {
  const engine_settings& st = eng.settings;
  const std::string& list = rule.list;
  const int places = eng.table.place_count();
  size_t i = 0;
  while (i < list.size()) {
    while (i < list.size() && (list[i] == ' ' || list[i] == ',')) ++i;
    if (i >= list.size()) break;
    size_t end = list.find(',', i);
    if (end == std::string::npos || end > i + 7) end = i + 7;
    if (end > list.size()) end = list.size();
    const std::string item = list.substr(i, end - i);
    i = end;
    const int n = str_to_int(item.substr(0, 3));
    const std::string reading = item.size() > 4 ? item.substr(4, 3) : std::string();
    const int place = n + start - 1;
    // Only a place of the class line whose first member is a word can be resolved.
    if (place < 1 || place > max_words || place > places) continue;
    const int w = eng.analysis[place][1];
    if (w < 1 || w > max_words) continue;
    if (st.visible) {
      con_writeline("disambiguate words[" + std::to_string(w) + "]");
      con_writeline("Clarify " + eng.table.words[w].str() + " symb=" + reading);
    }
    resolve_word_reading(eng, w, place, reading);
    if (rule.force) set_word_start(eng, w, reading);
    if (st.visible) con_writeline(">>> " + eng.table.words[w].str());
  }
}

// Looks up `name` in the function-word file; entry receives the second line of its pair
// and `line` the line of its first.
bool find_function_word(const engine_settings& st, linereader& f, bool open,
                        const std::string& name, std::string& entry, long& line) {
  if (!open || !f.seek(0)) return false;
  std::string key;
  line = -1;
  while (f.readline(key, kRuleLineWidth)) {
    line += 2;
    if (!f.readline(entry, kRuleLineWidth)) entry.clear();
    unscramble_line(st, key);
    if (key != name) continue;
    unscramble_line(st, entry);
    return true;
  }
  return false;
}

// The running state of one flattening.
struct flattening {
  engine_state& eng;
  const std::string& file;  // the function word file, as the procedure names it
  bool aux_chain = false;

  int& count() { return eng.flat_count; }

  void grow() {
    if (count() >= max_words) fatal_error("Maximal number of words per phrase exceeded");
    ++count();
  }

  // Stores word v as the next word of the new list.
  void store(int v) {
    grow();
    eng.flat_originals[count()] = eng.table.originals[v].str();
    eng.flat_words[count()] = eng.table.words[v].str();
  }

  // A symbol that is no function word becomes a word of its own, or feature material
  // when it is written in lower case.
  void store_normal(const std::string& f) {
    if (eng.settings.visible) con_writeline("Store normal f=" + f);
    if (!f.empty() && f[0] >= 'a' && f[0] <= 'z') {
      if (aux_chain && count() > 1) {
        --count();
        eng.flat_words[count()] += " " + f;
        eng.flat_originals[count()] += " " + f;
      } else {
        eng.flat_words[count()] = "aux---aux" + f;
        eng.flat_originals[count()] = f;
      }
      aux_chain = true;
    } else {
      eng.flat_words[count()] = f + "---" + f + f;
      eng.flat_originals[count()] = f;
      aux_chain = false;
    }
  }

  void word_member(int v) {
    const std::string& entry = eng.table.words[v];
    if (!starts_with(entry, "aux")) {
      aux_chain = false;
      store(v);
    } else if (aux_chain && count() >= 1) {
      eng.flat_originals[count()] += " " + eng.table.originals[v].str();
      eng.flat_words[count()] += " " + word_text(eng, v);
    } else {
      aux_chain = true;
      store(v);
    }
  }

  void symbol_member(int v, linereader& func, bool func_open) {
    const std::string name = symbol_name(eng, v);
    if (name.empty()) return;
    grow();
    std::string entry;
    long line = 0;
    if (!find_function_word(eng.settings, func, func_open, name, entry, line)) {
      store_normal(name);
      return;
    }
    note_fired(eng, file, line, line + 1);
    const std::string text = str_from(entry, 10);
    if (starts_with(entry, "aux---aux")) {
      // Feature material under another name: the symbol takes it, no word is made.
      eng.symbols[v - first_symbol + 1] = text;
      --count();
      return;
    }
    eng.flat_originals[count()] = text;
    eng.flat_words[count()] = entry;
    aux_chain = false;
    if (eng.settings.visible) {
      con_writeline("Functionword " + std::to_string(v) + " " + name + " -> " + entry);
    }
  }
};

}  // namespace

namespace {

// The bit of a three-character cell.
unsigned cell_bit(const char* c) {
  return (static_cast<unsigned char>(c[0]) * 41u + static_cast<unsigned char>(c[1]) * 7u +
          static_cast<unsigned char>(c[2])) & 255u;
}

void add_cell(cell_set& cells, const char* c) {
  const unsigned b = cell_bit(c);
  cells[b >> 6] |= uint64_t{1} << (b & 63);
}

bool is_wildcard(char c) { return c == '.' || c == '*'; }

// Are all cells of `part` among `whole`?
bool holds_cells(const cell_set& whole, const cell_set& part) {
  return ((part[0] & ~whole[0]) | (part[1] & ~whole[1]) | (part[2] & ~whole[2]) |
          (part[3] & ~whole[3])) == 0;
}

}  // namespace

cell_set line_cells(std::string_view line) {
  cell_set cells{};
  for (size_t at = 0; at + 3 <= line.size(); at += 3) add_cell(cells, line.data() + at);
  return cells;
}

syntax_rule parse_syntax_rule(std::string_view pattern, std::string_view replacement,
                              std::string_view action) {
  syntax_rule r;
  size_t blank = pattern.find(' ');
  r.pattern = std::string(blank != std::string_view::npos && blank > 0 ? pattern.substr(0, blank)
                                                                       : pattern);
  for (size_t at = 0; at + 3 <= r.pattern.size(); at += 3) {
    const char* c = r.pattern.data() + at;
    if (!is_wildcard(c[0]) && !is_wildcard(c[1]) && !is_wildcard(c[2])) add_cell(r.pattern_cells, c);
  }
  r.replacement = std::string(replacement);
  std::string order(action);
  size_t p = order.find('>');
  if (p != std::string::npos) {
    r.list = order.substr(p + 1);
    order.erase(p);
  }
  p = order.find('!');
  if (p != std::string::npos) {
    r.list = order.substr(p + 1);
    r.force = true;
    order.erase(p);
  }
  r.order = order;
  return r;
}

namespace {

// Every complete rule of a syntax rule file, in file order.
std::vector<syntax_rule> read_syntax_rules(const engine_settings& st, linereader& f) {
  std::vector<syntax_rule> rules;
  std::string pattern, replacement, action;
  while (read_rule_line(st, f, pattern) && read_rule_line(st, f, replacement) &&
         read_rule_line(st, f, action)) {
    rules.push_back(parse_syntax_rule(pattern, replacement, action));
  }
  return rules;
}

}  // namespace

void regroup_rows(engine_state& eng, std::string_view order, int start, int old_places,
                  int new_places) {
  tabb& rows = eng.new_rows;
  // Build the new places from the order part.
  int m = 1, cell = 0;
  rows[1].fill(0);
  bool any_token = false;
  size_t i = 0;
  while (i < order.size()) {
    if (order[i] == ' ') {
      while (i < order.size() && order[i] == ' ') ++i;
      if (order.size() - i < 3) break;
      if (any_token && m < max_words) {
        rows[++m].fill(0);
        cell = 0;
      }
    }
    if (order.size() - i < 3) break;
    const int n = symbol_number(eng, order.substr(i, 3));
    i += 3;
    any_token = true;
    if (n >= 1 && n <= max_words) {
      const int from = n + start - 1;
      if (from < 1 || from > max_words) continue;
      for (int c = 1; c <= kLastCell; ++c) {
        if (eng.analysis[from][c] != 0) append_member(rows, m, cell, eng.analysis[from][c]);
      }
    } else if (n > max_words && n <= kLargestCell) {
      append_member(rows, m, cell, n);
    }
    // Any other value (a negative number, a symbol beyond what a cell holds) is left out.
  }
  // Move the places behind the match up or down by the difference.
  const int d = std::abs(old_places - new_places);
  if (new_places < old_places) {
    for (int r = start + m; r <= max_words - d; ++r) eng.analysis[r] = eng.analysis[r + d];
  } else if (old_places < new_places) {
    for (int r = max_words; r >= start + m && r - d >= 1; --r) eng.analysis[r] = eng.analysis[r - d];
  }
  for (int k = 1; k <= m && start + k - 1 <= max_words; ++k) {
    if (start + k - 1 >= 1) eng.analysis[start + k - 1] = rows[k];
  }
}

size_t apply_syntax_rule(engine_state& eng, const syntax_rule& rule, bool with_table) {
  const engine_settings& st = eng.settings;
  if (rule.pattern.empty()) return 0;
  const size_t e = maxi_instr(eng, eng.table.class_line, rule.pattern);
  if (e == 0) return 0;
  const int start = static_cast<int>((e + 2) / 3);
  disambiguate(eng, rule, start);
  ldelete(eng.table.class_line, e, rule.pattern.size());
  linsert(rule.replacement, eng.table.class_line, e);
  put_captures_line(eng);
  if (!rule.order.empty()) {
    regroup_rows(eng, rule.order, start, static_cast<int>(rule.pattern.size() / 3),
                 static_cast<int>(rule.replacement.size() / 3));
  }
  if (st.visible) {
    con_writeline("syntax rule " + rule.pattern + " -> " + rule.replacement);
    con_writeline("order: " + rule.order);
    con_writeline("found at " + std::to_string(e));
    if (with_table) {
      analysis_to_screen(eng);
    } else {
      con_writeline("symbols: " + eng.table.class_line.text);
    }
  }
  return e;
}

void run_syntax_rules(engine_state& eng, const rule_file& rules_file, bool with_table) {
  const engine_settings& st = eng.settings;
  // The rules are parsed once for the run; after a change the file is gone through from
  // its first rule again. A rule cut off by the end of the file is not applied.
  std::string path;
  const auto parsed = load_rules<std::vector<syntax_rule>>(
      eng.parsed_rules, "syntax", rules_file, st, path,
      [&](linereader& f) { return read_syntax_rules(st, f); });
  if (!parsed) return;
  const std::vector<syntax_rule>& rules = *parsed;
  size_t next = 0;  // the rule read next
  long rule_no = 0;  // of the rule being read, from the file's start
  maxistring saved;  // the class line before the rule; its buffer is used again
  // The last search of a rule not found in the class line since it changed: its captures
  // are put in before anything else is done.
  capture_call last;
  // The cells of the class line as it is now: most rules are told apart by them.
  cell_set cells = line_cells(eng.table.class_line.text);
  while (spend_work(eng, work_rule) && next < rules.size()) {
    const syntax_rule& rule = rules[next++];
    ++rule_no;
    // A rule whose pattern is not in the class line changes nothing.
    const std::string_view line = eng.table.class_line.text;
    if (!rule.pattern.empty() && (!holds_cells(cells, rule.pattern_cells) ||
                                  find3(line, rule.pattern) == 0)) {
      if (line.size() >= rule.pattern.size()) last = {line, rule.pattern, true};
      continue;
    }
    put_call_captures(eng, last);
    last = capture_call();
    saved.text.assign(eng.table.class_line.text);
    if (apply_syntax_rule(eng, rule, with_table) != 0) {
      note_fired(eng, rules_file.name, 3 * rule_no - 2, 3 * rule_no);
    }
    cells = line_cells(eng.table.class_line.text);
    if (rule.pattern.empty()) break;  // the empty pattern line ends the rules
    if (equal_maxi(saved, eng.table.class_line)) continue;
    if (eng.syntax_restarts >= max_syntax_restarts) {
      if (st.visible) {
        con_writeline("syntax rules: rule file does not settle, stopped after " +
                      std::to_string(max_syntax_restarts) + " restarts.");
      }
      break;
    }
    ++eng.syntax_restarts;
    next = 0;
    rule_no = 0;
  }
  put_call_captures(eng, last);
}

void flatten_analysis(engine_state& eng, const rule_file& functions) {
  engine_settings& st = eng.settings;
  if (st.visible) {
    con_writeline("Syntax end, table before interpreting rules (syntax)");
    analysis_to_screen(eng);
  }
  if (st.list_analysis) analysis_to_listing(eng);
  if (st.show_analysis) {
    const bool visible = st.visible;
    st.visible = true;
    analysis_to_screen(eng);
    st.visible = visible;
  }
  linereader func;
  const bool func_open = functions.open(st, func);
  flattening fl{eng, functions.name};
  eng.flat_count = 0;
  for (int row = 1; row <= max_words; ++row) {
    if (eng.analysis[row][1] == 0) break;
    for (int c = 1; c <= kLastCell; ++c) {
      const int v = eng.analysis[row][c];
      if (v == 0) break;
      if (v <= max_words) {
        fl.word_member(v);
      } else {
        fl.symbol_member(v, func, func_open);
      }
    }
  }
  eng.table.assign(eng.flat_count, eng.flat_words, eng.flat_originals);
}

std::string dump_analysis(const engine_state& eng) {
  std::string out;
  for (int row = 1; row <= max_words; ++row) {
    if (eng.analysis[row][1] == 0) continue;
    out += std::to_string(row) + ":";
    for (int c = 1; c <= max_words; ++c) {
      if (eng.analysis[row][c] != 0) out += " " + std::to_string(eng.analysis[row][c]);
    }
    out += "\n";
  }
  return out;
}

}  // namespace zembu::engine
