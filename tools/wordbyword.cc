#include "tools/wordbyword.h"

namespace zembu {

namespace {

// The compiler's common line reading: blanks trimmed at both ends, a comment line empty.
std::string trimmed(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  std::string t(s.substr(b, e - b));
  if (!t.empty() && t[0] == ';') t.clear();
  return t;
}

bool read_source_line(linereader& in, std::string& line) {
  std::string raw;
  if (!in.readline(raw, kShortWidth)) return false;
  line = trimmed(raw);
  return true;
}

bool ends_section(std::string_view line) { return line.substr(0, 5) == "-----"; }

std::string singular(std::string s) {
  if (s.size() >= 3 && s.compare(s.size() - 3, 3, "IES") == 0) {
    s.replace(s.size() - 3, 3, "Y");
  } else if (!s.empty() && s.back() == 'S') {
    s.pop_back();
  }
  return s;
}

// The next body line of a section: false at its end-of-section line or the end of the
// source; empty lines are passed over.
bool next_body_line(linereader& in, std::string& line) {
  while (read_source_line(in, line)) {
    if (line.empty()) continue;
    return !ends_section(line);
  }
  return false;
}

// A LEXICON or USER LEXICON body; `user` passes compound entries over.
void read_lexicon(linereader& in, const std::vector<replace_pair>& substitutions, bool user,
                  std::unordered_map<std::string, std::string>& lexicon) {
  lexicon.clear();  // the compiler writes the section's file anew
  std::vector<abbreviation> abbreviations;
  std::string line;
  while (next_body_line(in, line)) {
    const size_t blank = line.find(' ');
    if (blank == std::string::npos) continue;
    const size_t equals = line.find('=');
    if (equals != std::string::npos) {
      abbreviations.push_back({trimmed(line.substr(0, equals)), trimmed(line.substr(equals + 1))});
      continue;
    }
    std::string key = trimmed(normalise_key(line.substr(0, blank), substitutions));
    if (user && !key.empty() && (key[0] == '+' || key[0] == '-')) {
      std::string translation_line;
      read_source_line(in, translation_line);  // the compound's translation
      continue;
    }
    key = key.substr(0, key.find('>'));
    if (key.empty()) continue;
    lexicon.emplace(key, first_reading_text(compile_entry(line.substr(blank + 1), abbreviations)));
  }
}

std::vector<replace_pair> read_substitutions(linereader& in) {
  std::vector<replace_pair> pairs;
  std::string line;
  while (next_body_line(in, line)) {
    const size_t arrow = line.find("->");
    if (arrow == std::string::npos) continue;
    pairs.push_back({trimmed(line.substr(0, arrow)),
                     arrow + 3 <= line.size() ? trimmed(line.substr(arrow + 3)) : ""});
  }
  return pairs;
}

// FINAL SUBSTITUTION reads raw lines: blanks are kept, and only a dash line that starts
// in the first column ends the section.
std::vector<replace_pair> read_final_substitutions(linereader& in) {
  std::vector<replace_pair> pairs;
  std::string raw;
  while (in.readline(raw, kShortWidth)) {
    if (ends_section(raw)) break;
    const std::string t = trimmed(raw);
    if (t.empty() || ends_section(t)) continue;
    const size_t arrow = raw.find(" -> ");
    if (arrow == std::string::npos) continue;
    pairs.push_back({raw.substr(0, arrow), raw.substr(arrow + 4)});
  }
  return pairs;
}

bool is_letter_or_digit(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c >= 128;
}

bool names_a_word(std::string_view s) {
  for (char c : s)
    if (is_letter_or_digit(static_cast<unsigned char>(c))) return true;
  return false;
}

// The first letter of s as a capital (code page 437 umlauts too).
void capitalise(std::string& s) {
  for (char& ch : s) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == ' ') continue;
    if (c >= 'a' && c <= 'z') ch = static_cast<char>(c - 32);
    if (c == 132) ch = static_cast<char>(142);  // ä
    if (c == 148) ch = static_cast<char>(153);  // ö
    if (c == 129) ch = static_cast<char>(154);  // ü
    return;
  }
}

// The parts of a key as the suffix splitter cuts it: each listed suffix, tried in list
// order against the shortened word, goes to a part of its own behind it; parts made this
// way are examined too.
std::vector<std::string> split_suffixes(const std::string& key,
                                        const std::vector<std::string>& suffixes) {
  std::vector<std::string> parts{key};
  for (size_t i = 0; i < parts.size(); ++i) {
    for (const std::string& suffix : suffixes) {
      std::string& word = parts[i];
      if (suffix.empty() || suffix.size() >= word.size()) continue;
      if (word.compare(word.size() - suffix.size(), suffix.size(), suffix) != 0) continue;
      word.resize(word.size() - suffix.size());
      parts.insert(parts.begin() + static_cast<long>(i) + 1, suffix);
    }
  }
  return parts;
}

// The translation of one word as written.
std::string translate_word(const baseline_dictionary& dict, const std::string& word,
                           word_counts& counts) {
  const std::string key = normalise_key(word, dict.substitutions);
  const std::vector<std::string> parts = split_suffixes(key, dict.suffixes);
  std::string out;
  size_t offset = 0;  // where the part starts in the word as written
  for (const std::string& part : parts) {
    if (!out.empty()) out += ' ';
    std::string written = key.size() == word.size() ? word.substr(offset, part.size()) : part;
    offset += part.size();
    if (!names_a_word(part)) {
      out += written;
      continue;
    }
    ++counts.words;
    auto found = dict.user_lexicon.find(part);
    if (found == dict.user_lexicon.end()) {
      found = dict.lexicon.find(part);
      if (found == dict.lexicon.end()) {
        ++counts.unknown;
        out += written;
        continue;
      }
    }
    out += found->second;
  }
  return out;
}

}  // namespace

std::string normalise_key(std::string_view word, const std::vector<replace_pair>& substitutions) {
  std::string key(word);
  for (char& c : key)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  replace_pairs(key, substitutions);
  return key;
}

std::string compile_entry(std::string_view remainder,
                          const std::vector<abbreviation>& abbreviations) {
  auto expand = [&](std::string_view word) {
    for (const abbreviation& a : abbreviations)
      if (a.name == word) return a.expansion;
    return std::string(word);
  };
  std::string entry;
  if (abbreviations.empty()) {
    entry = remainder;
  } else {
    const size_t blank = remainder.find(' ');
    if (blank == std::string_view::npos) return "";  // the compiler refuses the line
    const std::string text =
        " " + expand(remainder.substr(0, blank)) + " " + std::string(remainder.substr(blank + 1));
    size_t from = 0;
    for (size_t star = text.find(" *"); star != std::string::npos; star = text.find(" *", from)) {
      entry += text.substr(from, star - from) + "*";
      const size_t end = text.find(' ', star + 2);
      entry += expand(std::string_view(text).substr(
          star + 2, end == std::string::npos ? std::string::npos : end - star - 2));
      from = end == std::string::npos ? text.size() : end + 1;
    }
    entry += text.substr(from);
  }
  std::string out;
  for (char c : entry)
    if (c != ' ') out += c;
  return out;
}

std::string first_reading_text(std::string_view entry) {
  std::string_view reading = entry;
  if (entry.size() > 3 && entry[3] == '*') reading = entry.substr(4);
  reading = reading.substr(0, reading.find('*'));
  reading = reading.size() > 9 ? reading.substr(9) : std::string_view();
  return std::string(reading.substr(0, reading.find('#')));
}

baseline_dictionary read_baseline_dictionary(linereader& rules) {
  baseline_dictionary dict;
  std::string line;
  while (read_source_line(rules, line)) {
    const std::string heading = singular(line);
    if (heading == "SUBSTITUTION") {
      dict.substitutions = read_substitutions(rules);
    } else if (heading == "FINAL SUBSTITUTION") {
      dict.final_substitutions = read_final_substitutions(rules);
    } else if (heading == "AGGLUTINATION") {
      dict.suffixes.clear();
      while (next_body_line(rules, line))
        dict.suffixes.push_back(normalise_key(line, dict.substitutions));
    } else if (heading == "LEXICON") {
      read_lexicon(rules, dict.substitutions, false, dict.lexicon);
    } else if (heading == "USER LEXICON") {
      read_lexicon(rules, dict.substitutions, true, dict.user_lexicon);
    } else if (heading == "UNKNOWN WORD" || heading == "COMMENT" || heading == "TERMINATION" ||
               heading == "SYNTAX" || heading == "INFLECTION" || heading == "IRREGULARITY" ||
               heading == "FUNCTION" || heading == "COMPLEX" || heading == "IDIOM") {
      while (next_body_line(rules, line)) {
      }
    }
  }
  return dict;
}

std::string translate_word_by_word(const baseline_dictionary& dict, std::string_view sentence,
                                   word_counts& counts) {
  std::string out;
  for (size_t i = 0; i < sentence.size();) {
    const unsigned char c = static_cast<unsigned char>(sentence[i]);
    if (!is_letter_or_digit(c)) {
      out += sentence[i++];
      continue;
    }
    size_t end = i;
    while (end < sentence.size()) {
      const unsigned char d = static_cast<unsigned char>(sentence[end]);
      const bool inner_apostrophe =
          d == '\'' && end + 1 < sentence.size() &&
          is_letter_or_digit(static_cast<unsigned char>(sentence[end + 1]));
      if (!is_letter_or_digit(d) && !inner_apostrophe) break;
      ++end;
    }
    out += translate_word(dict, std::string(sentence.substr(i, end - i)), counts);
    i = end;
  }
  for (char& c : out)
    if (static_cast<unsigned char>(c) == 254) c = ' ';  // the blank inside a German entry
  replace_pairs(out, dict.final_substitutions, 8000);
  capitalise(out);
  return out;
}

size_t count_token_words(linereader& tokens) {
  size_t n = 0;
  std::string line;
  while (tokens.readline(line, kShortWidth)) {
    if (line.compare(0, 4, "ZZZ ") != 0) continue;
    const std::string token = line.substr(4, line.find(' ', 4) - 4);
    if (token != "QUOTE_1" && token != "QUOTE_2" && names_a_word(token)) ++n;
  }
  return n;
}

size_t count_unknown_words(linereader& word_file) {
  size_t n = 0;
  std::string line;
  while (word_file.readline(line, kShortWidth)) {
    const std::string word = trimmed(line);
    if (word != "QUOTE_1" && word != "QUOTE_2" && names_a_word(word)) ++n;
  }
  return n;
}

}  // namespace zembu
