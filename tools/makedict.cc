#include "tools/makedict.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <iterator>
#include <tuple>
#include <unordered_map>

#include "common/codepage.h"
#include "compiler/felder.h"
#include "compiler/quelle.h"
#include "compiler/saetze.h"
#include "tools/devpairs.h"
#include "tools/dictline.h"
#include "tools/senseprior.h"

namespace zembu {

namespace {

// ---------------------------------------------------------------------------------------
// Parts of speech, forms and the class codes.

enum pos_t { kNoun, kVerb, kAdj, kAdv, kPrep, kConj, kPron, kNum, kInt, kPosCount };
const char* const kPosName[kPosCount] = {"n", "v", "a", "adv", "prep", "conj", "pron", "num", "int"};

enum form_t { kBase, kPlural, kThird, kPast, kPastPart, kPresPart, kComparative, kSuperlative };

// The byte the engine prints as a blank: a German text of several words keeps it in
// place of its blanks, since the compiler removes blanks from entries.
constexpr char kBlank = '\xfe';

// What an adjective taken from a predicate ("to be afraid": "ängstlich sein") costs beside
// one a line gives as an adjective.
constexpr double kPredicatePenalty = 8.0;

// How much the phrases that pair an English word with a German one count for that sense.
constexpr double kPhraseWeight = 6.0;

struct form {
  std::string english;  // UTF-8, cleaned: words separated by blanks, hyphens as " - "
  std::string german;   // UTF-8, cleaned
  form_t kind;
};

// One sense of an English word: a part of speech, its grammar and its forms (the first
// is the base form).
struct sense {
  double score = 0;
  long line = 0;
  pos_t pos = kNoun;
  bool proper = false;      // the English word is written with a capital
  char gender = '-';        // m f n, or - for a plural-only noun
  char valency = '-';       // T I R (reflexive) or -
  char aux = '-';           // h (haben) s (sein) or -
  char prep_case = '-';     // a d g w (accusative or dative) or -
  bool personal = false;    // personal pronoun
  bool subordinating = false;
  bool ordinal = false;
  bool predicate = false;  // an adjective taken from "to be ..."
  std::string verb_class = "Vuk";
  std::vector<form> forms;
};

bool starts_with_s(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }
bool ends_with_s(std::string_view s, std::string_view p) {
  return s.size() >= p.size() && s.substr(s.size() - p.size()) == p;
}

std::vector<std::string> split_blanks(std::string_view s) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && s[i] == ' ') ++i;
    size_t j = i;
    while (j < s.size() && s[j] != ' ') ++j;
    if (j > i) out.emplace_back(s.substr(i, j - i));
    i = j;
  }
  return out;
}

std::string join(const std::vector<std::string>& w, size_t from = 0, size_t to = std::string::npos) {
  std::string out;
  for (size_t i = from; i < w.size() && i < to; ++i) {
    if (!out.empty()) out += ' ';
    out += w[i];
  }
  return out;
}

std::string lower_ascii(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// Code page 437 of a UTF-8 text; false when a character has no form there.
bool to_cp437(std::string_view utf8, std::string& out) {
  bool ascii = true;
  for (char c : utf8) ascii &= static_cast<unsigned char>(c) < 0x80;
  if (ascii) {
    out.assign(utf8);
    return true;
  }
  decoded_line d = decode_user_line(utf8);
  if (!d.no_form.empty() || d.read_as_latin1) return false;
  out = std::move(d.text);
  return true;
}

// ---------------------------------------------------------------------------------------
// Labels.

struct label_weight {
  const char* label;
  double penalty;
};

// Style, age and regional labels and what they cost a sense; any other label names a
// domain (medicine, chemistry, ...).
const label_weight kStyleLabels[] = {
    {"coll.", 3},        {"ugs.", 3},          {"slang", 5},       {"vulg.", 8},
    {"obs.", 6},         {"archaic", 6},       {"dated", 5},       {"veraltet", 6},
    {"veraltend", 4},    {"alt", 5},           {"altertümlich", 6}, {"rare", 5},
    {"selten", 5},       {"pej.", 4},          {"fig.", 2},        {"übtr.", 2},
    {"humor.", 3},       {"iron.", 3},         {"euphem.", 3},     {"poet.", 4},
    {"geh.", 2},         {"formal", 2},        {"lit.", 3},        {"Br.", 0},
    {"Am.", 0},          {"Dt.", 0},           {"Ös.", 5},         {"Schw.", 5},
    {"Süddt.", 4},       {"Norddt.", 4},       {"Bayr.", 5},       {"BW", 5},
    {"Mitteldt.", 4},    {"Westdt.", 4},       {"Ostdt.", 4},      {"Mittelwestdt.", 4},
    {"Austr.", 2},       {"NZ", 2},            {"Sc.", 2},         {"Ir.", 2},
    {"Can.", 2},         {"eAm.", 1},          {"tm", 3},          {"Sprw.", 6},
    {"prov.", 6},        {"Kindersprache", 4}, {"children’s speech", 4},
    {"Jugendsprache", 3}, {"literary", 3},     {"becoming dated", 4}, {"former name", 4},
    {"frühere Bezeichnung", 4}, {"Northern English", 4}, {"South Africa", 2},
    {"hunters’ parlance", 4}, {"Jägersprache", 4}, {"nachgestellt", 0}, {"postpositive", 0},
};

// The cost of one label; `domain` is set for a label that is not a style label. A label
// of several words that is none is a note on usage ("mass noun", "only before noun",
// "usually used in orders"): it costs nothing.
double style_penalty(const std::string& label, bool& domain) {
  for (const label_weight& w : kStyleLabels) {
    if (label == w.label) return w.penalty;
  }
  if (label.find(' ') != std::string::npos) return 0;
  domain = true;
  return 0;
}

double alt_style_penalty(const dict_alt& a) {
  double p = 0;
  bool domain = false;
  for (const std::string& l : a.labels) p += style_penalty(l, domain);
  return p;
}

bool part_has_domain(const dict_part& part) {
  for (const dict_alt& a : part) {
    for (const std::string& l : a.labels) {
      bool domain = false;
      style_penalty(l, domain);
      if (domain) return true;
    }
  }
  return false;
}

// ---------------------------------------------------------------------------------------
// Cleaning the English side.

const std::set<std::string> kStopWords = {
    "the", "a", "an", "i", "you", "he", "she", "it", "we", "they", "me", "him", "us", "them",
    "my", "your", "his", "her", "its", "our", "their", "this", "that", "these", "those",
    "one's", "oneself", "sb", "sth", "somebody", "something", "someone", "yourself",
    "himself", "herself", "itself", "one", "s.o", "so"};

// Words behind a verb that take an object of their own: "live in", "work on" would eat
// the preposition of an ordinary sentence.
const std::set<std::string> kObjectPrepositions = {
    "in", "to", "for", "with", "at", "of", "from", "into", "by", "about", "on", "upon", "onto",
    "against", "after", "like", "without", "as", "than", "under", "over", "through", "across",
    "towards", "toward", "within", "between", "among", "before", "behind", "beyond", "around"};

bool english_word_ok(std::string_view w) {
  if (w.empty() || w.front() == '\'' || w.back() == '\'') return false;
  bool letter = false;
  for (char ch : w) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c >= 0x80) {
      letter = true;
    } else if (c != '\'') {
      return false;
    }
  }
  return letter;
}

void replace_all_text(std::string& s, std::string_view a, std::string_view b) {
  size_t p = 0;
  while ((p = s.find(a, p)) != std::string::npos) {
    s.replace(p, a.size(), b);
    p += b.size();
  }
}

// The English words of an alternative as a word or compound, or "" when it is no
// vocabulary: more than three words (a hyphen counts as one; a hyphenated word may have
// up to four pieces), a sentence, a phrase with
// placeholders or pronouns.
// True for the dictionary's notation of an abbreviation, "/TN/".
bool is_abbreviation_note(std::string_view w) { return w.size() > 2 && w.front() == '/' && w.back() == '/'; }

std::string without_abbreviation_notes(const std::string& text) {
  if (text.find('/') == std::string::npos) return text;
  std::vector<std::string> w = split_blanks(text);
  w.erase(std::remove_if(w.begin(), w.end(), [](const std::string& x) { return is_abbreviation_note(x); }),
          w.end());
  return join(w);
}

bool ascii_letters(std::string_view s) {
  for (char c : s) {
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return false;
  }
  return !s.empty();
}

bool english_placeholder(std::string_view w) {
  return w == "sb." || w == "sth." || w == "sb./sth." || w == "sth./sb." || w == "so." || w == "oneself";
}

// The most tokens of one hyphenated English word: four pieces and their three hyphens.
constexpr size_t kMostHyphenTokens = 7;

// `framed` (given for verbs) is set when the verb came with objects that take
// prepositions: "to coax sb. to do sth.", "to tell sb. of sth." are the verb alone;
// an object with a particle behind it ("to look sb. up") is not.
std::string clean_english(std::string text, pos_t pos, bool* phrasal = nullptr, bool* framed = nullptr) {
  if (pos == kVerb && starts_with_s(text, "to ")) text.erase(0, 3);
  if (ascii_letters(text)) return text;  // one plain word, the commonest case
  if (pos == kVerb && framed != nullptr) {
    const std::vector<std::string> w = split_blanks(text);
    bool ok = w.size() >= 4 && ascii_letters(w[0]) && english_placeholder(w[1]) && english_placeholder(w.back());
    for (size_t k = 2; ok && k + 1 < w.size(); ++k) {
      ok = english_placeholder(w[k]) || kObjectPrepositions.count(w[k]) > 0 || w[k] == "do";
    }
    if (ok) {
      *framed = true;
      return w[0];
    }
  }
  text = without_abbreviation_notes(text);
  // An abbreviation note that holds "; " was cut into two alternatives: "century /c" and
  // "cent./".
  const size_t note = text.find(" /");
  if (note != std::string::npos && text.find('/', note + 2) == std::string::npos) text.resize(note);
  replace_all_text(text, "’", "'");
  // "sb.'s girlfriend", "one's ancestors": the noun is the word.
  for (std::string_view owner : {"sb.'s ", "one's "}) {
    if (pos == kNoun && starts_with_s(text, owner)) text.erase(0, owner.size());
  }
  for (bool again = true; again;) {
    again = false;
    for (std::string_view tail : {" sb.", " sth.", " sb./sth.", " sth./sb.", " so.", " oneself"}) {
      if (ends_with_s(text, tail)) {
        text.resize(text.size() - tail.size());
        again = true;
      }
    }
  }
  if (pos == kInt) {
    while (!text.empty() && (text.back() == '!' || text.back() == '?')) text.pop_back();
  }
  std::vector<std::string> tokens;
  for (const std::string& word : split_blanks(text)) {
    size_t start = 0;
    for (size_t i = 0; i <= word.size(); ++i) {
      if (i == word.size() || word[i] == '-') {
        std::string piece = word.substr(start, i - start);
        if (!english_word_ok(piece)) return "";
        tokens.push_back(piece);
        if (i < word.size()) tokens.push_back("-");
        start = i + 1;
      }
    }
  }
  // One hyphenated word (mother-in-law, one-to-one) of up to four pieces is one English
  // word however many tokens its hyphens make, and its small words are no pronouns or
  // articles of a phrase.
  const bool hyphenated = text.find(' ') == std::string::npos && tokens.size() > 1;
  if (tokens.empty() || tokens.size() > (hyphenated ? kMostHyphenTokens : 3)) return "";
  if (tokens.size() > 1) {
    for (const std::string& t : tokens) {
      if (!hyphenated && kStopWords.count(lower_ascii(t))) return "";
    }
    if (pos == kVerb && kObjectPrepositions.count(lower_ascii(tokens.back()))) {
      // "to insist on sth.": the verb alone, when the caller takes it so ("insist"); the
      // preposition stays a word of the sentence.
      if (phrasal == nullptr || tokens.size() != 2 || kStopWords.count(lower_ascii(tokens[0]))) return "";
      *phrasal = true;
      tokens.pop_back();
    }
    // "to be cold", "to have fun": a predicate, not a verb of its own.
    if (pos == kVerb && (tokens[0] == "be" || tokens[0] == "have")) return "";
  }
  return join(tokens);
}

// ---------------------------------------------------------------------------------------
// Cleaning the German side.

bool is_placeholder(std::string_view w) {
  static const std::set<std::string> kPlaceholders = {
      "jdn.", "jdm.", "jds.", "etw.", "jdn./etw.", "etw./jdn.", "jdm./etw.", "etw./jdm.",
      "jds./etw.", "etw./jds.", "jdn./sich", "jdm./sich"};
  return kPlaceholders.count(std::string(w)) > 0;
}

const std::set<std::string> kGermanPrepositions = {"an", "auf", "aus", "bei", "für", "gegen", "in", "mit",
                                                   "nach", "über", "um", "unter", "von", "vor", "zu"};

// The German words of an alternative, or "" when they are no usable translation.
bool german_chars_ok(std::string_view out) {
  for (char ch : out) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c < 32 || std::string_view("*=+@#;_|~\"!?&$%\\/").find(ch) != std::string_view::npos) {
      return false;
    }
  }
  return out.find("…") == std::string_view::npos && out.find("...") == std::string_view::npos;
}

// The first of the words a German line offers in one place ("Sachlage/Notwendigkeit":
// Sachlage); any other word, a placeholder pair ("jdn./etw.") among them, as it is.
std::string first_of_word_choices(const std::string& word) {
  const size_t slash = word.find('/');
  if (slash == std::string::npos || is_placeholder(word)) return word;
  for (size_t start = 0; start <= word.size();) {
    const size_t end = std::min(word.find('/', start), word.size());
    if (end == start) return word;
    for (size_t k = start; k < end; ++k) {
      if (std::string_view(".()[]{}<>0123456789,;:-").find(word[k]) != std::string_view::npos) return word;
    }
    start = end + 1;
  }
  return word.substr(0, slash);
}

// `reflexive`, when given, tells whether a verb's "sich" was left out ("sich an etw.
// erinnern": erinnern).
std::string clean_german(const std::string& text, pos_t pos, bool* reflexive = nullptr) {
  if (reflexive != nullptr) *reflexive = false;
  // An adjective given with the endings of its genders ("andere/r/s") is its form in -e,
  // which the grammar inflects.
  if (pos == kAdj && ends_with_s(text, "e/r/s") && text.find(' ') == std::string::npos) {
    return clean_german(text.substr(0, text.size() - 4), pos, reflexive);
  }
  if (text.find(' ') == std::string::npos && text.find('/') != std::string::npos && pos != kInt) {
    const std::string first = first_of_word_choices(text);
    if (first != text) return clean_german(first, pos, reflexive);
  }
  if (text.find(' ') == std::string::npos && pos != kInt) {
    // One word, the commonest case.
    if (text.empty() || is_placeholder(text) || (pos == kVerb && text == "sich") || !german_chars_ok(text)) {
      return "";
    }
    return text;
  }
  std::vector<std::string> w = split_blanks(without_abbreviation_notes(text));
  for (std::string& word : w) word = first_of_word_choices(word);
  size_t b = 0, e = w.size();
  bool sich = false;
  while (b < e && (is_placeholder(w[b]) || (pos == kVerb && w[b] == "sich"))) sich |= w[b++] == "sich";
  // "auf etw. bestehen", "mit jdm. sprechen": the verb, its preposition left to the
  // English one.
  while (pos == kVerb && b + 2 < e && kGermanPrepositions.count(w[b]) && is_placeholder(w[b + 1])) b += 2;
  while (e > b && pos == kVerb && w[e - 1] == "sich") {
    --e;
    sich = true;
  }
  std::string out = join(w, b, e);
  if (pos == kInt) {
    while (!out.empty() && (out.back() == '!' || out.back() == '?')) out.pop_back();
  }
  if (out.empty() || e - b > 5) return "";
  for (std::string_view bad : {"jdn.", "jdm.", "jds.", "etw."}) {
    if (out.find(bad) != std::string::npos) return "";
  }
  if (!german_chars_ok(out)) return "";
  if (reflexive != nullptr) *reflexive = sich;
  return out;
}

// A German verb form without its pronoun ("er/sie geht" -> "geht"); `pronoun` tells
// whether there was one.
std::string drop_german_pronoun(const std::string& text, bool& pronoun) {
  std::vector<std::string> w = split_blanks(text);
  pronoun = false;
  if (w.empty()) return text;
  static const std::set<std::string> kPronouns = {"ich", "du", "er", "sie", "es", "wir", "ihr", "man"};
  size_t start = 0;
  bool all = true;
  while (start <= w[0].size()) {
    size_t slash = w[0].find('/', start);
    std::string piece = w[0].substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    all &= kPronouns.count(piece) > 0;
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  if (!all) return text;
  pronoun = true;
  return join(w, 1);
}

std::string drop_english_pronoun(const std::string& text, bool& pronoun, std::string& which) {
  std::vector<std::string> w = split_blanks(text);
  pronoun = false;
  if (w.empty()) return text;
  static const std::set<std::string> kPronouns = {"I", "you", "he", "she", "it", "we", "they"};
  size_t start = 0;
  bool all = true;
  while (start <= w[0].size()) {
    size_t slash = w[0].find('/', start);
    std::string piece = w[0].substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    all &= kPronouns.count(piece) > 0;
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  if (!all) return text;
  pronoun = true;
  which = w[0];
  return join(w, 1);
}

// ---------------------------------------------------------------------------------------
// Grammar from the marks.

// The parts of speech an alternative's marks name; `gender` gets a noun's gender.
std::vector<pos_t> marks_pos(const dict_alt& a, char& gender, bool& plural_only, char& prep_case,
                             bool& personal, char& valency) {
  std::vector<pos_t> out;
  for (const std::string& m : a.marks) {
    if (m == "m" || m == "f" || m == "n" || m == "m,f" || m == "m,n" || m == "n,m" ||
        m == "f,n" || m == "f,m" || m == "n,f") {
      gender = m[0];
      out.push_back(kNoun);
    } else if (m == "pl") {
      plural_only = true;
      out.push_back(kNoun);
    } else if (m == "adj") {
      out.push_back(kAdj);
    } else if (m == "adv") {
      out.push_back(kAdv);
    } else if (m == "vt" || m == "vi" || m == "vr" || m == "v") {
      valency = m == "vt" ? 'T' : m == "vi" ? 'I' : m == "vr" ? 'R' : '-';
      out.push_back(kVerb);
    } else if (starts_with_s(m, "prp")) {
      const bool acc = m.find("Akk") != std::string::npos;
      const bool dat = m.find("Dat") != std::string::npos;
      const bool gen = m.find("Gen") != std::string::npos;
      prep_case = acc && dat ? 'w' : acc ? 'a' : dat ? 'd' : gen ? 'g' : '-';
      out.push_back(kPrep);
    } else if (m == "conj") {
      out.push_back(kConj);
    } else if (m == "pron" || m == "ppron") {
      personal = m == "ppron";
      out.push_back(kPron);
    } else if (m == "num") {
      out.push_back(kNum);
    } else if (m == "interj") {
      out.push_back(kInt);
    }
  }
  if (plural_only && out.size() > 1) {
    // "{m} {pl}"-style marks: the gender mark names the noun.
    plural_only = gender == '-';
  }
  return out;
}

// Every alternative without marks takes those of the next one that has some ("aber;
// doch {conj}").
dict_part with_marks_spread(dict_part part) {
  const std::vector<std::string>* next = nullptr;
  for (size_t i = part.size(); i-- > 0;) {
    if (!part[i].marks.empty()) {
      next = &part[i].marks;
    } else if (next) {
      part[i].marks = *next;
    }
  }
  return part;
}

bool part_has_marks(const dict_part& part) {
  for (const dict_alt& a : part) {
    if (!a.marks.empty()) return true;
  }
  return false;
}

bool all_plural(const dict_part& part) {
  bool any = false;
  for (const dict_alt& a : part) {
    if (a.text.empty()) continue;
    if (std::find(a.marks.begin(), a.marks.end(), "pl") == a.marks.end()) return false;
    any = true;
  }
  return any;
}

// The alternative of a form part that belongs to alternative `i` of its head part of
// `head_size` alternatives: the same position, or the only one for the first.
const dict_alt* aligned(const dict_part& part, size_t i, size_t head_size) {
  if (part.size() == head_size) return &part[i];
  if (i == 0) return &part[0];
  return nullptr;
}

bool word_ends_with(const std::string& text, std::string_view end) {
  for (const std::string& w : split_blanks(text)) {
    if (ends_with_s(w, end)) return true;
  }
  return false;
}

const std::set<std::string> kSubordinating = {
    "dass", "weil", "ob", "wenn", "als", "obwohl", "obgleich", "während", "bevor", "nachdem",
    "damit", "sodass", "falls", "seit", "seitdem", "bis", "sobald", "solange", "indem", "da",
    "wie", "ehe", "sofern", "soweit", "wohingegen", "wobei", "insofern", "sooft", "obschon"};
const std::set<std::string> kTwoWay = {"an", "auf", "hinter", "in", "neben", "über", "unter", "vor", "zwischen"};

// The verb's inflection class from its infinitive and past: regular when the past is the
// stem + "te".
std::string verb_class_of(const std::string& infinitive, const std::string& past,
                          const std::string& participle) {
  std::vector<std::string> inf = split_blanks(infinitive);
  std::vector<std::string> pst = split_blanks(past);
  if (!inf.empty() && !pst.empty()) {
    const std::string& p = pst[0];
    if (ends_with_s(p, "te") && p.size() > 2) {
      std::string stem = p.substr(0, p.size() - 2);
      if (ends_with_s(inf.back(), stem + "en") || ends_with_s(inf.back(), stem + "n")) return "Vrg";
    }
    return "Vir";
  }
  std::vector<std::string> pp = split_blanks(participle);
  if (!pp.empty()) return ends_with_s(pp.back(), "t") ? "Vrg" : "Vir";
  return "Vuk";
}

// ---------------------------------------------------------------------------------------
// Codes.

// The noun declension from gender, singular and plural.
std::string noun_class(char gender, const std::string& singular, const std::string& plural) {
  if (gender == 'f') return "Nfe";
  if (gender == 'm' && !plural.empty()) {
    if (ends_with_s(singular, "e") && plural == singular + "n") return "Nwk";
    for (std::string_view end : {"ent", "ant", "ist", "oge", "nom", "graf", "soph"}) {
      if (ends_with_s(singular, end) && plural == singular + "en") return "Nwk";
    }
  }
  return "Nst";
}

std::string plural_class(const std::string& plural) {
  return ends_with_s(plural, "n") || ends_with_s(plural, "s") ? "Npx" : "Npn";
}

std::string adjective_class(const std::string& german) {
  if (german.empty()) return "Arg";
  const unsigned char first = static_cast<unsigned char>(german[0]);
  if ((first >= 'A' && first <= 'Z') || ends_with_s(german, "a") || german.find(' ') != std::string::npos) {
    return "Aun";
  }
  // genug, anders, egal, vielerlei: these take no ending before a noun either.
  for (std::string_view word : {"genug", "anders", "egal", "extra", "schade", "quitt"}) {
    if (german == word) return "Aun";
  }
  if (ends_with_s(german, "lei")) return "Aun";
  if (ends_with_s(german, "el") || ends_with_s(german, "uer")) return "Ael";
  // müde, andere: the e of the stem is the e of the endings, as in a superlative (beste).
  if (ends_with_s(german, "e")) return "Asp";
  return "Arg";
}

struct coded {
  std::string code;
  std::string german;  // UTF-8, with the gender mark of a noun
};

// The prefix of a separable verb, which its own third person or past shows standing apart
// ("drückt aus" of "ausdrücken": "aus"); empty for any other verb.
std::string separable_prefix(const sense& s) {
  if (s.pos != kVerb || s.forms.empty() || s.forms[0].kind != kBase) return "";
  const std::string& infinitive = s.forms[0].german;
  if (infinitive.find(' ') != std::string::npos) return "";
  for (const form& f : s.forms) {
    if (f.kind != kThird && f.kind != kPast) continue;
    const size_t blank = f.german.find(' ');
    if (blank == std::string::npos || f.german.find(' ', blank + 1) != std::string::npos) continue;
    const std::string prefix = f.german.substr(blank + 1);
    const bool lower = std::all_of(prefix.begin(), prefix.end(), [](char ch) {
      return (ch >= 'a' && ch <= 'z') || static_cast<unsigned char>(ch) >= 0x80;
    });
    if (lower && prefix.size() < infinitive.size() && infinitive.compare(0, prefix.size(), prefix) == 0) {
      return prefix;
    }
  }
  return "";
}

// A separable verb's infinitive and finite forms carry the prefix in front, marked with
// "+" ("aus+drücken", "aus+drückt"), so that the grammar can put it at the end of a main
// clause whatever the person; its participles stay as they are.
std::string separable_german(const sense& s, const form& f) {
  if (f.kind != kBase && f.kind != kThird && f.kind != kPast) return f.german;
  const std::string prefix = separable_prefix(s);
  if (prefix.empty()) return f.german;
  if (f.kind == kBase) return prefix + "+" + f.german.substr(prefix.size());
  const std::string tail = " " + prefix;
  if (f.german.size() > tail.size() && f.german.compare(f.german.size() - tail.size(), tail.size(), tail) == 0) {
    return prefix + "+" + f.german.substr(0, f.german.size() - tail.size());
  }
  return f.german;
}

coded code_of(const sense& s, const form& f) {
  coded c;
  c.german = f.german;
  switch (s.pos) {
    case kNoun: {
      const std::string cls = s.proper ? "NAM" : "SUN";
      if (f.kind == kPlural || s.gender == '-') {
        c.code = cls + s.gender + "p-" + plural_class(f.german);
        c.german = "@p" + f.german;
      } else {
        const std::string plural = s.forms.size() > 1 ? s.forms[1].german : "";
        c.code = cls + s.gender + "s-" + noun_class(s.gender, f.german, plural);
        c.german = std::string("@") + s.gender + f.german;
      }
      break;
    }
    case kVerb: {
      const bool part = f.kind == kPastPart || f.kind == kPresPart;
      const char form_code = f.kind == kThird ? '3' : f.kind == kPast ? 'p' : f.kind == kPastPart ? 'p'
                             : f.kind == kPresPart ? 'g' : 'i';
      c.code = std::string(part ? "PAR" : "VER") + s.valency + form_code + s.aux + s.verb_class;
      c.german = separable_german(s, f);
      break;
    }
    case kAdj:
    case kAdv: {
      const char degree = f.kind == kComparative ? 'c' : f.kind == kSuperlative ? 's' : 'p';
      if (s.pos == kAdv) {
        c.code = std::string("ADV") + degree + "--Inv";
      } else {
        c.code = std::string("ADJ") + degree + "--" +
                 (f.kind == kSuperlative ? "Asp" : f.kind == kComparative ? "Arg" : adjective_class(f.german));
      }
      break;
    }
    case kPrep:
      c.code = std::string("PRE") + s.prep_case + "--Inv";
      break;
    case kConj:
      c.code = s.subordinating ? "KOS---Inv" : "KON---Inv";
      break;
    case kPron:
      c.code = s.personal ? "PROp--Inv" : "PRO---Inv";
      break;
    case kNum:
      c.code = s.ordinal ? "NUMo--Arg" : "NUMc--Inv";
      break;
    case kInt:
    default:
      c.code = "INT---Inv";
      break;
  }
  return c;
}

// The abbreviation the generated lines use for a code.
std::string abbreviation_of(const std::string& code) {
  const std::string cls = code.substr(0, 3), a = code.substr(3, 3), f = code.substr(6, 3);
  if (cls == "SUN" || cls == "NAM") {
    std::string n = std::string(cls == "SUN" ? "N" : "Nam") + a[0] + a[1];
    if (f == "Nwk") n += 'w';
    if (f == "Npx") n += 'x';
    return n;
  }
  if (cls == "VER" || cls == "PAR") {
    return std::string(cls == "VER" ? "V" : "Pa") + a + static_cast<char>(f[1]);
  }
  if (cls == "VPA" || cls == "PPA") return std::string(cls == "VPA" ? "Vd" : "Pd") + a + static_cast<char>(f[1]);
  if (cls == "ADJ") {
    std::string n = std::string("A") + a[0];
    if (f == "Ael") n += 'e';
    if (f == "Aun") n += 'u';
    if (f == "Asp" && a[0] != 's') n += 's';
    return n;
  }
  if (cls == "ADV") return std::string("Av") + a[0];
  if (cls == "PRE") return std::string("Pr") + a[0];
  if (cls == "KON") return "Ko";
  if (cls == "KOS") return "Ks";
  if (cls == "PRO") return a[0] == 'p' ? "Pp" : "Po";
  if (cls == "NUM") return a[0] == 'o' ? "Nuo" : "Nuc";
  if (cls == "INT") return "In";
  return code;
}


// ---------------------------------------------------------------------------------------
// Forms that a sense's own line does not give.

// The principal parts of a German verb: third person, past, past participle, present
// participle, auxiliary and inflection class.
struct german_verb {
  std::string third, past, past_part, pres;
  char aux = '-';
  std::string verb_class;
};

// The forms of an English verb: third person, past, past participle, -ing form.
struct english_verb {
  std::string third, past, past_part, ing;
};


bool is_vowel(char c) { return std::string_view("aeiou").find(c) != std::string_view::npos; }

// One vowel group and a final consonant after a single vowel: "stop" -> "stopp-".
bool doubles_final(const std::string& v) {
  if (v.size() < 3) return false;
  const char a = v[v.size() - 3], b = v[v.size() - 2], c = v.back();
  if (is_vowel(a) || !is_vowel(b) || is_vowel(c) || c == 'w' || c == 'x' || c == 'y') return false;
  int groups = 0;
  for (size_t i = 0; i < v.size(); ++i) groups += is_vowel(v[i]) && (i == 0 || !is_vowel(v[i - 1]));
  return groups == 1;
}

bool ascii_lower_word(const std::string& w) {
  for (char c : w) {
    if (c < 'a' || c > 'z') return false;
  }
  return !w.empty();
}

// The regular forms of an English verb (a lower-case ASCII word).
english_verb regular_english_verb(const std::string& v) {
  english_verb e;
  const char last = v.back();
  const bool cons_y = last == 'y' && v.size() > 1 && !is_vowel(v[v.size() - 2]);
  if (ends_with_s(v, "s") || ends_with_s(v, "x") || ends_with_s(v, "z") || ends_with_s(v, "ch") ||
      ends_with_s(v, "sh") || ends_with_s(v, "o")) {
    e.third = v + "es";
  } else if (cons_y) {
    e.third = v.substr(0, v.size() - 1) + "ies";
  } else {
    e.third = v + "s";
  }
  if (ends_with_s(v, "ie")) {
    e.ing = v.substr(0, v.size() - 2) + "ying";
  } else if (last == 'e' && !ends_with_s(v, "ee") && !ends_with_s(v, "ye") && !ends_with_s(v, "oe")) {
    e.ing = v.substr(0, v.size() - 1) + "ing";
  } else if (doubles_final(v)) {
    e.ing = v + last + "ing";
  } else {
    e.ing = v + "ing";
  }
  if (last == 'e') {
    e.past = v + "d";
  } else if (cons_y) {
    e.past = v.substr(0, v.size() - 1) + "ied";
  } else if (doubles_final(v)) {
    e.past = v + last + "ed";
  } else {
    e.past = v + "ed";
  }
  e.past_part = e.past;
  return e;
}

std::string regular_english_plural(const std::string& n) {
  const char last = n.back();
  if (ends_with_s(n, "s") || ends_with_s(n, "x") || ends_with_s(n, "z") || ends_with_s(n, "ch") ||
      ends_with_s(n, "sh")) {
    return n + "es";
  }
  if (last == 'y' && n.size() > 1 && !is_vowel(n[n.size() - 2])) return n.substr(0, n.size() - 1) + "ies";
  return n + "s";
}

// The first letter of a German word in upper or lower case (a-z and the umlauts).
std::string first_letter_case(const std::string& w, bool upper) {
  std::string out = w;
  if (out.empty()) return out;
  if (upper && out[0] >= 'a' && out[0] <= 'z') out[0] = static_cast<char>(out[0] - 'a' + 'A');
  if (!upper && out[0] >= 'A' && out[0] <= 'Z') out[0] = static_cast<char>(out[0] - 'A' + 'a');
  if (out.size() >= 2 && out[0] == '\xc3') {
    const std::string_view lower = "\xa4\xb6\xbc", capital = "\x84\x96\x9c";
    const std::string_view from = upper ? lower : capital, to = upper ? capital : lower;
    const size_t k = from.find(out[1]);
    if (k != std::string_view::npos) out[1] = to[k];
  }
  return out;
}

const char* const kSeparable[] = {"auseinander", "entgegen", "herunter", "hinunter", "zurecht", "vorüber", "hervor",
                                  "herauf", "hinauf", "heran", "herum", "umher", "davon", "hinzu", "dazu",
                                  "zusammen", "zurück", "vorbei", "voraus", "hinein", "hinaus", "heraus",
                                  "herein", "nieder", "weiter", "empor", "voran", "fort", "frei", "hoch",
                                  "fest", "nach", "her", "hin", "los", "mit", "weg", "auf", "aus", "bei",
                                  "ein", "vor", "ab", "an", "zu", "dar"};
const char* const kInseparable[] = {"miss", "emp", "ent", "zer", "ver", "be", "er", "ge"};

// A letter as the German word counts see it: a-z, A-Z and every byte of a UTF-8 sequence.
bool german_letter(char ch) {
  const unsigned char c = static_cast<unsigned char>(ch);
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c >= 0x80;
}

bool one_word(const std::string& s) { return !s.empty() && s.find(' ') == std::string::npos; }

// One English word, perhaps hyphenated ("e - mail" as the cleaned text writes it).
bool one_english_word(std::string en) {
  replace_all_text(en, " - ", "-");
  return one_word(en);
}

// The number of vowel groups of an English word, a final silent e not counted ("nice": 1).
int english_syllables(const std::string& w) {
  int groups = 0;
  for (size_t i = 0; i < w.size(); ++i) {
    const bool vowel = is_vowel(w[i]) || (w[i] == 'y' && i > 0);
    const bool before = i > 0 && (is_vowel(w[i - 1]) || (w[i - 1] == 'y' && i > 1));
    groups += vowel && !before;
  }
  if (w.size() > 2 && w.back() == 'e' && !is_vowel(w[w.size() - 2]) && !ends_with_s(w, "le") && groups > 1) --groups;
  return groups;
}

// The comparative and superlative of an English adjective by the rules, or "" for one
// that forms them with more and most: only words of one syllable and those of two that
// end in -y, -le, -ow or -er take -er and -est (clear, nice, big, happy, simple, narrow).
std::pair<std::string, std::string> regular_english_degrees(const std::string& a) {
  if (!ascii_lower_word(a) || a.size() < 3) return {};
  const int syllables = english_syllables(a);
  const bool two_ok = ends_with_s(a, "y") || ends_with_s(a, "le") || ends_with_s(a, "ow") || ends_with_s(a, "er");
  if (syllables < 1 || syllables > 2 || (syllables == 2 && !two_ok)) return {};
  const char last = a.back();
  if (last == 'e') return {a + "r", a + "st"};
  if (last == 'y' && !is_vowel(a[a.size() - 2])) {
    const std::string stem = a.substr(0, a.size() - 1);
    return {stem + "ier", stem + "iest"};
  }
  if (doubles_final(a)) return {a + last + "er", a + last + "est"};
  return {a + "er", a + "est"};
}

// The comparative and superlative of a German adjective of one word by the rules, as the
// grammar inflects them (klar: klarer, klarste; dunkel: dunkler; teuer: teurer; laut:
// lauteste; the common ones with an umlaut from a list: stark: stärker); "" for a word the
// rules do not fit.
std::pair<std::string, std::string> regular_german_degrees(const std::string& g) {
  // The common adjectives whose forms take an umlaut or are irregular.
  static const std::map<std::string, std::pair<std::string, std::string>> kIrregular = {
      {"alt", {"älter", "älteste"}},       {"arm", {"ärmer", "ärmste"}},
      {"dumm", {"dümmer", "dümmste"}},     {"gesund", {"gesünder", "gesündeste"}},
      {"grob", {"gröber", "gröbste"}},     {"groß", {"größer", "größte"}},
      {"gut", {"besser", "beste"}},        {"hart", {"härter", "härteste"}},
      {"hoch", {"höher", "höchste"}},      {"jung", {"jünger", "jüngste"}},
      {"kalt", {"kälter", "kälteste"}},    {"klug", {"klüger", "klügste"}},
      {"krank", {"kränker", "kränkste"}},  {"kurz", {"kürzer", "kürzeste"}},
      {"lang", {"länger", "längste"}},     {"nah", {"näher", "nächste"}},
      {"scharf", {"schärfer", "schärfste"}}, {"schwach", {"schwächer", "schwächste"}},
      {"schwarz", {"schwärzer", "schwärzeste"}}, {"stark", {"stärker", "stärkste"}},
      {"viel", {"mehr", "meiste"}},        {"warm", {"wärmer", "wärmste"}}};
  auto irregular = kIrregular.find(g);
  if (irregular != kIrregular.end()) return irregular->second;
  if (!one_word(g) || g.size() < 2 || !(g[0] >= 'a' && g[0] <= 'z')) return {};
  for (char c : g) {
    if (!german_letter(c)) return {};
  }
  std::string comparative = g + "er";
  if (ends_with_s(g, "e")) {
    comparative = g + "r";
  } else if (ends_with_s(g, "el")) {
    comparative = g.substr(0, g.size() - 2) + "ler";
  } else if (ends_with_s(g, "euer") || ends_with_s(g, "auer")) {
    comparative = g.substr(0, g.size() - 2) + "rer";
  }
  bool e = false;
  for (std::string_view end : {"d", "t", "s", "ß", "x", "z", "sk"}) e |= ends_with_s(g, end);
  if (ends_with_s(g, "end")) e = false;  // a participle: spannendste
  if (ends_with_s(g, "e")) return {comparative, g + "ste"};
  return {comparative, g + (e ? "este" : "ste")};
}

// ---------------------------------------------------------------------------------------
// Reading the dictionary.

struct slot {
  sense best;
  long support = 0;
  bool chosen = false;  // the overrides' German was found
};

struct noun_heads;

struct builder {
  const rule_facts& facts;
  const dict_overrides& overrides;
  std::unordered_map<std::string_view, int> german_freq;
  compound_evidence evidence;
  // Forms seen anywhere in the dictionary, to complete the senses whose own line has none.
  std::unordered_map<std::string, german_verb> german_verbs;    // infinitive -> parts
  // infinitive + '\t' + 3 (third person), p (past) or P (participle) -> each form the
  // lines give and how many lines give it
  std::unordered_map<std::string, std::map<std::string, int>> form_votes;
  std::unordered_map<std::string, english_verb> english_verbs;  // base -> forms
  std::unordered_map<std::string, std::string> german_plurals;  // singular -> plural
  std::unordered_map<std::string, std::string> english_plurals;
  std::unordered_map<std::string, char> german_genders;         // noun -> gender
  std::unordered_map<std::string, char> german_cases;           // preposition -> case
  std::unordered_map<std::string, slot> slots;  // english + '\t' + pos
  dict_counts counts;
  std::set<std::pair<std::string, std::string>> overrides_seen;

  builder(const rule_facts& f, const dict_overrides& o) : facts(f), overrides(o) {}

  // How often the rarest word of a German text occurs on the German side; words are cut
  // at every character that is not a letter, as they were counted (E-Mail: E and Mail).
  int frequency(const std::string& german) const {
    int best = -1;
    size_t i = 0;
    while (i < german.size()) {
      while (i < german.size() && !german_letter(german[i])) ++i;
      size_t j = i;
      while (j < german.size() && german_letter(german[j])) ++j;
      if (j > i) {
        auto it = german_freq.find(std::string_view(german).substr(i, j - i));
        const int f = it == german_freq.end() ? 0 : it->second;
        if (best < 0 || f < best) best = f;
      }
      i = j;
    }
    return best < 0 ? 0 : best;
  }

  void offer(slot& sl, const std::string& english, sense s) {
    const std::pair<std::string, std::string> key{english, kPosName[s.pos]};
    if (overrides.drop.count(key)) return;
    auto ch = overrides.choose.find(key);
    bool chosen = false;
    if (ch != overrides.choose.end() && ch->second == s.forms[0].german) {
      chosen = true;
      overrides_seen.insert(key);
    }
    if (sl.best.forms.empty() || (chosen && !sl.chosen) ||
        (chosen == sl.chosen && s.score < sl.best.score)) {
      sl.best = std::move(s);
      sl.chosen = chosen;
    }
  }

  // The past and past participle an English alternative names in braces: "to go {went;
  // gone}".
  void note_irregular(const std::string& english, const dict_alt& alt) {
    for (const std::string& m : alt.marks) {
      const size_t semi = m.find(';');
      if (semi == std::string::npos) continue;
      auto first = [](std::string t) {
        t = t.substr(0, t.find(','));
        std::vector<std::string> w = split_blanks(t);
        return w.size() == 1 && english_word_ok(w[0]) ? w[0] : std::string();
      };
      const std::string past = first(m.substr(0, semi)), pp = first(m.substr(semi + 1));
      if (past.empty() || pp.empty()) continue;
      english_verb& ev = english_verbs[split_blanks(english)[0]];
      if (ev.past.empty()) ev.past = past;
      if (ev.past_part.empty()) ev.past_part = pp;
    }
  }

  // The forms of the verb that ends a German phrase, from the phrase's forms: "logisch
  // denken" with "denkt logisch", "dachte logisch", "logisch gedacht" gives denkt, dachte,
  // gedacht, the forms every line of "denken" may lack.
  void note_last_verb(const std::string& de, const std::string& third, const std::string& past,
                      const std::string& past_part, const std::string& pres, const sense& s) {
    std::vector<std::string> w = split_blanks(de);
    if (w.size() < 2) return;
    const std::vector<std::string> front(w.begin(), w.end() - 1);
    const std::string verb = w.back();
    // A form that is the front words and one word in front of them or behind them.
    auto single = [&](const std::string& f, bool behind) {
      std::vector<std::string> x = split_blanks(f);
      if (x.size() != w.size()) return std::string();
      const std::vector<std::string> others = behind ? std::vector<std::string>(x.begin(), x.end() - 1)
                                                     : std::vector<std::string>(x.begin() + 1, x.end());
      return others == front ? (behind ? x.back() : x.front()) : std::string();
    };
    const std::string t = single(third, false), p = single(past, false), pp = single(past_part, true),
                      g = single(pres, true);
    if (t.empty() && p.empty() && pp.empty()) return;
    german_verb& gv = german_verbs[verb];
    if (gv.third.empty()) gv.third = t;
    if (gv.past.empty()) gv.past = p;
    if (gv.past_part.empty()) gv.past_part = pp;
    if (gv.pres.empty()) gv.pres = g;
    if (gv.aux == '-') gv.aux = s.aux;
    if (gv.verb_class.empty() || gv.verb_class == "Vuk") {
      gv.verb_class = verb_class_of(verb, gv.past, gv.past_part);
    }
  }
  void complete(sense& s, const noun_heads& heads, const std::unordered_set<std::string>& strong) const;
  // Gives every German verb the forms most of its lines give: a line now and then puts a
  // form in the wrong place (besitzen: besitzt as its participle, besessen in five lines).
  void settle_verb_forms() {
    for (auto& [inf, gv] : german_verbs) {
      bool changed = false;
      for (auto [kind, field] : {std::pair<char, std::string*>{'3', &gv.third}, {'p', &gv.past}, {'P', &gv.past_part}}) {
        auto v = form_votes.find(inf + '\t' + kind);
        if (v == form_votes.end()) continue;
        const auto current = v->second.find(*field);
        int best = current == v->second.end() ? 0 : current->second;
        for (const auto& [f, n] : v->second) {
          if (n > best) {
            best = n;
            *field = f;
            changed = true;
          }
        }
      }
      if (changed) gv.verb_class = verb_class_of(inf, gv.past, gv.past_part);
    }
  }
  // Puts the overrides that no dictionary line offered into their slots.
  void synthesise_overrides();


  // Offers the senses of one line; returns how many.
  int take_line(const dict_line& line, long number);

  // A predicate "to be afraid" given as an adjective and "sein" ("ängstlich sein") is
  // the adjective (afraid: ängstlich), behind any line that gives the adjective itself;
  // returns 1 when it offered one.
  int offer_predicate(const dict_alt& english, const dict_alt& german, long number, size_t h, size_t i,
                      size_t j, bool domain) {
    if (!starts_with_s(english.text, "to be ")) return 0;
    const std::string word = english.text.substr(6);
    if (!ascii_lower_word(word)) return 0;
    const std::vector<std::string> w = split_blanks(clean_german(german.text, kAdj));
    if (w.size() != 2 || w[1] != "sein" || !(w[0][0] >= 'a' && w[0][0] <= 'z')) return 0;
    for (char c : w[0]) {
      if (!german_letter(c)) return 0;
    }
    sense s;
    s.line = number;
    s.pos = kAdj;
    s.predicate = true;
    s.forms.push_back({word, w[0], kBase});
    s.score = 3.0 * std::min<size_t>(j, 3) + 1.0 * std::min<size_t>(i, 4) + (h > 0 ? 2 : 0) + (domain ? 4 : 0) +
              alt_style_penalty(german) + alt_style_penalty(english) + 0.04 * static_cast<double>(w[0].size()) -
              0.8 * std::log(1.0 + frequency(w[0])) + kPredicatePenalty;
    offer(slots[word + "\ta"], word, std::move(s));
    return 1;
  }
};

// The parts that hold a verb's principal parts after its head `h`.
struct verb_parts {
  long pres = -1, past_part = -1, third = -1, past = -1;
  char aux = '-';
  size_t next = 0;
};

verb_parts find_verb_parts(const dict_line& line, size_t h) {
  verb_parts vp;
  size_t k = h + 1;
  const size_t n = line.german.size();
  auto usable = [&](size_t idx) {
    return idx < n && !part_has_marks(line.german[idx]) && !line.german[idx].empty() &&
           !line.english[idx].empty();
  };
  if (usable(k) && word_ends_with(line.english[k][0].text, "ing") &&
      word_ends_with(line.german[k][0].text, "nd")) {
    vp.pres = static_cast<long>(k++);
    bool pg = false, pe = false;
    std::string which;
    if (usable(k)) {
      drop_german_pronoun(line.german[k][0].text, pg);
      drop_english_pronoun(line.english[k][0].text, pe, which);
      if (!pg && !pe && !starts_with_s(line.english[k][0].text, "to ")) vp.past_part = static_cast<long>(k++);
    }
  }
  while (usable(k)) {
    bool pg = false, pe = false;
    std::string which;
    std::string g = drop_german_pronoun(line.german[k][0].text, pg);
    std::string e = drop_english_pronoun(line.english[k][0].text, pe, which);
    if (pg && pe) {
      std::vector<std::string> ew = split_blanks(e), gw = split_blanks(g);
      if (!ew.empty() && (starts_with_s(ew[0], "has") || starts_with_s(ew[0], "have") || ew[0] == "had")) {
        if (!gw.empty() && vp.aux == '-') {
          if (starts_with_s(gw[0], "hat") || starts_with_s(gw[0], "habe")) vp.aux = 'h';
          if (starts_with_s(gw[0], "ist") || starts_with_s(gw[0], "sind") || starts_with_s(gw[0], "bin")) vp.aux = 's';
        }
      } else if (e.find("would") != std::string::npos || g.find("würde") != std::string::npos) {
        // a subjunctive: not used
      } else if ((which == "he/she" || which == "he/she/it" || which == "he" || which == "she" ||
                  which == "it") && vp.third < 0) {
        vp.third = static_cast<long>(k);
      } else if (which.find("I/") == 0 && which.find("he") != std::string::npos && vp.past < 0) {
        vp.past = static_cast<long>(k);
      } else if ((which == "he/she" || which == "he/she/it" || which == "he" || which == "she" ||
                  which == "it") && vp.past < 0 && e.find("not") == std::string::npos &&
                 e.find("n't") == std::string::npos && e.find("n’t") == std::string::npos) {
        // The second part in the third person is the past: "it happens | it happened".
        vp.past = static_cast<long>(k);
      }
      ++k;
      continue;
    }
    if (!pg && !pe && vp.past_part >= 0 && split_blanks(e).size() == 1 &&
        !starts_with_s(e, "to ")) {
      if (vp.third < 0 && vp.past < 0 && ends_with_s(e, "s")) {
        vp.third = static_cast<long>(k++);
        continue;
      }
      if (vp.past < 0) {
        vp.past = static_cast<long>(k++);
        continue;
      }
    }
    break;
  }
  vp.next = k;
  return vp;
}

// A form from part `k` for German alternative `i` and English alternative `j` of the
// head part `h`; false when the part has none for them.
bool form_from(const dict_line& line, size_t h, long k, size_t i, size_t j, pos_t pos, form_t kind,
               form& out) {
  if (k < 0) return false;
  const dict_alt* g = aligned(line.german[k], i, line.german[h].size());
  const dict_alt* e = aligned(line.english[k], j, line.english[h].size());
  if (!g || !e) return false;
  bool p = false;
  std::string which;
  std::string gt = g->text, et = e->text;
  if (pos == kVerb) {
    gt = drop_german_pronoun(gt, p);
    et = drop_english_pronoun(et, p, which);
  }
  if (pos == kAdj || pos == kAdv) {
    if (kind == kSuperlative && starts_with_s(gt, "am ")) {
      gt.erase(0, 3);
      if (ends_with_s(gt, "n")) gt.pop_back();
    }
  }
  out.german = clean_german(gt, pos);
  out.english = clean_english(et, pos == kVerb ? kAdj : pos);
  out.kind = kind;
  return !out.german.empty() && !out.english.empty();
}


// True when a German form can belong to a German verb of one word: its first letter is
// the verb's, or the form is a word and a separable prefix behind it that the verb begins
// with (aufbauen: baute auf). The dictionary sometimes lists the forms of a line's other
// verbs in the wrong places (aufbauen: erbaute; bestehen: bestanden aus).
bool fits_verb(const std::string& inf, const std::string& f) {
  if (!one_word(inf)) return true;
  const std::vector<std::string> w = split_blanks(f);
  if (w.size() == 1) {
    if (f.empty()) return false;
    if (lower_ascii(f.substr(0, 1)) == lower_ascii(inf.substr(0, 1))) return true;
    // Another first letter is a vowel that changed (essen: isst, aß), unless the form
    // begins with a prefix the verb has not (aufbauen: erbaut).
    for (const char* const* list : {kSeparable, kInseparable}) {
      const size_t n = list == kSeparable ? std::size(kSeparable) : std::size(kInseparable);
      for (size_t k = 0; k < n; ++k) {
        if (starts_with_s(f, list[k]) && f.size() > std::string_view(list[k]).size() + 2) return false;
      }
    }
    return true;
  }
  if (w.size() != 2 || !starts_with_s(inf, w[1]) || inf.size() <= w[1].size()) return false;
  return lower_ascii(w[0].substr(0, 1)) == lower_ascii(inf.substr(w[1].size(), 1));
}

bool takes_e(const std::string& stem);

// The verbs whose participle does not end in t and every end of them of five letters at
// least (angesprochen: ansprechen, sprechen, prechen, rechen):
// a verb that ends in one of them is not weak.
std::unordered_set<std::string> strong_verbs(const std::unordered_map<std::string, german_verb>& table) {
  std::unordered_set<std::string> out;
  for (const auto& [inf, v] : table) {
    if (v.past_part.empty() || ends_with_s(v.past_part, "t") || !one_word(inf)) continue;
    for (size_t k = 0; k + 5 <= inf.size(); ++k) out.insert(inf.substr(k));
  }
  return out;
}

// The past participle of a German verb of one word as a weak verb has it (gedient,
// abgeholt, bezahlt, studiert); "" when the verb ends in a verb with another participle
// (davonkommen: kommen, gekommen; sprechen: angesprochen) or is no verb in -en, -eln or
// -ern.
std::string weak_participle(const std::unordered_set<std::string>& strong, const std::string& inf) {
  if (!one_word(inf) || inf.size() < 4 || !ends_with_s(inf, "n")) return "";
  for (size_t k = 0; k + 5 <= inf.size(); ++k) {
    if (strong.count(inf.substr(k))) return "";
  }
  std::string prefix, rest = inf;
  for (const char* p : kSeparable) {
    if (starts_with_s(inf, p) && inf.size() > std::string_view(p).size() + 4) {
      prefix = p;
      rest = inf.substr(prefix.size());
      break;
    }
  }
  bool ge = !ends_with_s(rest, "ieren");
  for (const char* p : kInseparable) ge = ge && !starts_with_s(rest, p);
  const bool en = ends_with_s(rest, "en") && !ends_with_s(rest, "eln") && !ends_with_s(rest, "ern");
  if (!en && !ends_with_s(rest, "eln") && !ends_with_s(rest, "ern")) return "";
  const std::string stem = rest.substr(0, rest.size() - (en ? 2 : 1));
  if (stem.size() < 2) return "";
  return prefix + (ge ? "ge" : "") + stem + (takes_e(stem) ? "e" : "") + "t";
}

// The same for a past participle: one word beginning as the verb does or with "ge".
bool fits_participle(const std::string& inf, const std::string& f) {
  if (!one_word(inf)) return true;
  return one_word(f) && (starts_with_s(f, "ge") || lower_ascii(f.substr(0, 1)) == lower_ascii(inf.substr(0, 1)));
}

bool derived_verb_forms(const std::unordered_map<std::string, german_verb>& table, const std::string& inf,
                        german_verb& out);

// The principal parts of a German verb: seen with the verb itself, or derived from its
// base verb through a prefix, or regular for a verb in -ieren. A form the verb's own lines
// lack is derived as well when the derived participle is the one they give (benehmen:
// benommen, and benahm from nehmen).
bool german_verb_forms(const std::unordered_map<std::string, german_verb>& table, const std::string& inf,
                       german_verb& out) {
  auto it = table.find(inf);
  if (it == table.end()) return derived_verb_forms(table, inf, out);
  out = it->second;
  german_verb d;
  if ((out.third.empty() || out.past.empty()) && derived_verb_forms(table, inf, d) &&
      (out.past_part.empty() || out.past_part == d.past_part)) {
    if (out.third.empty()) out.third = d.third;
    if (out.past.empty()) out.past = d.past;
    if (out.past_part.empty()) out.past_part = d.past_part;
    if (out.pres.empty()) out.pres = d.pres;
    if (out.verb_class.empty() || out.verb_class == "Vuk") out.verb_class = d.verb_class;
  }
  return true;
}

// The parts of a German verb derived from its base verb through a prefix, or regular for
// a verb in -ieren.
bool derived_verb_forms(const std::unordered_map<std::string, german_verb>& table, const std::string& inf,
                        german_verb& out) {
  if (!one_word(inf)) return false;
  for (const char* p : kSeparable) {
    const std::string pre = p;
    if (!starts_with_s(inf, pre) || inf.size() < pre.size() + 4) continue;
    auto b = table.find(inf.substr(pre.size()));
    if (b == table.end() || !one_word(b->second.third) || !one_word(b->second.past) ||
        !one_word(b->second.past_part)) {
      continue;
    }
    out = b->second;
    out.third = b->second.third + " " + pre;
    out.past = b->second.past + " " + pre;
    out.past_part = pre + b->second.past_part;
    out.pres = b->second.pres.empty() ? "" : pre + b->second.pres;
    return true;
  }
  for (const char* p : kInseparable) {
    const std::string pre = p;
    if (!starts_with_s(inf, pre) || inf.size() < pre.size() + 4) continue;
    auto b = table.find(inf.substr(pre.size()));
    if (b == table.end() || !one_word(b->second.third) || !one_word(b->second.past) ||
        !starts_with_s(b->second.past_part, "ge") || !one_word(b->second.past_part)) {
      continue;
    }
    out = b->second;
    out.third = pre + b->second.third;
    out.past = pre + b->second.past;
    out.past_part = pre + b->second.past_part.substr(2);
    out.pres = b->second.pres.empty() ? "" : pre + b->second.pres;
    return true;
  }
  if (ends_with_s(inf, "ieren") && inf.size() > 6) {
    const std::string stem = inf.substr(0, inf.size() - 2);
    out.third = stem + "t";
    out.past = stem + "te";
    out.past_part = stem + "t";
    out.pres = inf + "d";
    out.aux = 'h';
    out.verb_class = "Vrg";
    return true;
  }
  return false;
}

// The stem of a weak German verb takes an e before the endings t and te when it ends in
// d or t, or in m or n after a consonant other than l, r, h, m, n (redet, öffnete, atmet).
bool takes_e(const std::string& stem) {
  if (stem.empty()) return false;
  const char last = stem.back();
  if (last == 'd' || last == 't') return true;
  if ((last == 'm' || last == 'n') && stem.size() >= 2) {
    const char before = stem[stem.size() - 2];
    return !is_vowel(before) && std::string_view("lrhmn").find(before) == std::string_view::npos &&
           static_cast<unsigned char>(before) < 0x80;
  }
  return false;
}

// True when the present tense of a strong verb keeps the vowel of its stem: its first
// vowel (behind an inseparable prefix) is not e, a or au, which become i, ie, ä, äu in
// the third person (gibt, sieht, fährt, läuft).
bool keeps_stem_vowel(std::string stem) {
  for (const char* p : kInseparable) {
    if (starts_with_s(stem, p) && stem.size() > std::string_view(p).size() + 2) {
      stem = stem.substr(std::string_view(p).size());
      break;
    }
  }
  for (size_t i = 0; i < stem.size(); ++i) {
    const char c = stem[i];
    if (static_cast<unsigned char>(c) >= 0x80) return true;  // ä ö ü
    if (!is_vowel(c)) continue;
    const char next = i + 1 < stem.size() ? stem[i + 1] : ' ';
    if (c == 'e') return next == 'i' || next == 'u';  // ei, eu
    if (c == 'a') return false;                        // a, au
    return true;                                       // i, ie, o, u
  }
  return false;
}

// The forms of a German verb that follow the rules, from its infinitive and past
// participle, a separable prefix put behind (aufmachen, aufgemacht: macht auf, machte
// auf): for a weak verb (past participle in t from the same stem) the third person, the
// past and the present participle; for a mixed verb (denken, gedacht) and a strong verb
// whose stem vowel stays (beginnen) the third person and the present participle. False
// when none follows.
bool regular_german_verb(const std::string& inf, const std::string& past_part, german_verb& out) {
  if (!one_word(inf) || !one_word(past_part) || !ends_with_s(inf, "n")) return false;
  std::string prefix, rest = inf;
  for (const char* p : kSeparable) {
    if (starts_with_s(inf, p) && starts_with_s(past_part, std::string(p) + "ge") &&
        inf.size() > std::string_view(p).size() + 3) {
      prefix = p;
      rest = inf.substr(prefix.size());
      break;
    }
  }
  // -eln and -ern lose only their n (sammeln: sammelt), the others their en.
  const bool en = ends_with_s(rest, "en") && !ends_with_s(rest, "eln") && !ends_with_s(rest, "ern");
  const std::string stem = rest.substr(0, rest.size() - (en ? 2 : 1));
  if (stem.size() < 2) return false;
  const std::string e = takes_e(stem) ? "e" : "";
  const std::string behind = prefix.empty() ? "" : " " + prefix;
  if (rest == "haben") {  // gehabt looks weak, but haben has hat and hatte
    out.third = "hat" + behind;
    out.past = "hatte" + behind;
    out.past_part = past_part;
    out.pres = inf + "d";
    out.verb_class = "Vir";
    return true;
  }
  const bool weak = past_part == prefix + "ge" + stem + e + "t" || past_part == prefix + stem + e + "t";
  const bool mixed = !weak && ends_with_s(past_part, "t");  // denken, gedacht: denkt
  if (!weak && !mixed && !keeps_stem_vowel(stem)) return false;
  out.third = stem + e + "t" + behind;
  out.past = weak ? stem + e + "te" + behind : "";
  out.past_part = past_part;
  out.pres = inf + "d";
  out.verb_class = weak ? "Vrg" : "";
  return true;
}

// The plural of a German noun: seen with the noun, or that of the noun its last part is
// ("Reihenhaus" like "Haus"), when the genders agree.
// The nouns whose plural is known, written with a small first letter as they stand at the
// end of a compound, with their gender and plural.
struct noun_heads {
  std::deque<std::string> names;  // owns the texts the index points into
  std::unordered_map<std::string_view, std::pair<char, const std::string*>> index;
};

noun_heads make_noun_heads(const std::unordered_map<std::string, std::string>& plurals,
                           const std::unordered_map<std::string, char>& genders) {
  noun_heads h;
  h.index.reserve(plurals.size());
  for (const auto& [noun, plural] : plurals) {
    auto g = genders.find(noun);
    if (g == genders.end() || !one_word(noun) || !one_word(plural) || noun.size() < 3) continue;
    h.names.push_back(first_letter_case(noun, false));
    h.index.emplace(std::string_view(h.names.back()), std::make_pair(g->second, &plural));
  }
  return h;
}

// The plural of a German noun that no line gives, by the commonest rule for its gender and
// ending (Zeitung: Zeitungen, Lehrerin: Lehrerinnen, Lehrer: Lehrer, Auto: Autos, Tag:
// Tage); "" for a noun of several words. An umlaut the plural may take is not made.
std::string regular_german_plural(const std::string& noun, char gender) {
  if (!one_word(noun) || noun.size() < 3 || !((noun[0] >= 'A' && noun[0] <= 'Z') || noun[0] == '\xc3')) return "";
  const char last = noun.back();
  if (std::string_view("aiouy").find(last) != std::string_view::npos) return noun + "s";
  if (ends_with_s(noun, "nis")) return noun + "se";
  if (gender == 'f') {
    for (std::string_view person : {"erin", "istin", "antin", "entin", "ndin", "tin", "gin"}) {
      if (ends_with_s(noun, person)) return noun + "nen";
    }
    if (last == 'e' || ends_with_s(noun, "el") || ends_with_s(noun, "er")) return noun + "n";
    return noun + "en";
  }
  if (gender != 'm' && gender != 'n') return "";
  for (std::string_view same : {"er", "el", "en", "chen", "lein"}) {
    if (ends_with_s(noun, same)) return noun;
  }
  if (ends_with_s(noun, "ee")) return noun + "s";  // Tee, Kaffee
  if (last == 'e') return noun + "n";
  // Student, Polizist, Soldat: the weak nouns of foreign origin.
  for (std::string_view weak : {"ist", "ent", "ant", "at", "graf", "nom"}) {
    if (gender == 'm' && ends_with_s(noun, weak)) return noun + "en";
  }
  if (ends_with_s(noun, "um")) return noun.substr(0, noun.size() - 2) + "en";
  return noun + "e";
}

std::string german_plural(const std::unordered_map<std::string, std::string>& plurals,
                          const noun_heads& heads, const std::string& noun, char gender) {
  auto it = plurals.find(noun);
  if (it != plurals.end()) return it->second;
  if (!one_word(noun)) return "";
  const std::string_view n(noun);
  for (size_t k = 1; k + 3 <= noun.size(); ++k) {
    const unsigned char c = static_cast<unsigned char>(noun[k]);
    if ((c & 0xC0) == 0x80 || !((c >= 'a' && c <= 'z') || c == 0xC3)) continue;
    auto p = heads.index.find(n.substr(k));
    if (p == heads.index.end() || p->second.first != gender) continue;
    return noun.substr(0, k) + first_letter_case(*p->second.second, false);
  }
  return "";
}

void builder::complete(sense& s, const noun_heads& heads, const std::unordered_set<std::string>& strong) const {
  auto has = [&](form_t k) {
    for (const form& f : s.forms) {
      if (f.kind == k) return true;
    }
    return false;
  };
  const std::string en = s.forms[0].english, de = s.forms[0].german;
  if (s.pos == kNoun && s.gender != '-' && !s.proper && !has(kPlural)) {
    std::string plural = german_plural(german_plurals, heads, de, s.gender);
    // A plural by rule only where the English plural is no verb's third person as well
    // (gives): a noun reading made up for it would stand in the verb's way.
    if (plural.empty() && slots.find(en + "\tv") == slots.end()) plural = regular_german_plural(de, s.gender);
    if (plural.empty()) return;
    std::string english;
    auto e = english_plurals.find(en);
    if (e != english_plurals.end()) {
      english = e->second;
    } else {
      std::vector<std::string> w = split_blanks(en);
      if (!ascii_lower_word(w.back())) return;
      w.back() = regular_english_plural(w.back());
      english = join(w);
    }
    s.forms.push_back({english, plural, kPlural});
    return;
  }
  if (s.pos != kVerb || (has(kThird) && has(kPast) && has(kPastPart) && has(kPresPart))) return;
  // The forms the sense's own line lacks, each on its own: a line may give the
  // participles and leave the third person and the past to another line.
  german_verb g;
  const bool seen_german = german_verb_forms(german_verbs, de, g);
  for (const form& f : s.forms) {
    if (f.kind == kPastPart && g.past_part.empty()) g.past_part = f.german;
  }
  if (!seen_german && g.past_part.empty()) {
    // A verb no line gives forms for is weak, unless it ends in a verb that is not.
    g.past_part = weak_participle(strong, de);
    if (g.past_part.empty()) return;
    g.aux = 'h';
  }
  german_verb regular;
  if (regular_german_verb(de, g.past_part, regular)) {
    if (g.third.empty()) g.third = regular.third;
    if (g.past.empty()) g.past = regular.past;
    if (g.pres.empty()) g.pres = regular.pres;
    if (g.verb_class.empty() || g.verb_class == "Vuk") g.verb_class = regular.verb_class;
  }
  std::vector<std::string> w = split_blanks(en);
  english_verb e;
  auto full = english_verbs.find(en);
  auto base = english_verbs.find(w[0]);
  const english_verb none;
  const english_verb& seen_full = full == english_verbs.end() ? none : full->second;
  const english_verb& seen = base == english_verbs.end() ? none : base->second;
  const bool regular_english = ascii_lower_word(w[0]);
  if (!regular_english && full == english_verbs.end() && (seen.past.empty() || seen.past_part.empty())) return;
  if (regular_english) e = regular_english_verb(w[0]);
  if (!seen.third.empty()) e.third = seen.third;
  if (!seen.past.empty()) e.past = seen.past;
  if (!seen.past_part.empty()) e.past_part = seen.past_part;
  if (!seen.ing.empty()) e.ing = seen.ing;
  const std::string rest = w.size() > 1 ? " " + join(w, 1) : "";
  for (std::string* f : {&e.third, &e.past, &e.past_part, &e.ing}) {
    if (!f->empty()) *f += rest;
  }
  if (!seen_full.third.empty()) e.third = seen_full.third;
  if (!seen_full.past.empty()) e.past = seen_full.past;
  if (!seen_full.past_part.empty()) e.past_part = seen_full.past_part;
  if (!seen_full.ing.empty()) e.ing = seen_full.ing;
  // A regular past is spelled as the participle the line gives (occurred, not the
  // rule's "occured"): the rule cannot tell when a consonant doubles. The rule's spelling
  // stays as a second past, as it is the American one of some (tunneled, tunnelled).
  std::string rule_past;
  if (seen.past.empty() && seen_full.past.empty()) {
    for (const form& f : s.forms) {
      const std::vector<std::string> pw = split_blanks(f.english);
      if (f.kind == kPastPart && pw.size() == w.size() && ends_with_s(pw[0], "ed") && f.english != e.past) {
        rule_past = e.past;
        e.past = f.english;
      }
    }
  }
  auto add = [&](const std::string& english, const std::string& german, form_t kind) {
    if (!english.empty() && !german.empty() && !has(kind)) s.forms.push_back({english, german, kind});
  };
  add(e.third, g.third, kThird);
  const bool past_seen = has(kPast);
  add(e.past, g.past, kPast);
  if (!rule_past.empty() && !g.past.empty() && !past_seen) s.forms.push_back({rule_past, g.past, kPast});
  add(e.past_part, g.past_part, kPastPart);
  add(e.ing, g.pres, kPresPart);
  if (s.aux == '-' && g.aux != '-') s.aux = g.aux;
  if ((s.verb_class.empty() || s.verb_class == "Vuk") && !g.verb_class.empty()) s.verb_class = g.verb_class;
}

void builder::synthesise_overrides() {
  for (const auto& [key, german] : overrides.choose) {
    if (overrides_seen.count(key)) continue;
    pos_t pos = kPosCount;
    for (int p = 0; p < kPosCount; ++p) {
      if (key.second == kPosName[p]) pos = static_cast<pos_t>(p);
    }
    sense s;
    s.pos = pos;
    s.line = 0;
    std::string de = german;
    if (pos == kNoun) {
      auto g = german_genders.find(de);
      if (g == german_genders.end()) continue;
      s.gender = g->second;
    }
    if (pos == kVerb) {
      s.valency = 'T';
      s.aux = 'h';
    }
    if (pos == kConj) s.subordinating = kSubordinating.count(de) > 0;
    if (pos == kPrep) {
      auto c = german_cases.find(de);
      s.prep_case = kTwoWay.count(de) ? 'w' : c == german_cases.end() ? '-' : c->second;
    }
    s.proper = !key.first.empty() && key.first[0] >= 'A' && key.first[0] <= 'Z';
    s.forms.push_back({key.first, de, kBase});
    slot& sl = slots[key.first + '\t' + key.second];
    sl.best = std::move(s);
    sl.chosen = true;
    if (sl.support == 0) sl.support = 1;
    overrides_seen.insert(key);
  }
}

int builder::take_line(const dict_line& line, long number) {
  int offered = 0;
  std::vector<bool> consumed(line.german.size(), false);
  for (size_t h = 0; h < line.german.size(); ++h) {
    if (consumed[h] || !part_has_marks(line.german[h])) continue;
    const dict_part german = with_marks_spread(line.german[h]);
    const dict_part& english = line.english[h];
    if (!part_has_marks(german) || english.empty()) continue;
    const bool domain = part_has_domain(german) || part_has_domain(english);
    // The head's forms: a plural part, a verb's principal parts, an adjective's degrees.
    long plural = -1, comparative = -1, superlative = -1;
    verb_parts vp;
    {
      char g = '-', pc = '-', v = '-';
      bool po = false, pers = false;
      std::vector<pos_t> head = marks_pos(german[0], g, po, pc, pers, v);
      const bool noun = std::find(head.begin(), head.end(), kNoun) != head.end();
      const bool verb = std::find(head.begin(), head.end(), kVerb) != head.end();
      const bool adj = std::find(head.begin(), head.end(), kAdj) != head.end() ||
                       std::find(head.begin(), head.end(), kAdv) != head.end();
      if (noun && !po && h + 1 < line.german.size() && all_plural(line.german[h + 1])) {
        plural = static_cast<long>(h + 1);
        consumed[h + 1] = true;
      } else if (verb) {
        vp = find_verb_parts(line, h);
        for (size_t k = h + 1; k < vp.next; ++k) consumed[k] = true;
      } else if (adj && h + 2 < line.german.size() && !part_has_marks(line.german[h + 1]) &&
                 !line.german[h + 2].empty() && starts_with_s(line.german[h + 2][0].text, "am ")) {
        comparative = static_cast<long>(h + 1);
        superlative = static_cast<long>(h + 2);
        consumed[h + 1] = consumed[h + 2] = true;
      }
    }
    for (size_t j = 0; j < english.size(); ++j) {
      bool supported[kPosCount] = {};
      std::string cleaned[kPosCount];
      slot* slot_of[kPosCount] = {};
      bool done[kPosCount] = {};
      bool phrasal[kPosCount] = {};
      bool framed[kPosCount] = {};
      for (size_t i = 0; i < german.size(); ++i) {
        const dict_alt& ga = german[i];
        char gender = '-', prep_case = '-', valency = '-';
        bool plural_only = false, personal = false;
        for (pos_t pos : marks_pos(ga, gender, plural_only, prep_case, personal, valency)) {
          if (!done[pos]) {
            cleaned[pos] = clean_english(english[j].text, pos, &phrasal[pos], &framed[pos]);
            if (!cleaned[pos].empty()) slot_of[pos] = &slots[cleaned[pos] + '\t' + kPosName[pos]];
            done[pos] = true;
          }
          const std::string& en = cleaned[pos];
          if (en.empty()) {
            if (pos == kVerb) offered += offer_predicate(english[j], ga, number, h, i, j, domain);
            continue;
          }
          bool reflexive = false;
          const std::string de = clean_german(ga.text, pos, &reflexive);
          if (!supported[pos] && !framed[pos]) {
            slot_of[pos]->support += j == 0 ? 2 : 1;
            supported[pos] = true;
          }
          if (de.empty()) continue;
          sense s;
          s.line = number;
          s.pos = pos;
          s.proper = english[j].text[0] >= 'A' && english[j].text[0] <= 'Z' &&
                     !(english[j].text.size() > 1 && english[j].text[1] >= 'A' && english[j].text[1] <= 'Z');
          s.gender = plural_only ? '-' : gender;
          // The alternative itself tells whether the verb is reflexive: "sich beeilen"
          // under {v} is, "zu jdm. gehen" under the {vr} of its part is not.
          s.valency = reflexive ? 'R' : valency == 'R' ? '-' : valency;
          s.prep_case = kTwoWay.count(de) ? 'w' : prep_case;
          if (pos == kPrep && s.prep_case != '-') german_cases.emplace(de, s.prep_case);
          s.personal = personal;
          s.subordinating = kSubordinating.count(de) > 0;
          s.ordinal = pos == kNum && (ends_with_s(en, "th") || en == "first" || en == "second" ||
                                      en == "third" || ends_with_s(de, "te"));
          s.forms.push_back({en, de, kBase});
          form f;
          if (pos == kNoun && !plural_only &&
              form_from(line, h, plural, i, j, kNoun, kPlural, f)) {
            s.forms.push_back(f);
          }
          if (pos == kVerb) {
            form pres, pp, third, past;
            // The forms of "insist on" hold the preposition: those of "insist" come from
            // elsewhere.
            const bool own = !phrasal[pos];
            const bool has_pres = own && form_from(line, h, vp.pres, i, j, kVerb, kPresPart, pres);
            bool has_pp = own && form_from(line, h, vp.past_part, i, j, kVerb, kPastPart, pp);
            bool has_third = own && form_from(line, h, vp.third, i, j, kVerb, kThird, third);
            bool has_past = own && form_from(line, h, vp.past, i, j, kVerb, kPast, past);
            has_third = has_third && fits_verb(de, third.german);
            has_past = has_past && fits_verb(de, past.german);
            has_pp = has_pp && fits_participle(de, pp.german);
            if (has_third) s.forms.push_back(third);
            if (has_past) s.forms.push_back(past);
            if (has_pp) s.forms.push_back(pp);
            if (has_pres) s.forms.push_back(pres);
            s.aux = vp.aux != '-' ? vp.aux : s.valency == 'T' || s.valency == 'R' ? 'h' : '-';
            s.verb_class = verb_class_of(de, has_past ? past.german : "", has_pp ? pp.german : "");
            if (has_third || has_past || has_pp) {
              if (has_third) ++form_votes[de + "\t3"][third.german];
              if (has_past) ++form_votes[de + "\tp"][past.german];
              if (has_pp) ++form_votes[de + "\tP"][pp.german];
              german_verb& gv = german_verbs[de];
              if (gv.third.empty() && has_third) gv.third = third.german;
              if (gv.past.empty() && has_past) gv.past = past.german;
              if (gv.past_part.empty() && has_pp) gv.past_part = pp.german;
              if (gv.pres.empty() && has_pres) gv.pres = pres.german;
              if (gv.aux == '-') gv.aux = vp.aux;
              if (gv.verb_class.empty() || gv.verb_class == "Vuk") gv.verb_class = s.verb_class;
              note_last_verb(de, has_third ? third.german : "", has_past ? past.german : "",
                             has_pp ? pp.german : "", has_pres ? pres.german : "", s);
              english_verb& ev = english_verbs[en];
              if (ev.third.empty() && has_third) ev.third = third.english;
              if (ev.past.empty() && has_past) ev.past = past.english;
              if (ev.past_part.empty() && has_pp) ev.past_part = pp.english;
              if (ev.ing.empty() && has_pres) ev.ing = pres.english;
            }
            note_irregular(en, english[j]);
          }
          if (pos == kNoun && !s.proper) {
            if (german_genders.find(de) == german_genders.end()) german_genders[de] = s.gender;
            if (s.forms.size() > 1) {
              german_plurals.emplace(de, s.forms[1].german);
              english_plurals.emplace(en, s.forms[1].english);
            }
          }
          if (pos == kAdj || pos == kAdv) {
            if (form_from(line, h, comparative, i, j, pos, kComparative, f)) s.forms.push_back(f);
            if (form_from(line, h, superlative, i, j, pos, kSuperlative, f)) s.forms.push_back(f);
          }
          // The score: lower is better.
          double score = 3.0 * std::min<size_t>(j, 3) + 1.0 * std::min<size_t>(i, 4);
          if (h > 0) score += 2;
          if (domain) score += 4;
          score += alt_style_penalty(ga) + alt_style_penalty(english[j]);
          if (english[j].commented) score += 1;
          if (ga.commented) score += 0.5;
          score += 0.04 * static_cast<double>(de.size());
          score -= 0.8 * std::log(1.0 + frequency(de));
          // A noun sense the dictionary's compounds use (floor: Boden, as in Bodenablauf).
          if (pos == kNoun) score -= 3.0 * std::log(1.0 + compound_agreement(evidence, en, de));
          // A sense the dictionary's phrases use (keep: halten, as in "etw. geheim halten").
          score -= kPhraseWeight * std::log(1.0 + phrase_agreement(evidence, en, de));
          // One English word is rarely best translated by a paraphrase.
          if (one_english_word(en)) score += 2.0 * static_cast<double>(std::count(de.begin(), de.end(), ' '));
          if (s.forms.size() > 1) score -= 1;
          // A name the German writes as the English does stays as written (Jim: Jim, not
          // the James its line gives first).
          if (s.proper && de == en) score -= 3;
          // A verb whose preposition was left out ("insist on") is a last resort.
          if (phrasal[pos]) score += 6;
          // So is, a little, one that needs its objects ("coax sb. to do sth.").
          if (framed[pos]) score += 4;
          s.score = score;
          offer(*slot_of[pos], en, std::move(s));
          ++offered;
        }
      }
    }
  }
  return offered;
}

// Gives the adjectives whose lines list no comparative or superlative the regular ones
// (clearer: klarer, clearest: klarste), the German taken from another sense that lists
// them where there is one (hart: härter). An English form that some line has as a word
// of its own (lighter, cooler) is left to that line, and an adjective taken from a
// predicate gets none ("to be away" has no awayer).
void add_regular_degrees(std::unordered_map<std::string, slot>& slots) {
  std::unordered_set<std::string> english;
  std::unordered_map<std::string, std::pair<std::string, std::string>> german;  // base -> forms
  for (const auto& [name, sl] : slots) {
    english.insert(lower_ascii(name.substr(0, name.find('\t'))));
    for (const form& f : sl.best.forms) {
      english.insert(lower_ascii(f.english));
      if (f.kind == kComparative) german[sl.best.forms[0].german].first = f.german;
      if (f.kind == kSuperlative) german[sl.best.forms[0].german].second = f.german;
    }
  }
  for (auto& [name, sl] : slots) {
    sense& s = sl.best;
    if (s.pos != kAdj || s.predicate || s.forms.empty() || s.forms[0].kind != kBase) continue;
    const std::string& en = s.forms[0].english;
    const std::string& de = s.forms[0].german;
    if (adjective_class(de) == "Aun") continue;
    const auto [en_c, en_s] = regular_english_degrees(en);
    if (en_c.empty()) continue;
    std::pair<std::string, std::string> de_forms = regular_german_degrees(de);
    auto seen = german.find(de);
    if (seen != german.end()) {
      if (!seen->second.first.empty()) de_forms.first = seen->second.first;
      if (!seen->second.second.empty()) de_forms.second = seen->second.second;
    }
    bool has_c = false, has_s = false;
    for (const form& f : s.forms) {
      has_c |= f.kind == kComparative;
      has_s |= f.kind == kSuperlative;
    }
    if (!has_c && !de_forms.first.empty() && !english.count(en_c)) s.forms.push_back({en_c, de_forms.first, kComparative});
    if (!has_s && !de_forms.second.empty() && !english.count(en_s)) s.forms.push_back({en_s, de_forms.second, kSuperlative});
  }
}

// The " | " parts of one side of a line.
void split_parts(std::string_view side, std::vector<std::string_view>& out) {
  out.clear();
  for (size_t from = 0; from <= side.size();) {
    size_t to = side.find(" | ", from);
    if (to == std::string_view::npos) to = side.size();
    out.push_back(side.substr(from, to - from));
    from = to + 3;
  }
}

// True when a part of a line, its trailing labels and marks left aside, ends in ". ! ?":
// an example sentence.
bool ends_a_sentence(std::string_view part) {
  for (;;) {
    while (!part.empty() && part.back() == ' ') part.remove_suffix(1);
    if (part.empty() || (part.back() != ']' && part.back() != '}')) break;
    const size_t open = part.rfind(part.back() == ']' ? '[' : '{');
    if (open == std::string_view::npos) break;
    part = part.substr(0, open);
  }
  return !part.empty() && (part.back() == '.' || part.back() == '!' || part.back() == '?');
}

// Counts the words of the German side of every line. The example sentences count too
// (common words occur in many), but not those held out from the quality measurements:
// they are dropped as the development pairs drop them, by the CRC of their English side.
void count_german_words(std::string_view text, std::unordered_map<std::string_view, int>& freq) {
  freq.reserve(1 << 20);
  size_t pos = 0;
  std::vector<std::string_view> german, english;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    const size_t sep = line.find(" :: ");
    if (sep == std::string_view::npos || line.empty() || line[0] == '#') continue;
    split_parts(line.substr(0, sep), german);
    split_parts(line.substr(sep + 4), english);
    for (size_t k = 0; k < german.size(); ++k) {
      const std::string_view part = german[k];
      if (ends_a_sentence(part) && (k >= english.size() || is_held_out(clean_sub_entry(english[k])))) continue;
      size_t i = 0;
      while (i < part.size()) {
        while (i < part.size() && !german_letter(part[i])) ++i;
        size_t j = i;
        while (j < part.size() && german_letter(part[j])) ++j;
        if (j > i) ++freq[part.substr(i, j - i)];
        i = j;
      }
    }
  }
}

bool ends_in_suffix(const std::string& key, const std::vector<std::string>& suffixes) {
  for (const std::string& s : suffixes) {
    if (!s.empty() && s.size() < key.size() && ends_with_s(key, s)) return true;
  }
  return false;
}

// One reading before the entries are put together.
struct pending {
  dict_reading r;
  std::string pos;
  bool proper = false;
  long support = 0;
  bool own = false;
  int pos_order = 0;
  int kind_order = 0;
  double score = 0;
  bool tail = false;  // a form of the base verb kept behind every reading of the word
};

// The readings of a verb compound whose past and past participle are the same English
// ("sat down"): the past, then the participle, so that the grammar can choose as it does
// for a one-word verb ("Er setzte sich", "Er hat sich gesetzt"); else none.
std::vector<dict_reading> past_and_participle(const sense& s, const form& f, const dict_reading& r) {
  if (s.pos != kVerb || (f.kind != kPast && f.kind != kPastPart)) return {};
  const form_t other = f.kind == kPast ? kPastPart : kPast;
  for (const form& g : s.forms) {
    if (g.kind != other || g.english != f.english) continue;
    const coded gc = code_of(s, g);
    dict_reading o{gc.code, ""};
    if (!to_cp437(gc.german, o.german)) return {};
    std::replace(o.german.begin(), o.german.end(), ' ', kBlank);
    if (f.kind == kPast) return {r, o};
    return {o, r};
  }
  return {};
}

// True for a compound of a verb, "to" and a word ("go to work") whose German is several
// words none of which is a German form of the verb ("Arbeit haben"): it paraphrases a
// sense of the line the grammar translates better word by word ("gehe zur Arbeit").
// "go to sleep" (schlafen gehen) and the one-word verbs (go to seed: verkommen) stay.
bool verb_to_paraphrase(const std::vector<std::string>& words, const dict_reading& r,
                        const std::unordered_map<std::string, std::vector<pending>>& by_key) {
  if (words.size() != 3 || words[1] != "TO" || r.german.find(kBlank) == std::string::npos) return false;
  const std::string cls = r.code.substr(0, 3);
  if (cls != "VER" && cls != "PAR") return false;
  std::set<std::string> verb_forms;
  auto it = by_key.find(words[0]);
  if (it != by_key.end()) {
    for (const pending& p : it->second) {
      const std::string c = p.r.code.substr(0, 3);
      if (c != "VER" && c != "PAR" && c != "VPA" && c != "PPA") continue;
      std::string g = p.r.german;
      g.erase(std::remove(g.begin(), g.end(), '+'), g.end());
      verb_forms.insert(g);
    }
  }
  std::string german = r.german;
  german.erase(std::remove(german.begin(), german.end(), '+'), german.end());
  size_t from = 0;
  while (from <= german.size()) {
    size_t to = german.find(kBlank, from);
    if (to == std::string::npos) to = german.size();
    if (verb_forms.count(german.substr(from, to - from))) return false;
    from = to + 1;
  }
  return true;
}

size_t entry_length(const std::vector<dict_reading>& rs) {
  if (rs.size() == 1) return 10 + rs[0].german.size();
  size_t n = 4;
  for (const dict_reading& r : rs) n += 11 + r.german.size();
  return n;
}

}  // namespace

// ---------------------------------------------------------------------------------------

dict_overrides parse_overrides(std::string_view text, std::string& problems) {
  dict_overrides o;
  size_t pos = 0, number = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string line(text.substr(pos, end - pos));
    pos = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> w = split_blanks(line);
    if (w.empty() || w[0][0] == '#') continue;
    auto known = [](const std::string& p) {
      for (const char* n : kPosName) {
        if (p == n) return true;
      }
      return false;
    };
    bool ok = w.size() >= 3;
    if (ok && w[1] == "order") {
      for (size_t i = 2; i < w.size(); ++i) ok &= known(w[i]);
      if (ok) o.order[w[0]] = std::vector<std::string>(w.begin() + 2, w.end());
    } else if (ok && w[1] == "drop") {
      ok = w.size() == 3 && known(w[2]);
      if (ok) o.drop.insert({w[0], w[2]});
    } else if (ok && w[1] == "name") {
      ok = w.size() == 3 && (w[2] == "m" || w[2] == "f");
      if (ok) o.names[w[0]] = w[2][0];
    } else if (ok && known(w[1])) {
      o.choose[{w[0], w[1]}] = join(w, 2);
    } else {
      ok = false;
    }
    if (!ok) problems += "line " + std::to_string(number) + ": " + line + "\n";
  }
  return o;
}

rule_facts scan_rules(std::string_view rules) {
  rule_facts f;
  size_t pos = 0;
  while (pos < rules.size()) {
    size_t end = rules.find('\n', pos);
    if (end == std::string_view::npos) end = rules.size();
    std::string line(rules.substr(pos, end - pos));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    f.lines.push_back(line);
    pos = end + 1;
  }
  const long n = static_cast<long>(f.lines.size());
  auto read = [&](long i) { return std::string(trim_comment(std::string_view(f.lines[i]).substr(0, kShortWidth))); };
  ersetzungstabelle current;
  long i = 0;
  while (i < n) {
    const std::string heading = singular(read(i++));
    if (heading == "FINAL SUBSTITUTION") {
      while (i < n && !is_section_end(f.lines[i])) ++i;
      ++i;
      continue;
    }
    const bool lexicon = heading == "LEXICON", user = heading == "USER LEXICON";
    const bool known = lexicon || user || heading == "SUBSTITUTION" || heading == "AGGLUTINATION" ||
                       heading == "UNKNOWN WORD" || heading == "COMMENT" || heading == "TERMINATION" ||
                       heading == "SYNTAX" || heading == "INFLECTION" || heading == "IRREGULARITY" ||
                       heading == "FUNCTION" || heading == "COMPLEX" || heading == "IDIOM";
    if (!known) continue;
    if (heading == "SUBSTITUTION") current.clear();
    if (lexicon) {
      f.substitutions = current;
      f.lexicon_abbreviations.clear();
    }
    if (user) f.user_abbreviations.clear();
    bool ended = false;
    while (i < n) {
      const std::string l = read(i);
      if (l.empty()) {
        ++i;
        continue;
      }
      if (is_section_end(l)) {
        if (lexicon) f.lexicon_end = i;
        if (user) f.user_end = i;
        ++i;
        ended = true;
        break;
      }
      ++i;
      if (heading == "SUBSTITUTION") {
        replace_pair p;
        std::string err;
        if (ersetzung_paar(l, p, err)) current.add(p.search, p.replacement);
      } else if (heading == "AGGLUTINATION") {
        f.suffixes.push_back(normkey(l, current));
      } else if (lexicon || user) {
        std::string a, x;
        if (abkuerzung_zeile(l, a, x)) {
          (lexicon ? f.lexicon_abbreviations : f.user_abbreviations).insert(a);
          continue;
        }
        std::string head = kopfwort(l, current);
        if (user && !head.empty() && (head[0] == '+' || head[0] == '-')) {
          std::string words(trim(std::string_view(l).substr(std::min<size_t>(2, l.size()))));
          std::string key = normkey(words, current);
          std::replace(key.begin(), key.end(), ' ', '_');
          f.compounds.insert(key);
          if (i < n) ++i;  // the translation line, whatever it holds
          continue;
        }
        f.headwords.insert(head);
      }
    }
    if (!ended) {
      if (lexicon) {
        f.lexicon_end = n;
        f.lexicon_open = true;
      }
      if (user) {
        f.user_end = n;
        f.user_open = true;
      }
    } else {
      if (lexicon) f.lexicon_open = false;
      if (user) f.user_open = false;
    }
  }
  if (f.lexicon_end < 0) f.substitutions = current;
  return f;
}

dict_tables build_dict_tables(std::string_view dictionary, const rule_facts& facts,
                              const dict_overrides& overrides) {
  builder b(facts, overrides);
  b.slots.reserve(400000);
  count_german_words(dictionary, b.german_freq);
  dict_line line;
  for (size_t pos = 0, number = 1; pos < dictionary.size(); ++number) {
    size_t end = dictionary.find('\n', pos);
    if (end == std::string_view::npos) end = dictionary.size();
    if (parse_dict_line(dictionary.substr(pos, end - pos), line) == line_kind::entry) {
      note_compound_evidence(line, static_cast<long>(number), b.evidence);
    }
    pos = end + 1;
  }
  count_compound_agreement(b.evidence);
  size_t pos = 0;
  long number = 0;
  while (pos < dictionary.size()) {
    size_t end = dictionary.find('\n', pos);
    if (end == std::string_view::npos) end = dictionary.size();
    std::string_view raw = dictionary.substr(pos, end - pos);
    pos = end + 1;
    ++number;
    const line_kind k = parse_dict_line(raw, line);
    if (k == line_kind::comment) continue;
    if (k != line_kind::entry) {
      ++b.counts.skipped_lines[line_kind_name(k)];
      continue;
    }
    if (b.take_line(line, number) == 0) {
      bool marked = false;
      for (const dict_part& p : line.german) marked |= part_has_marks(p);
      ++b.counts.skipped_lines[marked ? "no word of at most three English words with a usable German"
                                      : "no grammar mark (phrases and sentences only)"];
    }
  }
  b.counts.lines = number;

  b.settle_verb_forms();
  b.synthesise_overrides();
  const noun_heads heads = make_noun_heads(b.german_plurals, b.german_genders);
  const std::unordered_set<std::string> strong = strong_verbs(b.german_verbs);
  for (auto& [name, sl] : b.slots) {
    if (!sl.best.forms.empty()) b.complete(sl.best, heads, strong);
  }
  add_regular_degrees(b.slots);

  dict_tables t;
  // The readings of every English form.
  std::unordered_map<std::string, std::vector<pending>> by_key;
  std::unordered_map<std::string, std::string> spelling;
  struct compound_choice {
    std::string english;
    pending p;
    std::vector<dict_reading> readings;  // all readings, the written one first
  };
  std::unordered_map<std::string, compound_choice> compounds;
  for (auto& [name, sl] : b.slots) {
    if (sl.best.forms.empty()) continue;
    const sense& s = sl.best;
    for (const form& f : s.forms) {
      std::string en, de;
      coded c = code_of(s, f);
      if (!to_cp437(f.english, en)) {
        ++b.counts.dropped["English words code page 437 cannot hold"];
        continue;
      }
      if (!to_cp437(c.german, de)) {
        ++b.counts.dropped["German words code page 437 cannot hold"];
        continue;
      }
      std::replace(de.begin(), de.end(), ' ', kBlank);
      pending p;
      p.r = {c.code, de};
      p.pos = kPosName[s.pos];
      p.proper = s.proper;
      p.support = sl.support;
      p.own = f.kind == kBase;
      p.pos_order = s.pos;
      p.kind_order = f.kind;
      p.score = s.score;
      const bool compound = en.find(' ') != std::string::npos;
      std::string key = normkey(en, facts.substitutions);
      if (compound) {
        std::replace(key.begin(), key.end(), ' ', '_');
        auto it = compounds.find(key);
        if (it == compounds.end() || p.support > it->second.p.support ||
            (p.support == it->second.p.support && p.score < it->second.p.score) ||
            (p.support == it->second.p.support && p.score == it->second.p.score &&
             std::tie(p.r.code, p.r.german) < std::tie(it->second.p.r.code, it->second.p.r.german))) {
          compounds[key] = {en, p, past_and_participle(s, f, p.r)};
        }
      } else {
        by_key[key].push_back(p);
        // A base verb also carries its past (class VPA) and its past participle (PPA):
        // "did" + verb is the past or the perfect, which rules select by these classes;
        // an -ing form carries the past ("was taking" is "nahm").
        if (s.pos == kVerb && (f.kind == kBase || f.kind == kPresPart)) {
          for (const form& g : s.forms) {
            if (g.kind != kPast && (g.kind != kPastPart || f.kind != kBase)) continue;
            std::string gde;
            const coded gc = code_of(s, g);
            if (!to_cp437(gc.german, gde)) continue;
            std::replace(gde.begin(), gde.end(), ' ', kBlank);
            pending t = p;
            t.r = {(g.kind == kPast ? "VPA" : "PPA") + gc.code.substr(3), gde};
            t.kind_order = g.kind;
            t.tail = true;
            by_key[key].push_back(t);
          }
        }
        // The spelling written: a lower-case one when there is one, else the first in order.
        auto sp = spelling.find(key);
        const auto capitals = [](const std::string& x) { return std::count_if(x.begin(), x.end(), [](char ch) { return ch >= 'A' && ch <= 'Z'; }); };
        if (sp == spelling.end()) {
          spelling.emplace(key, en);
        } else if (std::make_pair(capitals(en), en) < std::make_pair(capitals(sp->second), sp->second)) {
          sp->second = en;
        }
      }
    }
  }
  for (const auto& [key, german] : overrides.choose) {
    if (!b.overrides_seen.count(key)) {
      ++b.counts.overrides_unused;
      b.counts.unused_overrides += key.first + " " + key.second + " " + german + "\n";
    }
  }

  // Lexicon entries.
  std::map<std::string, long> kinds;
  std::unordered_map<std::string, std::vector<std::string>> orders;
  for (const auto& [word, o] : overrides.order) orders[normkey(word, facts.substitutions)] = o;
  // A first name that is also a common word (Tom: Kater) is the name first: at the start of
  // a sentence the engine looks up the word, where inside one it keeps a capitalised word.
  std::unordered_map<std::string, pending> names;
  for (const auto& [word, gender] : overrides.names) {
    pending p;
    std::string de;
    if (!to_cp437(word, de)) continue;
    p.r = {std::string("NAM") + gender + "s-" + noun_class(gender, word, ""), std::string("@") + gender + de};
    p.pos = kPosName[kNoun];
    p.proper = true;
    names[normkey(de, facts.substitutions)] = p;
  }
  for (auto& [key, list] : by_key) {
    if (facts.headwords.count(key)) {
      ++b.counts.dropped["words the hand-written lexicon already has"];
      continue;
    }
    if (ends_in_suffix(key, facts.suffixes)) {
      ++b.counts.dropped["words the suffix splitter would cut"];
      continue;
    }
    if (key.size() > 80) {
      ++b.counts.dropped["words longer than the engine reads"];
      continue;
    }
    static const std::vector<std::string> kNoOrder;
    auto ord = orders.find(key);
    const std::vector<std::string>& order = ord == orders.end() ? kNoOrder : ord->second;
    auto rank = [&](const pending& p) {
      auto it = std::find(order.begin(), order.end(), p.pos);
      return it == order.end() ? order.size() : static_cast<size_t>(it - order.begin());
    };
    // Closed word classes (prepositions, conjunctions, pronouns, numerals) first: an
    // English word that is one of them is that far more often than anything else.
    const auto open = [](const pending& p) { return p.pos_order < kPrep || p.pos_order == kInt; };
    std::stable_sort(list.begin(), list.end(), [&](const pending& x, const pending& y) {
      if (x.tail != y.tail) return y.tail;
      if (rank(x) != rank(y)) return rank(x) < rank(y);
      if (open(x) != open(y)) return open(y);
      if (x.support != y.support) return x.support > y.support;
      if (x.own != y.own) return x.own;
      if (x.pos_order != y.pos_order) return x.pos_order < y.pos_order;
      if (x.kind_order != y.kind_order) return x.kind_order < y.kind_order;
      if (x.score != y.score) return x.score < y.score;
      return std::tie(x.r.code, x.r.german) < std::tie(y.r.code, y.r.german);
    });
    auto name = names.find(key);
    if (name != names.end()) list.insert(list.begin(), name->second);
    dict_entry e;
    e.english = spelling[key];
    e.key = key;
    bool proper = false, named = false;
    for (const pending& p : list) {
      bool dup = false;
      for (const dict_reading& r : e.readings) dup |= r.code == p.r.code && r.german == p.r.german;
      if (dup) continue;
      e.readings.push_back(p.r);
      if (entry_length(e.readings) > 80) {
        e.readings.pop_back();
        ++b.counts.dropped[p.tail ? "past forms of base verbs beyond an entry line's 80 bytes"
                           : e.readings.empty() ? "words whose German does not fit an entry line"
                                                : "readings beyond an entry line's 80 bytes"];
        continue;
      }
      proper |= p.proper;
      named |= p.r.code.compare(0, 3, "NAM") == 0;
    }
    if (e.readings.empty()) continue;
    // A capitalised English word keeps its entry in the middle of a sentence only when
    // the entry names a name class; a summary NAM does that for the other readings.
    if (proper && !named && e.readings.size() == 1 && entry_length(e.readings) + 4 + 1 > 80) {
      ++b.counts.dropped["words whose German does not fit an entry line"];
      continue;
    }
    e.name_summary = proper && !named;
    for (const dict_reading& r : e.readings) ++kinds[r.code];
    t.entries.push_back(std::move(e));
  }
  std::sort(t.entries.begin(), t.entries.end(),
            [](const dict_entry& x, const dict_entry& y) { return x.key < y.key; });

  // Compounds: the best ones up to the limit, three words before two.
  std::vector<std::pair<const std::string, compound_choice>*> kept;
  for (auto& c : compounds) {
    const std::string& joined = c.first;
    const compound_choice& ch = c.second;
    if (facts.compounds.count(joined)) {
      ++b.counts.dropped["compounds the hand-written user lexicon already has"];
      continue;
    }
    bool cut = false;
    std::vector<std::string> words = split_blanks(normkey(ch.english, facts.substitutions));
    // "will be", "not any", "do good": an auxiliary, a modal or "not" in front belongs
    // to the grammar, which a compound would take away from it.
    static const std::set<std::string> kGrammarWords = {
        "AM",   "ARE", "BE",    "CAN",   "COULD", "DID",   "DO",     "DOES", "HAD",  "HAS", "HAVE",
        "IS",   "MAY", "MIGHT", "MUST",  "NOT",   "SHALL", "SHOULD", "WAS",  "WERE", "WILL", "WOULD"};
    if (kGrammarWords.count(words[0])) {
      ++b.counts.dropped["compounds that start with an auxiliary, a modal or \"not\""];
      continue;
    }
    if (verb_to_paraphrase(words, ch.p.r, by_key)) {
      ++b.counts.dropped["compounds of a verb, to and a word whose German leaves the verb out"];
      continue;
    }
    std::string wordline;
    for (size_t k = 0; k < words.size(); ++k) {
      cut |= ends_in_suffix(words[k], facts.suffixes);
      wordline += (k ? " 0" : "") + words[k];
    }
    if (cut) {
      ++b.counts.dropped["compounds the suffix splitter would cut"];
      continue;
    }
    size_t text = ch.p.r.german.size();
    if (ch.readings.size() > 1) {
      text = 0;
      for (const dict_reading& r : ch.readings) text += 1 + r.code.size() + r.german.size();
    }
    const size_t rline = 2 + joined.size() + 1 + 9 + text + 2 * (words.size() - 1);
    if (wordline.size() > 80 || rline > 80) {
      ++b.counts.dropped["compounds longer than the engine reads"];
      continue;
    }
    kept.push_back(&c);
  }
  if (kept.size() > kMaxCompounds) {
    // A hyphenated word (e-mail, one-stop) is one English word that the tokenizer cuts at
    // its hyphen: word by word it comes out as nonsense, so these go first.
    const auto hyphenated = [](const auto* c) {
      const std::string& e = c->second.english;
      return e.find(" - ") != std::string::npos && one_english_word(e);
    };
    std::nth_element(kept.begin(), kept.begin() + kMaxCompounds, kept.end(), [&](const auto* x, const auto* y) {
      if (hyphenated(x) != hyphenated(y)) return hyphenated(x);
      if (x->second.p.support != y->second.p.support) return x->second.p.support > y->second.p.support;
      if (x->second.p.score != y->second.p.score) return x->second.p.score < y->second.p.score;
      return x->first < y->first;
    });
    b.counts.dropped["compounds beyond the limit of " + std::to_string(kMaxCompounds)] +=
        static_cast<long>(kept.size() - kMaxCompounds);
    kept.resize(kMaxCompounds);
  }
  std::sort(kept.begin(), kept.end(), [](const auto* x, const auto* y) { return x->first < y->first; });
  for (auto* c : kept) {
    ++kinds[c->second.p.r.code];
    compound_choice& ch = c->second;
    dict_compound dc{std::move(ch.english), c->first, std::move(ch.p.r), {}};
    if (ch.readings.size() > 1) {
      dc.reading = ch.readings[0];
      dc.more.assign(ch.readings.begin() + 1, ch.readings.end());
    }
    t.compounds.push_back(std::move(dc));
  }
  // The longest first: the engine takes the first compound that matches.
  std::stable_sort(t.compounds.begin(), t.compounds.end(), [](const dict_compound& x, const dict_compound& y) {
    return std::count(x.english.begin(), x.english.end(), ' ') > std::count(y.english.begin(), y.english.end(), ' ');
  });
  for (const auto& [code, n] : kinds) b.counts.readings[code] += n;
  t.counts = std::move(b.counts);
  return t;
}

long english_forms(const dict_tables& t) {
  return static_cast<long>(t.entries.size() + t.compounds.size());
}

namespace {

std::string shown(const std::string& german) {
  std::string s = german;
  std::replace(s.begin(), s.end(), kBlank, '_');
  return s;
}

// The summary class of an entry of several readings.
std::string summary_class(const dict_entry& e) {
  return e.name_summary ? "NAM" : e.readings[0].code.substr(0, 3);
}

// The kind a class code is counted under in the summary.
std::string kind_of(const std::string& code) {
  const std::string cls = code.substr(0, 3);
  if (cls == "SUN") return code[4] == 'p' ? "noun plural" : "noun";
  if (cls == "NAM") return "name";
  if (cls == "VER") return code[4] == '3' ? "verb 3rd person" : code[4] == 'p' ? "verb past" : "verb infinitive";
  if (cls == "PAR") return code[4] == 'g' ? "present participle" : "past participle";
  if (cls == "ADJ") return code[3] == 'c' ? "comparative" : code[3] == 's' ? "superlative" : "adjective";
  if (cls == "ADV") return "adverb";
  if (cls == "PRE") return "preposition";
  if (cls == "KON" || cls == "KOS") return "conjunction";
  if (cls == "PRO") return "pronoun";
  if (cls == "NUM") return "numeral";
  return "interjection";
}

const char* const kSchemeComment[] = {
    "; Class codes of the generated entries (rules/README.md explains them in full):",
    ";   1-3 word class: SUN noun, NAM name, VER verb, PAR participle, ADJ adjective,",
    ";       ADV adverb, PRE preposition, KON/KOS co-/subordinating conjunction, PRO pronoun,",
    ";       NUM numeral, INT interjection; the last readings of a base verb: VPA its past,",
    ";       PPA its past participle (for \"did\" + verb)",
    ";   4-6 attributes: SUN/NAM gender (m f n, - plural-only) and number (s p);",
    ";       VER/PAR valency (T I R -), form (i infinitive, 3 third person, p past or past",
    ";       participle, g present participle) and perfect auxiliary (h haben, s sein, -);",
    ";       ADJ/ADV degree (p c s); PRE case (a d g, w accusative or dative, -);",
    ";       PRO p personal; NUM c cardinal, o ordinal",
    ";   7-9 inflection class: Nst strong, Nwk weak, Nfe feminine noun; Npn plural taking",
    ";       -n in the dative, Npx plural that does not; Vrg regular, Vir irregular, Vuk",
    ";       unknown verb; Arg regular, Ael -el/-uer, Aun undeclinable adjective, Asp",
    ";       superlative with -e; Inv invariable",
    "; Nouns carry @m @f @n (@p plural) in front of the German, as the hand entries do; byte",
    "; 254 stands for a blank inside a German text. Entries of several readings start with",
    "; a summary class (the first reading's, or NAM for a capitalised English word).",
};

// The abbreviation lines for `codes`, and the name each code is written with.
std::string abbreviation_lines(const std::set<std::string>& codes, const std::set<std::string>& taken,
                               std::map<std::string, std::string>& name) {
  std::map<std::string, std::string> lines;
  for (const std::string& code : codes) {
    std::string a = abbreviation_of(code);
    if (a == code || taken.count(a)) {
      name[code] = code;
      continue;
    }
    name[code] = a;
    lines[a] = a + " = " + code;
  }
  std::string out;
  for (const auto& [a, l] : lines) out += l + "\n";
  return out;
}

}  // namespace

std::string dump_tables(const dict_tables& t) {
  std::string out;
  for (const dict_entry& e : t.entries) {
    out += e.key + " " + e.english;
    if (e.name_summary) out += " NAM";
    for (const dict_reading& r : e.readings) out += " | " + r.code + " " + shown(r.german);
    out += "\n";
  }
  for (const dict_compound& c : t.compounds) {
    out += "+ " + c.joined + " " + c.english + " | " + c.reading.code + " " + shown(c.reading.german);
    for (const dict_reading& r : c.more) out += " | " + r.code + " " + shown(r.german);
    out += "\n";
  }
  return out;
}

std::string merged_rules(const rule_facts& facts, const dict_tables& t, const std::string& dictionary_name) {
  const std::string head =
      "; ===== generated by makedict from " + dictionary_name +
      " (do not edit by hand: correct rules/dict_overrides.txt and run makedict again) =====\n";
  const std::string tail = "; ===== end of the generated lines =====\n";

  std::set<std::string> codes;
  for (const dict_entry& e : t.entries) {
    for (const dict_reading& r : e.readings) codes.insert(r.code);
  }
  std::map<std::string, std::string> name;
  std::string lex = head;
  for (const char* l : kSchemeComment) lex += std::string(l) + "\n";
  lex += abbreviation_lines(codes, facts.lexicon_abbreviations, name);
  for (const dict_entry& e : t.entries) {
    std::string line = e.english + " ";
    if (e.readings.size() == 1 && !e.name_summary) {
      line += name[e.readings[0].code] + " " + e.readings[0].german;
    } else {
      line += summary_class(e);
      for (const dict_reading& r : e.readings) line += " *" + name[r.code] + " " + r.german;
    }
    lex += line + "\n";
  }
  lex += tail;

  std::set<std::string> ccodes;
  for (const dict_compound& c : t.compounds) {
    if (c.more.empty()) ccodes.insert(c.reading.code);
  }
  std::map<std::string, std::string> cname;
  std::string user = head + abbreviation_lines(ccodes, facts.user_abbreviations, cname);
  for (const dict_compound& c : t.compounds) {
    user += "- " + c.english + "\n";
    if (c.more.empty()) {
      user += cname[c.reading.code] + " " + c.reading.german + "\n";
    } else {
      // Several readings as a lexicon entry writes them, with whole codes: the compiler
      // expands no abbreviation inside a compound's translation.
      user += c.reading.code.substr(0, 3) + " *" + c.reading.code + c.reading.german;
      for (const dict_reading& r : c.more) user += "*" + r.code + r.german;
      user += "\n";
    }
  }
  user += tail;

  std::string out;
  const long n = static_cast<long>(facts.lines.size());
  for (long i = 0; i <= n; ++i) {
    if (i == facts.lexicon_end) out += lex;
    if (i == facts.user_end) out += user;
    if (i < n) out += facts.lines[i] + "\n";
  }
  if (facts.lexicon_open) out += "-----\n";
  if (facts.user_open && facts.user_end != facts.lexicon_end) out += "-----\n";
  if (facts.lexicon_end < 0) out += "\nLEXICON\n" + lex + "-----\n";
  if (facts.user_end < 0) out += "\nUSER LEXICON\n" + user + "-----\n";
  return out;
}

std::string dict_summary(const dict_tables& t) {
  std::string out = "makedict: " + std::to_string(t.counts.lines) + " lines read\n";
  long readings = 0;
  std::map<std::string, long> kinds;
  for (const auto& [code, n] : t.counts.readings) {
    kinds[kind_of(code)] += n;
    readings += n;
  }
  out += "makedict: " + std::to_string(t.entries.size()) + " lexicon entries and " +
         std::to_string(t.compounds.size()) + " compounds written, " + std::to_string(readings) +
         " readings:";
  for (const auto& [k, n] : kinds) out += " " + k + " " + std::to_string(n) + ",";
  if (out.back() == ',') out.pop_back();
  out += "\nmakedict: " + std::to_string(english_forms(t)) + " English word forms\n";
  long skipped = 0;
  for (const auto& [r, n] : t.counts.skipped_lines) skipped += n;
  out += "makedict: " + std::to_string(skipped) + " lines skipped";
  for (const auto& [r, n] : t.counts.skipped_lines) out += "; " + std::to_string(n) + " " + r;
  out += "\n";
  for (const auto& [r, n] : t.counts.dropped) out += "makedict: left out: " + std::to_string(n) + " " + r + "\n";
  if (t.counts.overrides_unused) {
    out += "makedict: " + std::to_string(t.counts.overrides_unused) +
           " overrides matched no dictionary line:\n" + t.counts.unused_overrides;
  }
  return out;
}

}  // namespace zembu
