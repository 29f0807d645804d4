#include "common/replace.h"

#include <gtest/gtest.h>

namespace zembu {
namespace {

std::string replaced(std::string s, std::string_view a, std::string_view b,
                     size_t width = kShortWidth) {
  replace_repeated(s, a, b, width);
  return s;
}

TEST(ReplaceRepeated, SearchesAgainFromTheStart) {
  // Text a replacement creates is replaced again: a doubled letter collapses any run.
  EXPECT_EQ(replaced("aaaaaaab", "aa", "a"), "ab");
  EXPECT_EQ(replaced("x    y", "  ", " "), "x y");
  // A replacement that creates an occurrence before the replaced place.
  EXPECT_EQ(replaced("aab", "ab", "b"), "b");
  EXPECT_EQ(replaced("colour colour", "OU", "O"), "colour colour");
  EXPECT_EQ(replaced("COLOUR", "OU", "O"), "COLOR");
  EXPECT_EQ(replaced("", "a", "b"), "");
  EXPECT_EQ(replaced("abc", "", "x"), "abc");
  EXPECT_EQ(replaced("abc", "abcd", "x"), "abc");
}

TEST(ReplaceRepeated, EqualLengthRewritesSettle) {
  EXPECT_EQ(replaced("abab", "ab", "ba"), "bbaa");
}

TEST(ReplaceRepeated, ReplacementHoldingTheSearchTextEnds) {
  // Replacing a by aa would never end when searching from the start; it is one pass.
  EXPECT_EQ(replaced("a-a", "a", "aa"), "aa-aa");
  EXPECT_EQ(replaced("xSSx", "SS", "[SS]"), "x[SS]x");
  EXPECT_EQ(replaced("aaa", "a", "a"), "aaa");
}

TEST(ReplaceRepeated, GrowthIsCutAtTheWidth) {
  std::string s(250, 'x');
  s += "abab";
  replace_repeated(s, "ab", "ba1234", 255);
  EXPECT_EQ(s.size(), 255u);
  // Growth that would go on forever without the width still ends.
  std::string t = "ab";
  replace_repeated(t, "ab", "bba", 40);
  EXPECT_LE(t.size(), 40u);
}

TEST(ReplaceRepeated, StopsAfterTheReplacementLimit) {
  std::string s(2000, 'a');
  size_t n = replace_repeated(s, "a", "b", 2000);
  EXPECT_EQ(n, 2000u);
  EXPECT_EQ(s, std::string(2000, 'b'));
}

TEST(ReplacePairs, PairsApplyInTableOrderOnTheRunningText) {
  std::vector<replace_pair> pairs = {{"a", "b"}, {"b", "c"}};
  std::string s = "a";
  replace_pairs(s, pairs);
  EXPECT_EQ(s, "c");
  // Earlier pairs are not applied again.
  std::vector<replace_pair> back = {{"b", "a"}, {"c", "b"}};
  s = "c";
  replace_pairs(s, back);
  EXPECT_EQ(s, "b");
}

TEST(ReplacePairs, BinaryBytesAreOrdinaryText) {
  std::string s("\xff\x00\xff", 3);
  replace_pairs(s, {{std::string("\x00", 1), "\x01"}, {"\xff", "y"}});
  EXPECT_EQ(s, "y\x01y");
}

}  // namespace
}  // namespace zembu
