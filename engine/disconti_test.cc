#include "engine/disconti.h"

#include <gtest/gtest.h>

#include <memory>

#include "engine/syntax.h"
#include "engine/translat.h"

namespace zembu {
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
  eng->word_count = 3;
  eng->words[1] = "NOU---SnsHund";
  eng->words[2] = "VERT2-VERgeben";
  eng->words[3] = "VERT--VERnehmen";
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

}  // namespace
}  // namespace zembu
