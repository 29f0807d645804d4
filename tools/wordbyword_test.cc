#include "tools/wordbyword.h"

#include <gtest/gtest.h>

namespace zembu {
namespace {

// A small rule source in the shape of rules/rules.txt (code page 437: \x84 is ä).
const char kRules[] =
    "; sample\n"
    "SUBSTITUTIONS\n"
    "COLOUR -> COLOR\n"
    "-----\n"
    "AGGLUTINATION\n"
    "n't\n"
    "'M\n"
    "-----\n"
    "COMMENT\n"
    "LEXICON\n"
    "-----\n"
    "LEXICON\n"
    "n = SUN---Sns\n"
    "v = VER---Vbs\n"
    "d = ART---Det\n"
    "house n @nHaus *v hausen\n"
    "the d das\n"
    "is v ist\n"
    "is v war\n"
    "do v tun\n"
    "n't v nicht\n"
    "colour n @fFarbe\n"
    "apple n @mApfel\n"
    "apples n @p\216pfel\n"
    "cannot>can+NEG v kann\n"
    "cleaners n @fchemische\376Reinigung\n"
    "-----\n"
    "USER LEXICON\n"
    "nam = NAM---Sns\n"
    "+ new york\n"
    "LEXICON\n"
    "house nam Hausname\n"
    "-----\n"
    "FINAL SUBSTITUTION\n"
    "das @m -> der @m\n"
    "   ----- an indented dash line does not end the section\n"
    "@m -> \n"
    "@n -> \n"
    "@f -> \n"
    "@p -> \n"
    "-----\n";

baseline_dictionary sample() {
  linereader in{std::string(kRules)};
  return read_baseline_dictionary(in);
}

TEST(BaselineDictionary, ReadsTheSectionsAsTheCompilerDoes) {
  baseline_dictionary d = sample();
  ASSERT_EQ(d.substitutions.size(), 1u);
  EXPECT_EQ(d.suffixes, (std::vector<std::string>{"N'T", "'M"}));
  // The COMMENT section swallowed the first LEXICON heading.
  EXPECT_EQ(d.lexicon.at("HOUSE"), "@nHaus");   // the first reading only
  EXPECT_EQ(d.lexicon.at("IS"), "ist");         // the first entry of a key counts
  EXPECT_EQ(d.lexicon.at("COLOR"), "@fFarbe");  // headwords are normalised keys
  EXPECT_EQ(d.lexicon.at("CANNOT"), "kann");
  // The line after a compound is its translation, not a heading.
  EXPECT_EQ(d.user_lexicon.count("NEW"), 0u);
  EXPECT_EQ(d.user_lexicon.at("HOUSE"), "Hausname");
  ASSERT_EQ(d.final_substitutions.size(), 5u);
  EXPECT_EQ(d.final_substitutions[1].search, "@m");
  EXPECT_EQ(d.final_substitutions[1].replacement, "");
}

TEST(BaselineDictionary, ASecondSectionReplacesTheFirst) {
  // The compiler writes each lexicon file anew for every section of its kind.
  linereader in{
      std::string("LEXICON\nn = SUN---Sns\nhouse n Haus\n-----\n"
                  "LEXICON\ntree SUN---Sns Baum\n-----\n")};
  baseline_dictionary d = read_baseline_dictionary(in);
  EXPECT_EQ(d.lexicon.count("HOUSE"), 0u);
  EXPECT_EQ(d.lexicon.at("TREE"), "Baum");  // no abbreviations: the class code is 9 bytes
}

TEST(LexiconEntry, CompiledAsTheCompilerDoesAndReadAsTheEngineDoes) {
  const std::vector<abbreviation> ab{{"n", "SUN---Sns"}, {"pl", "SUN---Pnp"}, {"a", "ADJ---AD2"}};
  EXPECT_EQ(compile_entry("n @nHaus *pl @pH\x84user", ab), "SUN---Sns@nHaus*SUN---Pnp@pH\x84user");
  EXPECT_EQ(compile_entry("n New York", ab), "SUN---SnsNewYork");
  EXPECT_EQ(compile_entry("SUN---Sns Haus", {}), "SUN---SnsHaus");
  // A summary class followed by readings only.
  const std::string several = compile_entry("PAR *a gehend *n @nGehen", ab);
  EXPECT_EQ(several, "PAR*ADJ---AD2gehend*SUN---Sns@nGehen");
  EXPECT_EQ(first_reading_text(several), "gehend");
  EXPECT_EQ(first_reading_text("SUN---Sns@nHaus*SUN---Pnp@pH\x84user"), "@nHaus");
  EXPECT_EQ(first_reading_text("VER---Vbsan#rufen"), "an");
  EXPECT_EQ(first_reading_text("SUN"), "");
}

TEST(WordByWord, ReplacesKnownWordsAndKeepsTheRest) {
  baseline_dictionary d = sample();
  word_counts counts;
  // "House" is taken from the user lexicon, which the engine searches last.
  EXPECT_EQ(translate_word_by_word(d, "The house is red, isn't it?", counts),
            "Das Hausname ist red, ist nicht it?");
  EXPECT_EQ(counts.words, 7u);    // isn't is two parts, as the suffix splitter cuts it
  EXPECT_EQ(counts.unknown, 2u);  // red, it
}

TEST(WordByWord, FinalSubstitutionsAndCapital) {
  baseline_dictionary d = sample();
  word_counts counts;
  EXPECT_EQ(translate_word_by_word(d, "the apple.", counts), "Der Apfel.");
  EXPECT_EQ(translate_word_by_word(d, "cleaners", counts), "Chemische Reinigung");
  EXPECT_EQ(translate_word_by_word(d, "apples", counts),
            "\216pfel");  // Äpfel
  // Substituted spellings meet the same key; quotes around a word stay.
  EXPECT_EQ(translate_word_by_word(d, "'colour' 42", counts), "'Farbe' 42");
  EXPECT_EQ(counts.words, 6u);
  EXPECT_EQ(counts.unknown, 1u);  // 42
}

TEST(UnknownCounts, TokenFileAndWordFile) {
  linereader tokens{
      std::string("STR ------\n"
                  "YYY *\n"
                  "ZZZ THE \xFFZZZ---ZZZThe\n"
                  "ZZZ QUOTE_1 \xFFZZZ---ZZZ'\n"
                  "ZZZ HOUSE \xFFZZZ---ZZZhouse\n"
                  "ZZZ , \xFFZZZ---ZZZ,\n"
                  "ZZZ IS \xFFZZZ---ZZZis\n"
                  "ZZZ N'T \xFFZZZ------N'T\n"
                  "SEN . \xFFZZZ---ZZZ.\n")};
  EXPECT_EQ(count_token_words(tokens), 4u);
  linereader words{std::string("HOUSE\nQUOTE_1\n,\nN'T\n")};
  EXPECT_EQ(count_unknown_words(words), 2u);
}

}  // namespace
}  // namespace zembu
