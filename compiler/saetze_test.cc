#include "compiler/saetze.h"

#include <gtest/gtest.h>

#include <string>

namespace zembu {
namespace {

const std::string kFF(1, kTrenner);

TEST(SaetzeErsetzung, ReplacementAfterTheArrow) {
  replace_pair p;
  std::string fehler;
  ASSERT_TRUE(ersetzung_paar("A ->", p, fehler));
  EXPECT_EQ(p.replacement, "");
  ASSERT_TRUE(ersetzung_paar("A -> ;x", p, fehler));  // the comment rule applies
  EXPECT_EQ(p.replacement, "");
  ASSERT_TRUE(ersetzung_paar("->  X", p, fehler));
  EXPECT_EQ(p.search, "");
  EXPECT_EQ(p.replacement, "X");
  ASSERT_TRUE(ersetzung_paar("A -> B -> C", p, fehler));
  EXPECT_EQ(p.replacement, "B -> C");
  EXPECT_TRUE(ersetzung_paar("SS -> S", p, fehler));
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

  // A substitution that brings blanks into a headword: they are trimmed.
  ersetzungstabelle t;
  ASSERT_TRUE(t.add("X", " "));
  EXPECT_EQ(kopfwort("xhouse n Haus", t), "HOUSE");
}

TEST(SaetzeLexikon, OnlyTheClassAndAsteriskWordsAreLookedUp) {
  abkuerzungstabelle a;
  ASSERT_TRUE(a.add("n", "noun"));
  std::string out, fehler;
  ASSERT_TRUE(eintrag_text("q n *zz n Y", a, out, fehler));
  EXPECT_EQ(out, kFF + "qn*" + kFF + "zznY");
  ASSERT_TRUE(eintrag_text("n  *n x", a, out, fehler));
  EXPECT_EQ(out, kFF + "noun*" + kFF + "nounx");
}

TEST(SaetzeLexikon, LongExpansionsAreCut) {
  abkuerzungstabelle a;
  ASSERT_TRUE(a.add("n", std::string(250, 'n')));
  std::string out, fehler;
  ASSERT_TRUE(eintrag_text("n Haus *n x", a, out, fehler));
  EXPECT_LE(out.size(), 255u);
  EXPECT_EQ(out.substr(0, 251), kFF + std::string(250, 'n'));
  abkuerzungstabelle leer;
  ASSERT_TRUE(eintrag_text(std::string(300, 'y'), leer, out, fehler));
  EXPECT_EQ(out, kFF + std::string(254, 'y'));
}

TEST(SaetzeKompositum, DoubleBlanksGiveEmptyWords) {
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

TEST(SaetzeSyntax, RunsOfBlanksBetweenTokens) {
  endungstabelle t;
  ASSERT_TRUE(t.add({"-ING", "G", ""}));
  satz s;
  std::string fehler;
  ASSERT_TRUE(syntax_satz("NN   -ING  ->  VP   (001 + 002, 003)", t, s, fehler));
  EXPECT_EQ(s, (satz{"NNG", "VP", "001 002003"}));
}

}  // namespace
}  // namespace zembu
