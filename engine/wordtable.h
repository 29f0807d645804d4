// The word table of the current sentence with the fields of its entries (entry_view), the
// words put in, taken out and narrowed to one reading, and the two ways a sentence gets
// into it: token lines of a pass file (with the zembu.rst spill of an over-long sentence)
// and a plain sentence split by the engine itself (with the ZZ_ markers and zembu.aux).
#pragma once

#include <string>
#include <string_view>

#include <array>

#include "common/bstring.h"
#include "common/linereader.h"
#include "engine/longstr.h"

namespace zembu::engine {

constexpr int max_words = 200;  // entries of the word table

using norm_lang_string = bstring<100>;
// A column of the word table, indexed 1..200 (element 0 unused).
using woerter_type = std::array<norm_lang_string, max_words + 1>;

// The words of the current sentence: entry, original and idiom record of each place
// 1..word_count, and the class line of three characters a place. The columns and the
// class line move apart while rules work (a place of the class line may stand for
// several words), so each has its own insert and erase.
struct word_table {
  woerter_type words;
  woerter_type originals;
  woerter_type extras;
  int word_count = 0;
  maxistring class_line;

  // The number of words.
  int count() const { return word_count; }
  // Puts a word at place `at` (1..count + 1), the words from there on moving one place
  // up; false (nothing changed) when `at` is out of range or the table is full.
  bool insert(int at, std::string_view entry, std::string_view original,
              std::string_view extra = {});
  // Takes out word `at` (1..count), the words behind it moving one place down.
  void erase(int at);
  // Makes the table words 1..n of `entries` and `sources`, every later word empty and the
  // class line the entries' classes; the idiom records stay as they are.
  void assign(int n, const std::array<bstring<80>, max_words + 1>& entries,
              const std::array<bstring<80>, max_words + 1>& sources);

  // The number of places the class line holds (three characters each).
  int place_count() const { return static_cast<int>(llength(class_line) / 3); }
  // The three characters of place i of the class line (fewer at its end, none past it
  // or for i < 1). Inline: the rule searches ask it for every word they pass.
  std::string_view symbol(int i) const {
    if (i < 1) return {};
    const std::string_view line = class_line.text;
    const size_t p = 3 * static_cast<size_t>(i) - 3;
    return p < line.size() ? line.substr(p, 3) : std::string_view();
  }
  // Replaces the three characters of place i by t (nothing for i < 1).
  void set_symbol(int i, std::string_view t);
  // Puts t into the class line in front of place i (at its end for the place behind
  // the last; nothing for i < 1 or further out).
  void insert_symbol(int i, std::string_view t);
  // Takes the three characters of place i out of the class line.
  void erase_symbol(int i);
};

// An entry of the word table (or a lexicon or rule line of the same form) read through its
// fields: class (characters 1-3), two further fields (4-6 and 7-9; 1-9 together are the
// class code), text (from 10 on). An entry of several readings is a summary class, "*"
// and the readings separated by "*". Each field is empty where the entry is too short.
struct entry_view {
  std::string_view entry;

  explicit entry_view(std::string_view e) : entry(e) {}
  // Characters 1-3.
  std::string_view cls() const { return part(0, 3); }
  // Characters 4-6.
  std::string_view second() const { return part(3, 3); }
  // Characters 7-9.
  std::string_view third() const { return part(6, 3); }
  // Characters 1-9: the class code (the whole entry when shorter).
  std::string_view code() const { return part(0, 9); }
  // Characters 10 to the end.
  std::string_view text() const { return entry.size() > 9 ? entry.substr(9) : std::string_view(); }
  // True when character 4 is "*": the entry holds several readings.
  bool has_readings() const { return entry.size() >= 4 && entry[3] == '*'; }
  // The readings behind the summary class and its "*" (characters 5 on); empty for an
  // entry of one reading.
  std::string_view readings() const { return has_readings() ? entry.substr(4) : std::string_view(); }
  // The first of the readings (up to the next "*"); the entry itself for an entry of one
  // reading.
  std::string_view first_reading() const {
    if (!has_readings()) return entry;
    const std::string_view r = readings();
    return r.substr(0, r.find('*'));
  }

 private:
  std::string_view part(size_t from, size_t n) const {
    return from < entry.size() ? entry.substr(from, n) : std::string_view();
  }
};

// The first three characters of s, filled up with blanks: the class line's form of a class.
std::string padded_class(std::string_view s);

// The table as text, one word a line ("i|symbol|original|entry|extra" behind a line
// "places n|class line"), for tests.
std::string dump(const word_table& t);

struct engine_state;

// The class of entry i: its first three characters.
std::string class_of(const engine_state& eng, int i);
// The text of entry i: from its tenth character on.
std::string text_of(const engine_state& eng, int i);

// Adds one entry for payload w of class k (nothing for an empty payload or a full table).
void add_token_entry(engine_state& eng, std::string w, std::string_view k);
// Reads token lines into the table until a SEN line, the end of the file, or more than
// `limit` entries. Returns true when it stopped at a SEN line.
bool read_token_sentence(engine_state& eng, linereader& file, int limit);
// Assembles the next sentence of the token route: the rest spilled by the previous cycle
// first, then the pass file; an over-long sentence spills its tail to zembu.rst.
void assemble_token_sentence(engine_state& eng, linereader& pass);
// True when the class line is that of a sentence without text (STR, NOS, SEN).
bool is_strnossen(const engine_state& eng);

// Fills the table from a plain sentence; leaves word_count = 1 for an empty s.
void split_plain_sentence(engine_state& eng, maxistring& s);
// s := the first line of zembu.aux, which is then deleted; empty when there is none.
void reload_plain_rest(engine_state& eng, maxistring& s);

// The table as text, one entry a line ("i|class line triple|original|entry"), for tests.
std::string dump_word_table(const engine_state& eng);

// ---- Words put in, taken out and narrowed to one reading ----

// Inserts a word (source form, entry) at position `at`, the entries from there moving one
// place up and the entry's class going into the class line; false when the table is full.
bool insert_word(engine_state& eng, int at, std::string_view source, std::string_view entry);
// Deletes word `at` with its class; the words behind it move one place down.
void delete_word(engine_state& eng, int at);

// Code d: words of several readings that the analysis table refers to keep the reading of
// their place's class.
void select_readings(engine_state& eng);
// Code 9: the same, keeping the first reading.
void select_first_readings(engine_state& eng);

// Keeps the reading of a several-reading entry that fits `cls` (the first one when none).
std::string resolve_reading(std::string_view entry, std::string_view cls);
// The same on words[i], writing the chosen reading's class into position j of the class line.
void resolve_word_reading(engine_state& eng, int i, int j, std::string_view cls);

}  // namespace zembu::engine
