// One token line of the pass files, read and written in one place: the tokenizer writes
// them, the suffix splitter reads and rewrites them, the engine reads them (and writes the
// spilled rest of an over-long sentence back as token lines).
#pragma once

#include <string>
#include <string_view>

namespace zembu {

// The byte that opens the attribute field in a token line's payload.
constexpr char kTokenFieldMarker = '\xff';
// The attribute field of a word nobody has classified yet.
constexpr std::string_view kNewWordAttributes = "ZZZ---ZZZ";

// Fixed lines: the start of a sentence, and "the next word is capitalised".
constexpr std::string_view kSentenceStartLine = "STR ------";
constexpr std::string_view kCapitalLine = "YYY *";

// A token line: the class code in its first three bytes, one separator byte of any value,
// then the payload, read as a word up to its first blank and the rest behind that blank.
struct token_line {
  std::string code;       // class code: the first three bytes (fewer on a shorter line)
  std::string word;       // the payload up to its first blank, at most 255 bytes
  std::string rest;       // the payload behind that blank, at most 255 bytes
  bool has_rest = false;  // the payload has that blank (the rest may still be empty)
};

// Splits `line` into its fields; an empty line gives empty fields. Every byte is kept.
token_line parse_token_line(std::string_view line);

// The payload of t as it stood in its line: word, and blank + rest when it had a blank.
std::string token_payload(const token_line& t);

// The line of t in its full form: code + blank + word + blank + rest (the second blank is
// written even when the line it came from had none).
std::string format_token_line(const token_line& t);

// A line of code and payload as they are: code + blank + payload.
std::string format_token_line(std::string_view code, std::string_view payload);

// A rest field: the field marker, the attribute field, then the text.
std::string attribute_field(std::string_view attributes, std::string_view text);

// Cuts a payload at its first field marker into the key before it (trailing blanks
// removed) and the field behind it. False, leaving both alone, when it has no marker.
bool split_at_field_marker(std::string_view payload, std::string& key, std::string& field);

// t for test output: "code|word|rest" with "|" left out before a missing rest and the
// field marker shown as "^".
std::string dump_token_line(const token_line& t);

}  // namespace zembu
