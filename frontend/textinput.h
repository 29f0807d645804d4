// Reading the user's text without losing a byte: lines of any length, with any line end,
// and the sentences of a line cut to the length the passes are made for.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace zembu::frontend {

// A line longer than this is handed on in pieces (so a text without line ends cannot
// fill the memory); each piece is cut between UTF-8 characters.
constexpr size_t kLongestLine = 1 << 20;

// A sentence longer than this is translated in pieces (with a message): far more than
// any real sentence, and short enough for the engine's 2000-byte result line.
constexpr size_t kLongestSentence = 1000;

// Reads lines from a stream that it does not own.
class text_input {
 public:
  explicit text_input(FILE* f) : file_(f) {}

  // The next line without its line end: LF, CR LF and a lone CR all end a line. A line
  // of more than kLongestLine bytes comes in several pieces. False at the end of the input.
  bool next(std::string& line);
  // The number of the line last returned, counted from 1.
  size_t line_number() const { return line_number_; }

 private:
  FILE* file_;
  size_t line_number_ = 0;
  std::string carry_;       // the bytes of an over-long line's last character, for the next piece
  bool continued_ = false;  // the last line returned was a piece of a longer line
};

// Cuts the first sentence off `line`: `line` keeps the sentence (up to and including the
// first "!", ".", ":" or "?" that is not its last character) and `rest` receives the text
// after it, leading blanks included; `rest` is empty when nothing follows.
void split_sentence(std::string& line, std::string& rest);

// The pieces of a sentence of more than `limit` bytes, each at most `limit` bytes and cut
// behind the last blank inside the limit where there is one; together they hold every
// byte of the sentence. A sentence within the limit is its only piece.
std::vector<std::string> cut_sentence(const std::string& sentence, size_t limit);

// True when s holds nothing but blanks and TABs.
bool is_blank(const std::string& s);

}  // namespace zembu::frontend
