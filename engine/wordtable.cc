#include "engine/wordtable.h"

#include <vector>

#include "common/tokenline.h"

#include "engine/state.h"
#include "engine/translat.h"

namespace zembu::engine {

namespace {

const char kRestFile[] = "zembu.rst";
const char kAuxFile[] = "zembu.aux";

bool starts_with(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

bool is_one_of(char c, std::string_view set) { return set.find(c) != std::string_view::npos; }

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

// ---- The table ----

bool word_table::insert(int at, std::string_view entry, std::string_view original,
                        std::string_view extra) {
  if (at < 1 || at > word_count + 1 || word_count >= max_words) return false;
  for (int j = word_count; j >= at; --j) {
    words[j + 1] = words[j].str();
    originals[j + 1] = originals[j].str();
    extras[j + 1] = extras[j].str();
  }
  ++word_count;
  words[at] = entry;
  originals[at] = original;
  extras[at] = extra;
  return true;
}

void word_table::erase(int at) {
  if (at < 1 || at > word_count) return;
  for (int j = at; j < word_count; ++j) {
    words[j] = words[j + 1].str();
    originals[j] = originals[j + 1].str();
    extras[j] = extras[j + 1].str();
  }
  words[word_count].clear();
  originals[word_count].clear();
  extras[word_count].clear();
  --word_count;
}

void word_table::assign(int n, const std::array<bstring<80>, max_words + 1>& entries,
                        const std::array<bstring<80>, max_words + 1>& sources) {
  class_line.text.clear();
  for (int b = 1; b <= max_words; ++b) {
    if (b <= n) {
      originals[b] = sources[b].str();
      words[b] = entries[b].str();
      lappend(class_line, padded_class(words[b].str()));  // a short entry takes three too
    } else {
      originals[b].clear();
      words[b].clear();
    }
  }
  word_count = n;
}

namespace {

// Where place i starts in the class line (1-based).
size_t symbol_position(int i) { return 3 * static_cast<size_t>(i) - 2; }

}  // namespace

void word_table::set_symbol(int i, std::string_view t) {
  if (i < 1) return;
  ldelete(class_line, symbol_position(i), 3);
  linsert(t, class_line, symbol_position(i));
}

void word_table::insert_symbol(int i, std::string_view t) {
  if (i < 1) return;
  linsert(t, class_line, symbol_position(i));
}

void word_table::erase_symbol(int i) {
  if (i < 1) return;
  ldelete(class_line, symbol_position(i), 3);
}

std::string padded_class(std::string_view s) {
  std::string out(s.substr(0, 3));
  out.resize(3, ' ');
  return out;
}

std::string dump(const word_table& t) {
  std::string out = "places " + std::to_string(t.count()) + "|" + t.class_line.text + "\n";
  for (int i = 1; i <= t.count() && i <= max_words; ++i) {
    out += std::to_string(i) + "|" + std::string(t.symbol(i)) + "|" + t.originals[i].str() +
           "|" + t.words[i].str() + "|" + t.extras[i].str() + "\n";
  }
  return out;
}

std::string class_of(const engine_state& eng, int i) { return word_class(eng, i); }

std::string text_of(const engine_state& eng, int i) { return word_text(eng, i); }

// ---- Token route ----

void add_token_entry(engine_state& eng, std::string w, std::string_view k) {
  if (w.empty() || eng.table.word_count >= max_words) return;
  const int n = ++eng.table.word_count;
  if (!starts_with(w, "ZZ_")) {
    std::string tail = w.size() > 3 ? w.substr(3) : std::string();
    w += '\xff';
    w += k;
    w += "------(" + tail + ")";
  }
  std::string key, field;
  if (split_at_field_marker(w, key, field)) {
    eng.table.words[n] = field;
    eng.table.originals[n] = key;
  } else {
    eng.table.words[n] = w;
    eng.table.originals[n] = "";
  }
  lappend(eng.table.class_line, k.substr(0, 3));
}

bool read_token_sentence(engine_state& eng, linereader& file, int limit) {
  const engine_settings& st = eng.settings;
  std::string line;
  while (file.readline(line)) {
    const token_line t = parse_token_line(line);
    const std::string& k = t.code;
    std::string w = token_payload(t);
    bool sentence_end = false;
    if (k == "STR") {
      size_t hash = w.find('#');
      if (hash != std::string::npos) w = w.substr(hash + 1);
      if (!st.shell_mode || st.shell_visible) {
        con_writeline();
        con_writeline(w);
      }
      eng.sentence_label = w.substr(0, 6);
      w = "ZZ_START";
    } else if (k == "YYY") {
      w = "ZZ_UPPER";
    } else if (k == "PUN") {
      if (w == ";") w = "ZZ_SEMICOLON";
    } else if (k == "NBR") {
      add_token_entry(eng, "ZZ_NUMBER", k);
    } else if (k == "CIT") {
      add_token_entry(eng, "ZZ_CITATION", k);
    } else if (k == "PHR") {
      add_token_entry(eng, "ZZ_PHRASE", k);
    } else if (k == "MAT") {
      add_token_entry(eng, "ZZ_MATHEMATICS", k);
    } else if (k == "SEN") {
      if (starts_with(w, "-----")) w = ".";
      sentence_end = true;
    }
    add_token_entry(eng, w, k);
    if (sentence_end) return true;
    if (eng.table.word_count > limit) return false;
  }
  return false;
}

namespace {

// The split groups of an over-long token sentence, in the order they are tried.
const char* const kSplitClauses[] = {"IF", "BECAUSE", "WHETHER", "WHILE", "ALTHOUGH",
                                     "WHEN", "WHAT", "WHO", "WHOM", "WHICH", "WHY", "HOW",
                                     "WHERE", "UNTIL", "UNLESS"};
const char* const kSplitJoins[] = {"THUS", "AND", "OR", "BUT", "THAT", "SO", "THEN"};
const char* const kSplitPrepositions[] = {"ON", "IN", "INTO", "DURING", "ABOUT", "UNDER",
                                          "OVER", "SINCE", "BEFORE", "AS", "AFTER"};

template <size_t N>
bool is_listed(const std::string& s, const char* const (&list)[N]) {
  for (const char* w : list) {
    if (s == w) return true;
  }
  return false;
}

// The entry from which an over-long token sentence is continued in the next cycle, or 0.
// The search compares the upper-case keys, the form in which the split words are listed.
int find_token_split(const engine_state& eng) {
  for (int group = 1; group <= 4; ++group) {
    for (int k = eng.table.word_count; k > 2; --k) {
      const std::string& key = eng.table.originals[k];
      char first = key.empty() ? '\0' : key[0];
      bool hit = false;
      switch (group) {
        case 1: hit = is_one_of(first, ")]}") || is_listed(key, kSplitClauses); break;
        case 2: hit = is_listed(key, kSplitJoins); break;
        case 3: hit = is_listed(key, kSplitPrepositions); break;
        case 4: hit = is_one_of(first, "(,[{"); break;
      }
      if (hit && first != '\0') return k;
    }
  }
  return 0;
}

}  // namespace

void assemble_token_sentence(engine_state& eng, linereader& pass) {
  eng.table.word_count = 0;
  strtomaxi("", eng.table.class_line);
  bool ended = false;
  if (eng.rest_spilled) {
    linereader rest;
    if (rest.open(kRestFile)) read_token_sentence(eng, rest, max_words);
    eng.rest_spilled = false;
    ended = eng.rest_complete;
  }
  if (!ended) ended = read_token_sentence(eng, pass, 100);
  if (eng.table.word_count <= 100) return;
  int k = find_token_split(eng);
  if (k == 0) return;
  // The spilled entries are written as token lines that read back to the same entries:
  // the key, a blank, the field marker and the entry (markers as they are).
  linewriter out;
  out.create_own(kRestFile);
  for (int i = k; i <= eng.table.word_count; ++i) {
    if (eng.table.originals[i].empty()) {
      out.writeline(format_token_line("ZZZ", eng.table.words[i].str()));
    } else {
      out.writeline(format_token_line(
          {"ZZZ", eng.table.originals[i].str(), attribute_field("", eng.table.words[i].str()), true}));
    }
  }
  out.close();
  cut_to(eng.table.class_line.text, 3 * static_cast<size_t>(k - 1));
  eng.table.word_count = k - 1;
  eng.rest_spilled = true;
  eng.rest_complete = ended;
}

bool is_strnossen(const engine_state& eng) { return eng.table.class_line.text == "STRNOSSEN"; }

// ---- Plain route ----

namespace {

void insert_at(std::string& t, size_t pos, std::string_view text) {
  if (pos > t.size()) return;
  t.insert(pos, text);
  cut_to(t, maxi_capacity);
}

bool is_capital(unsigned char c, bool with_e_acute) {
  return (c >= 'A' && c <= 'Z') || c == 142 || c == 153 || c == 154 || (with_e_acute && c == 144);
}

// Inserts the ZZ_ markers for capitals, quotes and the characters ; < = > and turns
// square and curly brackets into round ones.
void mark_plain(std::string& t) {
  size_t i = 0;
  if (!t.empty() && is_capital(static_cast<unsigned char>(t[0]), false)) {
    insert_at(t, 0, "ZZ_UPPER ");
    i = 9;
  }
  while (i < t.size()) {
    char c = t[i];
    const char* marker = nullptr;
    switch (c) {
      case '"': marker = " ZZ_QUOTE"; break;
      case ';': marker = " ZZ_SEMICOLON"; break;
      case '<': marker = " ZZ_LESS"; break;
      case '=': marker = " ZZ_EQUAL"; break;
      case '>': marker = " ZZ_MORE"; break;
      case '[': case '{': t[i] = '('; break;
      case ']': case '}': t[i] = ')'; break;
      default: break;
    }
    if (marker) {
      t[i] = ' ';
      std::string_view m = marker;
      insert_at(t, i, m);
      i += m.size() + 1;
    } else if (c == ' ' && i + 1 < t.size() &&
               is_capital(static_cast<unsigned char>(t[i + 1]), true)) {
      insert_at(t, i, " ZZ_UPPER");
      i += 9 + 1;
    } else {
      ++i;
    }
  }
}

// Puts blanks around punctuation so that every sign becomes a word of its own.
void space_plain(std::string& t) {
  size_t i = 1;
  while (i < t.size()) {
    char c = t[i];
    char prev = t[i - 1];
    if ((is_one_of(c, ",.:<=>") && prev != ' ' && !is_digit(prev)) ||
        (is_one_of(c, "\"!();?[]") && prev != ' ')) {
      insert_at(t, i, " ");
      ++i;
      if (i >= t.size()) break;
    }
    char next = i + 1 < t.size() ? t[i + 1] : ' ';
    bool after = (is_one_of(c, "\"()<>[]") && next != ' ') ||
                 (is_one_of(c, ",.") && next != ' ' && !is_digit(next));
    if (after) insert_at(t, i + 1, " ");
    i += after ? 2 : 1;
  }
}

bool marks_number(const std::string& w) {
  for (char c : w) {
    if (is_digit(c) || is_one_of(c, "#$%*+=@")) return true;
  }
  return false;
}

void add_plain_entry(engine_state& eng, const std::string& w) {
  if (eng.table.word_count >= max_words) return;
  ++eng.table.word_count;
  eng.table.words[eng.table.word_count] = w;
  eng.table.originals[eng.table.word_count] = "";
}

// Adds word w, split into its stem and the listed suffixes it ends in.
void add_plain_word(engine_state& eng, std::string w) {
  if (marks_number(w)) add_plain_entry(eng, "ZZ_NUMBER");
  std::vector<std::string> found;  // the suffixes, last one first
  bool stripped = !starts_with(w, "ZZ_");  // markers are never split
  while (stripped) {
    stripped = false;
    for (int s = 1; s <= eng.suffix_count; ++s) {
      const std::string& suf = eng.suffixes[s];
      if (!suf.empty() && suf.size() < w.size() &&
          w.compare(w.size() - suf.size(), suf.size(), suf) == 0) {
        found.push_back(suf);
        w.resize(w.size() - suf.size());
        stripped = true;
        break;
      }
    }
  }
  add_plain_entry(eng, w);
  for (auto it = found.rbegin(); it != found.rend(); ++it) add_plain_entry(eng, *it);
}

// Sends the tail of a long plain sentence to zembu.aux; false when no split was found.
bool spill_plain(engine_state& eng) {
  for (int k = eng.table.word_count - 1; k >= 1; --k) {
    const std::string& w = eng.table.words[k];
    if (w.empty() || !is_one_of(w[0], "!,-.:;?")) continue;
    std::string rest;
    for (int i = k + 1; i <= eng.table.word_count; ++i) rest += lower_str(eng.table.words[i].str()) + " ";
    linewriter aux;
    aux.create_own(kAuxFile);
    aux.writeline(rest);
    eng.table.word_count = k;
    eng.more_pending = true;
    return true;
  }
  if (eng.table.word_count > 199) eng.table.word_count = 185;
  return false;
}

}  // namespace

void split_plain_sentence(engine_state& eng, maxistring& s) {
  const engine_settings& st = eng.settings;
  strtomaxi("", eng.table.class_line);
  eng.table.word_count = 1;
  eng.more_pending = false;
  if (s.text.empty()) return;
  if (st.visible) con_writeline(s.text);
  if (st.show_listing) {
    eng.listing.writeline(std::string(65, '-'));
    eng.listing.writeline(s.text);
  }
  std::string& t = s.text;
  if (!st.external_input) {
    size_t lead = 0;
    while (lead < t.size() && is_one_of(t[lead], " \xa8\xad")) ++lead;
    t.erase(0, lead);
  }
  for (int i = 1; i <= max_words; ++i) {
    eng.table.words[i].clear();
    eng.table.originals[i].clear();
  }
  eng.table.words[1] = "ZZ_START";
  if (st.keep_names) mark_plain(t);
  if (!st.external_input) lupper(st, s);
  lreplace(s, "  ", " ");
  lreplace(s, "--", "-");
  if (!t.empty() && t[0] == ' ') t.erase(0, 1);
  if (!t.empty() && t.back() == ' ') t.pop_back();
  if (t.empty() || !is_one_of(t.back(), "!.:;?")) lappend(s, ".");
  if (t.size() < 2 || t[t.size() - 2] != ' ') insert_at(t, t.size() - 1, " ");
  space_plain(t);
  lreplace(s, "  ", " ");
  while (!t.empty() && eng.table.word_count < max_words) {
    size_t blank = t.find(' ');
    std::string w = t.substr(0, blank);
    t.erase(0, blank == std::string::npos ? t.size() : blank + 1);
    if (!w.empty()) add_plain_word(eng, w);
  }
  t.clear();
  bool reverse = true;
  if (eng.table.word_count > 65) reverse = spill_plain(eng);
  if (st.right_to_left && reverse) {
    for (int i = 1, j = eng.table.word_count; i < j; ++i, --j) std::swap(eng.table.words[i], eng.table.words[j]);
    for (int i = 1; i <= eng.table.word_count; ++i) eng.table.words[i] = cut(eng.table.words[i].str(), 30);
  }
}

void reload_plain_rest(engine_state& /*eng*/, maxistring& s) {
  strtomaxi("", s);
  linereader aux;
  if (!aux.open(kAuxFile)) return;
  lreadln(aux, s);
  aux.close();
  delete_file(kAuxFile);
}

std::string dump_word_table(const engine_state& eng) {
  std::string out;
  for (int i = 1; i <= eng.table.word_count && i <= max_words; ++i) {
    out += std::to_string(i) + "|" + std::string(eng.table.symbol(i)) + "|" + eng.table.originals[i].str() + "|" +
           eng.table.words[i].str() + "\n";
  }
  return out;
}

// ---- Words put in, taken out and narrowed to one reading ----

bool insert_word(engine_state& eng, int at, std::string_view source, std::string_view entry) {
  if (at < 1 || at > eng.table.word_count + 1) return false;
  if (eng.table.word_count >= max_words) {
    if (eng.settings.visible) con_writeline("word table full: no word inserted");
    return false;
  }
  eng.table.insert(at, entry, source);
  eng.table.insert_symbol(at, padded_class(entry));
  return true;
}

void delete_word(engine_state& eng, int at) {
  if (at < 1 || at > eng.table.word_count) return;
  eng.table.erase(at);
  eng.table.erase_symbol(at);
}

namespace {

// Every word of several readings that a cell of the analysis table refers to keeps one
// reading: that of the place's class, or its first one.
bool has_readings(const std::string& w) { return entry_view(w).has_readings(); }

void select_in_analysis(engine_state& eng, bool first_reading) {
  // A word keeps one reading at the first cell that refers to it; the chosen reading holds
  // no "*", so the word is then done. Once every word with readings is done, the rest of
  // the table can change nothing.
  int open = 0;
  for (int b = 1; b <= max_words; ++b) open += has_readings(eng.table.words[b]);
  for (int row = 1; row <= max_words && open > 0; ++row) {
    for (int cell = 1; cell <= max_words && open > 0; ++cell) {
      int b = eng.analysis[row][cell];
      if (b < 1 || b > max_words) continue;
      const std::string& w = eng.table.words[b];
      if (!has_readings(w)) continue;
      std::string cls = first_reading ? std::string(entry_view(w).readings().substr(0, 3))
                                      : std::string(eng.table.symbol(row));
      resolve_word_reading(eng, b, row, cls);
      if (!has_readings(eng.table.words[b])) --open;
    }
  }
}

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

void select_readings(engine_state& eng) { select_in_analysis(eng, false); }

void select_first_readings(engine_state& eng) { select_in_analysis(eng, true); }

std::string resolve_reading(std::string_view entry, std::string_view cls) {
  if (!entry_view(entry).has_readings() || cls == "ZZZ" || (!cls.empty() && cls[0] == 'U')) {
    return std::string(entry);
  }
  std::string_view rest = entry_view(entry).readings();
  size_t p = find_reading(rest, cls);
  return p == std::string_view::npos ? reading_at(rest, 0) : reading_at(rest, p + 1);
}

void resolve_word_reading(engine_state& eng, int i, int j, std::string_view cls) {
  if (i < 1 || i > max_words) return;
  const std::string entry = eng.table.words[i];
  if (!entry_view(entry).has_readings()) return;
  std::string_view rest = std::string_view(entry).substr(3);  // keeps the "*"
  size_t p = find_reading(rest, cls);
  if (p == std::string_view::npos) p = 0;
  std::string chosen = reading_at(rest, p + 1);
  eng.table.set_symbol(j, padded_class(chosen));
  eng.table.words[i] = chosen;
}

}  // namespace zembu::engine
