// Code page 437 at the user's edge. The programs work in code page 437 bytes; users write
// and read UTF-8. A line of user text (UTF-8, or Latin-1 when it is not valid UTF-8) is
// turned into code page 437 on the way in, and printed German is turned into UTF-8.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zembu {

// Stands inside the programs for a character that code page 437 cannot hold, and is
// printed as "?". It is the control character DEL, which no text carries (input control
// characters become blanks), and no pass treats it as punctuation.
constexpr char kNoFormMark = '\x7f';

// One line of user text in code page 437, and what the conversion had to do to it.
struct decoded_line {
  std::string text;               // code page 437 bytes; never a control byte but TAB
  bool read_as_latin1 = false;    // the line was not valid UTF-8
  std::vector<char32_t> no_form;  // characters written as kNoFormMark, each once, in order
  bool had_controls = false;      // control characters were read as blanks
};

// Converts one line of user text (without its line end) to code page 437. Characters
// that code page 437 lacks are written in their customary plain form where one exists
// (curly quotes, dashes, ellipsis, spaces, accented capitals, ligatures); invisible
// formatting characters (soft hyphen, zero-width space, byte-order mark) are dropped;
// anything else becomes kNoFormMark. A line that is not valid UTF-8 is read as Latin-1
// (with the Windows-1252 characters in 0x80..0x9F).
decoded_line decode_user_line(std::string_view line);

// Converts code page 437 output to UTF-8: every valid UTF-8 multi-byte sequence (written
// by the engine's umlauts, the substitution filter's table or the rules) is kept as it
// is, every other byte is converted from code page 437. kNoFormMark becomes "?", and
// control characters other than TAB become blanks, so no escape sequence reaches a
// terminal.
std::string encode_for_user(std::string_view text);

// Leaves bytes as they are except control characters other than TAB (and DEL), which
// become blanks: the byte-transparent form of encode_for_user.
std::string mask_controls(std::string_view text);

// The Unicode character of a code page 437 byte (bytes below 128 are ASCII).
char32_t cp437_char(unsigned char byte);

// A character for a message: "U+4E2D (中)"; a character that cannot be shown safely
// (a control or combining character) is given by its number only.
std::string describe_char(char32_t c);

// Appends the UTF-8 encoding of c to out.
void append_utf8(std::string& out, char32_t c);

}  // namespace zembu
