#include "engine/disconti.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include "engine/syntax.h"
#include "engine/translat.h"

namespace zembu::engine {
namespace {

TEST(VerbPattern, VerbReadingOfAnEntry) {
  size_t x = 99;
  EXPECT_TRUE(find_verb_reading("VERT2-VERgehen", x));
  EXPECT_EQ(x, 0u);
  EXPECT_TRUE(find_verb_reading("AUX---VBXsein", x));  // position 7
  EXPECT_EQ(x, 0u);
  EXPECT_TRUE(find_verb_reading("ZZZ*NOU---SnsFlug*VERT2-VERfliegen", x));
  EXPECT_EQ(x, 18u);
  EXPECT_TRUE(find_verb_reading("ZZZ*NOU---SnsFlug*AUX---VBXsein", x));
  EXPECT_EQ(x, 18u);
  EXPECT_FALSE(find_verb_reading("ZZZ*NOU---SnsFlug*ADJ---ADJflink", x));
  EXPECT_FALSE(find_verb_reading("", x));
}

std::unique_ptr<engine_state> with_patterns() {
  auto eng = std::make_unique<engine_state>();
  vp_set& vp = eng->verb_patterns[1];
  vp.patterns[0] = "12";
  vp.patterns[1] = "3K";
  vp.pattern_count = 2;
  vp.codes[0] = "OBJ";
  vp.codes[1] = "DAT";
  vp.codes[2] = "ACC";
  vp.codes[19] = "LOC";
  vp.code_count = 20;
  return eng;
}

TEST(VerbPattern, PatternTextByDigit) {
  auto eng = with_patterns();
  EXPECT_EQ(verb_pattern_text(*eng, "VERT2-VERgeben", 0, 1), "3K");
  EXPECT_EQ(verb_pattern_text(*eng, "VERT0-VERgeben", 0, 1), "12");
  // Beyond the entry there is no digit.
  EXPECT_EQ(verb_pattern_text(*eng, "VER", 0, 1), "12");
  // Set 2 looks one position further; its "-" still reads the kind at position 4.
  eng->verb_patterns[2] = eng->verb_patterns[1];
  EXPECT_EQ(verb_pattern_text(*eng, "VERT-2VERgeben", 0, 2), "3K");
  EXPECT_EQ(verb_pattern_text(*eng, "VERT2-VERgeben", 0, 2), "2");
}

TEST(VerbPattern, SymbolsJoinTheVerbsPlace) {
  auto eng = with_patterns();
  eng->table.word_count = 3;
  eng->table.words[1] = "NOU---SnsHund";
  eng->table.words[2] = "VERT2-VERgeben";
  eng->table.words[3] = "VERT--VERnehmen";
  init_analysis(*eng);
  eng->analysis[2][2] = 3;  // the second verb of a place is left alone
  eng->analysis[2][4] = 9;  // behind a hole: cleared
  apply_verb_patterns(*eng, 1);
  EXPECT_EQ(dump_analysis(*eng), "1: 1\n2: 2 3 202 203\n3: 3 204\n");
  EXPECT_EQ(symbol_name(*eng, 203), "LOC");
  // Without a pattern set nothing happens.
  eng->verb_patterns[2].pattern_count = 0;
  apply_verb_patterns(*eng, 2);
  apply_verb_patterns(*eng, 3);
  EXPECT_EQ(dump_analysis(*eng), "1: 1\n2: 2 3 202 203\n3: 3 204\n");
}



// An engine whose places each hold one word with the given entry; the class line holds
// the entries' classes.
std::unique_ptr<engine_state> places(const std::vector<std::string>& entries) {
  auto eng = std::make_unique<engine_state>();
  for (const std::string& e : entries) {
    ++eng->table.word_count;
    eng->table.words[eng->table.word_count] = e;
    eng->table.originals[eng->table.word_count] = "K" + std::to_string(eng->table.word_count);
    lappend(eng->table.class_line, e.substr(0, 3));
  }
  init_analysis(*eng);
  return eng;
}

complex_rule rule_of(const std::string& header, const std::vector<std::string>& items) {
  complex_rule r;
  EXPECT_TRUE(parse_complex_header(header, r));
  for (size_t k = 0; k < items.size(); ++k) split_item_line(r, static_cast<int>(k + 1), items[k]);
  return r;
}

TEST(ComplexHeader, TraceBangCountModeAndDelimiter) {
  complex_rule r;
  ASSERT_TRUE(parse_complex_header("|!3 +KOM rest", r));
  EXPECT_TRUE(r.trace);
  EXPECT_TRUE(r.bang);
  EXPECT_EQ(r.n, 3);
  EXPECT_EQ(r.mode, 0);
  EXPECT_EQ(r.delimiter, "KOM");
  ASSERT_TRUE(parse_complex_header("2 -", r));
  EXPECT_EQ(r.mode, 1);
  EXPECT_EQ(r.delimiter, "");
  ASSERT_TRUE(parse_complex_header("2 <", r));
  EXPECT_EQ(r.mode, 3);
  ASSERT_TRUE(parse_complex_header("2 x", r));
  EXPECT_EQ(r.mode, 2);
  EXPECT_FALSE(parse_complex_header("2", r));
  EXPECT_FALSE(parse_complex_header("two +", r));
  EXPECT_FALSE(parse_complex_header("", r));
}

TEST(ComplexRuleLines, WordsAreSizedToTheLine) {
  complex_rule r;
  split_item_line(r, 1, "");
  EXPECT_EQ(r.attrcount[1], 0);
  ASSERT_EQ(r.attr[1].size(), 2u);  // the item test reads word 1 of an empty line
  EXPECT_EQ(r.attr[1][1], "");
  split_item_line(r, 2, "VER  #NOU");  // a double blank makes an empty word
  EXPECT_EQ(r.attrcount[2], 3);
  EXPECT_EQ(r.attr[2], (std::vector<std::string>{"", "VER", "", "#NOU"}));
  split_operation_line(r, 1, "A B C D E F G H I J K L");
  EXPECT_EQ(r.opcount[1], max_items);
  ASSERT_EQ(r.ops[1].size(), static_cast<size_t>(max_items) + 1);
  EXPECT_EQ(r.ops[1][max_items], "J");
  // A line split again keeps nothing of the longer one before it.
  split_operation_line(r, 1, "S.*X");
  EXPECT_EQ(r.opcount[1], 1);
  EXPECT_EQ(r.ops[1], (std::vector<std::string>{"", "S.*X"}));
}

TEST(ComplexMatch, BackwardsModeSearchesLeftOfThePreviousItem) {
  auto eng = places({"STR------", "ADJ------a", "NOU------n", "VER------v", "SEN------."});
  complex_rule r = rule_of("2 <", {"VER", "ADJ"});
  complex_match r_match;
  match_rule(*eng, r, r_match);
  EXPECT_TRUE(r_match.matched);
  EXPECT_EQ(r_match.zl[1], 4);
  EXPECT_EQ(r_match.zl[2], 2);
  complex_rule none = rule_of("2 <", {"ADJ", "VER"});
  complex_match none_match;
  match_rule(*eng, none, none_match);  // backtracking comes back to the same places: it must still end
  EXPECT_FALSE(none_match.matched);
}

TEST(ComplexMatch, OrderedModeBacktracks) {
  auto eng = places({"STR------", "ADJ------a", "NOU------x", "ADJ------b", "NOU------n", "SEN------."});
  complex_rule r = rule_of("2 +", {"ADJ", "NOU #NOU n"});
  complex_match r_match;
  match_rule(*eng, r, r_match);
  EXPECT_TRUE(r_match.matched);
  EXPECT_EQ(r_match.zl[1], 2);
  EXPECT_EQ(r_match.zl[2], 5);
  complex_rule adj = rule_of("2 >", {"ADJ", "NOU #NOU n"});
  complex_match adj_match;
  match_rule(*eng, adj, adj_match);  // adjacent: the first adjective has the wrong noun behind it
  EXPECT_TRUE(adj_match.matched);
  EXPECT_EQ(adj_match.zl[1], 4);
  EXPECT_EQ(adj_match.zl[2], 5);
}

// Without the trace a search passes over the places failing item 1's first test in one
// go; with it, it tries them one by one. Both leave the same outcome, work and captures.
TEST(ComplexMatch, PlacesPassedOverLeaveWhatTheirTrialsLeave) {
  auto outcome = [](const char* header, const char* item, bool visible, long work) {
    auto eng = places({"STR------", "KOM------", "ADJ------a", "VER------v", "NOU------n", "SEN------."});
    eng->settings.visible = visible;
    eng->work = work;
    complex_match m;
    match_rule(*eng, rule_of(header, {item, "N.U"}), m);
    return std::make_tuple(m.matched, m.zl, eng->work, eng->work_exhausted, eng->captures);
  };
  // No place passes (with a capture); only the last, which item 1 never tries; one behind
  // others; a delimiter before it; a test longer than a symbol; a word test failing.
  for (const char* header : {"1 +", "1 +.OM", "2 +"}) {
    for (const char* item : {"P..", ".XX", "S.N", "V.R", "VARI", "V.. #VER w"}) {
      for (long work : {0L, max_sentence_work - 3}) {
        EXPECT_EQ(outcome(header, item, false, work), outcome(header, item, true, work)) << header << item;
      }
    }
  }
  EXPECT_TRUE(std::get<0>(outcome("2 +", "V.R", false, 0)));
  EXPECT_FALSE(std::get<0>(outcome("1 +", "S.N", false, 0)));
}

TEST(WordTests, PrefixesOfWordTests) {
  auto eng = places({"STR------", "NOU------a", "SEN------."});
  // Place 2 gets three members: words 2 and 1 and a symbol.
  eng->analysis[2][2] = 1;
  eng->analysis[2][3] = static_cast<uint8_t>(symbol_number(*eng, "NPX"));
  complex_rule r = rule_of("1 +", {"NOU"});
  complex_match r_match;
  EXPECT_EQ(test_word_attribute(*eng, r, r_match, "#NOU", 2, 1, 2), 1);
  EXPECT_EQ(test_word_attribute(*eng, r, r_match, "#STR", 2, 1, 2), 2);
  EXPECT_EQ(test_word_attribute(*eng, r, r_match, "0#STR", 2, 1, 2), 0);  // first member only
  EXPECT_EQ(test_word_attribute(*eng, r, r_match, "NPX", 2, 1, 2), 3);    // a symbol member
  EXPECT_EQ(test_word_attribute(*eng, r, r_match, "-NPX", 2, 1, 2), 3);
  EXPECT_EQ(test_word_attribute(*eng, r, r_match, "9#STR", 2, 1, 2), 2);  // from the last word on
  EXPECT_EQ(test_word_attribute(*eng, r, r_match, "9#NOU", 2, 1, 2), 0);
  EXPECT_EQ(test_word_attribute(*eng, r, r_match, "\xf8\xf8#STR", 2, 1, 2), 0);  // single step
  r_match.m[1][1] = 1;
  EXPECT_EQ(test_word_attribute(*eng, r, r_match, "\xf8#STR", 2, 1, 3), 2);  // behind test 1's entry
  EXPECT_EQ(test_word_attribute(*eng, r, r_match, "\xf8#NOU", 2, 1, 3), 0);
  // Negation: an empty row succeeds at entry 1; a negated continue test stops at the
  // first entry that fails.
  eng->analysis[3].fill(0);
  EXPECT_EQ(test_word_attribute(*eng, r, r_match, "/#XYZ", 3, 1, 2), 1);
  EXPECT_EQ(test_word_attribute(*eng, r, r_match, "/#NOU", 2, 1, 2), 0);
  EXPECT_EQ(test_word_attribute(*eng, r, r_match, "/#XYZ", 2, 1, 2), 4);
  EXPECT_EQ(test_word_attribute(*eng, r, r_match, "\xf8/#STR", 2, 1, 3), 0);
}

TEST(WordTests, TestCharacters) {
  auto eng = places({"STR------", "VER*NOU---xxxGang*VER---xxxgeh+en", "SEN------."});
  eng->table.originals[2] = "GO";
  complex_rule r = rule_of("1 +", {"VER"});
  complex_match r_match;
  EXPECT_EQ(test_word_attribute(*eng, r, r_match, "?VER", 2, 1, 2), 1);
  EXPECT_EQ(test_word_attribute(*eng, r, r_match, "?ADJ", 2, 1, 2), 0);
  EXPECT_FALSE(r_match.found_open);
  EXPECT_EQ(test_word_attribute(*eng, r, r_match, "!VER", 2, 1, 2), 1);
  EXPECT_TRUE(r_match.found_open);
  EXPECT_EQ(test_word_attribute(*eng, r, r_match, "+", 2, 1, 2), 1);
  EXPECT_EQ(test_word_attribute(*eng, r, r_match, "<GO", 2, 1, 2), 1);
  EXPECT_EQ(test_word_attribute(*eng, r, r_match, "GO", 2, 1, 2), 1);
  EXPECT_EQ(test_word_attribute(*eng, r, r_match, "-GO", 2, 1, 2), 0);
  EXPECT_EQ(test_word_attribute(*eng, r, r_match, "^*NO", 2, 1, 2), 1);
  EXPECT_EQ(test_word_attribute(*eng, r, r_match, "$VER*NOU--", 2, 1, 2), 1);
  EXPECT_EQ(test_word_attribute(*eng, r, r_match, "&VER", 2, 1, 2), 1);
  EXPECT_EQ(test_word_attribute(*eng, r, r_match, "&NOU", 2, 1, 2), 0);
}

TEST(ComplexOperations, SymbolsAndReadings) {
  auto eng = places({"STR------", "VER*NOU---xxxGang*VER---xxxgehen", "SEN------."});
  complex_rule r = rule_of("1 +", {"VER ?NOU"});
  complex_match r_match;
  match_rule(*eng, r, r_match);
  ASSERT_TRUE(r_match.matched);
  split_operation_line(r, 1, "!1NOU");
  apply_item_operations(*eng, r, r_match, 1);
  EXPECT_EQ(eng->table.words[2], "NOU---xxxGang");
  EXPECT_EQ(eng->table.class_line.text, "STRVERSEN");  // "!" restores the place's symbol
  eng->table.words[2] = "VER*NOU---xxxGang*VER---xxxgehen";
  split_operation_line(r, 1, "?1NOU");
  apply_item_operations(*eng, r, r_match, 1);
  EXPECT_EQ(eng->table.class_line.text, "STRNOUSEN");
  eng->table.words[2] = "VER*NOU---xxxGang*VER---xxxgehen";
  split_operation_line(r, 1, "-1NOU S.*X");
  apply_item_operations(*eng, r, r_match, 1);
  EXPECT_EQ(eng->table.words[2], "VER*VER---xxxgehen");
  split_operation_line(r, 1, "P1>laufen P1<RUN P1^ABC");
  apply_item_operations(*eng, r, r_match, 1);
  EXPECT_EQ(eng->table.words[2], "VERABCR--laufen");  // positions 1-9 of the entry as they stood
  EXPECT_EQ(eng->table.originals[2], "RUN");
}

TEST(ComplexOperations, MembersInsertedAndErased) {
  auto eng = places({"STR------", "NOU------Haus", "SEN------."});
  complex_rule r = rule_of("1 +", {"NOU #NOU"});
  complex_match r_match;
  match_rule(*eng, r, r_match);
  ASSERT_TRUE(r_match.matched);
  split_operation_line(r, 1, "I1*DET------das I*NPX INPX I0*ADJ");
  apply_item_operations(*eng, r, r_match, 1);
  // The new word went in at the noun's entry, the symbols behind, and ADJ at entry 1.
  EXPECT_EQ(symbol_name(*eng, eng->analysis[2][1]), "ADJ");
  EXPECT_EQ(eng->analysis[2][2], 4);
  EXPECT_EQ(eng->analysis[2][3], 2);
  EXPECT_EQ(symbol_name(*eng, eng->analysis[2][4]), "NPX");
  EXPECT_EQ(symbol_name(*eng, eng->analysis[2][5]), "NPX");
  EXPECT_EQ(r_match.m[1][1], 3);  // the matched noun moved twice: behind the word and the ADJ
  split_operation_line(r, 1, "E1");
  apply_item_operations(*eng, r, r_match, 1);
  EXPECT_EQ(symbol_name(*eng, eng->analysis[2][3]), "NPX");
  // A full row takes no more members.
  for (int e = 1; e <= max_words; ++e) eng->analysis[2][e] = 1;
  split_operation_line(r, 1, "I*XYZ I1XYZ");
  apply_item_operations(*eng, r, r_match, 1);
  EXPECT_EQ(eng->analysis[2][max_words], 1);
}


TEST(ComplexOperations, SplitOffCopiesAreExact) {
  // Y copies the word with its source form as it stands, even one holding "=" or
  // beginning with "*".
  auto eng = places({"STR------", "NOU------n", "SEN------."});
  eng->table.originals[2] = "*A=B";
  complex_rule r = rule_of("1 +", {"NOU #NOU"});
  complex_match r_match;
  match_rule(*eng, r, r_match);
  ASSERT_TRUE(r_match.matched);
  split_operation_line(r, 1, "Y1QQQ");
  apply_item_operations(*eng, r, r_match, 1);
  ASSERT_EQ(eng->table.word_count, 4);
  EXPECT_EQ(eng->table.originals[4], "*A=B");
  EXPECT_EQ(eng->table.words[4], "NOU------n");
  EXPECT_EQ(eng->table.class_line.text, "STRQQQNOUSEN");
  // V: the prefix word's source form keeps the whole prefix.
  auto verb = places({"STR------", "VER------a=b+geben", "SEN------."});
  complex_rule v = rule_of("1 +", {"VER #VER"});
  complex_match v_match;
  match_rule(*verb, v, v_match);
  ASSERT_TRUE(v_match.matched);
  split_operation_line(v, 1, "V1");
  apply_item_operations(*verb, v, v_match, 1);
  ASSERT_EQ(verb->table.word_count, 4);
  EXPECT_EQ(verb->table.originals[4], "PREFIX_a=b");
  EXPECT_EQ(verb->table.words[4], "ADP------a=b");
  EXPECT_EQ(verb->table.words[2], "VER------geben");
  // K: the source form of the new place's word is the prefix itself.
  auto k = places({"STR------", "VER------a=b+geben", "SEN------."});
  complex_rule kr = rule_of("1 +", {"VER #VER"});
  complex_match kr_match;
  match_rule(*k, kr, kr_match);
  ASSERT_TRUE(kr_match.matched);
  split_operation_line(kr, 1, "K1");
  apply_item_operations(*k, kr, kr_match, 1);
  ASSERT_EQ(k->table.word_count, 4);
  EXPECT_EQ(k->table.originals[4], "a=b");
  EXPECT_EQ(k->table.words[4], "ADP------a=b");
  EXPECT_EQ(k->table.class_line.text, "STRADPVERSEN");
}

TEST(ComplexOperations, PrefixStaysOnTheVerbWithoutRoom) {
  // With the word table full neither V nor K can make the prefix word: the verb keeps it.
  for (const char* op : {"V1", "K1"}) {
    auto eng = places({"STR------", "VER------an+rufen", "SEN------."});
    eng->table.word_count = max_words;
    complex_rule r = rule_of("1 +", {"VER #VER"});
    complex_match r_match;
    match_rule(*eng, r, r_match);
    ASSERT_TRUE(r_match.matched);
    split_operation_line(r, 1, op);
    apply_item_operations(*eng, r, r_match, 1);
    EXPECT_EQ(eng->table.words[2], "VER------an+rufen") << op;
    EXPECT_EQ(eng->table.class_line.text, "STRVERSEN") << op;
  }
  // K with every place taken: no new place, and the verb keeps its prefix.
  std::vector<std::string> entries(max_words, "NOU------x");
  entries[1] = "VER------an+rufen";
  auto full = places(entries);
  complex_rule k = rule_of("1 +", {"VER #VER"});
  complex_match k_match;
  match_rule(*full, k, k_match);
  ASSERT_TRUE(k_match.matched);
  split_operation_line(k, 1, "K1");
  apply_item_operations(*full, k, k_match, 1);
  EXPECT_EQ(full->table.words[2], "VER------an+rufen");
  EXPECT_EQ(full->table.word_count, max_words);
}

TEST(ComplexOperations, PatchPercentMovesTheMatchedEntriesLikeErase) {
  auto eng = places({"STR------", "NOU------Haus", "ADJ------rot", "SEN------."});
  eng->analysis[2][2] = 3;  // place 2: the noun and the adjective
  complex_rule r = rule_of("1 +", {"NOU #NOU #ADJ"});
  complex_match r_match;
  match_rule(*eng, r, r_match);
  ASSERT_TRUE(r_match.matched);
  ASSERT_EQ(r_match.m[1][2], 2);
  // The noun gives way to the symbol of its text; the adjective's matched entry follows
  // it forward, so the next patch still reaches the adjective.
  split_operation_line(r, 1, "P1% P2>gross");
  apply_item_operations(*eng, r, r_match, 1);
  EXPECT_EQ(r_match.m[1][2], 1);
  EXPECT_EQ(eng->analysis[2][1], 3);
  EXPECT_EQ(symbol_name(*eng, eng->analysis[2][2]), "Hau");
  EXPECT_EQ(eng->table.words[3], "ADJ------gross");
}


TEST(ComplexOperations, InsertWithoutAMatchedEntryAddsNoWord) {
  // Word test 1 does not exist, so I1 has no entry to insert at: no word is made.
  auto eng = places({"STR------", "NOU------Haus", "SEN------."});
  complex_rule r = rule_of("1 +", {"NOU"});
  complex_match r_match;
  match_rule(*eng, r, r_match);
  ASSERT_TRUE(r_match.matched);
  split_operation_line(r, 1, "I1*DET------das I1+ADJ------x");
  apply_item_operations(*eng, r, r_match, 1);
  EXPECT_EQ(eng->table.word_count, 3);
  EXPECT_EQ(dump_analysis(*eng), "1: 1\n2: 2\n3: 3\n");
}

}  // namespace
}  // namespace zembu::engine
