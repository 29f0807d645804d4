// makezembu black-box tests: syntax, complex and idiom rule files, the error report and
// malformed or binary rule sources.
#include <gtest/gtest.h>

#include <string>

#include "tests/makezembu_fall.h"

namespace {

using makezembu_fall::fall;
using makezembu_fall::kKopf;
using makezembu_fall::kSchluss;
using makezembu_fall::report;

using makezembu_fall::kFF;
const std::string kSyntaxKopf =
    "S *              show original words\n"
    "3 *              syntax start\n"
    "G restart        re-iterate\n";

TEST(MakezembuRegeln, SyntaxExample) {
  fall f;
  f.compile(
      "TERMINATION\n-ing G PRP\n-----\n"
      "SYNTAX\n"
      "NN -ING -> VP (001+002, 003)\n"
      "NN -ing -> VP 001\n"
      "-----\n");
  EXPECT_EQ(f.r.out, "");
  EXPECT_EQ(f.def("synt1.zmb"), "NNG\nVP\n001 002003\nNN-ing\nVP\n001\n");
  EXPECT_EQ(f.script(), kKopf + kSyntaxKopf + "4 synt1.zmb\n" + kSchluss);
}

TEST(MakezembuRegeln, ComplexOperationWords) {
  fall f;
  f.compile(
      "COMPLEXES\nignored\n-----\n"
      "COMPLEX\n"
      "  NN VB  \n"
      "delete_1 unchanged_2 new_3 before_4 after_5 insert_6\n"
      "erase_1 symbol_2 partial_3 replace_4 exchange_5 disambiguate_6\n"
      "Delete_1 renew_2 new_\n"
      "-----\n"
      "COMPLEX\n-----\n");
  EXPECT_EQ(f.def("comp1.zmb"),
            "NN VB\nD1 U2 N3 L4 A5 I6\nE1 S2 P3 P4 T5 ?6\nDelete_1 reN2 N\n");
  EXPECT_EQ(f.def("comp2.zmb"), "");
  EXPECT_EQ(f.script(), kKopf + "5 comp1.zmb\n5 comp2.zmb\n" + kSchluss);
}

TEST(MakezembuRegeln, IdiomLinesUnchanged) {
  fall f;
  f.compile("IDIOMS\n  KICK THE BUCKET  \nR*sterben delete_\n-----\n");
  EXPECT_EQ(f.def("idio1.zmb"), "KICK THE BUCKET\nR*sterben delete_\n");
}

TEST(MakezembuFehler, SubstitutionWithoutArrow) {
  fall f;
  f.d.write("definitions/lexi.zmb", "old\n");
  f.compile("SUBSTITUTION\nA -> B\n  C - D  \n-----\nLEXICON\nhouse n Haus\n");
  EXPECT_EQ(f.r.out, report("C - D", "  C - D  "));
  EXPECT_EQ(f.def("ascii.zmb"), "A\nB\n");
  EXPECT_EQ(f.def("lexi.zmb"), "old\n");  // later sections are not compiled
  EXPECT_EQ(f.script(), kKopf + kSchluss);
}

TEST(MakezembuFehler, SubstitutionThatContainsItsSearchText) {
  fall f;
  f.compile("SUBSTITUTION\nS -> SS\n");
  EXPECT_EQ(f.r.out, report("S -> SS", "S -> SS"));
  EXPECT_EQ(f.def("ascii.zmb"), "");
}

TEST(MakezembuFehler, SyntaxErrorsKeepTheProcedureLine) {
  fall f;
  f.d.write("definitions/func.zmb", "old\n");
  f.compile(
      "SYNTAX\n"
      "A B -> C 001\n"
      "NN VB VP\n"
      "-----\n"
      "FUNCTION\nthe ART der\n");
  EXPECT_EQ(f.r.out, report("VP", "NN VB VP"));
  EXPECT_EQ(f.def("synt1.zmb"), "AB\nC\n001\n");
  EXPECT_EQ(f.def("func.zmb"), "old\n");
  EXPECT_EQ(f.script(), kKopf + kSyntaxKopf + "4 synt1.zmb\n" + kSchluss);

  fall g;
  g.compile("SYNTAX\nA -> B\n");
  EXPECT_EQ(g.r.out, report("B", "A -> B"));
  fall h;
  h.compile("SYNTAX\nA B ->   \n");
  EXPECT_EQ(h.r.out, report("->", "A B ->   "));
}

TEST(MakezembuFehler, FinalSubstitutionShowsTheLastCommonLine) {
  fall f;
  f.compile("FINAL SUBSTITUTIONS  \nok -> fine\n  ab->c\n");
  EXPECT_EQ(f.r.out, report("  ab->c", "FINAL SUBSTITUTIONS  "));
  EXPECT_EQ(f.def("asci2.zmb"), "ok\nfine\n");
}

TEST(MakezembuFehler, FieldErrorsOfTheWordListSections) {
  struct fallbeispiel {
    std::string rules, fehler, source, prozeduren;
  };
  const std::string funktion =
      "6 restart        re-iterate if changes were made\n"
      "9 *              select first entry of polyvalent syntax; syntax end\n"
      "E func.zmb\n";
  const fallbeispiel faelle[] = {
      {"TERMINATION\n-ing\n", "-ing", "-ing", ""},
      {"TERMINATION\n-ing G\n", "G", "-ing G", ""},
      {"INFLECTION\nADJ (1,2)\n", "(1,2)", "ADJ (1,2)", "7 flex.zmb\n"},
      {"IRREGULARITY\n  go\n", "go", "  go", "2 irrg.zmb\n"},
      {"FUNCTION\nthe ART\n", "ART", "the ART", funktion},
      {"LEXICON\nhouse\n", "house", "house", ""},
      {"LEXICON\nn=noun\n", "n=noun", "n=noun", ""},
      {"LEXICON\nn = noun\nhouse Haus\n", "Haus", "house Haus", ""},
      {"LEXICON\nn = noun\nhouse n Haus *pl\n", "after abbreviation in lexicon end of line",
       "house n Haus *pl", ""},
      {"USER LEXICON\ncat\n", "cat", "cat", ""},
      {"USER LEXICON\n+ york\nx\n", "YORK", "+ york", ""},
      {"USER LEXICON\n- york \n", "YORK", "- york ", ""},
  };
  for (const fallbeispiel& b : faelle) {
    fall f;
    f.compile(b.rules);
    EXPECT_EQ(f.r.out, report(b.fehler, b.source)) << b.rules;
    EXPECT_EQ(f.script(), kKopf + b.prozeduren + kSchluss) << b.rules;
  }
}

TEST(MakezembuFehler, TerminationFileOfAFailedSectionStaysEmpty) {
  fall f;
  f.compile("TERMINATION\n-ing G x\n-----\nTERMINATION\n-ed D x\nbad\n");
  EXPECT_EQ(f.r.out, report("bad", "bad"));
  EXPECT_EQ(f.def("term.zmb"), "");
}

std::string numbered(const std::string& form, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) {
    std::string z = form;
    z.replace(z.find('#'), 1, std::to_string(i));
    out += z + "\n";
  }
  return out;
}

TEST(MakezembuFehler, FullTablesStopTheCompiler) {
  fall t;
  t.compile("TERMINATION\n" + numbered("-e# c r", 600) + "-----\nTERMINATION\n" +
            numbered("-f# c r", 401));
  EXPECT_EQ(t.r.out, report("more than 1000 entries in the termination table", "-f400 c r"));

  fall s;
  s.compile("SUBSTITUTION\n" + numbered("a# -> b", 1001));
  EXPECT_EQ(s.r.out, report("more than 1000 entries in the substitution table", "a1000 -> b"));
  EXPECT_EQ(zembu_test::lines(s.def("ascii.zmb")).size(), 2000u);

  fall a;
  a.compile("USER LEXICON\n" + numbered("a# = x", 1001));
  EXPECT_EQ(a.r.out, report("more than 1000 entries in the abbreviation table", "a1000 = x"));

  // Exactly 1000 entries fit, and each lexicon section starts a new table.
  fall voll;
  voll.compile("LEXICON\n" + numbered("a# = x", 1000) + "-----\nLEXICON\n" +
               numbered("b# = y", 1000) + "cat a999 Katze\ndog b999 Hund\n");
  EXPECT_EQ(voll.r.out, "");
  EXPECT_EQ(voll.def("lexi.zmb"), "CAT\n" + kFF + "a999Katze\nDOG\n" + kFF + "yHund\n");
}

TEST(MakezembuBytes, LongLinesAreCutAt255) {
  fall f;
  const std::string lang(300, 'x');
  f.compile("LEXICON" + std::string(300, ' ') + "\nhouse " + lang + "\ncat n Katze\n-----\n" +
            "UNKNOWN WORD\n" + lang + "\n");
  EXPECT_EQ(f.r.out, "");
  EXPECT_EQ(f.def("lexi.zmb"),
            "HOUSE\n" + kFF + std::string(249, 'x') + "\nCAT\n" + kFF + "nKatze\n");
  EXPECT_EQ(f.def("chang.zmb"), std::string(255, 'x') + "\n");

  fall g;
  g.compile("IRREGULARITY\n" + lang + "\n");
  EXPECT_EQ(g.r.out, report(std::string(255, 'x'), std::string(255, 'x')));
}

TEST(MakezembuBytes, BinaryBytesPassThrough) {
  fall f;
  const std::string nul("a\0b", 3);
  f.compile("UNKNOWN WORD\n" + nul + "\n\x01\x02\xfe\xff\n-----\nLEX" + std::string(1, '\0') +
            "ICON\nIDIOM\n" + nul + " \x80\n");
  EXPECT_EQ(f.r.out, "");
  EXPECT_EQ(f.def("chang.zmb"), nul + "\n\x01\x02\xfe\xff\n");
  EXPECT_EQ(f.def("idio1.zmb"), nul + " \x80\n");
  EXPECT_FALSE(f.has("lexi.zmb"));
}

TEST(MakezembuBytes, SourceEndingInsideASection) {
  fall f;
  f.compile("TERMINATION\n-ing G x");
  EXPECT_EQ(f.def("term.zmb"), "-ING\nG------x\n");
  fall g;
  g.compile("USER LEXICON\n+ new york");
  EXPECT_EQ(g.r.out, "");
  EXPECT_EQ(g.def("user2.zmb"), "NEW YORK\nR*NEW_YORK= D\n");
  fall h;
  h.compile("SUBSTITUTION\n");
  EXPECT_EQ(h.def("ascii.zmb"), "");
  EXPECT_EQ(h.script(), kKopf + kSchluss);
}

TEST(MakezembuBytes, CarriageReturnLineEnds) {
  fall f;
  f.compile("LEXICON\r\nhouse n Haus\r\n-----\r\n");
  EXPECT_EQ(f.def("lexi.zmb"), "HOUSE\n" + kFF + "nHaus\n");
}

}  // namespace
