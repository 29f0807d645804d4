#include "tools/chrf.h"

#include <gtest/gtest.h>

namespace zembu {
namespace {

double chrf_of(const std::vector<std::string>& refs, const std::vector<std::string>& hyps) {
  return score_corpus(refs, hyps).chrf;
}

TEST(Chrf, PerfectAndDisjoint) {
  EXPECT_DOUBLE_EQ(chrf_of({"Das Haus ist rot."}, {"Das Haus ist rot."}), 100.0);
  // Blanks do not count: the characters are compared without them.
  EXPECT_DOUBLE_EQ(chrf_of({"Das Haus ist rot."}, {"DasHaus  ist\trot."}), 100.0);
  EXPECT_DOUBLE_EQ(chrf_of({"abc"}, {"xyz"}), 0.0);
  EXPECT_DOUBLE_EQ(chrf_of({}, {}), 0.0);
  EXPECT_DOUBLE_EQ(chrf_of({"abc"}, {""}), 0.0);
}

TEST(Chrf, WorkedExamples) {
  // "ab" against "abc": order 1 P = 2/2, R = 2/3; order 2 P = 1/1, R = 1/2; order 3 has
  // no hypothesis n-gram and orders 4-6 none at all, so two orders count: P = 1,
  // R = 7/12, F2 = 5 * 7/12 / (4 + 7/12) = 7/11.
  EXPECT_NEAR(chrf_of({"abc"}, {"ab"}), 100.0 * 7 / 11, 1e-9);
  // "abcd" against "ab": order 1 P = 2/4, R = 1; order 2 P = 1/3, R = 1; the hypothesis
  // trigrams do not count where the reference has none. P = 5/12, R = 1, F2 = 25/32.
  EXPECT_NEAR(chrf_of({"ab"}, {"abcd"}), 100.0 * 25 / 32, 1e-9);
  // Repeated n-grams match at most as often as the reference has them: "aaa" against
  // "a": order 1 P = 1/3, R = 1, F2 = 5/3 / (4/3 + 1) = 5/7.
  EXPECT_NEAR(chrf_of({"a"}, {"aaa"}), 100.0 * 5 / 7, 1e-9);
}

TEST(Chrf, CorpusStatisticsAreSummedBeforeAveraging) {
  // A perfect "ab" and a wrong "x" for "y": order 1 sums to 2 of 3 matched, order 2 to 1
  // of 1, so P = R = 5/6; the mean of the two sentence scores would be 50.
  EXPECT_NEAR(chrf_of({"ab", "y"}, {"ab", "x"}), 100.0 * 5 / 6, 1e-9);
  chrf_stats stats;
  add_sentence(stats, "ab", "ab");
  add_sentence(stats, "x", "y");
  EXPECT_EQ(stats.order[0].hyp, 3);
  EXPECT_EQ(stats.order[0].ref, 3);
  EXPECT_EQ(stats.order[0].match, 2);
  EXPECT_EQ(stats.order[1].hyp, 1);
  EXPECT_EQ(stats.order[2].ref, 0);
}

TEST(Chrf, CharactersAreCodePoints) {
  // "Häuser" is six characters, not seven bytes; a non-breaking space is whitespace.
  EXPECT_EQ(chrf_characters("H\xC3\xA4user"), U"H\u00E4user");
  EXPECT_EQ(chrf_characters("a\u00A0b c"), U"abc");
  // A stray byte is a character of its own.
  EXPECT_EQ(chrf_characters("a\xC3"), U"a\u00C3");
  // "ä" and "a" are different characters: "Bär" against "Bar" shares only B and r, so
  // order 1 has P = R = 2/3 and orders 2 and 3 nothing: P = R = 2/9.
  EXPECT_NEAR(chrf_of({"Bar"}, {"B\xC3\xA4r"}), 100.0 * 2 / 9, 1e-9);
}

TEST(ExactMatch, CaseBlanksAndFinalPunctuationIgnored) {
  corpus_scores s =
      score_corpus({"Das Haus ist rot.", "Die H\xC3\xA4user!", "Es ist kalt, ja.", "Ich bin hier."},
                   {"das haus  ist rot", "DIE H\xC3\x84USER.", "Es ist kalt ja.", "Ich war hier."});
  EXPECT_EQ(s.sentences, 4u);
  EXPECT_EQ(s.exact, 2u);
  EXPECT_DOUBLE_EQ(s.exact_rate, 50.0);
  EXPECT_EQ(exact_match_form("Ist es GROSS?!"), U"istesgross");
}

}  // namespace
}  // namespace zembu
