// Unknown words, reading selection, separable prefixes and idioms through the engine,
// observed in the result file.
#include <gtest/gtest.h>

#include "tests/fixtures.h"

namespace {

using zembu_test::engine_run;
using zembu_test::lines;
using zembu_test::run_result;
using zembu_test::scratch_dir;

using zembu_test::word_line;

// The full stop as the tokenizer writes it.
const std::string& kEnd = zembu_test::kStopLine;

// A word as the tokenizer writes it.
std::string word(const std::string& key, const std::string& written) {
  return word_line(key, written);
}

// Runs the engine over pass3 with a script; returns the result file.
std::string run_script(scratch_dir& d, const std::string& script, const std::string& tokens) {
  return zembu_test::translate_tokens(d, "PROCEDURES\n" + script, tokens).result;
}

TEST(Zembu2Unknown, EndingRulesAndTerminationWords) {
  scratch_dir d;
  d.mkdir("definitions");
  d.write("definitions/chang.zmb",
          "LY * ADV\nADJ---xxx#lich\n"
          "ER\nADJ---xxx#er\n"
          "S X\nSUB---Sns%\n");
  std::string tokens = "STR ------\n" + word("ZAP", "zap") + word("QUICKLY", "quickly") +
                       word("TALLER", "taller") + word("BS", "bs") + word("DOGS", "dogs") + kEnd;
  EXPECT_EQ(run_script(d, "B chang.zmb\nW *\n", tokens),
            "ZZ__ ZZZ_ zap _UU_ _UU "
            "ADJ_ quicklich _UU_ _UU ADV_ "
            "ADJ_ taller _UU_ _UU "
            "ZZZ_ bs _UU_ _UU "
            "SUB_ Dog _UU_ _UU "
            "ZZZ_ . _UU_ _UU \n");
  // The new ending "*" leaves the stem as search form, an empty one keeps it, another
  // one replaces the ending.
  EXPECT_EQ(run_script(d, "B chang.zmb\nw *\n", tokens),
            "ZZ__ ZZZ_ ZAP _UU_ _UU "
            "ADJ_ QUICK _UU_ _UU ADV_ ADV------ "
            "ADJ_ TALLER _UU_ _UU "
            "ZZZ_ BS _UU_ _UU "
            "SUB_ DOGX _UU_ _UU "
            "ZZZ_ . _UU_ _UU \n");
}

TEST(Zembu2Unknown, SummaryEntryForTheFirstWords) {
  scratch_dir d;
  d.mkdir("definitions");
  d.write("definitions/chang.zmb", "ING\nVER---xxx#en NAM\n");
  std::string out = run_script(d, "B chang.zmb\ns *\n",
                               "STR ------\n" + word("JOGGING", "jogging") + word("JOGGING", "jogging") +
                                   word("JOGGING", "jogging") + kEnd);
  auto l = lines(out);
  ASSERT_GE(l.size(), 4u) << out;
  // Word 2 (before the fourth place) gets the name readings in front of the rule's entry.
  EXPECT_EQ(l[1].substr(l[1].find('\xff') + 1), "NAM*NAM---SnsJogging*SUNNAMSnsJogging*VER---xxxjoggen");
  EXPECT_EQ(l[1].substr(0, 12), "NAM JOGGING ");
}

TEST(Zembu2Unknown, ReadingSelection) {
  scratch_dir d;
  d.mkdir("definitions");
  d.write("definitions/lexi.zmb", "MULTI\nVER*SUB---SnsMehr*VER---xxxmehren\n");
  std::string tokens = "STR ------\n" + word("MULTI", "multi") + kEnd;
  EXPECT_EQ(run_script(d, "L lexi.zmb\nd *\nW *\n", tokens), "ZZ__ VER_ mehren ZZZ_ . \n");
  EXPECT_EQ(run_script(d, "L lexi.zmb\n9 *\nW *\n", tokens), "ZZ__ SUB_ Mehr ZZZ_ . \n");
}

TEST(Zembu2Unknown, SeparablePrefixes) {
  scratch_dir d;
  d.mkdir("definitions");
  d.write("definitions/lexi.zmb", "CALL\nVER---xxxan+rufen#7\n");
  std::string tokens = "STR ------\n" + word("CALL", "call") + kEnd;
  EXPECT_EQ(run_script(d, "L lexi.zmb\ny nolist.zmb\nW *\n", tokens),
            "ZZ__ ADP_ an VER_ rufen ZZZ_ . \n");
  d.write("definitions/pre.zmb", "PAR---xxxAB\nPTC---xxxAN\n");
  EXPECT_EQ(run_script(d, "L lexi.zmb\ny pre.zmb\nW *\n", tokens),
            "ZZ__ PTC_ AN VER_ rufen ZZZ_ . \n");
}

TEST(Zembu2Unknown, IdiomFilesRewriteTheWords) {
  scratch_dir d;
  d.mkdir("definitions");
  d.write("definitions/lexi.zmb", "IN\nPRP---xxxin\nNEW\nADJ---xxxneu\nYORK\nSUB---SnsYork\n");
  d.write("definitions/idio1.zmb",
          "NEW YORK   ; the city\nR*NEW_YORK=NAM---SnsNew_York D\n"
          "#PRP 1#NAM\n0 B*DER=DET---xxxder\n");
  std::string tokens = "STR ------\n" + word("IN", "in") + word("NEW", "new") + word("YORK", "york") + kEnd;
  EXPECT_EQ(run_script(d, "L lexi.zmb\n2 idio1.zmb\nW *\n", tokens),
            "ZZ__ PRP_ in DET_ der NAM_ New_York ZZZ_ . \n");
  // The per-word procedure C runs the idiom file named after a word marked with "@".
  d.write("definitions/lexi.zmb", "IN\nPRP---xxx@in\nNEW\nADJ---xxxneu\nYORK\nSUB---SnsYork\n");
  d.write("definitions/IN.ZMC", "NEW YORK\nR*NEW_YORK=NAM---SnsNew_York D\n");
  EXPECT_EQ(run_script(d, "L lexi.zmb\nC *\nW *\n", tokens),
            "ZZ__ PRP_ in NAM_ New_York ZZZ_ . \n");
}

TEST(Zembu2Unknown, IdiomSearchWindowsBracketsAndRepetition) {
  scratch_dir d;
  d.mkdir("definitions");
  d.write("definitions/lexi.zmb",
          "GIVE\nVER---xxxgeb\nUP\nPRP---xxxauf\nHAS\nAUX---xxxhat\nNOT\nADV---xxxnicht\n"
          "OPEN\nPU[---xxx(\nCLOSE\nPU]---xxx)\nDO\naux---xxxtu\nX\nSUB---xxxx\n");
  // "1UP": UP only right behind GIVE or one word further, and an AUX word in between
  // reaches one word further still.
  d.write("definitions/idio1.zmb", "GIVE 1UP\nR*GIVE_UP=VER---xxxaufgeben D\n");
  auto give = [&](const std::string& middle) {
    std::string tokens = "STR ------\n" + word("GIVE", "give");
    for (const std::string& w : std::vector<std::string>{middle}) {
      if (!w.empty()) {
        size_t b = 0;
        while (b <= w.size()) {
          size_t e = w.find(' ', b);
          std::string one = w.substr(b, e == std::string::npos ? std::string::npos : e - b);
          tokens += word(one, one);
          if (e == std::string::npos) break;
          b = e + 1;
        }
      }
    }
    return run_script(d, "L lexi.zmb\n2 idio1.zmb\nW *\n", tokens + word("UP", "up") + kEnd);
  };
  EXPECT_EQ(give(""), "ZZ__ VER_ aufgeben ZZZ_ . \n");
  EXPECT_EQ(give("X"), "ZZ__ VER_ aufgeben SUB_ x ZZZ_ . \n");
  EXPECT_EQ(give("X X"), "ZZ__ VER_ geb SUB_ x SUB_ x PRP_ auf ZZZ_ . \n");
  EXPECT_EQ(give("HAS X"), "ZZ__ VER_ aufgeben hat SUB_ x ZZZ_ . \n");  // AUX shows no class
  // Bracketed words are invisible; the rule fires again behind its first word; D takes a
  // following aux word with it; "*" searches from the attempt start again.
  d.write("definitions/idio1.zmb",
          "X NOT\nR*X=SUB---xxxy\n"
          "GIVE\nD\n"
          "UP *X\nU R*X=SUB---xxxz\n");
  std::string tokens = "STR ------\n" + word("X", "x") + word("OPEN", "(") + word("NOT", "not") +
                       word("CLOSE", ")") + word("X", "x") + word("GIVE", "give") + word("DO", "do") +
                       word("GIVE", "give") + word("UP", "up") + kEnd;
  EXPECT_EQ(run_script(d, "L lexi.zmb\n2 idio1.zmb\nW *\n", tokens),
            "ZZ__ SUB_ z PU[_ ( ADV_ nicht PU]_ ) SUB_ x PRP_ auf ZZZ_ . \n");
}

TEST(Zembu2Unknown, IndexedIdiomRecords) {
  scratch_dir d;
  d.mkdir("definitions");
  d.write("definitions/lexi.zmb",
          "KICK\nVER---xxxtreten#1\nTHE\nDET---xxxden\nBUCKET\nSUB---SnsEimer\n");
  d.write("idioms.txt", "NOTHING HERE\nD\nKICK THE BUCKET ; record 1\nR*KICK=VER---xxxsterben E E\n");
  run_result r = d.run("makeidio", {"idioms.txt", "definitions/idio.rec"});
  ASSERT_EQ(r.status, 0) << r.out;
  std::string tokens = "STR ------\n" + word("KICK", "kick") + word("THE", "the") + word("BUCKET", "bucket") + kEnd;
  EXPECT_EQ(run_script(d, "L lexi.zmb\ny *\n8 idio.rec\nW *\n", tokens),
            "ZZ__ VER_ sterben ZZZ_ . \n");
  // A record number beyond the file and an extras entry that is no number do nothing.
  d.write("definitions/lexi.zmb", "KICK\nVER---xxxtreten#99\nTHE\nDET---xxxden#x\nBUCKET\nSUB---SnsEimer\n");
  EXPECT_EQ(run_script(d, "L lexi.zmb\ny *\n8 idio.rec\nW *\n", tokens),
            "ZZ__ VER_ treten DET_ den SUB_ Eimer ZZZ_ . \n");
}

TEST(Zembu2Unknown, EveryIdiomRuleOfALongFileIsTried) {
  scratch_dir d;
  d.mkdir("definitions");
  d.write("definitions/lexi.zmb", "NEW\nADJ---xxxneu\nYORK\nSUB---SnsYork\n");
  std::string rules;
  for (int i = 0; i < 1500; ++i) rules += "NOTHING" + std::to_string(i) + "\nD\n";
  d.write("definitions/idio1.zmb", rules + "NEW YORK\nR*NEW_YORK=NAM---SnsNew_York D\n");
  std::string tokens = "STR ------\n" + word("NEW", "new") + word("YORK", "york") + kEnd;
  EXPECT_EQ(run_script(d, "L lexi.zmb\n2 idio1.zmb\nW *\n", tokens),
            "ZZ__ NAM_ New_York ZZZ_ . \n");
}

TEST(Zembu2Unknown, IdiomStepsOpenWithTheWordList) {
  // Both idiom steps show the words first, also when their file is missing.
  scratch_dir d;
  const std::string out =
      zembu_test::translate_tokens(d, "PROCEDURES\n2 nothere.zmb\n8 nothere.rec\n",
                                   "STR ------\n" + word("NEW", "new") + kEnd, {}, {"visible"})
          .trace;
  const std::string head = "words in idioms at beginning of complexes (idiome)\n";
  size_t first = out.find(head);
  ASSERT_NE(first, std::string::npos) << out;
  EXPECT_NE(out.find(head, first + 1), std::string::npos) << out;
  EXPECT_NE(out.find(" 2                 NEW ZZZ---ZZZnew"), std::string::npos) << out;
}

TEST(Zembu2Unknown, InsertedAndChosenClassesKeepThreeCharacters) {
  scratch_dir d;
  // The class of an ending rule's extra word is the rule's class as written.
  engine_run r = zembu_test::translate_tokens(
      d, "PROCEDURES\nB chang.zmb\n5 show.zmb\n",
      "STR ------\n" + word("QUICKLY", "quickly") + kEnd,
      {{"chang.zmb", "LY * AD\nADJ---xxx#lich\n"}}, {"visible"});
  EXPECT_EQ(zembu_test::shown_class_line(r.trace), "STRADJ_UUAD ZZZ_UU") << r.trace;
  // A chosen reading shorter than a class still takes three characters of the line.
  r = zembu_test::translate_tokens(
      d, "PROCEDURES\nL lexi.zmb\n9 *\n5 show.zmb\n",
      "STR ------\n" + word("MULTI", "multi") + word("MULTI", "multi") + kEnd,
      {{"lexi.zmb", "MULTI\nVER*SU*VER---xxxmehren\n"}}, {"visible"});
  EXPECT_EQ(zembu_test::shown_class_line(r.trace), "ZZ_SU SU ZZZ") << r.trace;
}

TEST(Zembu2Unknown, AffixDeletionOnAnUnknownWordStops) {
  scratch_dir d;
  // The entry still ends in the token's bookkeeping, so three characters off it do not
  // reach the text: the rule author's action leaves an unknown word.
  const engine_run r = zembu_test::translate_tokens(
      d, "PROCEDURES\n2 idio1.zmb\nW *\n", "STR ------\n" + word("WALKING", "walking") + kEnd,
      {{"idio1.zmb", "+ING\nA3\n"}});
  EXPECT_EQ(r.trace, "Fatal runtime Error\nDelete affix cannot call Lexikon, not implemented (idiome).\nENTER");
  EXPECT_EQ(r.status, 0);
}

TEST(Zembu2Unknown, CompiledSectionsThroughThePipeline) {
  scratch_dir d;
  const run_result m = zembu_test::compile_rules(d,
          "LEXICON\n"
          "v = VER---xxx\nd = DET---xxx\nn = SUB---Sns\na = ADJ---xxx\n"
          "he v er\nwent v gehte\nto d nach\nhome n Hause\n"
          "-----\n"
          "USER LEXICON\n"
          "+ new york\n"
          "NAM---Sns New_York\n"
          "-----\n"
          "UNKNOWN WORD\n"
          "LY *\n"
          "ADJ---xxx#lich\n"
          "-----\n"
          "IRREGULARITY\n"
          "gehte ging\n"
          "-----\n"
          "FINAL SUBSTITUTION\n"
          " _UU -> \n"
          "-----\n"
          "AGGLUTINATION\n"
          "-----\n");
  ASSERT_EQ(m.out, "");
  auto translate = [&](const std::string& sentence) {
    std::string result = zembu_test::run_pipeline(d, sentence);
    return result + d.read("pass3");
  };
  // The engine puts a termination word behind every unknown word (here the full stop and
  // the -ly word); the final substitutions take them out again.
  EXPECT_EQ(translate("he went home."), "Er ging Hause. _UU \nEr ging Hause. \n");
  EXPECT_EQ(translate("he went to new york quickly."),
            "Er ging nach New_York quicklich _UU. _UU \nEr ging nach New_York quicklich. \n");
}

}  // namespace
