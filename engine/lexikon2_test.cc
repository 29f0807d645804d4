#include "engine/lexikon2.h"

#include <gtest/gtest.h>

#include <memory>

namespace zembu::engine {
namespace {

std::unique_ptr<engine_state> with_terminations(
    const std::vector<std::array<const char*, 4>>& rows) {
  auto eng = std::make_unique<engine_state>();
  for (const auto& r : rows) {
    termination_entry& t = eng->terminations[++eng->termination_count];
    t.first = r[0];
    t.second = r[1];
    t.third = r[2];
    t.fourth = r[3];
  }
  return eng;
}

TEST(Affixes, StemAndTerminationOfAWord) {
  auto eng = with_terminations({{"", "ING", "PRP------", "VER"},
                                {"UN", "", "NEG", ""},
                                {"WALK", "G", "X", ""},
                                {"WALKIN", "G", "Y", ""},
                                {"", "S", "PLU------", "NOU.OU"}});
  affix_possibilities poss;
  split_affixes(*eng, "walking", poss);
  ASSERT_EQ(poss.count, 2);
  EXPECT_EQ(poss.p[1].radix, "WALK");
  EXPECT_EQ(poss.p[1].termn, "PRP-------ING");
  EXPECT_EQ(poss.p[1].worta, "VER");
  EXPECT_EQ(poss.p[2].radix, "IN");
  EXPECT_EQ(poss.p[2].termn, "X");  // not nine characters: no affixes appended
  split_affixes(*eng, "UNDO", poss);
  ASSERT_EQ(poss.count, 1);
  EXPECT_EQ(poss.p[1].radix, "DO");
  EXPECT_EQ(poss.p[1].termn, "NEG");
  // Prefix and suffix together as long as the word: no stem is left.
  split_affixes(*eng, "UN", poss);
  EXPECT_EQ(poss.count, 0);
}

TEST(Affixes, AtMostTwentyPossibilities) {
  std::vector<std::array<const char*, 4>> rows(30, {"", "S", "PLU", ""});
  auto eng = with_terminations(rows);
  affix_possibilities poss;
  split_affixes(*eng, "HOUSES", poss);
  EXPECT_EQ(poss.count, max_affix_possibilities);
}

TEST(Affixes, AdmissibleClassesAndTheFirstFittingPossibility) {
  auto eng = with_terminations({{"", "ING", "PRP------", "VER"}});
  EXPECT_TRUE(moeglich(*eng, "", "NOM---SnsHaus"));
  EXPECT_TRUE(moeglich(*eng, "...", "NOM---SnsHaus"));
  EXPECT_TRUE(moeglich(*eng, "VER", "VER---xxxgehen"));
  EXPECT_FALSE(moeglich(*eng, "VER", "NOM---SnsGang"));
  EXPECT_TRUE(moeglich(*eng, "ADJVER", "NOM*NOM---SnsGang*VER---xxxgehen"));
  // An entry beginning with U counts with its summary class only.
  EXPECT_FALSE(moeglich(*eng, "VER", "UUU*VER---xxxgehen"));
  EXPECT_TRUE(moeglich(*eng, "V.R", "VIR"));

  affix_possibilities poss;
  split_affixes(*eng, "WALKING", poss);
  EXPECT_EQ(checkaffixes(*eng, poss, "WALK", "VER---xxxgehen", false), 1);
  EXPECT_EQ(checkaffixes(*eng, poss, "WALK", "NOM---SnsGang", false), 0);
  EXPECT_EQ(checkaffixes(*eng, poss, "TALK", "VER---xxxreden", false), 0);
  EXPECT_EQ(checkaffixes(*eng, poss, "TALK", "VER---xxxreden", true), 1);
  EXPECT_EQ(checkaffixes(*eng, poss, "", "VER---xxxreden", false), 1);
}

TEST(Index, FindRangeOverDescendingKeys) {
  std::vector<index_type> index = {{"ZZ", 0}, {"HO", 50}, {"AB", 90}};
  long first = -1, last = -1;
  find_range(index, 120, "HOUSE", first, last);
  EXPECT_EQ(first, 50);
  EXPECT_EQ(last, 90);
  find_range(index, 120, "HAT", first, last);  // between AB and HO: the HO block
  EXPECT_EQ(first, 50);
  EXPECT_EQ(last, 90);
  find_range(index, 120, "ZZZ", first, last);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(last, 50);
  find_range(index, 120, "ABOUT", first, last);  // the last line: to the end of the file
  EXPECT_EQ(first, 90);
  EXPECT_EQ(last, 119);
  find_range(index, 120, "A", first, last);  // smaller than every key: the whole file
  EXPECT_EQ(first, 0);
  EXPECT_EQ(last, 119);
  find_range({}, 7, "X", first, last);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(last, 6);
  // Ascending keys: only the first block is ever searched.
  std::vector<index_type> ascending = {{"AB", 0}, {"HO", 50}};
  find_range(ascending, 100, "HOUSE", first, last);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(last, 0);
}

TEST(Index, LinesAreReadAndBounded) {
  auto eng = std::make_unique<engine_state>();
  std::string text = "HOUSE 12\nnoblank\nA 7\nXY 99999999999\n-- -3\n";
  for (int i = 0; i < 1000; ++i) text += "K" + std::to_string(i) + " " + std::to_string(i) + "\n";
  linereader file(text);
  lexikon lex;
  lex.read_index(*eng, file);
  const auto& index = lex.index();
  ASSERT_EQ(index.size(), static_cast<size_t>(max_index_lines));
  EXPECT_EQ(index[0].key, "HO");
  EXPECT_EQ(index[0].position, 12);
  EXPECT_EQ(index[1].key, "A");
  EXPECT_EQ(index[2].position, 0);  // not a 32-bit number
  EXPECT_EQ(index[3].position, -3);
}

TEST(SearchForms, SplitPlusAndCiphers) {
  search_result r;
  split_plus("can+NEG", r);
  EXPECT_EQ(r.new_form, "can");
  EXPECT_TRUE(r.has_second);
  EXPECT_EQ(r.second, "NEG------");
  split_plus("house", r);
  EXPECT_EQ(r.new_form, "house");
  EXPECT_FALSE(r.has_second);
  EXPECT_TRUE(has_cipher("R2D2"));
  EXPECT_FALSE(has_cipher("ROAD"));
}

TEST(DefaultEntry, NamesAndFourReadings) {
  auto eng = std::make_unique<engine_state>();
  EXPECT_EQ(default_entry(*eng, "FLORP", 0), "NAM---SnsFLORP");  // no lower-case letter
  EXPECT_EQ(default_entry(*eng, "Abc", 0), "NAM---SnsAbc");      // shorter than four
  EXPECT_EQ(default_entry(*eng, "etc.", 0), "NAM---Snsetc.");    // ends in a full stop
  EXPECT_EQ(default_entry(*eng, "florp", 0),
            "UUU*NAM---Snsflorp*SUN---SnsFlorp*VERB--VERflorp*ADJ---AD2florp");
  // In the token route the text as written is the base, up to its field marker.
  eng->table.words[2] = "ZZZ---ZZZFlorp\xffZZZ------(RP \xffZZZ---ZZZFlorp)";
  EXPECT_EQ(default_entry(*eng, "FLORP", 2),
            "UUU*NAM---SnsFlorp*SUN---SnsFlorp*VERB--VERFlorp*ADJ---AD2Florp");
  EXPECT_EQ(default_entry(*eng, std::string(60, 'x'), 0).size(), 80u);
  EXPECT_TRUE(isname(*eng, "SUB*NAM---SnsX"));
  EXPECT_TRUE(isname(*eng, "DAY---Mon"));
  EXPECT_FALSE(isname(*eng, "SUB---SnsHaus"));
}

TEST(ResolveReading, ChoosesTheReadingOfTheClass) {
  const std::string entry = "UUU*NAM---SnsX*SUN---SnsY";
  EXPECT_EQ(resolve_reading(entry, "SUN"), "SUN---SnsY");
  EXPECT_EQ(resolve_reading(entry, "ADJ"), "NAM---SnsX");
  // The longest leading part of the class that occurs decides.
  EXPECT_EQ(resolve_reading("XXX*SUB---a*SUN---b", "SUX"), "SUN---b");
  EXPECT_EQ(resolve_reading("XXX*NAM---a*SUB---b*SUN---c", "SUX"), "SUB---b");
  EXPECT_EQ(resolve_reading("XXX*NAM---a*SUN---b*SUB---c", "SUB"), "SUB---c");
  // The first reading is found only as the fall-back.
  EXPECT_EQ(resolve_reading("XXX*NAM---a*SUN---b", "NAM"), "NAM---a");
  // Single readings, class ZZZ and classes starting with U keep the entry.
  EXPECT_EQ(resolve_reading("NOM---SnsHaus", "SUN"), "NOM---SnsHaus");
  EXPECT_EQ(resolve_reading(entry, "ZZZ"), entry);
  EXPECT_EQ(resolve_reading(entry, "UXY"), entry);
  EXPECT_EQ(resolve_reading("", "SUN"), "");
  EXPECT_EQ(resolve_reading("AB*", "SUN"), "AB*");
  EXPECT_EQ(resolve_reading("ABC*", "SUN"), "");
}

TEST(ResolveReading, OnAWordOfTheTable) {
  auto eng = std::make_unique<engine_state>();
  eng->table.word_count = 2;
  eng->table.words[2] = "UUU*NAM---SnsX*SUN---SnsY";
  strtomaxi("STRUUU", eng->table.class_line);
  resolve_word_reading(*eng, 2, 2, "NAM");
  EXPECT_EQ(eng->table.words[2], "NAM---SnsX");
  EXPECT_EQ(eng->table.class_line.text, "STRNAM");
  eng->table.words[2] = "UUU*NAM---SnsX*SUN---SnsY";
  resolve_word_reading(*eng, 2, 1, "VER");
  EXPECT_EQ(eng->table.words[2], "NAM---SnsX");
  EXPECT_EQ(eng->table.class_line.text, "NAMNAM");
  eng->table.words[2] = "NOM---SnsHaus";
  resolve_word_reading(*eng, 2, 2, "SUN");
  EXPECT_EQ(eng->table.words[2], "NOM---SnsHaus");
}

}  // namespace
}  // namespace zembu::engine
