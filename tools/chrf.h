// Corpus scores of the quality benchmark: chrF, the character n-gram F-score of
// translations against one reference each, and the exact-match rate. Text is UTF-8;
// characters are Unicode code points.
//
// chrF as computed here (character orders 1 to 6, beta 2, no word n-grams, the default
// chrF of sacreBLEU 2): every whitespace character of a sentence is removed; for each
// order n the n-grams are the substrings of n characters, counted with repetition. Per
// sentence and order: hyp = the number of hypothesis n-grams (0 when the reference has no
// n-gram of that order), ref = the number of reference n-grams, match = the sum over the
// distinct n-grams of the smaller of the two counts. hyp, ref and match are summed over
// the corpus per order. Per order with hyp > 0 and ref > 0: P = match / hyp and
// R = match / ref; P and R are averaged over those orders (the effective order); the score
// is 100 * (1 + beta^2) * P * R / (beta^2 * P + R), or 0 when P + R is 0 or no order
// counts.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace zembu {

constexpr int kChrfOrder = 6;
constexpr double kChrfBeta = 2.0;

// The n-gram counts of one order, summed over the sentences added so far.
struct ngram_counts {
  long long hyp = 0;
  long long ref = 0;
  long long match = 0;
};

// The corpus statistics of chrF: ngram_counts for the orders 1 to kChrfOrder.
struct chrf_stats {
  std::array<ngram_counts, kChrfOrder> order;
};

// The characters of a UTF-8 sentence that chrF looks at: the code points without the
// whitespace characters (those of Python's str.split: ASCII blanks and controls 9-13 and
// 28-31, U+0085, U+00A0, U+1680, U+2000-U+200A, U+2028, U+2029, U+202F, U+205F,
// U+3000). A byte that is not part of valid UTF-8 counts as the character of its value.
std::u32string chrf_characters(std::string_view utf8);

// Adds the n-gram counts of one hypothesis and its reference to `stats`.
void add_sentence(chrf_stats& stats, std::string_view hypothesis, std::string_view reference);

// The chrF score (0 to 100) of the statistics.
double chrf_score(const chrf_stats& stats);

// The form in which two sentences are compared for an exact match: the characters of
// chrf_characters (so without whitespace), capitals A-Z and U+00C0-U+00DE (but U+00D7)
// made small, and the final run of ".", "!", "?", ",", ";", ":" removed.
std::u32string exact_match_form(std::string_view utf8);

struct corpus_scores {
  size_t sentences = 0;
  double chrf = 0;        // 0 to 100
  size_t exact = 0;       // sentences whose hypothesis matches exactly
  double exact_rate = 0;  // 100 * exact / sentences (0 for no sentences)
};

// The scores of hypotheses against references, paired line by line; the vectors must be
// of the same length (the caller checks).
corpus_scores score_corpus(const std::vector<std::string>& references,
                           const std::vector<std::string>& hypotheses);

}  // namespace zembu
