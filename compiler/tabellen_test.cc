#include "compiler/tabellen.h"

#include <gtest/gtest.h>

#include <string>

namespace zembu {
namespace {

TEST(TabellenNormkey, UpperCaseThenEveryPairInTableOrder) {
  ersetzungstabelle t;
  ASSERT_TRUE(t.add("OU", "O"));
  ASSERT_TRUE(t.add("COLOR", "COLOUR-X"));  // runs after the first pair
  EXPECT_EQ(normkey("colour", t), "COLOUR-X");
  EXPECT_EQ(normkey("\x84ou", t), "\x84O");
  EXPECT_EQ(t.dump(), "OU -> O\nCOLOR -> COLOUR-X\n");

  ersetzungstabelle leer;
  EXPECT_EQ(normkey("house", leer), "HOUSE");
}

TEST(TabellenNormkey, GrowthIsCutAt255) {
  ersetzungstabelle t;
  ASSERT_TRUE(t.add("A", "BBBB"));
  EXPECT_EQ(normkey(std::string(200, 'a'), t), std::string(255, 'B'));
}

TEST(TabellenEndungen, EqualEndingsReplaceInChain) {
  endungstabelle t;
  ASSERT_TRUE(t.add({"-ING", "-ED", ""}));
  ASSERT_TRUE(t.add({"-S", "P", ""}));
  ASSERT_TRUE(t.add({"-ED", "D", "VER"}));
  ASSERT_TRUE(t.add({"-ING", "X", ""}));  // the token is no longer -ING here
  EXPECT_EQ(t.codiere("-ING"), "D");
  EXPECT_EQ(t.codiere("-S"), "P");
  EXPECT_EQ(t.codiere("-ing"), "-ing");
  EXPECT_EQ(t.dump(), "-ING|-ED|\n-S|P|\n-ED|D|VER\n-ING|X|\n");
}

TEST(TabellenAbkuerzungen, FirstEqualPairWins) {
  abkuerzungstabelle a;
  ASSERT_TRUE(a.add("n", "noun"));
  ASSERT_TRUE(a.add("pl", "plural"));
  ASSERT_TRUE(a.add("n", "other"));
  EXPECT_EQ(a.lookup("n"), "noun");
  EXPECT_EQ(a.lookup("pl"), "plural");
  EXPECT_EQ(a.lookup("p"), "p");
  EXPECT_EQ(a.lookup("N"), "N");
  EXPECT_EQ(a.dump(), "n = noun\npl = plural\nn = other\n");
}

}  // namespace
}  // namespace zembu
