#include "common/codepage.h"

#include <algorithm>
#include <cstdio>

namespace zembu {

namespace {

// The characters of the code page 437 bytes 128..255.
constexpr char16_t kUpperHalf[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  // 80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,  // 88
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  // 90
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,  // 98
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  // A0
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,  // A8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  // B0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,  // B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,  // C8
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  // D0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,  // D8
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,  // E0
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,  // E8
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,  // F0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,  // F8
};

// Windows-1252 in 0x80..0x9F, the usual meaning of those bytes in a "Latin-1" file; 0 for
// the five bytes it leaves undefined (read as control characters).
constexpr char16_t kWindows1252[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// Plain letters of the Latin-1 letters U+00C0..U+00FF and of Latin Extended-A
// U+0100..U+017F; "*" where the character needs more than one letter or has no plain
// letter (handled apart).
constexpr char kLatin1Plain[] = "AAAAAAACEEEEIIIIDNOOOOO*OUUUUY*s"
                                "aaaaaaaceeeeiiiidnooooo*ouuuuy*y";
constexpr char kExtendedAPlain[] = "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGg"
                                   "GgGgHhHhIiIiIiIiIi**JjKkkLlLlLlL"
                                   "lLlNnNnNnnNnOoOoOo**RrRrRrSsSsSs"
                                   "SsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";

// The marks of the Latin-1 letters U+00C0..U+00FF, to put a letter and a combining mark
// back together: ` grave, ' acute, ^ circumflex, ~ tilde, : diaeresis, o ring, , cedilla.
constexpr char kLatin1Mark[] = "`'^~:o ,`'^:`'^: ~`'^~:  `'^:'  "
                               "`'^~:o ,`'^:`'^: ~`'^~:  `'^:' :";

char combining_mark(char32_t c) {
  switch (c) {
    case 0x0300: return '`';
    case 0x0301: return '\'';
    case 0x0302: return '^';
    case 0x0303: return '~';
    case 0x0308: return ':';
    case 0x030A: return 'o';
    case 0x0327: return ',';
    default: return 0;
  }
}

// The code page 437 byte of c, or 0 when code page 437 has no such character or its only
// byte is a control position.
unsigned char cp437_byte(char32_t c) {
  if (c >= 32 && c < 127) return static_cast<unsigned char>(c);
  if (c < 128) return 0;
  for (int i = 0; i < 128; ++i) {
    if (kUpperHalf[i] == c) return static_cast<unsigned char>(128 + i);
  }
  if (c == 0x03B2) return 0xE1;  // Greek beta shares the glyph of sharp s
  if (c == 0x03BC) return 0xE6;  // Greek mu, the micro sign
  return 0;
}

// The plain form that replaces a character even where code page 437 has it (typographic
// quotes, dashes and spaces, which the passes would not read as such), or nullptr. An
// empty form drops the character (invisible formatting).
const char* plain_form(char32_t c) {
  switch (c) {
    case 0x2018: case 0x2019: case 0x201A: case 0x201B: case 0x2032: case 0x00B4:
    case 0x2039: case 0x203A:
      return "'";
    case 0x201C: case 0x201D: case 0x201E: case 0x201F: case 0x2033: case 0x00AB:
    case 0x00BB:
      return "\"";
    case 0x2010: case 0x2011: case 0x2012: case 0x2013: case 0x2014: case 0x2015:
    case 0x2212:
      return "-";
    case 0x2026: return "...";
    case 0x00A0: case 0x2000: case 0x2001: case 0x2002: case 0x2003: case 0x2004:
    case 0x2005: case 0x2006: case 0x2007: case 0x2008: case 0x2009: case 0x200A:
    case 0x202F: case 0x205F: case 0x3000:
      return " ";
    case 0x00AD: case 0x200B: case 0x200C: case 0x200D: case 0x2060: case 0xFEFF:
      return "";
    case 0x20AC: return "EUR";
    case 0x00A9: return "(c)";
    case 0x00AE: return "(R)";
    case 0x2122: return "(TM)";
    default: return nullptr;
  }
}

// Appends the plain letters of a character outside code page 437 (an accented capital, a
// letter of Latin Extended-A, a sign with a customary spelling); false when it has none.
bool append_plain_letters(std::string& out, char32_t c) {
  const char* word = nullptr;
  switch (c) {
    case 0x00D7: word = "x"; break;
    case 0x00A6: word = "|"; break;
    case 0x00B9: word = "1"; break;
    case 0x00B3: word = "3"; break;
    case 0x00BE: word = "3/4"; break;
    case 0x00DE: word = "Th"; break;
    case 0x00FE: word = "th"; break;
    case 0x0132: word = "IJ"; break;
    case 0x0133: word = "ij"; break;
    case 0x0152: word = "OE"; break;
    case 0x0153: word = "oe"; break;
    default: break;
  }
  if (word) {
    out += word;
    return true;
  }
  char letter = '*';
  if (c >= 0x00C0 && c <= 0x00FF) letter = kLatin1Plain[c - 0xC0];
  if (c >= 0x0100 && c <= 0x017F) letter = kExtendedAPlain[c - 0x100];
  if (letter == '*') return false;
  out.push_back(letter);
  return true;
}

// The Latin-1 letter made of `base` and a combining mark, or 0.
char32_t compose(char32_t base, char mark) {
  for (char32_t c = 0xC0; c <= 0xFF; ++c) {
    if (kLatin1Plain[c - 0xC0] == static_cast<char>(base) && kLatin1Mark[c - 0xC0] == mark) {
      return c;
    }
  }
  return 0;
}

// Decodes the UTF-8 sequence at s[i]; its length goes to `len`. False when the bytes are
// no valid sequence (also an overlong form, a surrogate or a value beyond U+10FFFF).
bool decode_utf8(std::string_view s, size_t i, char32_t& c, size_t& len) {
  const unsigned char b = static_cast<unsigned char>(s[i]);
  if (b < 0x80) {
    c = b;
    len = 1;
    return true;
  }
  if (b < 0xC2 || b > 0xF4) return false;
  len = b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
  if (i + len > s.size()) return false;
  c = b & (len == 2 ? 0x1F : len == 3 ? 0x0F : 0x07);
  for (size_t k = 1; k < len; ++k) {
    const unsigned char t = static_cast<unsigned char>(s[i + k]);
    if ((t & 0xC0) != 0x80) return false;
    c = (c << 6) | (t & 0x3F);
  }
  if ((len == 3 && c < 0x800) || (len == 4 && c < 0x10000) || c > 0x10FFFF) return false;
  return !(c >= 0xD800 && c <= 0xDFFF);
}

bool valid_utf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    char32_t c;
    size_t len;
    if (!decode_utf8(s, i, c, len)) return false;
    i += len;
  }
  return true;
}

bool is_control(char32_t c) { return c < 32 || c == 127 || (c >= 0x80 && c < 0xA0); }

void note_no_form(decoded_line& out, char32_t c) {
  if (std::find(out.no_form.begin(), out.no_form.end(), c) == out.no_form.end()) {
    out.no_form.push_back(c);
  }
  out.text.push_back(kNoFormMark);
}

// Appends the code page 437 form of the character c.
void put_char(decoded_line& out, char32_t c) {
  if (c == '\t') {
    out.text.push_back('\t');
  } else if (is_control(c)) {
    out.had_controls = true;
    out.text.push_back(' ');
  } else if (const char* plain = plain_form(c)) {
    out.text += plain;
  } else if (unsigned char b = cp437_byte(c)) {
    out.text.push_back(static_cast<char>(b));
  } else if (!append_plain_letters(out.text, c)) {
    note_no_form(out, c);
  }
}

}  // namespace

char32_t cp437_char(unsigned char byte) { return byte < 128 ? byte : kUpperHalf[byte - 128]; }

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

decoded_line decode_user_line(std::string_view line) {
  decoded_line out;
  out.text.reserve(line.size());
  if (!valid_utf8(line)) {
    out.read_as_latin1 = true;
    for (char ch : line) {
      const unsigned char b = static_cast<unsigned char>(ch);
      char32_t c = b;
      if (b >= 0x80 && b < 0xA0) c = kWindows1252[b - 0x80] ? kWindows1252[b - 0x80] : b;
      put_char(out, c);
    }
    return out;
  }
  size_t i = 0;
  char32_t previous = 0;  // the last character put, for a combining mark behind it
  while (i < line.size()) {
    char32_t c;
    size_t len;
    decode_utf8(line, i, c, len);
    i += len;
    if (const char mark = combining_mark(c)) {
      const char32_t whole = previous < 128 ? compose(previous, mark) : 0;
      if (whole != 0 && !out.text.empty()) {
        out.text.pop_back();
        put_char(out, whole);
        previous = whole;
        continue;
      }
    }
    put_char(out, c);
    previous = c;
  }
  return out;
}

std::string encode_for_user(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    char32_t c;
    size_t len;
    if (b >= 0xC2 && decode_utf8(text, i, c, len)) {
      if (c < 0xA0) {
        out.push_back(' ');  // a C1 control character
      } else {
        out.append(text.substr(i, len));
      }
      i += len;
      continue;
    }
    if (text[i] == kNoFormMark) {
      out.push_back('?');
    } else if (b < 32 && b != '\t') {
      out.push_back(' ');
    } else {
      append_utf8(out, cp437_char(b));
    }
    ++i;
  }
  return out;
}

std::string mask_controls(std::string_view text) {
  std::string out(text);
  for (char& ch : out) {
    const unsigned char b = static_cast<unsigned char>(ch);
    if ((b < 32 && b != '\t') || b == 127) ch = ' ';
  }
  return out;
}

std::string describe_char(char32_t c) {
  char number[16];
  std::snprintf(number, sizeof number, "U+%04X", static_cast<unsigned>(c));
  std::string s = number;
  const bool showable = !is_control(c) && !(c >= 0x0300 && c <= 0x036F) &&
                        !(c >= 0x200B && c <= 0x200F) && !(c >= 0x2028 && c <= 0x202E) &&
                        !(c >= 0x2066 && c <= 0x2069);
  if (showable) {
    s += " (";
    append_utf8(s, c);
    s += ")";
  }
  return s;
}

}  // namespace zembu
