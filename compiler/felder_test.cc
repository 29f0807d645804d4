#include "compiler/felder.h"

#include <gtest/gtest.h>

namespace zembu {
namespace {

TEST(FelderSplit, SplitsAtSingleBlanks) {
  felder f;
  EXPECT_EQ(split_fields("-ING G VER rest of it", f), 2);
  EXPECT_EQ(f.feld1, "-ING");
  EXPECT_EQ(f.feld2, "G");
  EXPECT_EQ(f.rest, "VER rest of it");

  // Two blanks in a row give an empty field; the rest keeps its blanks.
  EXPECT_EQ(split_fields("a  b", f), 2);
  EXPECT_EQ(f.feld1, "a");
  EXPECT_EQ(f.feld2, "");
  EXPECT_EQ(f.rest, "b");
  EXPECT_EQ(split_fields("a b   c", f), 2);
  EXPECT_EQ(f.rest, "  c");
  EXPECT_EQ(split_fields("a b ", f), 2);
  EXPECT_EQ(f.rest, "");
}

TEST(FelderSplit, ReportsMissingBlanks) {
  felder f;
  f.rest = "stale";
  EXPECT_EQ(split_fields("alone", f), 0);
  EXPECT_EQ(f.feld1, "alone");
  EXPECT_EQ(f.feld2, "");
  EXPECT_EQ(f.rest, "");
  EXPECT_EQ(split_fields("one two", f), 1);
  EXPECT_EQ(f.feld1, "one");
  EXPECT_EQ(f.feld2, "two");
  EXPECT_EQ(split_fields("", f), 0);
}

TEST(FelderSingular, DropsAFinalSOrTurnsIesIntoY) {
  EXPECT_EQ(singular("SUBSTITUTIONS"), "SUBSTITUTION");
  EXPECT_EQ(singular("IRREGULARITIES"), "IRREGULARITY");
  EXPECT_EQ(singular("COMPLEXES"), "COMPLEXE");
  EXPECT_EQ(singular("SYNTAX"), "SYNTAX");
  EXPECT_EQ(singular("IES"), "Y");
  EXPECT_EQ(singular("S"), "");
  EXPECT_EQ(singular(""), "");
  EXPECT_EQ(singular("idioms"), "idioms");
}

TEST(FelderBytes, UpperCaseTouchesOnlyAsciiLetters) {
  EXPECT_EQ(upper_ascii("az-AZ \x84\x81\xff{}`"), "AZ-AZ \x84\x81\xff{}`");
  EXPECT_EQ(remove_chars("(001+002, 003)", "() ,"), "001+002003");
  EXPECT_EQ(remove_chars(std::string("a\0 b", 4), " "), std::string("a\0b", 3));
}

}  // namespace
}  // namespace zembu
