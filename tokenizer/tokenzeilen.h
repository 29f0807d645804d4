// Token lines of zembu1: cuts one sentence buffer into tokens and writes them as the
// token lines the suffix splitter and the engine read ("STR ------", "YYY *", "ZZZ ",
// "SEN " lines and the quotation lines), with each token's upper-case search key.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/replace.h"

namespace zembu::tokenizer {

// The most bytes a search key grows to while the pairs of the table are applied.
constexpr size_t kTokenbreite = 255;

// The most bytes of a word one token line carries. The engine keeps an unknown word in
// a default entry of at most 80 bytes that starts with 13 bytes of classes
// ("UUU*NAM---Sns"), so a longer word goes out as several token lines ("pieces") that
// together hold every byte and each come through the engine whole.
constexpr size_t kPieceWidth = 67;
// The most bytes of a piece's search key: the width of the engine's key column. A piece
// whose key would grow beyond it under the pairs is made shorter.
constexpr size_t kKeyWidth = 100;

// The search key of a token: a token holding "/" or "\" unchanged; otherwise without
// bytes below 32 and byte 255, "a" to "z" upper-cased and every pair of `tabelle` applied
// in order (a byte 255 that a pair writes is removed again).
std::string normalisiere(std::string_view token, const std::vector<replace_pair>& tabelle);

// A token cut into the pieces that go out as token lines, in order: each at most
// kPieceWidth bytes with a key of at most kKeyWidth bytes (as long as one byte alone
// fits), the whole token when it is short enough.
std::vector<std::string_view> token_pieces(std::string_view token,
                                           const std::vector<replace_pair>& tabelle);

// The whole token file of one sentence: `text` is the sentence buffer (capital markers
// included, trailing whitespace cut). Every line ends in a line feed.
std::string tokenzeilen(std::string_view text, const std::vector<replace_pair>& tabelle);

// The token file at the end of the text.
inline constexpr std::string_view kTextendeZeile = "SEN EOF";

}  // namespace zembu::tokenizer
