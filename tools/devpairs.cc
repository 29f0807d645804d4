#include "tools/devpairs.h"

#include <array>
#include <cstdlib>
#include <unordered_set>

namespace zembu {

namespace {

std::array<uint32_t, 256> make_crc_table() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

// The parts of s between the separators `sep`.
std::vector<std::string_view> split(std::string_view s, std::string_view sep) {
  std::vector<std::string_view> parts;
  size_t from = 0;
  for (size_t at = s.find(sep); at != std::string_view::npos; at = s.find(sep, from)) {
    parts.push_back(s.substr(from, at - from));
    from = at + sep.size();
  }
  parts.push_back(s.substr(from));
  return parts;
}

bool valid_utf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    size_t more = 0;
    uint32_t cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      more = 1;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      more = 2;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      more = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + more >= s.size()) return false;  // cut short
    for (size_t k = 1; k <= more; ++k) {
      const unsigned char d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    if ((more == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
        (more == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
      return false;
    i += more + 1;
  }
  return true;
}

bool starts_with(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

bool starts_as_sentence(std::string_view s, bool german) {
  if (s.empty()) return false;
  const char c = s[0];
  if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  // Ä, Ö and Ü in UTF-8.
  return german &&
         (starts_with(s, "\xC3\x84") || starts_with(s, "\xC3\x96") || starts_with(s, "\xC3\x9C"));
}

bool is_placeholder(std::string_view word, bool german) {
  while (!word.empty() && std::string_view(".,!?:;").find(word.back()) != std::string_view::npos)
    word.remove_suffix(1);
  static const char* const kEnglish[] = {"sb", "sth", "sb's", "sth's"};
  static const char* const kGerman[] = {"jd", "jdm", "jdn", "jds", "etw"};
  if (german) {
    for (const char* p : kGerman)
      if (word == p) return true;
  } else {
    for (const char* p : kEnglish)
      if (word == p) return true;
  }
  return false;
}

}  // namespace

uint32_t crc32(std::string_view bytes) {
  static const std::array<uint32_t, 256> table = make_crc_table();
  uint32_t c = 0xFFFFFFFFu;
  for (char b : bytes) c = table[(c ^ static_cast<unsigned char>(b)) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

std::string clean_sub_entry(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '{' || c == '[') {
      const size_t close = text.find(c == '{' ? '}' : ']', i + 1);
      if (close != std::string_view::npos) {
        while (!out.empty() && out.back() == ' ') out.pop_back();
        i = close;
        continue;
      }
    }
    const char b = c == '\t' ? ' ' : c;
    if (b == ' ' && (out.empty() || out.back() == ' ')) continue;
    out += b;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

bool is_held_out(std::string_view english) { return (crc32(english) & 1u) != 0; }

int word_count(std::string_view side) {
  int n = 0;
  bool in_word = false;
  for (char c : side) {
    if (c == ' ') {
      in_word = false;
    } else if (!in_word) {
      in_word = true;
      ++n;
    }
  }
  return n;
}

bool is_one_sentence(std::string_view side, bool german) {
  if (!valid_utf8(side) || !starts_as_sentence(side, german)) return false;
  const char last = side.back();
  if (last != '.' && last != '!' && last != '?') return false;
  if (side.find_first_of("{}[]()<>/~") != std::string_view::npos) return false;
  if (side.find("...") != std::string_view::npos) return false;
  if (side.find("\xE2\x80\xA6") != std::string_view::npos) return false;  // …
  for (size_t i = 0; i + 1 < side.size(); ++i)
    if (side[i + 1] == ' ' && std::string_view(".!?:;").find(side[i]) != std::string_view::npos)
      return false;
  for (std::string_view word : split(side, " "))
    if (is_placeholder(word, german)) return false;
  return true;
}

std::vector<sentence_pair> development_pairs(std::string_view line) {
  std::vector<sentence_pair> pairs;
  if (line.empty() || line[0] == '#') return pairs;
  const size_t sep = line.find(" :: ");
  if (sep == std::string_view::npos || line.find(" :: ", sep + 4) != std::string_view::npos)
    return pairs;
  const std::vector<std::string_view> german = split(line.substr(0, sep), " | ");
  const std::vector<std::string_view> english = split(line.substr(sep + 4), " | ");
  if (german.size() != english.size()) return pairs;
  for (size_t k = 0; k < english.size(); ++k) {
    std::string en = clean_sub_entry(english[k]);
    if (is_held_out(en)) continue;  // held out: nothing else looks at it
    if (word_count(en) > kMaxEnglishWords || !is_one_sentence(en, false)) continue;
    std::string de = clean_sub_entry(german[k]);
    if (!is_one_sentence(de, true)) continue;
    pairs.push_back({std::move(en), std::move(de)});
  }
  return pairs;
}

size_t extract_development_pairs(FILE* in, const std::function<void(const sentence_pair&)>& take) {
  std::unordered_set<std::string> seen;
  size_t taken = 0;
  char* buf = nullptr;
  size_t cap = 0;
  ssize_t len;
  while ((len = getline(&buf, &cap, in)) >= 0) {
    std::string_view line(buf, static_cast<size_t>(len));
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    for (const sentence_pair& p : development_pairs(line)) {
      if (!seen.insert(p.english).second) continue;
      take(p);
      ++taken;
    }
  }
  std::free(buf);
  return taken;
}

}  // namespace zembu
