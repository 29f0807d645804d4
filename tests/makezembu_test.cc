// makezembu black-box tests: the source reader, the heading dispatcher and the procedure
// script, with the whole written files compared byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "tests/makezembu_fall.h"

namespace {

using makezembu_fall::fall;
using makezembu_fall::kKopf;
using makezembu_fall::kSchluss;

using makezembu_fall::kFF;

TEST(MakezembuScript, WorkedExample) {
  fall f;
  f.compile(
      "; sample\n"
      "SUBSTITUTIONS\n"
      "COLOUR -> COLOR\n"
      "-----\n"
      "LEXICON\n"
      "n = NOM\n"
      "house n Haus\n"
      "-----\n");
  EXPECT_EQ(f.r.out, "");
  EXPECT_EQ(f.def("ascii.zmb"), "COLOUR\nCOLOR\n");
  EXPECT_EQ(f.def("lexi.zmb"), "HOUSE\n" + kFF + "NOMHaus\n");
  EXPECT_EQ(f.script(), kKopf + kSchluss);
}

TEST(MakezembuScript, ThirteenSectionsInSourceOrder) {
  fall f;
  f.compile(
      "SUBSTITUTION\nA -> B\n-----\n"
      "TERMINATION\n-ing G VER\n-----\n"
      "LEXICON\nhouse n Haus\n-----\n"
      "USER LEXICON\ncat n Katze\n-----\n"
      "UNKNOWN WORD\nx y\n-----\n"
      "IDIOM\nKICK BUCKET\nsterben\n-----\n"
      "SYNTAX\nNN -ING -> VP (001+002, 003)\n-----\n"
      "SYNTAX\nVP NN -> S (001, 002)\n-----\n"
      "INFLECTION\nADJ * -> e\n-----\n"
      "COMPLEX\ndelete_1\n-----\n"
      "FUNCTION\nthe ART der\n-----\n"
      "IRREGULARITY\ngo ging\n-----\n"
      "FINAL SUBSTITUTION\nae -> x\n-----\n");
  EXPECT_EQ(f.r.out, "");
  EXPECT_EQ(f.script(),
            kKopf +
                "B chang.zmb      changes for unknown words\n"
                "2 idio1.zmb\n"
                "S *              show original words\n"
                "3 *              syntax start\n"
                "G restart        re-iterate\n"
                "4 synt1.zmb\n"
                "4 synt2.zmb\n"
                "7 flex.zmb\n"
                "5 comp1.zmb\n"
                "6 restart        re-iterate if changes were made\n"
                "9 *              select first entry of polyvalent syntax; syntax end\n"
                "E func.zmb\n"
                "2 irrg.zmb\n" +
                kSchluss);
  EXPECT_EQ(f.def("synt1.zmb"), "NNG\nVP\n001 002003\n");
  EXPECT_EQ(f.def("synt2.zmb"), "VPNN\nS\n001002\n");
  EXPECT_EQ(f.def("idio1.zmb"), "KICK BUCKET\nsterben\n");
  EXPECT_EQ(f.def("comp1.zmb"), "D1\n");
}

TEST(MakezembuScript, EmptySourceGivesHeadAndLastLineOnly) {
  fall f;
  f.compile("");
  EXPECT_EQ(f.r.out, "");
  EXPECT_EQ(f.script(), kKopf + kSchluss);
  for (const char* name : {"ascii.zmb", "asci2.zmb", "chang.zmb", "term.zmb", "aggl.zmb",
                           "flex.zmb", "irrg.zmb", "func.zmb", "lexi.zmb", "user1.zmb",
                           "user2.zmb", "synt1.zmb", "comp1.zmb", "idio1.zmb"}) {
    EXPECT_FALSE(f.has(name)) << name;
  }
}

TEST(MakezembuHeadings, SingularAndPluralForms) {
  fall f;
  f.compile(
      "IRREGULARITIES\ngo ging\n-----\n"
      "IDIOMS\nA B\n-----\n"
      "COMPLEXES\nnot a complex\n-----\n"
      "TERMINATIONS\n+s X Y\n-----\n"
      "UNKNOWN WORDS\nw\n-----\n");
  EXPECT_EQ(f.script(), kKopf +
                            "2 irrg.zmb\n"
                            "2 idio1.zmb\n"
                            "B chang.zmb      changes for unknown words\n" +
                            kSchluss);
  EXPECT_EQ(f.def("irrg.zmb"), ">go\n!>ging\n");
  EXPECT_FALSE(f.has("comp1.zmb"));
  EXPECT_EQ(f.def("term.zmb"), "+S\n");
  EXPECT_EQ(f.def("chang.zmb"), "w\n");
}

TEST(MakezembuHeadings, LowerCaseHeadingIsIgnoredLineByLine) {
  fall f;
  // The body of the unknown heading is skipped line by line, so a body line that is a
  // heading starts that section.
  f.compile("lexicon\nhouse n Haus\n   COMMENTS  \nLEXICON\n-----\nUNKNOWN WORD\nz\n");
  EXPECT_EQ(f.r.out, "");
  EXPECT_FALSE(f.has("lexi.zmb"));
  EXPECT_EQ(f.script(), kKopf + "B chang.zmb      changes for unknown words\n" + kSchluss);
  EXPECT_EQ(f.def("chang.zmb"), "z\n");
}

TEST(MakezembuHeadings, IndentedDashLineEndsASection) {
  fall f;
  f.compile(
      "  UNKNOWN WORD  \n"
      "  a  b  \n"
      "\n"
      "   ; comment\n"
      "   -----and more text\n"
      "c d\n"
      "IDIOM\n"
      "x\n"
      "----- IDIOM\n"
      "IDIOM\n");
  EXPECT_EQ(f.def("chang.zmb"), "a  b\n");
  EXPECT_EQ(f.def("idio1.zmb"), "x\n");
  EXPECT_EQ(f.def("idio2.zmb"), "");
  EXPECT_EQ(f.script(), kKopf +
                            "B chang.zmb      changes for unknown words\n"
                            "2 idio1.zmb\n"
                            "2 idio2.zmb\n" +
                            kSchluss);
}

TEST(MakezembuHeadings, RepeatedSectionsRewriteOrNumberTheirFiles) {
  fall f;
  f.compile(
      "INFLECTION\nADJ (1,2) -> en\n-----\n"
      "SYNTAX\nA B -> C 001\n-----\n"
      "INFLECTION\nNOU * x\n-----\n"
      "SYNTAX\nD -> E 002\n-----\n");
  EXPECT_EQ(f.def("flex.zmb"), "NOU\n\nx\n");
  EXPECT_EQ(f.def("synt1.zmb"), "AB\nC\n001\n");
  EXPECT_EQ(f.def("synt2.zmb"), "D\nE\n002\n");
  EXPECT_EQ(f.script(), kKopf +
                            "7 flex.zmb\n"
                            "S *              show original words\n"
                            "3 *              syntax start\n"
                            "G restart        re-iterate\n"
                            "4 synt1.zmb\n"
                            "7 flex.zmb\n"
                            "4 synt2.zmb\n" +
                            kSchluss);
}

TEST(MakezembuHeadings, EmptySectionsStillCreateTheirFilesAndLines) {
  fall f;
  f.compile("COMPLEX\n-----\nIDIOM\nLEXICON\n-----\nSYNTAX");
  EXPECT_EQ(f.r.out, "");
  EXPECT_TRUE(f.has("comp1.zmb"));
  EXPECT_EQ(f.def("comp1.zmb"), "");
  // IDIOM runs up to its dash line; LEXICON is one of its lines.
  EXPECT_EQ(f.def("idio1.zmb"), "LEXICON\n");
  EXPECT_FALSE(f.has("lexi.zmb"));
  EXPECT_TRUE(f.has("synt1.zmb"));
  EXPECT_EQ(f.def("synt1.zmb"), "");
  EXPECT_EQ(f.script(), kKopf +
                            "5 comp1.zmb\n"
                            "2 idio1.zmb\n"
                            "S *              show original words\n"
                            "3 *              syntax start\n"
                            "G restart        re-iterate\n"
                            "4 synt1.zmb\n" +
                            kSchluss);
}

TEST(MakezembuHeadings, CommentSectionSkipsHeadingsInside) {
  fall f;
  f.compile("COMMENT\nLEXICON\nhouse n Haus\n-----\nCOMMENTS\n\n");
  EXPECT_EQ(f.r.out, "");
  EXPECT_FALSE(f.has("lexi.zmb"));
  EXPECT_EQ(f.script(), kKopf + kSchluss);
}

TEST(MakezembuFiles, MissingRuleSourceIsReportedAndNothingWritten) {
  fall f;
  auto r = f.d.run("makezembu", {});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "makezembu: cannot open rules.txt\n");
  EXPECT_FALSE(f.has("exec.zmb"));
}

TEST(MakezembuFiles, MissingDefinitionsDirectoryIsReportedOnce) {
  zembu_test::scratch_dir d;
  d.write("rules.txt", "LEXICON\nhouse n Haus\n-----\nSYNTAX\nA -> B C\n");
  auto r = d.run("makezembu", {});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "makezembu: cannot write definitions/lexi.zmb: No such file or directory\n");
  EXPECT_FALSE(d.exists("definitions"));
  d.write("rules.txt", "");
  r = d.run("makezembu", {});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "makezembu: cannot write definitions/exec.zmb: No such file or directory\n");
}

TEST(MakezembuFiles, UnwritableDefinitionFileIsNamedAndNothingIsReplaced) {
  fall f;
  f.d.mkdir("definitions/lexi.zmb");
  f.d.write("definitions/exec.zmb", "old script\n");
  f.d.write("rules.txt", "IDIOM\nA B\n-----\nLEXICON\nhouse n Haus\n-----\n");
  auto r = f.d.run("makezembu", {});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "makezembu: cannot write definitions/lexi.zmb: Is a directory\n");
  EXPECT_FALSE(f.has("idio1.zmb"));
  EXPECT_EQ(f.script(), "old script\n");
}

TEST(MakezembuFiles, ARunRewritesTheFilesOfItsSectionsOnly) {
  fall f;
  f.d.write("definitions/func.zmb", "old\n");
  f.d.write("definitions/lexi.zmb", "old\n");
  f.compile("LEXICON\nhouse n Haus\n");
  EXPECT_EQ(f.def("lexi.zmb"), "HOUSE\n" + kFF + "nHaus\n");
  EXPECT_EQ(f.def("func.zmb"), "old\n");
}

}  // namespace
