#include "tools/senseprior.h"

#include <algorithm>
#include <string_view>

namespace zembu {

namespace {

bool has_marks(const dict_part& part) {
  for (const dict_alt& a : part) {
    if (!a.marks.empty()) return true;
  }
  return false;
}

// True for the dictionary's notation of an abbreviation, "/Ztg./".
bool abbreviation_note(std::string_view w) { return w.size() > 2 && w.front() == '/' && w.back() == '/'; }

// The words of a text split at the characters `cuts`, abbreviation notes left out.
std::vector<std::string> words_of(std::string_view text, std::string_view cuts) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && cuts.find(text[i]) != std::string_view::npos) ++i;
    size_t j = i;
    while (j < text.size() && cuts.find(text[j]) == std::string_view::npos) ++j;
    if (j > i && !abbreviation_note(text.substr(i, j - i))) out.emplace_back(text.substr(i, j - i));
    i = j;
  }
  return out;
}

// The words of an English alternative ("to" of a verb dropped), split at blanks and
// hyphens.
std::vector<std::string> english_words(std::string_view text) {
  if (text.substr(0, 3) == "to ") text.remove_prefix(3);
  return words_of(text, " -");
}

// The word with a small first letter (A-Z and the umlauts Ä Ö Ü in UTF-8).
std::string small_first(const std::string& w) {
  std::string out = w;
  if (!out.empty() && out[0] >= 'A' && out[0] <= 'Z') out[0] = static_cast<char>(out[0] - 'A' + 'a');
  if (out.size() >= 2 && out[0] == '\xc3') {
    const std::string_view capital = "\x84\x96\x9c", small = "\xa4\xb6\xbc";
    const size_t k = capital.find(out[1]);
    if (k != std::string_view::npos) out[1] = small[k];
  }
  return out;
}

bool begins(std::string_view s, std::string_view p) { return s.size() > p.size() && s.substr(0, p.size()) == p; }
bool ends(std::string_view s, std::string_view p) {
  return s.size() > p.size() && s.substr(s.size() - p.size()) == p;
}

// German words of fewer letters are parts of too many unrelated compounds.
constexpr size_t kShortestPart = 3;

size_t letters(std::string_view w) {
  return static_cast<size_t>(std::count_if(w.begin(), w.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// True for an example sentence rather than a phrase.
bool sentence(std::string_view text) {
  return !text.empty() && (text.back() == '.' || text.back() == '!' || text.back() == '?');
}

bool placeholder(std::string_view w) {
  static const std::unordered_set<std::string_view> kWords = {
      "sth.", "sb.", "sb./sth.", "sth./sb.", "sb.'s", "sb.’s", "oneself", "etw.", "jdn.", "jdm.", "jds.",
      "jdn./etw.", "etw./jdn.", "jdm./etw.", "etw./jdm.", "sich"};
  return kWords.count(w) > 0;
}

// The words of a text without its placeholders.
std::vector<std::string> content_words(std::vector<std::string> words) {
  words.erase(std::remove_if(words.begin(), words.end(), [](const std::string& w) { return placeholder(w); }),
              words.end());
  return words;
}

void note_words_alone(const dict_part& german, const dict_part& english, compound_evidence& ev) {
  std::vector<std::string> de;
  for (const dict_alt& g : german) {
    std::vector<std::string> w = content_words(words_of(g.text, " "));
    if (w.size() == 1) de.push_back(std::move(w[0]));
  }
  if (de.empty()) return;
  for (const dict_alt& e : english) {
    std::vector<std::string> w = content_words(english_words(e.text));
    if (w.size() == 1) ev.alone[w[0]].insert(de.begin(), de.end());
  }
}

void note_phrase(const dict_line& line, long number, size_t h, compound_evidence& ev) {
  compound_evidence::part p;
  p.line = number;
  for (const dict_alt& e : line.english[h]) {
    if (sentence(e.text)) return;
    std::vector<std::string> words = content_words(english_words(e.text));
    if (words.size() < 2) continue;
    for (std::string& w : words) {
      if (std::find(p.english.begin(), p.english.end(), w) == p.english.end()) p.english.push_back(std::move(w));
    }
  }
  if (p.english.empty()) return;
  for (const dict_alt& g : line.german[h]) {
    if (sentence(g.text)) return;
    for (std::string& w : words_of(g.text, " ")) {
      if (std::find(p.german.begin(), p.german.end(), w) == p.german.end()) p.german.push_back(std::move(w));
    }
  }
  if (!p.german.empty()) ev.phrases.push_back(std::move(p));
}

}  // namespace

void note_compound_evidence(const dict_line& line, long number, compound_evidence& ev) {
  for (size_t h = 0; h < line.german.size() && h < line.english.size(); ++h) {
    note_phrase(line, number, h, ev);
    if (!has_marks(line.german[h])) continue;
    note_words_alone(line.german[h], line.english[h], ev);
    compound_evidence::part p;
    p.line = number;
    for (const dict_alt& g : line.german[h]) {
      std::vector<std::string> words = words_of(g.text, " ");
      if (words.size() == 1) p.german.push_back(std::move(words[0]));
    }
    if (p.german.empty()) continue;
    for (const dict_alt& e : line.english[h]) {
      std::vector<std::string> words = english_words(e.text);
      if (words.size() == 1) {
        for (const std::string& g : p.german) ev.direct[words[0]].insert(g);
      } else {
        for (std::string& w : words) {
          if (std::find(p.english.begin(), p.english.end(), w) == p.english.end()) p.english.push_back(std::move(w));
        }
      }
    }
    if (!p.english.empty()) ev.parts.push_back(std::move(p));
  }
}

void count_compound_agreement(compound_evidence& ev) {
  std::unordered_set<std::string> seen;  // the pairs counted for the current line
  long current = -1;
  for (const compound_evidence::part& p : ev.parts) {
    if (p.line != current) {
      seen.clear();
      current = p.line;
    }
    for (const std::string& e : p.english) {
      auto d = ev.direct.find(e);
      if (d == ev.direct.end()) continue;
      for (const std::string& g : d->second) {
        if (letters(g) < kShortestPart) continue;
        const std::string tail = small_first(g);
        for (const std::string& x : p.german) {
          if (!begins(x, g) && !ends(x, tail)) continue;
          std::string key = e + '\t' + g;
          if (seen.insert(key).second) ++ev.agreement[key];
          break;
        }
      }
    }
  }
  seen.clear();
  current = -1;
  for (const compound_evidence::part& p : ev.phrases) {
    if (p.line != current) {
      seen.clear();
      current = p.line;
    }
    for (const std::string& e : p.english) {
      auto d = ev.alone.find(e);
      if (d == ev.alone.end()) continue;
      for (const std::string& x : p.german) {
        // The word itself or the word with an ending of one or two letters.
        for (size_t cut = 0; cut <= 2 && cut < x.size(); ++cut) {
          const std::string g = x.substr(0, x.size() - cut);
          if ((cut > 0 && letters(g) < kShortestPart) || !d->second.count(g)) continue;
          std::string key = e + '\t' + g;
          if (seen.insert(key).second) ++ev.phrase_agreement[key];
        }
      }
    }
  }
}

int phrase_agreement(const compound_evidence& ev, const std::string& english, const std::string& german) {
  auto it = ev.phrase_agreement.find(english + '\t' + german);
  return it == ev.phrase_agreement.end() ? 0 : it->second;
}

int compound_agreement(const compound_evidence& ev, const std::string& english, const std::string& german) {
  auto it = ev.agreement.find(english + '\t' + german);
  return it == ev.agreement.end() ? 0 : it->second;
}

}  // namespace zembu
