#include "suffix/splitter.h"

#include <gtest/gtest.h>

namespace zembu::suffix {
namespace {

TEST(SplitterSuffixes, EmptyLinesSkippedExcessIgnored) {
  linereader in("ING\n\nS\r\nLY");
  std::vector<std::string> list;
  EXPECT_FALSE(read_suffixes(in, list));
  EXPECT_EQ(list, (std::vector<std::string>{"ING", "S", "LY"}));

  linereader more("A\n\nB\n\n\nC\nD\n");
  EXPECT_TRUE(read_suffixes(more, list, 2));
  EXPECT_EQ(list, (std::vector<std::string>{"A", "B"}));
  // Empty lines after the last one taken are no excess.
  linereader trailing("A\nB\n\n\n");
  EXPECT_FALSE(read_suffixes(trailing, list, 2));
}

TEST(SplitterSuffixes, AppliesOnlyToALongerWordEndingInIt) {
  EXPECT_TRUE(suffix_applies("ING", "WALKING"));
  EXPECT_TRUE(suffix_applies("G", "NG"));
  EXPECT_FALSE(suffix_applies("ING", "ING"));
  EXPECT_FALSE(suffix_applies("ING", "NG"));
  EXPECT_FALSE(suffix_applies("ING", "WALKINGS"));
  EXPECT_FALSE(suffix_applies("ing", "WALKING"));
  EXPECT_FALSE(suffix_applies("", "WALKING"));
  EXPECT_FALSE(suffix_applies("", ""));
}

// The output lines of a sentence split with `suffixes` in a table of `capacity`.
std::string split(const std::string& input, const std::vector<std::string>& suffixes,
                  size_t capacity = kMaxTokens) {
  linereader in(input);
  tokentab t;
  init_tokentab(t, capacity);
  read_tokens(in, t, nullptr);
  split_tokens(t, suffixes, nullptr);
  std::string out;
  for (const token_entry& e : t.entries) out += format_token_line(e) + "\n";
  for (auto it = t.beyond.rbegin(); it != t.beyond.rend(); ++it) {
    out += "beyond: " + format_token_line(*it) + "\n";
  }
  return out;
}

TEST(SplitterSplit, SeveralSuffixesFollowInWordOrder) {
  // Each suffix is tried once per entry, in list order, against the shortened word; a
  // later one does not bring an earlier one back.
  EXPECT_EQ(split("ZZZ ABAB x\n", {"AB"}), "ZZZ AB x\nZZZ AB \xFFZZZ------AB\n");
  EXPECT_EQ(split("ZZZ CATS x\n", {"S", "AT"}),
            "ZZZ C x\nZZZ AT \xFFZZZ------AT\nZZZ S \xFFZZZ------S\n");
}

TEST(SplitterSplit, OnlyTheWordIsSearched) {
  EXPECT_EQ(split("ING X \xFFZZZ---ZZZdoing\n", {"ING"}), "ING X \xFFZZZ---ZZZdoing\n");
  EXPECT_EQ(split("", {"ING"}), "");
}

TEST(SplitterSplit, FullTableWritesItsTailUnsplit) {
  // Capacity 3: the split of entry 1 pushes CING out, which then stays whole; the split
  // of the last entry puts its suffix itself past the end, in front of CING.
  EXPECT_EQ(split("ZZZ AING\nZZZ BING\nZZZ CING\nZZZ DING\n", {"ING"}, 3),
            "ZZZ A \n"
            "ZZZ ING \xFFZZZ------ING\n"
            "ZZZ B \n"
            "beyond: ZZZ ING \xFFZZZ------ING\n"
            "beyond: ZZZ CING \n");
  // Only as many lines as fit are read; the rest stays in the input.
  linereader in("L1\nL2\nL3\n");
  tokentab t;
  init_tokentab(t, 2);
  read_tokens(in, t, nullptr);
  std::string rest;
  ASSERT_TRUE(in.readline(rest));
  EXPECT_EQ(rest, "L3");
}

TEST(Zembu4Args, SuffixFileAndVisibleFlag) {
  zembu4_args a;
  EXPECT_FALSE(parse_zembu4_args({"in"}, a));
  ASSERT_TRUE(parse_zembu4_args({"in", "out"}, a));
  EXPECT_EQ(a.infile, "in");
  EXPECT_EQ(a.outfile, "out");
  EXPECT_EQ(a.suffixfile, "definitions/aggl.zmb");
  EXPECT_FALSE(a.visible);
  ASSERT_TRUE(parse_zembu4_args({"in", "out", "visible"}, a));
  EXPECT_EQ(a.suffixfile, "definitions/aggl.zmb");
  EXPECT_TRUE(a.visible);
  ASSERT_TRUE(parse_zembu4_args({"in", "out", "my.zmb", "visible"}, a));
  EXPECT_EQ(a.suffixfile, "my.zmb");
  EXPECT_TRUE(a.visible);
  ASSERT_TRUE(parse_zembu4_args({"in", "out", "", "visible"}, a));
  EXPECT_EQ(a.suffixfile, "definitions/aggl.zmb");
  EXPECT_TRUE(a.visible);
  ASSERT_TRUE(parse_zembu4_args({"in", "out", "my.zmb", "VISIBLE"}, a));
  EXPECT_FALSE(a.visible);
}

}  // namespace
}  // namespace zembu::suffix
