// The tokenizer's character classes over single bytes of code page 437. Only these fixed
// sets decide how a text is cut into sentences and tokens; no locale is consulted.
#pragma once

namespace zembu::tokenizer {

// Stored in the sentence buffer before an upper-case letter that follows whitespace.
constexpr unsigned char kKapitalmarke = 1;

// The field marker of the token lines, the non-breaking space of code page 437; the
// sentence reader stores it as a blank.
constexpr unsigned char kFieldMarker = 255;

// TAB, LF, CR and blank.
constexpr bool ist_leerraum(unsigned char c) {
  return c == 9 || c == 10 || c == 13 || c == 32;
}

// "A" to "Z" and the upper-case letters 142, 143, 144, 146, 153, 154 and 165.
constexpr bool ist_gross(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || c == 142 || c == 143 || c == 144 || c == 146 ||
         c == 153 || c == 154 || c == 165;
}

// The characters that can end a sentence: ! . : ; ? (LF and CR never reach the buffer).
constexpr bool ist_satzende(unsigned char c) {
  return c == '!' || c == '.' || c == ':' || c == ';' || c == '?' || c == 10 || c == 13;
}

// Punctuation that stands as a token of its own.
constexpr bool ist_trennzeichen(unsigned char c) {
  switch (c) {
    case '!': case '"': case '(': case ')': case '*': case '+': case ',': case '-':
    case '.': case ';': case '<': case '=': case '>': case '?': case '[': case ']':
    case '{': case '}':
      return true;
    default:
      return false;
  }
}

// Characters after which a sentence-end character stands alone instead of staying
// inside a word (as in 3.14 or e.g).
constexpr bool ist_folgezeichen(unsigned char c) {
  return ist_leerraum(c) || c == ':' || ist_trennzeichen(c);
}

}  // namespace zembu::tokenizer
