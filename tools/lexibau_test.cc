#include "tools/lexibau.h"

#include <gtest/gtest.h>

namespace zembu::engine {
namespace {

std::vector<lexi_pair> pairs_of(const std::vector<std::string>& words) {
  std::vector<lexi_pair> pairs;
  for (const std::string& w : words) pairs.push_back({w, "XXX------" + w});
  return pairs;
}

TEST(IndexedLexicon, BlocksInDescendingKeyOrder) {
  indexed_lexicon lex = build_indexed_lexicon(
      pairs_of({"HOUSE>house", "ABOUT", "HORSE", "ZOO", "HAT", "A", "HOUSE"}));
  std::vector<std::string> words;
  for (const lexi_type& r : lex.records) words.push_back(r.word);
  EXPECT_EQ(words, (std::vector<std::string>{"ZOO", "HOUSE>house", "HORSE", "HOUSE", "HAT",
                                             "ABOUT", "A"}));
  ASSERT_EQ(lex.index.size(), 6u);
  EXPECT_EQ(lex.index[5].key, "");
  EXPECT_EQ(lex.index[5].position, 7);
  EXPECT_EQ(lex.index[0].key, "ZO");
  EXPECT_EQ(lex.index[1].key, "HO");
  EXPECT_EQ(lex.index[1].position, 1);
  EXPECT_EQ(lex.index[2].key, "HA");
  EXPECT_EQ(lex.index[3].key, "AB");
  EXPECT_EQ(lex.index[4].key, "A");
  // A key below every block key searches the last block only.
  long first = 0, last = 0;
  find_range(lex.index, 7, ".", first, last);
  EXPECT_EQ(first, 6);
  EXPECT_EQ(last, 7);
  // Every word is found in the block the engine's search picks.
  for (size_t i = 0; i < lex.records.size(); ++i) {
    std::string head = lex.records[i].word.substr(0, lex.records[i].word.find('>'));
    find_range(lex.index, static_cast<long>(lex.records.size()), head, first, last);
    EXPECT_LE(first, static_cast<long>(i)) << head;
    EXPECT_GE(last, static_cast<long>(i)) << head;
  }
}

TEST(IndexedLexicon, KeysWithBlanksAndManyKeysStayFindable) {
  std::vector<std::string> words = {"A BC", "AB", "A", "I AM", "IT"};
  for (int a = 0; a < 40; ++a) {
    for (int b = 0; b < 40; ++b) words.push_back(std::string{char('A' + a), char('A' + b)} + "X");
  }
  indexed_lexicon lex = build_indexed_lexicon(pairs_of(words));
  EXPECT_LE(lex.index.size(), static_cast<size_t>(max_index_lines));
  for (size_t i = 0; i < lex.records.size(); ++i) {
    long first = 0, last = 0;
    find_range(lex.index, static_cast<long>(lex.records.size()), lex.records[i].word, first, last);
    EXPECT_LE(first, static_cast<long>(i)) << lex.records[i].word;
    EXPECT_GE(last, static_cast<long>(i)) << lex.records[i].word;
  }
}

TEST(IndexedLexicon, TextLexiconPairs) {
  linereader file(std::string("HOUSE\n\xffNOM\xffHaus\nODD\n"));
  auto pairs = read_text_lexicon(file);
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(pairs[0].entry, "\xffNOM\xffHaus");
  EXPECT_EQ(pairs[1].word, "ODD");
  EXPECT_EQ(pairs[1].entry, "");
}

}  // namespace
}  // namespace zembu::engine
