#include "tools/dictline.h"

namespace zembu {

namespace {

char closer_of(char c) {
  switch (c) {
    case '{': return '}';
    case '[': return ']';
    case '(': return ')';
    default: return 0;
  }
}

bool is_closer(char c) { return c == '}' || c == ']' || c == ')'; }

// Where the variant opened by the "<" at `i` ends (the ">"), or npos when `s` holds no
// ">" behind it: a lone "<" is an ordinary character.
size_t variant_end(std::string_view s, size_t i) { return s.find('>', i + 1); }

// True when every {, [ and ( of `s` is closed by its own kind, in order.
bool balanced(std::string_view s) {
  std::string open;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '<' && open.empty()) {
      size_t e = variant_end(s, i);
      if (e != std::string_view::npos) i = e;
      continue;
    }
    if (closer_of(c)) {
      open.push_back(closer_of(c));
    } else if (is_closer(c)) {
      if (open.empty() || open.back() != c) return false;
      open.pop_back();
    }
  }
  return open.empty();
}

// Splits `s` at every `sep` that stands outside brackets and variants.
std::vector<std::string_view> split_outside(std::string_view s, std::string_view sep) {
  std::vector<std::string_view> out;
  int depth = 0;
  size_t start = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '<' && depth == 0) {
      size_t e = variant_end(s, i);
      if (e != std::string_view::npos) i = e;
      continue;
    }
    if (closer_of(c)) {
      ++depth;
    } else if (is_closer(c)) {
      --depth;
    } else if (depth == 0 && c == sep[0] && s.compare(i, sep.size(), sep) == 0) {
      out.push_back(s.substr(start, i - start));
      start = i + sep.size();
      i = start - 1;
    }
  }
  out.push_back(s.substr(start));
  return out;
}

std::string_view trim_blanks(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

// Appends `s` to `out` with runs of blanks made one blank.
void append_collapsed(std::string& out, std::string_view s) {
  for (char c : s) {
    if (c == '\t') c = ' ';
    if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
    out.push_back(c);
  }
}

// One alternative: the text outside brackets, and what the brackets hold.
dict_alt parse_alt(std::string_view s) {
  dict_alt a;
  std::string text;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '<') {
      size_t e = variant_end(s, i);
      if (e != std::string_view::npos) {
        i = e;
        text.push_back(' ');
        continue;
      }
    }
    if (!closer_of(c)) {
      text.push_back(c);
      continue;
    }
    // The bracket runs to its own closer (the line is balanced).
    int depth = 0;
    size_t j = i;
    for (; j < s.size(); ++j) {
      if (closer_of(s[j])) ++depth;
      if (is_closer(s[j]) && --depth == 0) break;
    }
    std::string inner(trim_blanks(s.substr(i + 1, j - i - 1)));
    if (c == '{') a.marks.push_back(inner);
    if (c == '[') a.labels.push_back(inner);
    if (c == '(') a.commented = true;
    text.push_back(' ');
    i = j;
  }
  append_collapsed(a.text, trim_blanks(text));
  while (!a.text.empty() && a.text.back() == ' ') a.text.pop_back();
  return a;
}

std::vector<dict_part> parse_side(std::string_view side) {
  std::vector<dict_part> parts;
  for (std::string_view p : split_outside(side, " | ")) {
    dict_part part;
    for (std::string_view alt : split_outside(p, "; ")) part.push_back(parse_alt(trim_blanks(alt)));
    parts.push_back(std::move(part));
  }
  return parts;
}

}  // namespace

const char* line_kind_name(line_kind k) {
  switch (k) {
    case line_kind::entry: return "usable";
    case line_kind::comment: return "comment or empty";
    case line_kind::bad_utf8: return "not UTF-8";
    case line_kind::no_separator: return "no single \" :: \" between the sides";
    case line_kind::unbalanced: return "unbalanced brackets";
    case line_kind::misaligned: return "sides with different numbers of \" | \" parts";
  }
  return "?";
}

bool well_formed_utf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    size_t n = 0;
    unsigned long cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      n = 1;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      n = 2;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      n = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    for (size_t k = 1; k <= n; ++k) {
      if (i + k >= s.size()) return false;
      const unsigned char d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    if ((n == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
        (n == 3 && (cp < 0x10000 || cp > 0x10FFFF))) {
      return false;
    }
    i += n + 1;
  }
  return true;
}

line_kind parse_dict_line(std::string_view raw, dict_line& out) {
  while (!raw.empty() && (raw.back() == '\r' || raw.back() == ' ' || raw.back() == '\t')) {
    raw.remove_suffix(1);
  }
  std::string_view t = trim_blanks(raw);
  if (t.empty() || t[0] == '#') return line_kind::comment;
  if (!well_formed_utf8(raw)) return line_kind::bad_utf8;
  const size_t sep = raw.find(" :: ");
  if (sep == std::string_view::npos || raw.find(" :: ", sep + 1) != std::string_view::npos) {
    return line_kind::no_separator;
  }
  std::string_view german = raw.substr(0, sep), english = raw.substr(sep + 4);
  if (!balanced(german) || !balanced(english)) return line_kind::unbalanced;
  out.german = parse_side(german);
  out.english = parse_side(english);
  if (out.german.size() != out.english.size()) return line_kind::misaligned;
  return line_kind::entry;
}

}  // namespace zembu
