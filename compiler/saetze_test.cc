#include "compiler/saetze.h"

#include <gtest/gtest.h>

#include <string>

namespace zembu {
namespace {

const std::string kFF(1, kTrenner);

TEST(SaetzeErsetzung, ArrowAndTheByteAfterItAreDropped) {
  replace_pair p;
  std::string fehler;
  ASSERT_TRUE(ersetzung_paar("COLOUR -> COLOR", p, fehler));
  EXPECT_EQ(p.search, "COLOUR");
  EXPECT_EQ(p.replacement, "COLOR");
  ASSERT_TRUE(ersetzung_paar("A->BC", p, fehler));  // no blank: B is lost
  EXPECT_EQ(p.replacement, "C");
  ASSERT_TRUE(ersetzung_paar("A ->", p, fehler));
  EXPECT_EQ(p.replacement, "");
  ASSERT_TRUE(ersetzung_paar("A -> ;x", p, fehler));  // the comment rule applies
  EXPECT_EQ(p.replacement, "");
  ASSERT_TRUE(ersetzung_paar("->  X", p, fehler));
  EXPECT_EQ(p.search, "");
  EXPECT_EQ(p.replacement, "X");
  ASSERT_TRUE(ersetzung_paar("A -> B -> C", p, fehler));
  EXPECT_EQ(p.replacement, "B -> C");
}

TEST(SaetzeErsetzung, MissingArrowAndSelfContainingReplacementAreErrors) {
  replace_pair p;
  std::string fehler;
  EXPECT_FALSE(ersetzung_paar("A - B", p, fehler));
  EXPECT_EQ(fehler, "A - B");
  EXPECT_FALSE(ersetzung_paar("S -> SS", p, fehler));
  EXPECT_EQ(fehler, "S -> SS");
  EXPECT_TRUE(ersetzung_paar("SS -> S", p, fehler));
}

TEST(SaetzeFinal, BlanksAroundTheTextsStay) {
  replace_pair p;
  std::string fehler;
  ASSERT_TRUE(final_paar(" ae  -> \x84 ", p, fehler));
  EXPECT_EQ(p.search, " ae ");
  EXPECT_EQ(p.replacement, "\x84 ");
  EXPECT_FALSE(final_paar("ae ->x", p, fehler));
  EXPECT_EQ(fehler, "ae ->x");
}

TEST(SaetzeFelder, ErrorTextIsTheLineOrTheTextAfterTheFirstBlank) {
  satz s;
  std::string fehler;
  EXPECT_FALSE(flexion_satz("alone", s, fehler));
  EXPECT_EQ(fehler, "alone");
  EXPECT_FALSE(funktion_satz("the ART", s, fehler));
  EXPECT_EQ(fehler, "ART");
  endung e;
  ersetzungstabelle t;
  EXPECT_FALSE(endung_eintrag("-ing G", t, e, fehler));
  EXPECT_EQ(fehler, "G");
  EXPECT_TRUE(s.empty());
}

TEST(SaetzeFlexion, RestAfterArrowAndCleanedForm) {
  satz s;
  std::string fehler;
  ASSERT_TRUE(flexion_satz("ADJ (a,b) ->  en", s, fehler));
  EXPECT_EQ(s, (satz{"ADJ", "ab", " en"}));  // only the arrow and one byte are removed
  s.clear();
  ASSERT_TRUE(flexion_satz("ADJ *   -> ", s, fehler));
  EXPECT_EQ(s, (satz{"ADJ", "", ""}));
  s.clear();
  ASSERT_TRUE(flexion_satz("ADJ x e", s, fehler));
  EXPECT_EQ(s, (satz{"ADJ", "x", "e"}));
}

TEST(SaetzeIrregulaer, ArrowIsOptional) {
  satz s;
  std::string fehler;
  ASSERT_TRUE(irregulaer_satz("go  ->  ging", s, fehler));
  EXPECT_EQ(s, (satz{">go", "!>ging"}));
  s.clear();
  ASSERT_TRUE(irregulaer_satz("go ging gegangen", s, fehler));
  EXPECT_EQ(s, (satz{">go", "!>ging gegangen"}));
  EXPECT_FALSE(irregulaer_satz("go", s, fehler));
  EXPECT_EQ(fehler, "go");
}

TEST(SaetzeFunktion, SecondLineJoinsFieldTwoAndRest) {
  satz s;
  std::string fehler;
  ASSERT_TRUE(funktion_satz("the ART der die das", s, fehler));
  EXPECT_EQ(s, (satz{"the", "ART------der die das"}));
}

TEST(SaetzeEndungen, PlusEndingsGiveOneLine) {
  endungstabelle t;
  ersetzungstabelle leer;
  endung e;
  std::string fehler;
  ASSERT_TRUE(endung_eintrag("-ing G PRP", leer, e, fehler));
  ASSERT_TRUE(t.add(e));
  ASSERT_TRUE(endung_eintrag("+s X Y", leer, e, fehler));
  ASSERT_TRUE(t.add(e));
  satz s;
  endung_saetze(t, s);
  EXPECT_EQ(s, (satz{"-ING", "G------PRP", "+S"}));
}

TEST(SaetzeLexikon, AbbreviationLinesAndHeadwords) {
  std::string a, x;
  ASSERT_TRUE(abkuerzung_zeile(" pl = plural form ", a, x));
  EXPECT_EQ(a, "pl");
  EXPECT_EQ(x, "plural form");
  ASSERT_TRUE(abkuerzung_zeile("x y=", a, x));
  EXPECT_EQ(a, "x y");
  EXPECT_EQ(x, "");
  EXPECT_FALSE(abkuerzung_zeile("house n Haus", a, x));

  ersetzungstabelle t;
  ASSERT_TRUE(t.add("X", " "));
  EXPECT_EQ(kopfwort("xhouse n Haus", t), "HOUSE");
}

TEST(SaetzeLexikon, EntryTextWithoutAbbreviationsLosesItsBlanks) {
  abkuerzungstabelle a;
  std::string out, fehler;
  ASSERT_TRUE(eintrag_text("n Haus *pl Haeuser", a, out, fehler));
  EXPECT_EQ(out, kFF + "nHaus*plHaeuser");
}

TEST(SaetzeLexikon, AsteriskWordsAreExpanded) {
  abkuerzungstabelle a;
  ASSERT_TRUE(a.add("n", "noun"));
  ASSERT_TRUE(a.add("pl", "plural"));
  std::string out, fehler;
  ASSERT_TRUE(eintrag_text("n Haus *pl Haeuser x", a, out, fehler));
  EXPECT_EQ(out, kFF + "nounHaus*" + kFF + "pluralHaeuserx");
  // Only the class and the word after "*" are looked up; unknown words stay.
  ASSERT_TRUE(eintrag_text("q n *zz Y", a, out, fehler));
  EXPECT_EQ(out, kFF + "qn*" + kFF + "zzY");
  // The blank after an expanded word is consumed: a "*" right behind it is plain text.
  ASSERT_TRUE(eintrag_text("n *pl *pl x", a, out, fehler));
  EXPECT_EQ(out, kFF + "noun*" + kFF + "plural*plx");
}

TEST(SaetzeLexikon, EntryTextErrors) {
  abkuerzungstabelle a;
  ASSERT_TRUE(a.add("n", "noun"));
  std::string out, fehler;
  EXPECT_FALSE(eintrag_text("Haus", a, out, fehler));
  EXPECT_EQ(fehler, "Haus");
  EXPECT_FALSE(eintrag_text("n Haus *pl", a, out, fehler));
  EXPECT_EQ(fehler, kSternFehler);
}

TEST(SaetzeLexikon, LongExpansionsAreCut) {
  abkuerzungstabelle a;
  ASSERT_TRUE(a.add("n", std::string(250, 'n')));
  std::string out, fehler;
  ASSERT_TRUE(eintrag_text("n Haus *n x", a, out, fehler));
  EXPECT_LE(out.size(), 255u);
  EXPECT_EQ(out.substr(0, 251), kFF + std::string(250, 'n'));
}

TEST(SaetzeKompositum, WordLineJoinedFormAndRLine) {
  ersetzungstabelle t;
  abkuerzungstabelle a;
  kompositum k;
  std::string fehler;
  ASSERT_TRUE(kompositum_kopf("-  new  york city ", '-', t, k, fehler));
  EXPECT_EQ(k.wortzeile, "NEW 0 0YORK 0CITY");
  EXPECT_EQ(k.verbunden, "NEW__YORK_CITY");
  EXPECT_EQ(k.wortzahl, 4u);
  EXPECT_EQ(kompositum_rzeile(k, "Stadt", a), "R*NEW__YORK_CITY=Stadt D D D");
  ASSERT_TRUE(a.add("n", "SUB"));
  EXPECT_EQ(kompositum_rzeile(k, "n  New York ", a), "R*NEW__YORK_CITY=SUBNew York D D D");
  EXPECT_EQ(kompositum_rzeile(k, "", a), "R*NEW__YORK_CITY= D D D");

  EXPECT_FALSE(kompositum_kopf("+ york", '+', t, k, fehler));
  EXPECT_EQ(fehler, "YORK");
  EXPECT_FALSE(kompositum_kopf("+", '+', t, k, fehler));
  EXPECT_EQ(fehler, "");
}

TEST(SaetzeKompositum, ManyWordsAreCutAt255) {
  ersetzungstabelle t;
  abkuerzungstabelle a;
  kompositum k;
  std::string fehler;
  std::string line = "-";
  for (int i = 0; i < 126; ++i) line += " a";
  ASSERT_TRUE(kompositum_kopf(line, '-', t, k, fehler));
  EXPECT_EQ(k.wortzahl, 126u);
  EXPECT_EQ(k.wortzeile.size(), 255u);
  EXPECT_EQ(kompositum_rzeile(k, "n x", a).size(), 255u);
}

TEST(SaetzeSyntax, ConditionResultAndAction) {
  endungstabelle t;
  ASSERT_TRUE(t.add({"-ING", "G", ""}));
  satz s;
  std::string fehler;
  ASSERT_TRUE(syntax_satz("NN   -ING -ing  ->  VP   (001 + 002, 003)", t, s, fehler));
  EXPECT_EQ(s, (satz{"NNG-ing", "VP", "001 002003"}));
}

TEST(SaetzeSyntax, ErrorTextIsTheUnparsedPart) {
  endungstabelle t;
  satz s;
  std::string fehler;
  EXPECT_FALSE(syntax_satz("NN VB VP 001", t, s, fehler));
  EXPECT_EQ(fehler, "001");
  EXPECT_FALSE(syntax_satz("NN VB ->", t, s, fehler));
  EXPECT_EQ(fehler, "->");
  EXPECT_FALSE(syntax_satz("NN -> VP", t, s, fehler));
  EXPECT_EQ(fehler, "VP");
  EXPECT_TRUE(s.empty());
}

TEST(SaetzeKomplex, OperationWordsInOrder) {
  EXPECT_EQ(komplex_zeile("delete_1 unchanged_2 new_3 before_4 after_5 insert_6"),
            "D1 U2 N3 L4 A5 I6");
  EXPECT_EQ(komplex_zeile("erase_1 symbol_2 partial_3 replace_4 exchange_5 disambiguate_6"),
            "E1 S2 P3 P4 T5 ?6");
  // Matched inside longer words, case-sensitive, and the line trimmed again.
  EXPECT_EQ(komplex_zeile("renew_x Delete_y"), "reNx Delete_y");
  EXPECT_EQ(komplex_zeile("x new_"), "x N");
}

}  // namespace
}  // namespace zembu
