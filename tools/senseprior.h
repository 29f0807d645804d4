// Evidence for the sense choice of the dictionary generator that a single line cannot give:
// how often the dictionary's compound entries translate an English word by a German word
// ("floor drain" :: "Bodenablauf" and "concrete floor" :: "Betonboden" both pair floor
// with Boden, none pairs it with Stock).
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "tools/dictline.h"

namespace zembu {

struct compound_evidence {
  // English word -> the one-word German alternatives that translate it on their own.
  std::unordered_map<std::string, std::unordered_set<std::string>> direct;
  // The vocabulary parts whose English side has an alternative of several words: its words
  // and the part's one-word German alternatives. `line` numbers the parts' lines.
  struct part {
    long line = 0;
    std::vector<std::string> english;
    std::vector<std::string> german;
  };
  std::vector<part> parts;
  // English word + '\t' + German word -> the number of lines that agree; filled by
  // count_compound_agreement.
  std::unordered_map<std::string, int> agreement;
  // English word -> the German words that translate it on their own, placeholders
  // ("sth.", "etw.", "sich") left aside: to take sth. :: etw. nehmen.
  std::unordered_map<std::string, std::unordered_set<std::string>> alone;
  // The phrase parts (no sentences) whose English side has an alternative of several
  // words: those words and the words of every German alternative.
  std::vector<part> phrases;
  // English word + '\t' + German word -> the number of lines whose phrases hold both;
  // filled by count_compound_agreement.
  std::unordered_map<std::string, int> phrase_agreement;
};

// Notes the vocabulary parts (German side with a grammar mark) and the phrase parts of
// line number `number`.
void note_compound_evidence(const dict_line& line, long number, compound_evidence& ev);

// Counts, for every English word and each German word that translates it alone, the lines
// where a compound alternative holding the English word stands beside a German word that
// begins with the German word or ends with it (first letter in either case), and the
// lines where a phrase holding the English word ("to keep sth. secret") has the German word
// in its German ("etw. geheim halten"; an ending of up to two letters allowed: "den
// Chefs"). Call once, after every line was noted.
void count_compound_agreement(compound_evidence& ev);

// The count for one English and one German word; 0 for words never seen together.
int compound_agreement(const compound_evidence& ev, const std::string& english, const std::string& german);

// The number of lines whose phrases pair the English word with the German word.
int phrase_agreement(const compound_evidence& ev, const std::string& english, const std::string& german);

}  // namespace zembu
