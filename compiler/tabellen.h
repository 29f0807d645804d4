// The tables that the sections of the rule source share: the substitution table behind
// key normalisation, the termination table (also read by the syntax rules) and the
// abbreviation table of a lexicon section. Each holds at most 1000 entries.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/replace.h"

namespace zembu {

// The most entries of each table.
constexpr size_t kTabellenGrenze = 1000;

// Search and replacement pairs of the last SUBSTITUTION section, in source order.
class ersetzungstabelle {
 public:
  ersetzungstabelle();
  // Appends a pair; false (and nothing added) when the table is full.
  bool add(std::string search, std::string replacement);
  void clear() { paare_.clear(); }
  const std::vector<replace_pair>& paare() const { return paare_; }
  // One line "search -> replacement" per pair, for tests.
  std::string dump() const;

 private:
  std::vector<replace_pair> paare_;
};

// Key normalisation: "a" to "z" in upper case, then every pair of `t` applied in table
// order by repeated replacement; the result is cut at 255 bytes.
std::string normkey(std::string_view s, const ersetzungstabelle& t);

// One termination: the normalised ending, its code and the rest of the source line.
struct endung {
  std::string ending;
  std::string code;
  std::string rest;
};

// Terminations of every TERMINATION section read so far, in source order.
class endungstabelle {
 public:
  endungstabelle();
  // Appends an entry; false (and nothing added) when the table is full.
  bool add(endung e);
  const std::vector<endung>& eintraege() const { return eintraege_; }
  // The token after comparing it with every ending in table order; an equal ending
  // replaces it by its code, and the comparison goes on with the replaced token.
  std::string codiere(std::string token) const;
  // One line "ending|code|rest" per entry, for tests.
  std::string dump() const;

 private:
  std::vector<endung> eintraege_;
};

// Abbreviations of the current LEXICON or USER LEXICON section.
class abkuerzungstabelle {
 public:
  abkuerzungstabelle();
  // Appends a pair; false (and nothing added) when the table is full.
  bool add(std::string abbreviation, std::string expansion);
  void clear();
  bool empty() const { return paare_.empty(); }
  // The expansion of the first pair whose abbreviation equals `word`; else `word` itself.
  std::string_view lookup(std::string_view word) const;
  // One line "abbreviation = expansion" per pair, for tests.
  std::string dump() const;

 private:
  std::vector<replace_pair> paare_;
  // Index of the first pair of each abbreviation, so a lookup need not scan the table.
  std::unordered_map<std::string, size_t> erste_;
};

}  // namespace zembu
