// What every rule-applying step of the engine shares: the named types, definition files
// opened by name or under the definitions path, unscrambling of enciphered files, the
// three-character pattern search with its capture slots, symbol numbers, the accessors of
// word entries and of the class line, and the analysis table with its printouts.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "common/linereader.h"
#include "engine/longstr.h"
#include "engine/settings.h"
#include "engine/state.h"

namespace zembu::engine {

enum class searchmodus { normal, simple, forsecond };
enum class modetype { appendmode, createmode };
enum class classes_change { change_original, dont_change };
enum class wortartenanzeige { mit_wortart, ohne_wortart };
enum class ausgabesprache { uebersetzt, originalsprache };

// ---- Definition files ----

// Opens `name` for reading, else definitions path + name; false when neither opens.
bool open_text_def(const engine_settings& st, linereader& file, const std::string& name);

// One lexicon record of 256 bytes: the word line (at most 80 characters) and the entry
// line (at most 174).
struct lexi_type {
  std::string word;
  std::string info;
};
constexpr size_t lexi_record_size = 256;

// Decodes a 256-byte record; length bytes beyond their fields are cut to the field.
lexi_type decode_record(std::string_view bytes);
// Encodes a record as 256 bytes, each string cut to its field.
std::string encode_record(const lexi_type& rec);

// A file of 256-byte records read by record number.
class recordfile {
 public:
  recordfile() = default;
  ~recordfile();
  recordfile(const recordfile&) = delete;
  recordfile& operator=(const recordfile&) = delete;

  bool open(const std::string& path);
  void close();
  bool is_open() const { return file_ != nullptr; }
  // The number of whole records in the file.
  long count() const;
  // Reads record n (from 0); false when it is not in the file.
  bool read(long n, lexi_type& rec);

 private:
  FILE* file_ = nullptr;
  long count_ = 0;
  long next_ = -1;  // the record at the file position, so sequential reads need no seek
};

// Opens a record file by its name, else under the definitions path.
bool open_record_def(const engine_settings& st, recordfile& file, const std::string& name);

// ---- Scrambled definitions (no-ops while plain_definitions is on) ----

// Character i (from 1) decreased by 1, 2, 3, 1, 2, 3, ...
void unscramble_line(const engine_settings& st, std::string& s);
// The inverse of unscramble_line.
void scramble_line(const engine_settings& st, std::string& s);
// Character k (from 1) of both strings increased by 65 - k.
void unscramble_record(const engine_settings& st, lexi_type& rec);
// The inverse of unscramble_record.
void scramble_record(const engine_settings& st, lexi_type& rec);

// ---- Pattern search and captures ----

// First match of pattern in L at positions 1, 4, 7, ... ("." captures, "*" matches any);
// 0 when none. Sets the capture slots.
size_t maxi_instr(engine_state& eng, const maxistring& l, std::string_view pattern);
// The same on a short string.
size_t instr3(engine_state& eng, std::string_view s, std::string_view pattern);
// The same with steps of one.
size_t instr1(engine_state& eng, std::string_view s, std::string_view pattern);
// Equal length and every character equal, "." and "*" in b matching anything.
bool wildcard_equal(std::string_view a, std::string_view b);

// True when pattern p matches s at its first position, as instr3(s, p) == 1 tells, but
// without touching the capture slots.
inline bool matches_first(std::string_view s, std::string_view p) {
  if (s.size() < p.size()) return false;
  for (size_t k = 0; k < p.size(); ++k) {
    if (p[k] != s[k] && p[k] != '.' && p[k] != '*') return false;
  }
  return true;
}

// The last instr3 call of a search that fills the capture slots (one whose text is not
// shorter than its pattern): a search of many tests puts the captures in once, at its
// end, instead of at every test. The texts must stay unchanged until then.
struct capture_call {
  std::string_view text, pattern;
  bool made = false;
};

// matches_first(s, p), noting the test in `last` as the instr3 call it stands for.
inline bool matches_first_noted(capture_call& last, std::string_view s, std::string_view p) {
  if (s.size() < p.size()) return false;
  last = {s, p, true};
  return matches_first(s, p);
}

// Sets the capture slots as the instr3 call of `last` does (nothing when none was made).
void put_call_captures(engine_state& eng, const capture_call& last);
// The position instr3(s, p) finds (0 for none), without touching the capture slots.
size_t find3(std::string_view s, std::string_view p);
// Every "." by the next capture, then every letter a..j by capture slot 1..10.
std::string put_captures(const engine_state& eng, std::string_view s);
// put_captures on the class line.
void put_captures_line(engine_state& eng);
// Replaces the first instr3 match of pattern by replacement; returns its position or 0.
size_t pattern_replace(engine_state& eng, std::string& s, std::string_view pattern,
                       std::string_view replacement);
// Replaces old by neu until old no longer occurs (one pass when neu contains old).
void replace_all(std::string& s, std::string_view old, std::string_view neu);
// s without the byte 255 field markers.
std::string expandlex(std::string_view s);

// ---- Numbers and symbols ----

// The 16-bit signed value of decimal s; 0 when s is no valid number.
int str_to_int(std::string_view s);
// True when s is a valid 16-bit signed decimal number.
bool is_number(std::string_view s);
// A number's value, or the number of symbol s (added when new); 0 when the table is full.
int symbol_number(engine_state& eng, std::string_view s);
// The name of symbol number n; empty when there is none.
std::string symbol_name(const engine_state& eng, int n);

// ---- Word entries and the class line ----

std::string word_class(const engine_state& eng, int i);   // characters 1-3
std::string word_second(const engine_state& eng, int i);  // characters 4-6
std::string word_third(const engine_state& eng, int i);   // characters 7-9
std::string word_text(const engine_state& eng, int i);    // characters 10 to the end
// Replaces the first length-of-t characters of words[i] by t.
void set_word_start(engine_state& eng, int i, std::string_view t);
// Characters 3i-2 .. 3i of the class line.
std::string line_class(const engine_state& eng, int i);
// Replaces those three characters by t.
void set_line_class(engine_state& eng, int i, std::string_view t);

// ---- Short-string cuts (1-based positions) ----

std::string str_from(std::string_view s, size_t p);
std::string str_left(std::string_view s, size_t n);
std::string str_right(std::string_view s, size_t n);
std::string str_overwrite(std::string_view s, size_t p, std::string_view t);
// Cut to n and one blank appended, or padded to n + 1 and one more blank.
std::string pad_right(std::string_view s, size_t n);
// Right-aligned in `width` columns.
std::string int_width(long v, size_t width);

// ---- Analysis table ----

// Every word becomes a place of its own; the symbol table is emptied.
void init_analysis(engine_state& eng);
// The analysis table on standard output (only when visible).
void analysis_to_screen(engine_state& eng);
// The analysis table in the listing file.
void analysis_to_listing(engine_state& eng);
// The lines of the detailed table layout; `text_width` 0 pads the source with pad_right
// to 15, otherwise with blanks to that width.
std::string analysis_rows(const engine_state& eng, size_t text_width);

}  // namespace zembu::engine
