#include "engine/word_spec.h"

#include <gtest/gtest.h>

namespace zembu::engine {
namespace {

TEST(WordSpec, SourceAndEntry) {
  word_spec w = parse_word_spec("NEW_YORK=NAM---SnsNew_York");
  EXPECT_EQ(w.source, "NEW_YORK");
  EXPECT_EQ(w.entry, "NAM---SnsNew_York");
  w = parse_word_spec("ADJ------gross");  // the German text is the source form
  EXPECT_EQ(w.source, "gross");
  EXPECT_EQ(w.entry, "ADJ------gross");
  w = parse_word_spec("ADJ");
  EXPECT_EQ(w.source, "");
  w = parse_word_spec("*A=B=C");  // the first "=" splits; a "*" stays for the caller
  EXPECT_EQ(w.source, "*A");
  EXPECT_EQ(w.entry, "B=C");
}

TEST(WordSpec, ClassSymbolsAndOverwriting) {
  EXPECT_EQ(padded_class("NOU---Sns"), "NOU");
  EXPECT_EQ(padded_class("N"), "N  ");
  engine_state eng;
  EXPECT_EQ(overwrite_class(eng, "S*X", "NOU"), "SOX");
  EXPECT_EQ(overwrite_class(eng, "A", "NOU"), "AOU");  // a short pattern keeps the rest
  EXPECT_EQ(overwrite_class(eng, "", "NOU"), "NOU");
  EXPECT_EQ(overwrite_class(eng, "VERB", "NOU"), "VER");
}

}  // namespace
}  // namespace zembu::engine
