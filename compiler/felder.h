// Field rules of rule-source lines: splitting a line at single blanks into field 1,
// field 2 and the rest, removing characters, the singular of a heading and the upper
// case of ASCII letters. Everything works on bytes; no locale is involved.
#pragma once

#include <string>
#include <string_view>

namespace zembu {

// The fields of a line split at single blanks. Two blanks in a row give an empty field.
struct felder {
  std::string feld1;  // the text before the first blank
  std::string feld2;  // the text between the first and the second blank
  std::string rest;   // the text after the second blank
};

// Splits `line` into field 1, field 2 and the rest. Returns the number of blanks found,
// at most 2: with 0, only feld1 is set (the whole line); with 1, feld2 holds the whole
// text after the first blank and rest is empty.
int split_fields(std::string_view line, felder& f);

// True when s begins with p.
bool starts_with(std::string_view s, std::string_view p);

// s with "a" to "z" turned into "A" to "Z"; every other byte unchanged.
std::string upper_ascii(std::string_view s);

// s without any of the bytes in `chars`.
std::string remove_chars(std::string_view s, std::string_view chars);

// The singular of a heading: a final "IES" becomes "Y", otherwise a final "S" is dropped.
std::string singular(std::string_view s);

}  // namespace zembu
