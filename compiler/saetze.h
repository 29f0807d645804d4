// Records of the definition files, each built from one line of the rule source (trimmed
// by the common reader unless a builder says otherwise). A builder returns false for a
// malformed line and then sets `fehler` to the error text of the compiler's report.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/replace.h"
#include "compiler/tabellen.h"

namespace zembu {

// The lines of one record, in file order.
using satz = std::vector<std::string>;

// The byte that marks the start of an entry text in the lexicon files.
constexpr char kTrenner = '\xff';

// Error text of a lexicon entry whose last word begins with "*".
constexpr char kSternFehler[] = "after abbreviation in lexicon end of line";

// SUBSTITUTION: "search -> replacement"; the arrow and the byte after it are dropped and
// both texts trimmed with the comment rule. A missing arrow, or a replacement that holds
// its own search text (its repeated replacement would never end), is an error.
bool ersetzung_paar(std::string_view line, replace_pair& p, std::string& fehler);

// FINAL SUBSTITUTION: the raw line split at its first " -> "; blanks stay in both texts.
bool final_paar(std::string_view roh, replace_pair& p, std::string& fehler);

// TERMINATION: "ending code rest" as a table entry with the ending key-normalised.
bool endung_eintrag(std::string_view line, const ersetzungstabelle& t, endung& e,
                    std::string& fehler);

// The records of term.zmb for the whole table: the ending, and unless it begins with "+"
// the code + "------" + rest.
void endung_saetze(const endungstabelle& t, satz& out);

// INFLECTION: field 1; field 2 without "(", ")", blanks and ","; the rest after "->".
bool flexion_satz(std::string_view line, satz& out, std::string& fehler);

// IRREGULARITY: ">" + field 1; "!>" + the rest after an optional "->".
bool irregulaer_satz(std::string_view line, satz& out, std::string& fehler);

// FUNCTION: field 1; field 2 + "------" + rest.
bool funktion_satz(std::string_view line, satz& out, std::string& fehler);

// True when a lexicon line defines an abbreviation (holds "="); then sets the trimmed
// text before the first "=" and the trimmed text after it.
bool abkuerzung_zeile(std::string_view line, std::string& abbreviation,
                      std::string& expansion);

// The headword of a lexicon line: field 1, key-normalised, trimmed.
std::string kopfwort(std::string_view line, const ersetzungstabelle& t);

// The entry text of a lexicon line from `remainder` (the text after its first blank):
// the separator byte and the remainder without blanks when there are no abbreviations;
// otherwise the class and the words after "*" expanded and the blanks removed.
bool eintrag_text(std::string_view remainder, const abkuerzungstabelle& a, std::string& out,
                  std::string& fehler);

// A compound entry of the user lexicon.
struct kompositum {
  std::string wortzeile;  // the words of the compound, each after the first with "0" for "-"
  std::string verbunden;  // the compound with its blanks turned into "_"
  size_t wortzahl = 0;    // one more than the blanks of the compound
};

// The compound of the line `line` whose headword begins with `sign` ("+" or "-"): the
// line without its first two bytes, trimmed and key-normalised; it must hold a blank.
bool kompositum_kopf(std::string_view line, char sign, const ersetzungstabelle& t,
                     kompositum& k, std::string& fehler);

// The "R*" line of a compound from the line that follows it: class and translation.
std::string kompositum_rzeile(const kompositum& k, std::string_view folgezeile,
                              const abkuerzungstabelle& a);

// SYNTAX: condition tokens up to "->" (endings replaced by their codes), the result
// token, the action text cleaned; three lines.
bool syntax_satz(std::string_view line, const endungstabelle& t, satz& out,
                 std::string& fehler);

// COMPLEX: the line with the operation words replaced by their one-letter codes, trimmed.
std::string komplex_zeile(std::string_view line);

}  // namespace zembu
