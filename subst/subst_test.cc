#include "subst/subst.h"

#include <gtest/gtest.h>

#include "engine/longstr.h"

namespace zembu::subst {
namespace {

std::string dumped(const std::string& file, size_t max = kMaxPairs, bool* more = nullptr) {
  linereader in(file);
  std::vector<replace_pair> pairs;
  bool m = read_subst_table(in, pairs, max);
  if (more) *more = m;
  return dump_subst_table(pairs);
}

TEST(SubstTable, PairsAreConsecutiveLinesWithBlanksKept) {
  EXPECT_EQ(dumped(" ae \n\x84\nss\n\xE1\n"), "[ ae ] -> [\x84]\n[ss] -> [\xE1]\n");
  // An odd last line, with or without its line end, gets an empty replacement.
  EXPECT_EQ(dumped("a\nb\nc\n"), "[a] -> [b]\n[c] -> []\n");
  EXPECT_EQ(dumped("a\nb\nc"), "[a] -> [b]\n[c] -> []\n");
  // Empty lines are texts like any other: an empty search, an empty replacement.
  EXPECT_EQ(dumped("\n\nx\n\n"), "[] -> []\n[x] -> []\n");
  EXPECT_EQ(dumped(""), "");
}

TEST(SubstTable, PairsBeyondTheLimitAreIgnored) {
  bool more = false;
  EXPECT_EQ(dumped("a\n1\nb\n2\n", 2, &more), "[a] -> [1]\n[b] -> [2]\n");
  EXPECT_FALSE(more);
  EXPECT_EQ(dumped("a\n1\nb\n2\nc\n", 2, &more), "[a] -> [1]\n[b] -> [2]\n");
  EXPECT_TRUE(more);
  EXPECT_EQ(dumped("a\n1\nb\n2\nc\n3\nd\n4\n", 2, &more), "[a] -> [1]\n[b] -> [2]\n");
  EXPECT_TRUE(more);
}

TEST(SubstTable, LongLinesAreCutToTheFieldWidth) {
  std::string file = std::string(300, 'a') + "\n" + std::string(400, 'b') + "\n";
  linereader in(file);
  std::vector<replace_pair> pairs;
  read_subst_table(in, pairs);
  ASSERT_EQ(pairs.size(), 1u);
  EXPECT_EQ(pairs[0].search, std::string(255, 'a'));
  EXPECT_EQ(pairs[0].replacement, std::string(255, 'b'));
}

std::string substituted(std::string line, const std::vector<replace_pair>& pairs) {
  subst_line(line, pairs);
  return line;
}

TEST(SubstLine, TabRunsBecomeOneTabBeforeThePairs) {
  EXPECT_EQ(substituted("a\t\t\t\tb\t\tc\td", {}), "a\tb\tc\td");
  // The pairs see the collapsed line: a pair for two TABs finds nothing left.
  EXPECT_EQ(substituted("x\t\t\ty", {{"\t\t", "<2>"}, {"\t", "<1>"}}), "x<1>y");
}

TEST(SubstLine, PairsRunOneAfterAnotherOnTheRunningLine) {
  EXPECT_EQ(substituted("a", {{"a", "b"}, {"b", "c"}}), "c");
  // An earlier pair is not applied again to what a later pair writes.
  EXPECT_EQ(substituted("b", {{"a", "b"}, {"b", "a"}}), "a");
  // Repeated replacement searches again from the start.
  EXPECT_EQ(substituted("x     y", {{"  ", " "}}), "x y");
  EXPECT_EQ(substituted("", {{"a", "b"}}), "");
  EXPECT_EQ(substituted("abc", {{"", "zz"}}), "abc");
}

TEST(SubstLine, ReplacementHoldingItsSearchTextIsOnePass) {
  EXPECT_EQ(substituted("banana", {{"a", "aa"}}), "baanaanaa");
  EXPECT_EQ(substituted("x.y.", {{".", " . "}}), "x . y . ");
}

// The filter takes the engine's longest result line whole.
static_assert(kLongestLine == engine::maxi_capacity, "longest result line of the engine");

TEST(SubstLine, GrowthStopsAtTheResultWidth) {
  // Far beyond the old short-string width, and up to the result width exactly.
  std::string line(200, 'e');
  EXPECT_TRUE(subst_line(line, {{"e", "EE"}}));
  EXPECT_EQ(line, std::string(400, 'E'));
  line.assign(kLongestLine, 'e');
  EXPECT_TRUE(subst_line(line, {{"e", "EEEE"}}));
  EXPECT_EQ(line, std::string(kLongestResult, 'E'));
  // One byte more is cut, and the caller is told.
  line.assign(kLongestLine, 'e');
  EXPECT_FALSE(subst_line(line, {{"e", "EEEEE"}}));
  EXPECT_EQ(line, std::string(kLongestResult, 'E'));
  line = "abc";
  EXPECT_FALSE(subst_line(line, {{"b", "xyz"}}, 4));
  EXPECT_EQ(line, "axyz");
}

TEST(Zembu3Args, InfileOutfileAndOptionalTable) {
  zembu3_args a;
  EXPECT_FALSE(parse_zembu3_args({}, a));
  EXPECT_FALSE(parse_zembu3_args({"in"}, a));
  ASSERT_TRUE(parse_zembu3_args({"in", "out"}, a));
  EXPECT_EQ(a.infile, "in");
  EXPECT_EQ(a.outfile, "out");
  EXPECT_FALSE(a.has_table);
  ASSERT_TRUE(parse_zembu3_args({"in", "out", "t.zmb", "extra"}, a));
  EXPECT_TRUE(a.has_table);
  EXPECT_EQ(a.tablefile, "t.zmb");
}

}  // namespace
}  // namespace zembu::subst
