#include "compiler/quelle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zembu {
namespace {

TEST(QuelleTrim, OnlyBlanksAreTrimmedAndCommentsBecomeEmpty) {
  EXPECT_EQ(trim("  a b  "), "a b");
  EXPECT_EQ(trim("\ta\t"), "\ta\t");
  EXPECT_EQ(trim("    "), "");
  EXPECT_EQ(trim_comment("   ; note"), "");
  EXPECT_EQ(trim_comment("a ; note"), "a ; note");
  EXPECT_EQ(trim_comment("\t; tab first"), "\t; tab first");
}

TEST(QuelleLies, KeepsTheRawLineAsCurrentSourceLine) {
  quelle q("  house n Haus  \n;comment\n");
  std::string line;
  ASSERT_TRUE(q.lies(line));
  EXPECT_EQ(line, "house n Haus");
  EXPECT_EQ(q.aktuelle_zeile(), "  house n Haus  ");
  ASSERT_TRUE(q.lies(line));
  EXPECT_EQ(line, "");
  EXPECT_EQ(q.aktuelle_zeile(), ";comment");
  EXPECT_FALSE(q.lies(line));
  EXPECT_EQ(q.aktuelle_zeile(), ";comment");
}

TEST(QuelleLiesRoh, LeavesLineAndCurrentSourceLineAlone) {
  quelle q("HEAD\n  a -> b  \n");
  std::string line;
  ASSERT_TRUE(q.lies(line));
  ASSERT_TRUE(q.lies_roh(line));
  EXPECT_EQ(line, "  a -> b  ");
  EXPECT_EQ(q.aktuelle_zeile(), "HEAD");
  EXPECT_FALSE(q.lies_roh(line));
}

std::vector<std::string> body(quelle& q) {
  std::vector<std::string> out;
  std::string line;
  while (q.naechste(line)) out.push_back(line);
  return out;
}

TEST(QuelleNaechste, SkipsEmptyAndCommentLinesAndStopsAtDashes) {
  quelle q("a\n\n   \n; c\n  b  \n   -----more text\nafter\n");
  EXPECT_EQ(body(q), (std::vector<std::string>{"a", "b"}));
  std::string line;
  ASSERT_TRUE(q.lies(line));
  EXPECT_EQ(line, "after");
}

TEST(QuelleNaechste, FourDashesAreAnOrdinaryLineAndTheEndOfSourceEndsTheBody) {
  quelle q("----\nx");
  EXPECT_EQ(body(q), (std::vector<std::string>{"----", "x"}));
  EXPECT_TRUE(is_section_end("-----"));
  EXPECT_FALSE(is_section_end("----"));
  EXPECT_FALSE(is_section_end(" -----"));
}

}  // namespace
}  // namespace zembu
