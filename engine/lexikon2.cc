#include "engine/lexikon2.h"

#include <algorithm>

#include "engine/longstr.h"
#include "engine/run_files.h"

namespace zembu::engine {

namespace {

bool starts_with(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

bool ends_with(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

const char* true_false(bool b) { return b ? "true" : "false"; }

// A class as the class line holds it: three characters, blank-filled.
std::string line_symbol(std::string_view cls) {
  std::string s(cls.substr(0, 3));
  s.resize(3, ' ');
  return s;
}

// A record number of an index line: a 32-bit signed decimal; anything else counts as 0.
long index_number(std::string_view s) {
  size_t i = (!s.empty() && (s[0] == '-' || s[0] == '+')) ? 1 : 0;
  if (i >= s.size()) return 0;
  long long v = 0;
  for (size_t k = i; k < s.size(); ++k) {
    if (s[k] < '0' || s[k] > '9') return 0;
    v = v * 10 + (s[k] - '0');
    if (v > 2147483648LL) return 0;
  }
  if (s[0] == '-') return static_cast<long>(-v);
  return v > 2147483647LL ? 0 : static_cast<long>(v);
}

}  // namespace

// ---- Affix splitting ----

void split_affixes(engine_state& eng, std::string_view what, affix_possibilities& out) {
  const engine_settings& st = eng.settings;
  const std::string w = upper_str(st, what);
  out.count = 0;
  for (int i = 1; i <= eng.termination_count && out.count < max_affix_possibilities; ++i) {
    const termination_entry& t = eng.terminations[i];
    const std::string& prefix = t.first;
    const std::string& suffix = t.second;
    if (prefix.size() + suffix.size() >= w.size() || !starts_with(w, prefix) ||
        !ends_with(w, suffix)) {
      continue;
    }
    affix_possibility& p = out.p[++out.count];
    p.radix = cut(w.substr(prefix.size(), w.size() - prefix.size() - suffix.size()), 80);
    const std::string& term = t.third;
    p.termn = cut(term.size() == 9 ? term + prefix + "-" + suffix : term, 30);
    p.worta = t.fourth;
    p.termination = i;
    if (st.visible) {
      con_writeline("Split affixes, possibilities=" + std::to_string(out.count));
      con_writeline("radix=" + p.radix);
      con_writeline("termn=" + p.termn);
      con_writeline("worta=" + p.worta);
    }
  }
}

bool moeglich(engine_state& eng, std::string_view admissible, std::string_view entry) {
  if (admissible.empty()) return true;
  std::string classes;
  if (!starts_with(entry, "U") && entry.find('*') != std::string_view::npos) {
    for (size_t p = entry.find('*'); p != std::string_view::npos; p = entry.find('*', p + 1)) {
      classes += entry.substr(p + 1, 3);
    }
  } else {
    classes = std::string(entry.substr(0, 3));
  }
  bool found = false;
  for (size_t g = 0; g < admissible.size() && !found; g += 3) {
    found = instr3(eng, classes, admissible.substr(g, 3)) != 0;
  }
  if (eng.settings.visible) {
    con_writeline("Ending test (lexicon2) moeglich() " + classes + " in parts of speech=" +
                  std::string(admissible) + " -> " + true_false(found));
  }
  return found;
}

int checkaffixes(engine_state& eng, const affix_possibilities& poss,
                 std::string_view word_line, std::string_view entry, bool any_stem) {
  for (int k = 1; k <= poss.count; ++k) {
    if (!any_stem && !word_line.empty() && poss.p[k].radix != word_line) continue;
    if (moeglich(eng, poss.p[k].worta, entry)) return k;
  }
  return 0;
}

// ---- Lexicon files ----

bool lexikon::open(engine_state& eng, const rule_file& file) {
  eng_ = &eng;
  const engine_settings& st = eng.settings;
  const std::string& name = file.name;
  this->name = name;
  indexed_ = !file.text && name.find('.') == std::string::npos;
  headwords_ = nullptr;
  from_candidates_ = false;
  if (!indexed_) {
    // The name as given, else under the definitions path (as open_text_def); the file
    // itself is opened when it is first scanned, which it is not while its index serves.
    std::string path;
    text_unopened_ = false;
    if (file.text) {
      file.open_uncached(st, text_, path);
    } else {
      text_.close();
      if (!resolve_definition(st, name, path)) return false;
      text_path_ = path;
      text_unopened_ = true;
    }
    // The index describes the plain file; enciphered lexicons are always scanned, and so
    // is every lexicon under the explain trace, which counts the lines of the entries.
    if (st.plain_definitions && !st.explain && !path.empty()) {
      headwords_name_ = index_name(path);
      std::unique_ptr<lexicon_index>& open = eng.lexicon_indexes[path];
      // Within a run the index is checked against the lexicon once.
      const std::string check = "lexicon index\n" + path;
      check_outcome known;
      const bool checked = checked_before(check, known);
      if (open && ((checked && known.passed) || open->still_fits(path))) {
        headwords_ = open.get();
        note_check(check, {true, ""});
      } else {
        if (!open) open = std::make_unique<lexicon_index>();
        std::string why;
        bool opened = false;
        if (checked && !known.passed) {
          why = known.why;
        } else {
          opened = open->open(path, headwords_name_, why);
          note_check(check, {opened, why});
        }
        if (opened) {
          headwords_ = open.get();
        } else {
          eng.lexicon_indexes.erase(path);
          if (!why.empty()) drop_headwords(why);
        }
      }
    }
    return true;
  }
  linereader index;
  if (!open_text_def(st, index, st.plain_definitions ? name + ".ndx" : "zembu.001")) return false;
  read_index(eng, index);
  index.close();
  if (!open_record_def(st, data_, st.plain_definitions ? name + ".dat" : "zembu.002")) {
    fatal_error("Lexicon file not open. Program stopped.");
  }
  return true;
}

void lexikon::read_index(engine_state& eng, linereader& file) {
  eng_ = &eng;
  const engine_settings& st = eng.settings;
  index_.clear();
  std::string line;
  while (file.readline(line)) {
    unscramble_line(st, line);
    size_t blank = line.find(' ');
    if (blank == std::string::npos) continue;
    if (static_cast<int>(index_.size()) >= max_index_lines) {
      if (st.visible) con_writeline("lexicon index longer than 900 lines: the rest is not used");
      break;
    }
    index_.push_back({line.substr(0, blank < 2 ? blank : 2), index_number(line.substr(blank + 1))});
  }
}

void find_range(const std::vector<index_type>& index, long records, std::string_view what,
                long& first, long& last) {
  const std::string key(what.substr(0, 2));
  for (size_t i = 0; i < index.size(); ++i) {
    if (index[i].key < key) {
      first = i == 0 ? 0 : index[i - 1].position;
      last = index[i].position;
      return;
    }
    if (index[i].key == key) {
      first = index[i].position;
      last = i + 1 < index.size() ? index[i + 1].position : records - 1;
      return;
    }
  }
  first = 0;
  last = records - 1;
}

bool lexikon::drop_headwords(const std::string& why) {
  if (eng_->settings.visible) {
    con_writeline("lexicon index " + headwords_name_ + " not used: " + why);
  }
  if (headwords_ != nullptr) eng_->lexicon_indexes.erase(text_path_);
  headwords_ = nullptr;
  return false;
}

bool lexikon::read_candidates(std::string_view what, const affix_possibilities* poss) {
  std::vector<std::string_view> keys = {what};
  if (poss != nullptr) {
    for (int k = 1; k <= poss->count; ++k) keys.push_back(poss->p[k].radix);
    keys.push_back(std::string_view());  // an empty word line admits every stem
  }
  candidates_.clear();
  std::vector<uint64_t> positions;
  std::string why;
  for (size_t i = 0; i < keys.size(); ++i) {
    if (std::find(keys.begin(), keys.begin() + i, keys[i]) != keys.begin() + i) continue;
    positions.clear();
    if (!headwords_->find(keys[i], positions, why)) return drop_headwords(why);
    for (uint64_t p : positions) candidates_.push_back({p, std::string(keys[i]), {}, {}});
  }
  std::sort(candidates_.begin(), candidates_.end(),
            [](const candidate& a, const candidate& b) { return a.position < b.position; });
  for (size_t i = 0; i < candidates_.size(); ++i) {
    candidate& c = candidates_[i];
    const std::string at = " at byte " + std::to_string(c.position);
    if (i > 0 && candidates_[i - 1].position == c.position) {
      return drop_headwords("two headwords" + at);
    }
    if (!headwords_->read_entry(c.position, c.word, c.entry)) return drop_headwords("no entry" + at);
    if (headword(c.word) != c.key) return drop_headwords("the entry" + at + " is not " + c.key);
  }
  return true;
}

void lexikon::preparesearch(std::string_view what, const affix_possibilities* poss) {
  end_ = false;
  from_candidates_ = false;
  if (!indexed_) {
    if (headwords_ != nullptr && read_candidates(what, poss)) {
      from_candidates_ = true;
      served_ = 0;
      return;
    }
    if (text_unopened_) {
      text_unopened_ = false;
      open_text(text_, text_path_);
    }
    text_.seek(0);
    next_line_ = 1;
    return;
  }
  find_range(index_, data_.count(), what, first_, last_);
  current_ = first_ - 1;
}

bool lexikon::next_record() {
  const engine_settings& st = eng_->settings;
  if (end_) return false;
  if (from_candidates_) {
    // The entries between the candidates cannot match: the scan would pass them over.
    if (served_ >= candidates_.size()) {
      end_ = true;
      return false;
    }
    const candidate& c = candidates_[served_++];
    word_line = c.word;
    entry_line = c.entry;
    first_line = last_line = 0;
    if (served_ == candidates_.size()) end_ = true;
  } else if (indexed_) {
    ++current_;
    if (current_ >= last_) end_ = true;
    lexi_type rec;
    if (!data_.read(current_, rec)) {
      end_ = true;
      return false;
    }
    unscramble_record(st, rec);
    first_line = last_line = current_ + 1;
    word_line = rec.word;
    entry_line = cut(rec.info, 80);
  } else {
    if (!text_.readline(word_line, 80)) {
      end_ = true;
      return false;
    }
    if (!text_.readline(entry_line, 80)) entry_line.clear();
    first_line = next_line_;
    last_line = next_line_ + 1;
    next_line_ += 2;
    unscramble_line(st, word_line);
    unscramble_line(st, entry_line);
    if (text_.eof()) end_ = true;
  }
  entry_line = expandlex(entry_line);
  size_t arrow = word_line.find('>');
  if (arrow != std::string::npos) {
    outform = word_line.substr(arrow + 1);
    word_line.resize(arrow);
  } else {
    outform = word_line;
  }
  return true;
}

// ---- Search ----

void split_plus(std::string_view outform, search_result& r) {
  size_t plus = outform.find('+');
  if (plus == std::string_view::npos) {
    r.new_form = std::string(outform);
    r.second.clear();
    r.has_second = false;
    return;
  }
  r.new_form = std::string(outform.substr(0, plus));
  r.second = std::string(outform.substr(plus + 1)) + "------";
  r.has_second = true;
}

bool has_cipher(std::string_view word) {
  for (char c : word) {
    if (c >= '0' && c <= '9') return true;
  }
  return false;
}

bool isname(const engine_state& eng, std::string_view entry) {
  bool name = false;
  for (const char* cls : {"NAM", "LIN", "GEO", "HUM", "TIT", "DAY"}) {
    if (entry.find(cls) != std::string_view::npos) name = true;
  }
  if (eng.settings.visible) {
    con_writeline("test (lexikon2) isname() " + std::string(entry) + " " + true_false(name));
  }
  return name;
}

std::string default_entry(const engine_state& eng, std::string_view word, int q) {
  const engine_settings& st = eng.settings;
  std::string exact, lower, base;
  if (q >= 1 && q <= max_words && starts_with(eng.table.words[q].str(), "ZZZ---ZZZ")) {
    // The text as written; it ends at a field marker, behind which the engine keeps its
    // own bookkeeping.
    base = std::string(entry_view(eng.table.words[q].str()).text());
    size_t marker = base.find('\xff');
    if (marker != std::string::npos) base.resize(marker);
    exact = lower = base;
  } else {
    exact = std::string(word);
    lower = lower_str(word);
    base = std::string(word);
  }
  std::string noun = base.empty() ? std::string()
                                  : upper_char(st, static_cast<unsigned char>(base[0])) + base.substr(1);
  bool has_lower = false;
  for (unsigned char c : exact) {
    if ((c >= 'a' && c <= 'z') || c == 129 || c == 130 || c == 132 || c == 148) has_lower = true;
  }
  bool name = word.size() < 4 || (!word.empty() && word.back() == '.') || !has_lower;
  std::string entry = name ? "NAM---Sns" + exact
                           : "UUU*NAM---Sns" + exact + "*SUN---Sns" + noun + "*VERB--VER" + lower +
                                 "*ADJ---AD2" + lower;
  return cut(entry, 80);
}

namespace {

// Notes for the explain trace that the entry read last from `lex` fired.
void note_entry(engine_state& eng, const lexikon& lex) {
  if (eng.settings.explain && lex.first_line > 0) {
    note_fired(eng, lex.name, lex.first_line, lex.last_line);
  }
}

// Notes for the explain trace that entry t of the termination table split a word.
void note_termination(engine_state& eng, int t) {
  if (!eng.settings.explain || t < 1 || t > eng.termination_count) return;
  const file_lines& at = eng.termination_lines[t];
  note_fired(eng, at.file, at.first, at.last);
}

}  // namespace

search_result suchewort(engine_state& eng, lexikon& lex, int q, std::string_view what,
                        bool makeuuu) {
  const engine_settings& st = eng.settings;
  search_result r;
  r.new_form = std::string(what);
  const std::string previous = line_class(eng, q - 1);
  const std::string current = line_class(eng, q);
  const bool capitalised = previous == "YYY" && q > 3;
  if (starts_with(current, "E")) {
    r.entry = current + "------" + std::string(what);
    return r;
  }
  const std::string fallback = default_entry(eng, what, q);
  affix_possibilities poss;
  split_affixes(eng, what, poss);
  lex.preparesearch(what, &poss);
  while (lex.next_record()) {
    if (lex.word_line == what) {
      split_plus(lex.outform, r);
      if (capitalised && !isname(eng, lex.entry_line)) {
        r.entry = "NAM---Sns" + capital_word(st, what);
      } else {
        r.entry = lex.entry_line;
        note_entry(eng, lex);
      }
      return r;
    }
    int k = checkaffixes(eng, poss, lex.word_line, lex.entry_line, false);
    if (k != 0) {
      split_plus(lex.outform, r);
      r.second = poss.p[k].termn;
      r.has_second = true;
      std::string entry = resolve_reading(lex.entry_line, current);
      if (capitalised && !isname(eng, entry)) {
        r.new_form = std::string(what);
        r.second.clear();
        r.has_second = false;
        break;  // a capitalised word whose stem entry is no name: on to the names
      }
      r.entry = entry;
      note_entry(eng, lex);
      note_termination(eng, poss.p[k].termination);
      return r;
    }
    if (lex.at_end()) break;
  }
  if (!makeuuu) {
    r.entry = eng.table.words[q].empty() ? fallback : eng.table.words[q].str();
    return r;
  }
  if (has_cipher(what)) {
    r.entry = "NUM---NUM" + upper_str(st, what);
    return r;
  }
  if (capitalised) {
    int k = poss.count > 0 ? checkaffixes(eng, poss, what, "NAM---Sns" + capital_word(st, what), true) : 0;
    if (k != 0) {
      r.entry = "NAM---Sns" + capital_word(st, poss.p[k].radix);
      r.second = poss.p[k].termn;
      r.has_second = true;
      r.new_form = poss.p[k].radix;
      note_termination(eng, poss.p[k].termination);
    } else {
      r.entry = "NAM---Sns" + capital_word(st, what);
    }
    return r;
  }
  r.entry = resolve_reading(fallback, current);
  return r;
}

search_result simple_search(engine_state& eng, lexikon& lex, std::string_view cls,
                            std::string_view what) {
  const engine_settings& st = eng.settings;
  search_result r;
  r.new_form = std::string(what);
  if (starts_with(cls, "E")) {
    r.entry = std::string(cls) + "------" + std::string(what);
    return r;
  }
  lex.preparesearch(what);
  while (lex.next_record()) {
    if (lex.word_line == what) {
      split_plus(lex.outform, r);
      r.entry = resolve_reading(lex.entry_line, cls);
      note_entry(eng, lex);
      return r;
    }
    if (lex.at_end()) break;
  }
  if (has_cipher(what)) {
    r.entry = "NUM---NUM" + upper_str(st, what);
  } else {
    std::string c(cls);
    r.entry = c + c + c + std::string(what);
  }
  return r;
}

namespace {

const char* mode_name(searchmodus mode) {
  switch (mode) {
    case searchmodus::normal: return "l normal";
    case searchmodus::simple: return "1 simple";
    case searchmodus::forsecond: return "L forsecond";
  }
  return "";
}

}  // namespace

void lexicon_search(engine_state& eng, const rule_file& file, searchmodus mode) {
  for (int i = 1; i <= max_words; ++i) eng.table.extras[i].clear();
  lexikon lex;
  if (!lex.open(eng, file)) return;
  search_sentence(eng, mode, lex);
}

void search_sentence(engine_state& eng, searchmodus mode, lexikon& lex) {
  const engine_settings& st = eng.settings;
  for (int q = 1; q <= eng.table.word_count; ++q) {
    if (eng.table.originals[q].empty()) eng.table.originals[q] = eng.table.words[q].str();
  }
  if (eng.table.class_line.text.empty()) {
    for (int q = 1; q <= eng.table.word_count; ++q) {
      lappend(eng.table.class_line, eng.table.originals[q] == "ZZ_UPPER" ? "YYY" : "ZZZ");
    }
  }
  if (st.visible) {
    con_writeline(" *** *** ***");
    con_writeline("symbols at beginning of lexicon2:");
    con_writeline(eng.table.class_line.text);
    con_writeline(std::string("Search mode: ") + mode_name(mode));
    for (int q = 1; q <= eng.table.word_count; ++q) {
      con_writeline(line_class(eng, q) + " " + eng.table.originals[q].str() + " " + eng.table.words[q].str());
    }
  }
  std::array<std::string, max_words + 1> working;
  for (int q = 1; q <= eng.table.word_count; ++q) {
    const std::string what = eng.table.originals[q];
    search_result r;
    switch (mode) {
      case searchmodus::normal: r = suchewort(eng, lex, q, what, true); break;
      case searchmodus::forsecond: r = suchewort(eng, lex, q, what, false); break;
      case searchmodus::simple: r = simple_search(eng, lex, line_class(eng, q), what); break;
    }
    eng.table.originals[q] = r.new_form;
    working[q] = !r.entry.empty() ? r.entry : cut(eng.table.words[q].str(), 80);
    if (!r.has_second) continue;
    if (eng.table.word_count >= max_words) {
      if (st.visible) con_writeline("word table full: second word " + r.second + " dropped");
      continue;
    }
    eng.table.insert_symbol(q + 1, line_symbol(r.second));
    ++q;
    eng.table.insert(q, r.second, entry_view(r.second).text());
    working[q] = r.second;
  }
  strtomaxi("", eng.table.class_line);
  for (int q = 1; q <= eng.table.word_count; ++q) {
    eng.table.words[q] = working[q];
    lappend(eng.table.class_line, line_symbol(word_class(eng, q)));
  }
  if (st.visible) {
    con_writeline("Symbols at end of lexikon2:");
    con_writeline(eng.table.class_line.text);
  }
}

void write_unknown_words(engine_state& eng) {
  const engine_settings& st = eng.settings;
  // Never through a symbolic link; not at all when nobody reads it. The file stays open
  // for the rest of the run, and every sentence's words are on disk when it ends.
  linewriter& out = eng.word_file;
  if (!eng.discard_word_file && !out.is_open() && !out.append_own(st.word_file_name)) return;
  for (int i = 1; i <= eng.table.word_count; ++i) {
    const std::string cls = word_class(eng, i);
    if (st.visible) {
      const std::string& source = eng.table.originals[i];
      std::string shown = source.size() < 15 ? std::string(15 - source.size(), ' ') + source : source;
      con_writeline(shown + " " + eng.table.words[i].str());
    }
    if (cls != "ZZZ" && cls != "UUU" && word_class(eng, i + 1) != "_UU") continue;
    std::string line = eng.table.originals[i];
    if (line.empty()) {
      line = entry_view(eng.table.words[i].str()).first_reading();
    }
    if (line != "_UU") out.writeline(line);
  }
  out.flush();
}

// ---- Unknown words ----

std::string apply_change_pairs(const engine_state& eng, std::string s) {
  for (int i = 1; i <= eng.change_count; ++i) {
    replace_all(s, eng.change_pairs[i][0].str(), eng.change_pairs[i][1].str());
  }
  return s;
}

void load_change_pairs(engine_state& eng, const rule_file& pairs) {
  const engine_settings& st = eng.settings;
  linereader f;
  if (!pairs.open(st, f)) return;
  eng.change_count = 0;
  std::string search, replacement;
  while (eng.change_count < max_change_pairs && f.readline(search)) {
    if (!f.readline(replacement)) replacement.clear();
    unscramble_line(st, search);
    unscramble_line(st, replacement);
    ++eng.change_count;
    eng.change_pairs[eng.change_count][0] = search;
    eng.change_pairs[eng.change_count][1] = replacement;
  }
}

namespace {

// One rule of the unknown-word treatment.
struct ending_rule {
  std::string ending;      // at most 15 characters
  std::string new_ending;  // at most 15; "*" none, empty keeps the search form
  std::string cls;         // at most 3: class of an extra word behind the word
  std::string entry;       // at most 50: the new entry, "#" lower stem, "%" capital stem
  std::string summary;     // at most 3: summary class for the first words of a sentence
  std::string excluded;    // letters of classes the rule does not apply to
};

ending_rule parse_ending_rule(const std::string& line1, const std::string& line2) {
  ending_rule r;
  size_t b1 = line1.find(' ');
  r.ending = cut(line1.substr(0, b1), 15);
  if (b1 != std::string::npos) {
    size_t b2 = line1.find(' ', b1 + 1);
    r.new_ending = cut(line1.substr(b1 + 1, b2 == std::string::npos ? std::string::npos : b2 - b1 - 1), 15);
    if (b2 != std::string::npos) {
      r.cls = cut(line1.substr(b2 + 1), 3);
      if (r.cls == "*") r.cls.clear();
    }
  }
  size_t blank = line2.find(' ');
  if (blank != std::string::npos && line2.size() - blank - 1 == 3) {
    r.entry = line2.substr(0, blank);
    r.summary = line2.substr(blank + 1);
  } else {
    r.entry = line2;
  }
  r.entry = cut(r.entry, 50);
  for (size_t p = r.entry.find('*'); p != std::string::npos; p = r.entry.find('*', p + 1)) {
    if (p + 1 < r.entry.size()) r.excluded += r.entry[p + 1];
  }
  if (r.entry.find('*') == std::string::npos && !r.entry.empty()) r.excluded = r.entry.substr(0, 1);
  return r;
}

bool has_vowel(std::string_view s) { return s.find_first_of("AEIOUY") != std::string_view::npos; }

// Applies the first fitting rule to word j; returns that rule's class (empty when none fits).
std::string apply_ending_rules(engine_state& eng, const std::string& file,
                               const std::vector<ending_rule>& rules, int j) {
  const engine_settings& st = eng.settings;
  std::string letters;
  for (char c : word_class(eng, j)) {
    if (c != 'U') letters += c;
  }
  const std::string source = eng.table.originals[j];
  for (size_t n = 0; n < rules.size(); ++n) {
    const ending_rule& r = rules[n];
    if (r.ending.size() >= source.size() || !ends_with(source, r.ending)) continue;
    if (letters.find_first_of(r.excluded) != std::string::npos) continue;
    const std::string stem = source.substr(0, source.size() - r.ending.size());
    if (!has_vowel(stem)) continue;
    const std::string lower = lower_str(stem), capital = capital_word(st, stem);
    std::string entry = r.entry;
    if (j < 4 && !r.summary.empty()) {
      entry = r.summary + "*NAM---Sns%" + lower_str(r.ending);
      if (r.entry.find('%') == std::string::npos) entry += "*SUNNAMSns%" + lower_str(r.ending);
      const entry_view found(r.entry);
      entry += "*" + std::string(found.has_readings() ? found.readings() : found.entry);
    }
    replace_all(entry, "#", lower);
    replace_all(entry, "%", capital);
    eng.table.words[j] = apply_change_pairs(eng, entry);
    if (!r.new_ending.empty()) {
      eng.table.originals[j] = upper_str(st, stem) + (r.new_ending == "*" ? "" : r.new_ending);
    }
    note_fired(eng, file, static_cast<long>(2 * n + 1), static_cast<long>(2 * n + 2));
    return r.cls;
  }
  return "";
}

}  // namespace

void analyse_unknown_endings(engine_state& eng, const rule_file& endings) {
  const engine_settings& st = eng.settings;
  linereader f;
  if (!endings.open(st, f)) return;
  std::vector<ending_rule> rules;
  std::string line1, line2;
  while (static_cast<int>(rules.size()) < max_ending_rules && f.readline(line1)) {
    if (!f.readline(line2)) line2.clear();
    unscramble_line(st, line1);
    unscramble_line(st, line2);
    rules.push_back(parse_ending_rule(line1, line2));
  }
  f.close();
  if (st.visible) con_writeline("Analyse and change endings of unknown words.");
  for (int j = 1; j <= eng.table.word_count; ++j) {
    const std::string old = word_class(eng, j);
    if (old != "ZZZ" && !starts_with(old, "U")) continue;
    const std::string c = apply_ending_rules(eng, endings.name, rules, j);
    if (word_class(eng, j + 1) != "_UU") {
      set_line_class(eng, j, word_class(eng, j));
    } else {
      resolve_word_reading(eng, j, j, old);
    }
    if (line_class(eng, j + 1) != "_UU") {
      if (st.visible) con_writeline("Insert termination: ");
      if (insert_word(eng, j + 1, "_UU", "_UU------_UU")) ++j;
    }
    if (!c.empty() && insert_word(eng, j + 1, c + "------", c + "------")) {
      set_line_class(eng, j + 1, line_symbol(c));  // the rule's class as written
    }
  }
}

void split_prefix(engine_state& eng, const rule_file& prefix_file) {
  const engine_settings& st = eng.settings;
  for (int c = 1; c <= eng.table.word_count; ++c) {
    const std::string& w = eng.table.words[c];
    if (entry_view(w).has_readings()) resolve_word_reading(eng, c, c, line_class(eng, c));
    std::string entry = eng.table.words[c];
    size_t hash = entry.find('#');
    if (hash != std::string::npos) {
      eng.table.extras[c] = entry.substr(hash + 1);
      eng.table.words[c] = entry.substr(0, hash);
    }
  }
  linereader prefixes;
  const bool opened = prefix_file.open(st, prefixes);
  for (int d = 1; d <= eng.table.word_count; ++d) {
    const std::string entry = eng.table.words[d];
    size_t plus = entry.find('+');
    if (plus == std::string::npos) continue;
    if (eng.table.word_count >= max_words) {
      if (st.visible) con_writeline("word table full: prefix not split");
      break;
    }
    const std::string second = std::string(entry_view(entry).code()) + entry.substr(plus + 1);
    const std::string old = eng.table.originals[d];
    const std::string particle = plus > 9 ? entry.substr(9, plus - 9) : std::string();
    if (st.visible) {
      con_writeline("Split prefix: ");
      con_writeline("item=" + second);
      con_writeline("auxorg=" + old);
      con_writeline("aux=" + particle);
    }
    bool matched = false;
    if (opened) {
      prefixes.seek(0);
      std::string line;
      const std::string wanted = upper_str(st, particle);
      for (long line_no = 1; prefixes.readline(line); ++line_no) {
        unscramble_line(st, line);
        if (upper_str(st, entry_view(line).text()) == wanted) {
          eng.table.words[d] = line;
          eng.table.originals[d] = line;
          note_fired(eng, prefix_file.name, line_no, line_no);
          matched = true;
          break;
        }
      }
    }
    if (!matched) {
      eng.table.words[d] = "ADP------" + particle;
      eng.table.originals[d] = particle;
    }
    // The particle takes the place of the word; the word itself moves behind it with its
    // old class.
    eng.table.insert_symbol(d, line_symbol(word_class(eng, d)));
    const std::string extra = eng.table.extras[d];
    eng.table.insert(d + 1, second, old, extra);  // the idiom record stays with its word
    eng.table.extras[d].clear();
  }
}

}  // namespace zembu::engine
