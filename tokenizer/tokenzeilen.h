// Token lines of zembu1: cuts one sentence buffer into tokens and writes them as the
// token lines the suffix splitter and the engine read ("STR ------", "YYY *", "ZZZ ",
// "SEN " lines and the quotation lines), with each token's upper-case search key.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/replace.h"

namespace zembu {

// Width of a token; bytes beyond it are dropped.
constexpr size_t kTokenbreite = 255;

// The search key of a token: a token holding "/" or "\" unchanged; otherwise without
// bytes below 32, "a" to "z" upper-cased and every pair of `tabelle` applied in order.
std::string normalisiere(std::string_view token, const std::vector<replace_pair>& tabelle);

// The whole token file of one sentence: `text` is the sentence buffer (capital markers
// included, trailing whitespace cut). Every line ends in a line feed.
std::string tokenzeilen(std::string_view text, const std::vector<replace_pair>& tabelle);

// The token file at the end of the text.
inline constexpr std::string_view kTextendeZeile = "SEN EOF";

}  // namespace zembu
