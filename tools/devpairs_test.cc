#include "tools/devpairs.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace zembu {
namespace {

TEST(Crc32, StandardCheckValues) {
  EXPECT_EQ(crc32(""), 0u);
  EXPECT_EQ(crc32("123456789"), 0xCBF43926u);
  EXPECT_EQ(crc32("a"), 0xE8B7BE43u);
  EXPECT_EQ(crc32("The quick brown fox jumps over the lazy dog"), 0x414FA339u);
  // The parity that splits the pairs.
  EXPECT_FALSE(is_held_out("I am going home."));
  EXPECT_TRUE(is_held_out("The house is red."));
}

TEST(CleanSubEntry, LabelsGoAndBlanksCloseUp) {
  EXPECT_EQ(clean_sub_entry("Das Haus {n} ist rot. [ugs.]"), "Das Haus ist rot.");
  EXPECT_EQ(clean_sub_entry("  I\tam  going home.  [Br.] [coll.]  "), "I am going home.");
  // A label without its closing mark stays, so the pair is refused later.
  EXPECT_EQ(clean_sub_entry("Es ist {n kalt."), "Es ist {n kalt.");
}

TEST(OneSentence, AcceptsAWholeSentence) {
  EXPECT_TRUE(is_one_sentence("I am going home.", false));
  EXPECT_TRUE(is_one_sentence("Is it cold?", false));
  EXPECT_TRUE(is_one_sentence("3 dogs, 2 cats!", false));
  EXPECT_TRUE(is_one_sentence("\u00DCberall ist es kalt.", true));    // UTF-8 Ü
  EXPECT_FALSE(is_one_sentence("\u00DCberall ist es kalt.", false));  // not English
}

TEST(OneSentence, RefusesFragmentsAndAnnotations) {
  EXPECT_FALSE(is_one_sentence("", false));
  EXPECT_FALSE(is_one_sentence("I am going home", false));     // no final mark
  EXPECT_FALSE(is_one_sentence("going home.", false));         // no capital
  EXPECT_FALSE(is_one_sentence("Go. Now!", false));            // two sentences
  EXPECT_FALSE(is_one_sentence("Mr. Smith is here.", false));  // cut by the front end
  EXPECT_FALSE(is_one_sentence("He goes; she stays.", false));
  EXPECT_FALSE(is_one_sentence("Note: it is late.", false));
  EXPECT_FALSE(is_one_sentence("He (often) sleeps.", false));
  EXPECT_FALSE(is_one_sentence("He sleeps {n}.", false));
  EXPECT_FALSE(is_one_sentence("He sleeps at 8/9.", false));
  EXPECT_FALSE(is_one_sentence("He is ~ late.", false));
  EXPECT_FALSE(is_one_sentence("He is ...", false));
  EXPECT_FALSE(is_one_sentence("He is \xE2\x80\xA6 late.", false));
  EXPECT_FALSE(is_one_sentence("I gave it to sb.", false));
  EXPECT_FALSE(is_one_sentence("It is sb's.", false));
  EXPECT_FALSE(is_one_sentence("Ich gebe es jdm.", true));
  EXPECT_FALSE(is_one_sentence("Es ist etw. kalt.", true));
  EXPECT_FALSE(is_one_sentence("Es ist kalt\xC3.", true));  // broken UTF-8
}

TEST(DevelopmentPairs, AlignedSubEntriesEvenOnly) {
  // Sub-entry 1 is a headword, 2 a development sentence, 3 a held-out sentence, 4 a
  // sentence whose English has eleven words.
  const std::string line =
      "Haus {n} | Ich gehe nach Hause. [ugs.] | Das Haus ist rot. | Ein Satz. :: "
      "house | I am going home. | The house is red. | A B C D E F G H I J K.";
  std::vector<sentence_pair> pairs = development_pairs(line);
  ASSERT_EQ(pairs.size(), 1u);
  EXPECT_EQ(pairs[0].english, "I am going home.");
  EXPECT_EQ(pairs[0].german, "Ich gehe nach Hause.");
  // Ten words is the most.
  EXPECT_EQ(development_pairs("Ein Satz. :: A B C D E F G H I J.").size(), 1u);
}

TEST(DevelopmentPairs, MisalignedOrCommentLinesGiveNothing) {
  EXPECT_TRUE(development_pairs("# Ich gehe nach Hause. :: I am going home.").empty());
  EXPECT_TRUE(development_pairs("Haus | Ich gehe nach Hause. :: I am going home.").empty());
  EXPECT_TRUE(development_pairs("Ich gehe nach Hause. :: I am going home. :: x").empty());
  EXPECT_TRUE(development_pairs("Ich gehe nach Hause. - I am going home.").empty());
  // The German side must be a sentence too.
  EXPECT_TRUE(development_pairs("nach Hause gehen :: I am going home.").empty());
}

TEST(ExtractDevelopmentPairs, FirstPairOfAnEnglishSentenceWins) {
  std::string dict =
      "# comment :: line\n"
      "Ich gehe nach Hause. :: I am going home.\r\n"
      "Ich gehe heim. :: I am going home.\n"
      "Wir sind hier. | Es ist kalt. :: We are here. | Is it cold?\n";
  FILE* in = fmemopen(dict.data(), dict.size(), "r");
  ASSERT_NE(in, nullptr);
  std::vector<sentence_pair> got;
  size_t n = extract_development_pairs(in, [&](const sentence_pair& p) { got.push_back(p); });
  std::fclose(in);
  ASSERT_EQ(n, 3u);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].german, "Ich gehe nach Hause.");
  EXPECT_EQ(got[1].english, "We are here.");
  EXPECT_EQ(got[2].english, "Is it cold?");
  // "Es ist kalt." stands beside "Is it cold?": the sub-entries are paired by position.
  EXPECT_EQ(got[2].german, "Es ist kalt.");
}

}  // namespace
}  // namespace zembu
