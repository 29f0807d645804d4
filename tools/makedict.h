// The dictionary generator behind makedict: turns the lines of a German-English dictionary
// ("German :: English", UTF-8) into lexicon entries and user-lexicon compounds of the rule
// source (code page 437) and merges them into a hand-written rule source.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "compiler/tabellen.h"

namespace zembu {

// Hand-made corrections of the sense choice, read from rules/dict_overrides.txt. Words
// and German texts are UTF-8 as in the dictionary; parts of speech are named n, v, a,
// adv, prep, conj, pron, num, int.
struct dict_overrides {
  std::map<std::pair<std::string, std::string>, std::string> choose;  // (word, pos) -> German
  std::map<std::string, std::vector<std::string>> order;  // word -> parts of speech first
  std::set<std::pair<std::string, std::string>> drop;     // (word, pos) never generated
  std::map<std::string, char> names;  // first name -> gender (m, f): a name before all else
};

// Reads the overrides text; every line that cannot be read is named in `problems`.
dict_overrides parse_overrides(std::string_view text, std::string& problems);

// What the hand-written rule source already holds, as far as the generator needs it, and
// where the generated lines go. Line numbers count from 0.
struct rule_facts {
  ersetzungstabelle substitutions;           // as at the start of the last LEXICON section
  std::vector<std::string> suffixes;         // the AGGLUTINATION list, normalised
  std::set<std::string> headwords;           // normalised keys of LEXICON and simple USER LEXICON entries
  std::set<std::string> compounds;           // hand compounds, blanks written as "_"
  std::set<std::string> lexicon_abbreviations;  // names defined in the last LEXICON section
  std::set<std::string> user_abbreviations;     // names defined in the last USER LEXICON section
  long lexicon_end = -1;  // the end line of the last LEXICON section; -1: none
  long user_end = -1;     // the same for USER LEXICON
  bool lexicon_open = false;  // the last LEXICON section runs to the end of the source
  bool user_open = false;     // the same for USER LEXICON
  std::vector<std::string> lines;  // the source lines, without their line feeds
};

// Reads the rule source as the rule compiler's section dispatcher does.
rule_facts scan_rules(std::string_view rules);

// One German reading of an English word: class code (9 characters) and German text, both
// code page 437; a blank of the German is byte 254, which the engine prints as a blank.
struct dict_reading {
  std::string code;
  std::string german;
};

// A lexicon entry: the English word (code page 437, as the source line writes it), its
// normalised key and its readings, the preferred one first.
struct dict_entry {
  std::string english;
  std::string key;
  std::vector<dict_reading> readings;
  bool name_summary = false;  // a capitalised English word: the summary class is NAM
};

// A user-lexicon compound: two or three English words (a hyphen counts as a word; a
// hyphenated word may have four pieces) and one reading; a verb's past that is also its
// past participle ("sat down") carries the participle as a second reading.
struct dict_compound {
  std::string english;  // the words, separated by single blanks
  std::string joined;   // the normalised words joined by "_"
  dict_reading reading;
  std::vector<dict_reading> more;  // the readings after the first
};

// Counts for the summary on standard error.
struct dict_counts {
  long lines = 0;
  std::map<std::string, long> skipped_lines;  // reason -> lines
  std::map<std::string, long> readings;       // kind -> readings written
  std::map<std::string, long> dropped;        // reason -> words or readings left out
  long overrides_unused = 0;
  std::string unused_overrides;  // the overrides no dictionary line matched, one per line
};

// The generated tables.
struct dict_tables {
  std::vector<dict_entry> entries;        // sorted by key
  std::vector<dict_compound> compounds;   // the most words first, then by key
  dict_counts counts;
};

// The most compounds written: each costs the engine some work in every sentence.
constexpr size_t kMaxCompounds = 40000;

// Builds the tables from the whole dictionary text.
dict_tables build_dict_tables(std::string_view dictionary, const rule_facts& facts,
                              const dict_overrides& overrides);

// One line per entry ("key english | code german | ...") and per compound ("+ joined
// english | code german"), German in code page 437 with byte 254 shown as "_": for tests.
std::string dump_tables(const dict_tables& t);

// The rule source with the generated lines added: the entries at the end of the last
// LEXICON section, the compounds at the end of the last USER LEXICON section (a missing
// section is added at the end of the source).
std::string merged_rules(const rule_facts& facts, const dict_tables& t,
                         const std::string& dictionary_name);

// The summary for standard error: lines read, entries by kind, English word forms, lines
// and words left out by reason.
std::string dict_summary(const dict_tables& t);

// The number of English word forms the tables translate (entries and compounds).
long english_forms(const dict_tables& t);

}  // namespace zembu
