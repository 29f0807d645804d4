#include "engine/lexikon2.h"

#include <gtest/gtest.h>

#include <memory>

namespace zembu {
namespace {

TEST(ResolveReading, ChoosesTheReadingOfTheClass) {
  const std::string entry = "UUU*NAM---SnsX*SUN---SnsY";
  EXPECT_EQ(resolve_reading(entry, "SUN"), "SUN---SnsY");
  EXPECT_EQ(resolve_reading(entry, "ADJ"), "NAM---SnsX");
  // The longest leading part of the class that occurs decides.
  EXPECT_EQ(resolve_reading("XXX*SUB---a*SUN---b", "SUX"), "SUN---b");
  EXPECT_EQ(resolve_reading("XXX*NAM---a*SUB---b*SUN---c", "SUX"), "SUB---b");
  EXPECT_EQ(resolve_reading("XXX*NAM---a*SUN---b*SUB---c", "SUB"), "SUB---c");
  // The first reading is found only as the fall-back.
  EXPECT_EQ(resolve_reading("XXX*NAM---a*SUN---b", "NAM"), "NAM---a");
  // Single readings, class ZZZ and classes starting with U keep the entry.
  EXPECT_EQ(resolve_reading("NOM---SnsHaus", "SUN"), "NOM---SnsHaus");
  EXPECT_EQ(resolve_reading(entry, "ZZZ"), entry);
  EXPECT_EQ(resolve_reading(entry, "UXY"), entry);
  EXPECT_EQ(resolve_reading("", "SUN"), "");
  EXPECT_EQ(resolve_reading("AB*", "SUN"), "AB*");
  EXPECT_EQ(resolve_reading("ABC*", "SUN"), "");
}

TEST(ResolveReading, OnAWordOfTheTable) {
  auto eng = std::make_unique<engine_state>();
  eng->word_count = 2;
  eng->words[2] = "UUU*NAM---SnsX*SUN---SnsY";
  strtomaxi("STRUUU", eng->class_line);
  resolve_word_reading(*eng, 2, 2, "NAM");
  EXPECT_EQ(eng->words[2], "NAM---SnsX");
  EXPECT_EQ(eng->class_line.text, "STRNAM");
  eng->words[2] = "UUU*NAM---SnsX*SUN---SnsY";
  resolve_word_reading(*eng, 2, 1, "VER");
  EXPECT_EQ(eng->words[2], "NAM---SnsX");
  EXPECT_EQ(eng->class_line.text, "NAMNAM");
  eng->words[2] = "NOM---SnsHaus";
  resolve_word_reading(*eng, 2, 2, "SUN");
  EXPECT_EQ(eng->words[2], "NOM---SnsHaus");
}

}  // namespace
}  // namespace zembu
