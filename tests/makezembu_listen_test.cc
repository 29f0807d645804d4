// makezembu black-box tests: the word-list sections and the files they write.
#include <gtest/gtest.h>

#include <string>

#include "tests/makezembu_fall.h"

namespace {

using makezembu_fall::fall;
using makezembu_fall::kKopf;
using makezembu_fall::kSchluss;

using makezembu_fall::kFF;

TEST(MakezembuListen, SubstitutionPairsAndKeyNormalisation) {
  fall f;
  f.compile(
      "SUBSTITUTION\n"
      "  ou -> u  \n"
      "OU -> O\n"
      "PH->XF\n"          // no blank after the arrow: its first byte is lost
      "\xe4 -> AE\n"
      "-----\n"
      "AGGLUTINATION\n"
      "colour\n"
      "phone's\n"
      "\xe4rger\n"
      "-----\n"
      "LEXICON\n"
      "colour n Farbe\n");
  EXPECT_EQ(f.r.out, "");
  EXPECT_EQ(f.def("ascii.zmb"), "ou\nu\nOU\nO\nPH\nF\n\xe4\nAE\n");
  EXPECT_EQ(f.def("aggl.zmb"), "COLOR\nFONE'S\nAERGER\n");
  EXPECT_EQ(f.def("lexi.zmb"), "COLOR\n" + kFF + "nFarbe\n");
  EXPECT_EQ(f.script(), kKopf + kSchluss);
}

TEST(MakezembuListen, LaterSubstitutionSectionReplacesTheTable) {
  fall f;
  f.compile(
      "SUBSTITUTION\nA -> B\n-----\n"
      "AGGLUTINATION\nab\n-----\n"
      "SUBSTITUTION\nC -> D\n-----\n"
      "AGGLUTINATION\nabc\n-----\n");
  EXPECT_EQ(f.def("ascii.zmb"), "C\nD\n");
  EXPECT_EQ(f.def("aggl.zmb"), "ABD\n");
}

TEST(MakezembuListen, FinalSubstitutionKeepsBlanks) {
  fall f;
  f.compile(
      "FINAL SUBSTITUTIONS\n"
      " ae  -> \xe4 \n"
      "   \n"
      "  ; comment\n"
      "   ----- indented dashes are skipped\n"
      "x -> y;\n"
      "----- end\n"
      "oe -> never read\n");
  EXPECT_EQ(f.r.out, "");
  EXPECT_EQ(f.def("asci2.zmb"), " ae \n\xe4 \nx\ny;\n");
  EXPECT_EQ(f.script(), kKopf + kSchluss);
}

TEST(MakezembuListen, UnknownWordLinesAreCopiedTrimmed) {
  fall f;
  f.compile("UNKNOWN WORD\n   ING  -> VER  \n;x\n\tTAB\n");
  EXPECT_EQ(f.def("chang.zmb"), "ING  -> VER\n\tTAB\n");
}

TEST(MakezembuListen, TerminationSectionsAccumulate) {
  fall f;
  f.compile(
      "SUBSTITUTION\nSS -> \xe1\n-----\n"
      "TERMINATION\n-ing G VER PRP\n+ss X Y\n-----\n"
      "SYNTAX\nNN -ING -ED -> A 001\n-----\n"
      "TERMINATIONS\n-ed D  VER\n-----\n"
      "SYNTAX\nNN -ING -ED -ed -> A 001\n-----\n");
  EXPECT_EQ(f.def("term.zmb"), "-ING\nG------VER PRP\n+\xe1\n-ED\nD------ VER\n");
  // A syntax section sees only the terminations read before it.
  EXPECT_EQ(f.def("synt1.zmb"), "NNG-ED\nA\n001\n");
  EXPECT_EQ(f.def("synt2.zmb"), "NNGD-ed\nA\n001\n");
  EXPECT_EQ(f.script(), kKopf +
                            "S *              show original words\n"
                            "3 *              syntax start\n"
                            "G restart        re-iterate\n"
                            "4 synt1.zmb\n"
                            "4 synt2.zmb\n" +
                            kSchluss);
}

TEST(MakezembuListen, InflectionIrregularityAndFunction) {
  fall f;
  f.compile(
      "INFLECTION\n"
      "ADJ (s,p) ->  en\n"
      "ADJ * -> e\n"
      "NOU  rest\n"
      "-----\n"
      "IRREGULARITY\n"
      "go -> ging\n"
      "be  ->  war gewesen\n"
      "do tat  getan\n"
      "-----\n"
      "FUNCTION\n"
      "the ART der die das\n"
      "a ART\xff ein\n"
      "-----\n");
  EXPECT_EQ(f.def("flex.zmb"), "ADJ\nsp\n en\nADJ\n\ne\nNOU\n\nrest\n");
  EXPECT_EQ(f.def("irrg.zmb"), ">go\n!>ging\n>be\n!>war gewesen\n>do\n!>tat  getan\n");
  EXPECT_EQ(f.def("func.zmb"), "the\nART------der die das\na\nART\xff------ein\n");
}

TEST(MakezembuListen, LexiconWithoutAbbreviationsDropsBlanks) {
  fall f;
  f.compile("LEXICON\nhouse n Haus *pl Haeuser\nlittle  ADJ klein\n");
  EXPECT_EQ(f.def("lexi.zmb"),
            "HOUSE\n" + kFF + "nHaus*plHaeuser\nLITTLE\n" + kFF + "ADJklein\n");
}

TEST(MakezembuListen, LexiconAbbreviationsAndAsteriskExpansion) {
  fall f;
  f.compile(
      "LEXICON\n"
      "n = noun\n"
      "pl = plural\n"
      "house n Haus *pl Haeuser x\n"
      "mouse NOU Maus *n *pl M\n"
      "-----\n"
      "LEXICON\n"
      "tree n Baum\n");
  // The abbreviations belong to their section: the second one has none.
  EXPECT_EQ(f.def("lexi.zmb"), "TREE\n" + kFF + "nBaum\n");
  fall g;
  g.compile(
      "LEXICON\n"
      "n = noun\n"
      "pl = plural\n"
      "house n Haus *pl Haeuser x\n"
      "mouse NOU Maus *n *pl M\n");
  EXPECT_EQ(g.def("lexi.zmb"), "HOUSE\n" + kFF + "nounHaus*" + kFF + "pluralHaeuserx\n" +
                                   "MOUSE\n" + kFF + "NOUMaus*" + kFF + "noun*plM\n");
}

TEST(MakezembuListen, UserLexiconSimpleAndCompoundEntries) {
  fall f;
  f.compile(
      "USER LEXICON\n"
      "n = SUB\n"
      "cat n Katze\n"
      "+ new york\n"
      "n New_York\n"
      "- new york\n"
      "n New York\n"
      "+ wall  street journal\n"
      "Wall Street Journal\n"
      "-----\n");
  EXPECT_EQ(f.r.out, "");
  EXPECT_EQ(f.def("user1.zmb"), "CAT\n" + kFF + "SUBKatze\n");
  EXPECT_EQ(f.def("user2.zmb"),
            "NEW YORK\nR*NEW_YORK=SUBNew_York D\n"
            "NEW 0YORK\nR*NEW_YORK=SUBNew York D\n"
            "WALL  STREET JOURNAL\nR*WALL__STREET_JOURNAL=WallStreet Journal D D D\n");
  EXPECT_EQ(f.script(), kKopf + kSchluss);
}

TEST(MakezembuListen, CompoundExamplesWithoutAbbreviations) {
  fall f;
  f.compile("USER LEXICON\n+ new york\nn New_York\n-----\n");
  EXPECT_EQ(f.def("user2.zmb"), "NEW YORK\nR*NEW_YORK=nNew_York D\n");
  EXPECT_EQ(f.def("user1.zmb"), "");
  fall g;
  g.compile("USER LEXICON\n- new york\nn New_York\n-----\n");
  EXPECT_EQ(g.def("user2.zmb"), "NEW 0YORK\nR*NEW_YORK=nNew_York D\n");
}

TEST(MakezembuListen, LineAfterACompoundIsAlwaysItsTranslation) {
  fall f;
  f.compile(
      "USER LEXICON\n"
      "+ big apple\n"
      "-----\n"
      "+ hot dog\n"
      "\n"
      "cat n Katze\n"
      "-----\n"
      "IDIOM\nx\n");
  EXPECT_EQ(f.def("user2.zmb"),
            "BIG APPLE\nR*BIG_APPLE=----- D\nHOT DOG\nR*HOT_DOG= D\n");
  EXPECT_EQ(f.def("user1.zmb"), "CAT\n" + kFF + "nKatze\n");
  EXPECT_EQ(f.def("idio1.zmb"), "x\n");
}

}  // namespace
