#include "suffix/tokentab.h"

#include <gtest/gtest.h>

namespace zembu::suffix {
namespace {

std::string roundtrip(std::string_view line) { return format_token_line(parse_token_line(line)); }

TEST(TokentabLine, CodeWordAndRest) {
  token_entry e = parse_token_line("ZZZ WALKING \xFFZZZ---ZZZwalking now");
  EXPECT_EQ(e.code, "ZZZ");
  EXPECT_EQ(e.word, "WALKING");
  EXPECT_EQ(e.rest, "\xFFZZZ---ZZZwalking now");
  EXPECT_EQ(format_token_line(e), "ZZZ WALKING \xFFZZZ---ZZZwalking now");
}

TEST(TokentabLine, LinesWithoutSecondBlankGainOne) {
  EXPECT_EQ(roundtrip("STR ------"), "STR ------ ");
  EXPECT_EQ(roundtrip("YYY *"), "YYY * ");
  EXPECT_EQ(roundtrip(""), "  ");
  // Short lines: only the code, or the code and the separator.
  EXPECT_EQ(roundtrip("SE"), "SE  ");
  EXPECT_EQ(roundtrip("SEN"), "SEN  ");
  EXPECT_EQ(roundtrip("SEN "), "SEN  ");
  // The separator is dropped whatever it is; a blank right behind it ends an empty word.
  EXPECT_EQ(roundtrip("ZZZxHOUSE"), "ZZZ HOUSE ");
  EXPECT_EQ(roundtrip("ZZZ  rest"), "ZZZ  rest");
  // Bytes pass as they are, NUL and 255 included.
  EXPECT_EQ(roundtrip(std::string("A\0C W\0 \xFF\0", 9)), std::string("A\0C W\0 \xFF\0", 9));
}

TEST(TokentabLine, SuffixEntryAndItsWidths) {
  EXPECT_EQ(format_token_line(suffix_entry("ING")), "ZZZ ING \xFFZZZ------ING");
  token_entry e = suffix_entry(std::string(300, 's'));
  EXPECT_EQ(e.word, std::string(255, 's'));
  EXPECT_EQ(e.rest.size(), 255u);
  EXPECT_EQ(e.rest.substr(0, 10), "\xFFZZZ------");
}

token_entry word(const std::string& w) { return token_entry{"ZZZ", w, ""}; }

std::string words_of(const tokentab& t) {
  std::string s;
  for (const token_entry& e : t.entries) s += e.word + " ";
  s += "|";
  for (auto it = t.beyond.rbegin(); it != t.beyond.rend(); ++it) s += " " + it->word;
  return s;
}

TEST(TokentabInsert, GoesRightBehindItsEntry) {
  tokentab t;
  init_tokentab(t, 5);
  for (const char* w : {"A", "B", "C"}) ASSERT_TRUE(add_token(t, word(w)));
  EXPECT_TRUE(insert_token(t, 0, word("x")));
  EXPECT_TRUE(insert_token(t, 0, word("y")));
  EXPECT_EQ(words_of(t), "A y x B C |");
  EXPECT_FALSE(insert_token(t, 7, word("z")));  // not an entry of the table
  EXPECT_EQ(words_of(t), "A y x B C |");
}

TEST(TokentabInsert, FullTablePushesItsTailAsideInOrder) {
  tokentab t;
  init_tokentab(t, 3);
  for (const char* w : {"A", "B", "C"}) ASSERT_TRUE(add_token(t, word(w)));
  EXPECT_FALSE(add_token(t, word("D")));
  EXPECT_TRUE(insert_token(t, 0, word("x")));
  EXPECT_EQ(words_of(t), "A x B | C");
  EXPECT_TRUE(insert_token(t, 0, word("y")));
  EXPECT_EQ(words_of(t), "A y x | B C");
  // Behind the last entry the new entry itself is the one past the end.
  EXPECT_FALSE(insert_token(t, 2, word("z")));
  EXPECT_EQ(words_of(t), "A y x | z B C");
  EXPECT_EQ(t.entries.capacity(), 3u);
}

TEST(TokentabDump, NumbersRightAlignedInTwoColumns) {
  tokentab t;
  init_tokentab(t, 200);
  EXPECT_EQ(dump_tokentab(t), "");
  add_token(t, parse_token_line("STR ------"));
  add_token(t, parse_token_line("ZZZ GO \xFFZZZ---ZZZgo"));
  EXPECT_EQ(dump_tokentab(t), " 1 STR ------ \n 2 ZZZ GO \xFFZZZ---ZZZgo\n");
  while (t.entries.size() < 100) add_token(t, word("w"));
  std::string dump = dump_tokentab(t);
  EXPECT_NE(dump.find("\n 9 ZZZ w \n10 ZZZ w \n"), std::string::npos);
  EXPECT_NE(dump.find("\n99 ZZZ w \n100 ZZZ w \n"), std::string::npos);
}

}  // namespace
}  // namespace zembu::suffix
