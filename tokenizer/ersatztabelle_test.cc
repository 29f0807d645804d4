#include "tokenizer/ersatztabelle.h"

#include <gtest/gtest.h>

namespace zembu::tokenizer {
namespace {

std::string geladen(const std::string& text) {
  linereader in(text);
  return dump_ersatztabelle(lies_ersatzpaare(in));
}

TEST(Ersatztabelle, ReadsPairsOfLines) {
  EXPECT_EQ(geladen("COLOUR\nCOLOR\nCENTRE\nCENTER\n"), "COLOUR -> COLOR\nCENTRE -> CENTER\n");
  // Empty replacement lines are pairs too; a last line without a partner is none.
  EXPECT_EQ(geladen("A\n\nB\nC\nD"), "A -> \nB -> C\n");
  EXPECT_EQ(geladen(""), "");
  // Lines are cut at the line width.
  linereader in(std::string(300, 'x') + "\ny\n");
  std::vector<replace_pair> t = lies_ersatzpaare(in);
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0].search, std::string(255, 'x'));
}

TEST(Ersatztabelle, PairsBeyondTheTableAreIgnored) {
  std::string text;
  for (int i = 0; i < 250; ++i) text += "S" + std::to_string(i) + "\nR" + std::to_string(i) + "\n";
  linereader in(text);
  std::vector<replace_pair> t = lies_ersatzpaare(in);
  ASSERT_EQ(t.size(), kMaxErsatzpaare);
  EXPECT_EQ(t.back().search, "S199");
  EXPECT_EQ(t.back().replacement, "R199");
}

TEST(Ersatztabelle, BuiltInPairsWhenTheFileIsMissing) {
  EXPECT_EQ(dump_ersatztabelle(lade_ersatztabelle("no/such/dir/ascii.zmb")),
            "\x84 -> \x8e\n\x94 -> \x99\n\x81 -> \x9a\nSS -> \xe1\n");
}

}  // namespace
}  // namespace zembu::tokenizer
