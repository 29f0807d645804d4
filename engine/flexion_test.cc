#include "engine/flexion.h"

#include <gtest/gtest.h>

#include <memory>

namespace zembu::engine {
namespace {

TEST(VowelChange, LastBackVowelTakesTheUmlaut) {
  EXPECT_EQ(vowel_change("SUN---SnsHaus"), "SUN---SnsH\xC3\xA4us");
  EXPECT_EQ(vowel_change("SUN---SnsBaum"), "SUN---SnsB\xC3\xA4um");
  EXPECT_EQ(vowel_change("SUN---SnsHAUS"), "SUN---SnsH\xC3\x84US");
  EXPECT_EQ(vowel_change("SUN---SnsMutter"), "SUN---SnsM\xC3\xBCtter");
  EXPECT_EQ(vowel_change("SUN---SnsOfen"), "SUN---Sns\xC3\x96""fen");
  // Nothing from position 10 on, or a text shorter than 10 characters: unchanged.
  EXPECT_EQ(vowel_change("SUN---SnsFisch"), "SUN---SnsFisch");
  EXPECT_EQ(vowel_change("Haus"), "Haus");
  // Only the first 80 characters are worked on.
  EXPECT_EQ(vowel_change("SUN---Sns" + std::string(80, 'x') + "a").size(), 80u);
}

TEST(Ending, CutAppendDoubleAndPrefix) {
  EXPECT_EQ(ending_of("SUN---SnsMuseum", "<2en", false), "SUN---SnsMuseen");
  EXPECT_EQ(ending_of("SUN---SnsHund", "<e", false), "SUN---SnsHune");
  EXPECT_EQ(ending_of("SUN---SnsHund", "<0e", false), "SUN---SnsHunde");
  EXPECT_EQ(ending_of("ab", "<5", false), "");
  EXPECT_EQ(ending_of("SUN---SnsFu\xe1", ">e", false), "SUN---SnsFusse");
  EXPECT_EQ(ending_of("FU\xe1", ">e", true), "FU\xe1\xe1" "e");  // a source form keeps its sharp s
  EXPECT_EQ(ending_of("", ">e", false), "e");
  EXPECT_EQ(ending_of("VER---VERsagen", "<2ge-t", false), "VER---VERgesagt");
  EXPECT_EQ(ending_of("VER---VERsag", "ge-<1t", false), "VER---VERgesat");
  EXPECT_EQ(ending_of("SAG", "ge-t", true), "geSAGt");
  EXPECT_EQ(ending_of("VER---VERgehen", "=ging", false), "VER---VERging");
  EXPECT_EQ(ending_of("GEHEN", "=GING", true), "GING");
  EXPECT_EQ(ending_of("SUN---SnsHaus", "^er", false), "SUN---SnsH\xC3\xA4user");
  EXPECT_EQ(ending_of("SUN---SnsHaus", "", false), "SUN---SnsHaus");
}

TEST(Ending, SubstitutionListWorksOnTheEntry) {
  auto eng = std::make_unique<engine_state>();
  eng->table.words[1] = "SUN---SnsMutter";
  eng->table.originals[1] = "MOTHER";
  apply_ending(*eng, 1, "S,u=\x81,nox,t=tt", true);
  EXPECT_EQ(eng->table.originals[1], "MOTHERS");
  // Repeated replacement: every t, but a replacement that holds its search text once.
  EXPECT_EQ(eng->table.words[1], "SUN---SnsM\x81ttter");
  eng->table.words[1] = "SUN---Snsaaa";
  apply_ending(*eng, 1, ",aa=b,=x", false);
  EXPECT_EQ(eng->table.words[1], "SUN---Snsba");
  eng->table.words[1] = "SUN---Snsab";
  apply_ending(*eng, 1, ",a=b,b=c", false);
  EXPECT_EQ(eng->table.words[1], "SUN---Snscc");
}

}  // namespace
}  // namespace zembu::engine
