#include "engine/translat.h"

#include <charconv>
#include <cstring>

#include "common/replace.h"
#include "engine/definition_cache.h"
#include "engine/run_files.h"

namespace zembu::engine {

// ---- Definition files ----

bool open_text_def(const engine_settings& st, linereader& file, const std::string& name) {
  if (definition_cache* cache = current_definition_cache()) {
    return open_cached(*cache, file, name) ||
           open_cached(*cache, file, st.definitions_path.str() + name);
  }
  if (open_text(file, name)) return true;
  return open_text(file, st.definitions_path.str() + name);
}

lexi_type decode_record(std::string_view bytes) {
  lexi_type rec;
  if (bytes.size() < lexi_record_size) return rec;
  size_t n1 = static_cast<unsigned char>(bytes[0]);
  size_t n2 = static_cast<unsigned char>(bytes[81]);
  rec.word = std::string(bytes.substr(1, n1 < 80 ? n1 : 80));
  rec.info = std::string(bytes.substr(82, n2 < 174 ? n2 : 174));
  return rec;
}

std::string encode_record(const lexi_type& rec) {
  std::string out(lexi_record_size, '\0');
  std::string word = cut(rec.word, 80), info = cut(rec.info, 174);
  out[0] = static_cast<char>(word.size());
  out.replace(1, word.size(), word);
  out[81] = static_cast<char>(info.size());
  out.replace(82, info.size(), info);
  return out;
}

recordfile::~recordfile() { close(); }

bool recordfile::open(const std::string& path) {
  close();
  file_ = std::fopen(path.c_str(), "rb");
  if (!file_) return false;
  std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
  count_ = 0;
  next_ = -1;
  if (std::fseek(file_, 0, SEEK_END) == 0) {
    long size = std::ftell(file_);
    if (size > 0) count_ = size / static_cast<long>(lexi_record_size);
  }
  return true;
}

void recordfile::close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  count_ = 0;
}

long recordfile::count() const { return count_; }

bool recordfile::read(long n, lexi_type& rec) {
  if (!file_ || n < 0 || n >= count_) return false;
  char buf[lexi_record_size];
  if (n != next_ && std::fseek(file_, n * static_cast<long>(lexi_record_size), SEEK_SET) != 0) {
    next_ = -1;
    return false;
  }
  if (std::fread(buf, 1, lexi_record_size, file_) != lexi_record_size) {
    next_ = -1;
    return false;
  }
  next_ = n + 1;
  rec = decode_record(std::string_view(buf, lexi_record_size));
  return true;
}

bool open_record_def(const engine_settings& st, recordfile& file, const std::string& name) {
  if (file.open(name)) return true;
  return file.open(st.definitions_path.str() + name);
}

// ---- Scrambled definitions ----

namespace {

void shift_line(std::string& s, int sign) {
  for (size_t i = 0; i < s.size(); ++i) {
    int amount = static_cast<int>(i % 3) + 1;
    s[i] = static_cast<char>((static_cast<unsigned char>(s[i]) + sign * amount) & 0xff);
  }
}

void shift_record_string(std::string& s, int sign) {
  for (size_t k = 1; k <= s.size(); ++k) {
    int amount = 65 - static_cast<int>(k);
    s[k - 1] = static_cast<char>((static_cast<unsigned char>(s[k - 1]) + sign * amount) & 0xff);
  }
}

}  // namespace

void unscramble_line(const engine_settings& st, std::string& s) {
  if (!st.plain_definitions) shift_line(s, -1);
}

void scramble_line(const engine_settings& st, std::string& s) {
  if (!st.plain_definitions) shift_line(s, +1);
}

void unscramble_record(const engine_settings& st, lexi_type& rec) {
  if (st.plain_definitions) return;
  shift_record_string(rec.word, +1);
  shift_record_string(rec.info, +1);
}

void scramble_record(const engine_settings& st, lexi_type& rec) {
  if (st.plain_definitions) return;
  shift_record_string(rec.word, -1);
  shift_record_string(rec.info, -1);
}

// ---- Pattern search and captures ----

namespace {

// Puts the characters of t under the "." of p, laid at index `at`, in the captures.
void fill_captures_at(engine_state& eng, const char* t, size_t at, std::string_view p) {
  eng.captures.fill(' ');
  size_t slot = 1;
  for (size_t k = 0; k < p.size(); ++k) {
    if (p[k] == '.') {
      eng.captures[slot] = t[at + k];
      if (slot < 10) ++slot;
    }
  }
}

// The pattern search of maxi_instr and its twins over text t with the given step. The
// captures hold what the pattern's "." cover at the match, or at the last place tried
// when there is none.
size_t pattern_scan(engine_state& eng, std::string_view t, std::string_view p, size_t step) {
  const size_t n = p.size();
  if (t.size() < n) return 0;
  const size_t last = t.size() - n;  // the last index a match can start at
  const char* const pd = p.data();
  const char* const td = t.data();
  for (size_t at = 0;; at += step) {
    size_t k = 0;
    while (k < n && (pd[k] == td[at + k] || pd[k] == '.' || pd[k] == '*')) ++k;
    if (k == n) {
      fill_captures_at(eng, td, at, p);
      return at + 1;
    }
    if (at + step > last) {
      fill_captures_at(eng, td, at, p);
      return 0;
    }
  }
}

}  // namespace

size_t maxi_instr(engine_state& eng, const maxistring& l, std::string_view pattern) {
  return pattern_scan(eng, l.text, pattern, 3);
}

size_t instr3(engine_state& eng, std::string_view s, std::string_view pattern) {
  return pattern_scan(eng, s, pattern, 3);
}

size_t instr1(engine_state& eng, std::string_view s, std::string_view pattern) {
  return pattern_scan(eng, s, pattern, 1);
}

size_t find3(std::string_view s, std::string_view p) {
  const size_t n = p.size();
  if (s.size() < n) return 0;
  const char* const pd = p.data();
  const char* const sd = s.data();
  for (size_t at = 0; at + n <= s.size(); at += 3) {
    size_t k = 0;
    while (k < n && (pd[k] == sd[at + k] || pd[k] == '.' || pd[k] == '*')) ++k;
    if (k == n) return at + 1;
  }
  return 0;
}

void put_call_captures(engine_state& eng, const capture_call& last) {
  if (last.made) instr3(eng, last.text, last.pattern);
}

bool wildcard_equal(std::string_view a, std::string_view b) {
  a = a.substr(0, 80);
  b = b.substr(0, 80);
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (b[i] != '.' && b[i] != '*' && a[i] != b[i]) return false;
  }
  return true;
}

namespace {

std::string fill_captures(const engine_state& eng, std::string_view s) {
  std::string out(s);
  size_t slot = 1;
  for (char& c : out) {
    if (c == '.') {
      c = eng.captures[slot];
      if (slot < 10) ++slot;
    }
    if (c >= 'a' && c <= 'j') c = eng.captures[c - 'a' + 1];
  }
  return out;
}

}  // namespace

std::string put_captures(const engine_state& eng, std::string_view s) {
  return fill_captures(eng, s.substr(0, kShortWidth));
}

void put_captures_line(engine_state& eng) {
  eng.table.class_line.text = fill_captures(eng, eng.table.class_line.text);
}

size_t pattern_replace(engine_state& eng, std::string& s, std::string_view pattern,
                       std::string_view replacement) {
  size_t p = instr3(eng, s, pattern);
  if (p != 0) {
    s.replace(p - 1, pattern.size(), replacement);
    cut_to(s, kShortWidth);
  }
  return p;
}

void replace_all(std::string& s, std::string_view old, std::string_view neu) {
  replace_repeated(s, old, neu, kShortWidth);
}

std::string expandlex(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    if (c != '\xff') out.push_back(c);
  }
  return out;
}

// ---- Numbers and symbols ----

bool is_number(std::string_view s) {
  size_t i = 0;
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) i = 1;
  if (i >= s.size()) return false;
  long v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
    if (v > 32768) return false;
  }
  return s[0] == '-' ? v <= 32768 : v <= 32767;
}

int str_to_int(std::string_view s) {
  if (!is_number(s)) return 0;
  bool negative = s[0] == '-';
  size_t i = (s[0] == '-' || s[0] == '+') ? 1 : 0;
  long v = 0;
  for (; i < s.size(); ++i) v = v * 10 + (s[i] - '0');
  return static_cast<int>(negative ? -v : v);
}

int symbol_number(engine_state& eng, std::string_view s) {
  s = s.substr(0, 30);
  if (is_number(s)) return str_to_int(s);
  for (int i = 1; i <= eng.symbol_count; ++i) {
    if (eng.symbols[i] == s) return i + first_symbol - 1;
  }
  if (eng.symbol_count >= max_symbols) return 0;
  eng.symbols[++eng.symbol_count] = s;
  return eng.symbol_count + first_symbol - 1;
}

std::string symbol_name(const engine_state& eng, int n) {
  int i = n - first_symbol + 1;
  if (i < 1 || i > eng.symbol_count) return "";
  return eng.symbols[i];
}

// ---- Word entries and the class line ----

namespace {

const std::string& entry(const engine_state& eng, int i) {
  static const std::string kNone;
  if (i < 1 || i > max_words) return kNone;
  return eng.table.words[i];
}

}  // namespace

std::string word_class(const engine_state& eng, int i) { return std::string(entry_view(entry(eng, i)).cls()); }
std::string word_second(const engine_state& eng, int i) { return std::string(entry_view(entry(eng, i)).second()); }
std::string word_third(const engine_state& eng, int i) { return std::string(entry_view(entry(eng, i)).third()); }
std::string word_text(const engine_state& eng, int i) { return std::string(entry_view(entry(eng, i)).text()); }

void set_word_start(engine_state& eng, int i, std::string_view t) {
  if (i < 1 || i > max_words) return;
  eng.table.words[i] = str_overwrite(eng.table.words[i].str(), 1, t);
}

std::string line_class(const engine_state& eng, int i) {
  return std::string(eng.table.symbol(i));
}

void set_line_class(engine_state& eng, int i, std::string_view t) {
  eng.table.set_symbol(i, t);
}

// ---- Short-string cuts ----

std::string str_from(std::string_view s, size_t p) {
  if (p == 0) p = 1;
  if (p > s.size()) return "";
  return std::string(s.substr(p - 1, kShortWidth));
}

std::string str_left(std::string_view s, size_t n) { return std::string(s.substr(0, n)); }

std::string str_right(std::string_view s, size_t n) {
  if (n >= s.size()) return std::string(s);
  return std::string(s.substr(s.size() - n));
}

std::string str_overwrite(std::string_view s, size_t p, std::string_view t) {
  if (p == 0) p = 1;
  std::string out(s);
  if (p > out.size() + 1) return out;
  out.replace(p - 1, t.size(), t);
  cut_to(out, kShortWidth);
  return out;
}

std::string pad_right(std::string_view s, size_t n) {
  if (s.size() > n) return std::string(s.substr(0, n)) + " ";
  std::string out(s);
  out.resize(n + 1, ' ');
  return out + " ";
}

std::string int_width(long v, size_t width) {
  std::string digits = std::to_string(v);
  if (digits.size() >= width) return digits;
  return std::string(width - digits.size(), ' ') + digits;
}

// ---- Analysis table ----

void init_analysis(engine_state& eng) {
  // The table cleared in one go (row by row each clearing pays its own start-up), then
  // each word's own place.
  std::memset(eng.analysis.data(), 0, sizeof(eng.analysis));
  for (int i = 1; i <= max_words && i <= eng.table.word_count; ++i) {
    eng.analysis[i][1] = static_cast<uint8_t>(i);
  }
  eng.symbol_count = 0;
}

namespace {

// Appends int_width(v, width): the listing is written for every sentence, so its pieces
// go straight into the text.
void append_int_width(std::string& out, long v, size_t width) {
  char digits[24];
  const auto made = std::to_chars(digits, digits + sizeof digits, v);
  const size_t n = static_cast<size_t>(made.ptr - digits);
  if (n < width) out.append(width - n, ' ');
  out.append(digits, n);
}

// Appends a word entry as the analysis listing shows it.
void append_entry_form(std::string& out, const std::string& w) {
  const entry_view view(w);
  if (view.has_readings()) {
    std::string form;
    for (size_t i = 0; i < w.size(); ++i) {
      if (w[i] == '*') {
        form += "# ";
        i += 9;  // the class code after the "*"
      } else {
        form.push_back(w[i]);
      }
    }
    out += form.insert(3, "     ");
    return;
  }
  out += view.code();
  out += ' ';
  out += view.text();
}

// Appends the text of cell value v: a word (its source form in `text_width` columns, 15
// and a blank when 0, then its entry) or a symbol.
void append_cell_text(std::string& out, const engine_state& eng, int v, size_t text_width) {
  append_int_width(out, v, 3);
  out += ' ';
  if (v > max_words) {
    out += symbol_name(eng, v);
    return;
  }
  const std::string& source = eng.table.originals[v];
  if (text_width == 0) {
    // pad_right(source, 15), appended in place.
    if (source.size() > 15) {
      out.append(source, 0, 15);
    } else {
      out += source;
      out.append(16 - source.size(), ' ');
    }
    out += ' ';
  } else {
    out += source;
    if (source.size() < text_width) out.append(text_width - source.size(), ' ');
  }
  append_entry_form(out, eng.table.words[v]);
}

}  // namespace

std::string analysis_rows(const engine_state& eng, size_t text_width) {
  std::string out;
  for (int row = 1; row <= max_words; ++row) {
    const auto& cells = eng.analysis[row];
    if (cells[1] == 0) continue;
    append_int_width(out, row, 2);
    out += ' ';
    out += eng.table.symbol(row);
    out += " : ";
    bool first = true;
    for (int c = 1; c <= max_words; ++c) {
      const int v = cells[c];
      if (v == 0) continue;
      if (!first) {
        out += '\n';
        out.append(9, ' ');
      }
      append_cell_text(out, eng, v, text_width);
      first = false;
    }
    out += '\n';
  }
  return out;
}

void analysis_to_screen(engine_state& eng) {
  if (!eng.settings.visible) return;
  con_writeline(eng.table.class_line.text);
  if (eng.settings.show_only_symbols) return;
  int words = eng.table.place_count();
  if (words > max_words) words = max_words;
  for (int i = 1; i <= words; ++i) {
    std::string line = int_width(i, 2) + " " + word_class(eng, i) + ": ";
    for (int c = 1; c <= max_words; ++c) {
      int v = eng.analysis[i][c];
      if (v == 0) continue;
      line += (v > max_words ? symbol_name(eng, v) : eng.table.originals[v].str()) + " ";
    }
    con_writeline(line);
  }
  con_write(analysis_rows(eng, 20));
}

void analysis_to_listing(engine_state& eng) {
  if (eng.settings.show_only_symbols) {
    eng.listing.writeline(eng.table.class_line.text);
    return;
  }
  eng.listing.write(analysis_rows(eng, 0));
}

}  // namespace zembu::engine
