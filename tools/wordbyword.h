// The word-by-word baseline of the quality benchmark and the unknown-word counts: every
// English word replaced by the German of its first reading in the LEXICON and USER
// LEXICON sections of a rule source (code page 437), so that the baseline and the engine
// use the same dictionary; and the share of words that stayed unknown.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/linereader.h"
#include "common/replace.h"

namespace zembu {

// What the baseline takes from a rule source, read as the rule compiler reads it.
struct baseline_dictionary {
  std::vector<replace_pair> substitutions;               // last SUBSTITUTION section: word keys
  std::vector<std::string> suffixes;                     // last AGGLUTINATION section, normalised
  std::unordered_map<std::string, std::string> lexicon;  // key -> German, LEXICON
  std::unordered_map<std::string, std::string> user_lexicon;  // simple USER LEXICON entries
  std::vector<replace_pair> final_substitutions;              // last FINAL SUBSTITUTION section
};

// Reads the sections of a rule source that the baseline needs: SUBSTITUTION,
// AGGLUTINATION, LEXICON, USER LEXICON (its compound entries, with the line after each,
// are passed over) and FINAL SUBSTITUTION; the bodies of all other sections are passed
// over. Within a lexicon the first entry of a key counts; of sections of the same kind
// the last counts, as the compiler writes their files anew. Lines the compiler would
// refuse are passed over.
baseline_dictionary read_baseline_dictionary(linereader& rules);

// A word key as the compiler and the tokenizer make it: "a" to "z" in capitals, then the
// substitution pairs by repeated replacement.
std::string normalise_key(std::string_view word, const std::vector<replace_pair>& substitutions);

// An abbreviation of a lexicon section ("n = SUN---Sns").
struct abbreviation {
  std::string name;
  std::string expansion;
};

// The entry the compiler makes of the text after a headword, without its field markers
// (as the engine reads it): without abbreviations the text with its blanks removed; with
// them the class and every word after a " *" replaced by its expansion, then the blanks
// removed ("n Haus *pl Häuser" gives "SUN---SnsHaus*SUN---PnpHäuser").
std::string compile_entry(std::string_view remainder,
                          const std::vector<abbreviation>& abbreviations);

// The German text of an entry's first reading: in an entry of several readings (a
// three-character summary class and "*" in column 4) the first reading after that "*",
// otherwise the entry up to its first "*"; without its nine-character class code, cut
// before a "#".
std::string first_reading_text(std::string_view entry);

// Words looked up and words not found, summed over the sentences translated.
struct word_counts {
  size_t words = 0;
  size_t unknown = 0;
};

// Translates one sentence (code page 437) word by word: a word is a run of letters
// (bytes 128 and above count as letters), digits and inner apostrophes; its key loses
// the agglutination suffixes as the suffix splitter splits them, and each part is
// replaced by its user-lexicon translation, else its lexicon translation, else kept as
// written. Everything between the words stays. Then, as the engine's result line and the
// substitution filter do, byte 254 (the blank inside a German entry) becomes a blank, the
// final substitutions are applied and the first letter is made a capital. Every part
// holding a letter or a digit counts as a word in `counts`.
std::string translate_word_by_word(const baseline_dictionary& dict, std::string_view sentence,
                                   word_counts& counts);

// The word tokens of a token file (the lines of class ZZZ whose token holds a letter or a
// digit, the quotation lines QUOTE_1 and QUOTE_2 not counted).
size_t count_token_words(linereader& tokens);

// The lines of the engine's word file that name a word (hold a letter or a digit and are
// not a quotation line).
size_t count_unknown_words(linereader& word_file);

}  // namespace zembu
