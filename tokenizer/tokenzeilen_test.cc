#include "tokenizer/tokenzeilen.h"

#include <gtest/gtest.h>

#include "tokenizer/ersatztabelle.h"
#include "tokenizer/satzleser.h"

namespace zembu {
namespace {

// The token file of the first sentence of `text`.
std::string zeilen(const std::string& text,
                   const std::vector<replace_pair>& tabelle = eingebaute_ersatzpaare()) {
  linereader in(text);
  satz s;
  lies_satz(in, s);
  return tokenzeilen(satztext(s), tabelle);
}

// Lines joined with line feeds; "+" stands for the field marker byte 255.
std::string erwartet(std::initializer_list<std::string> lines) {
  std::string out;
  for (std::string l : lines) {
    for (char& c : l) {
      if (c == '+') c = '\xff';
    }
    out += l + "\n";
  }
  return out;
}

TEST(Tokenzeilen, SentenceEndInsideAndAfterWords) {
  // Inside a word a sentence-end character stays; before a follow character it stands
  // alone and the line after it gets the prefix "SEN ".
  EXPECT_EQ(zeilen("at 2:30 why?!"),
            erwartet({"STR ------", "ZZZ AT +ZZZ---ZZZat", "ZZZ 2:30 +ZZZ---ZZZ2:30",
                      "ZZZ WHY +ZZZ---ZZZwhy", "SEN ? +ZZZ---ZZZ?", "SEN ! +ZZZ---ZZZ!"}));
}

TEST(Tokenzeilen, PunctuationAndCapitalisedWords) {
  // The comma steps over its blank, so the prefix after it sees the capital of Bob;
  // ABC is a word in capitals and gets no "YYY *".
  EXPECT_EQ(zeilen("Yes, Bob and ABC went."),
            erwartet({"STR ------", "YYY *", "ZZZ YES +ZZZ---ZZZYes", "ZZZ , +ZZZ---ZZZ,",
                      "YYY *", "ZZZ BOB +ZZZ---ZZZBob", "ZZZ AND +ZZZ---ZZZand",
                      "ZZZ ABC +ZZZ---ZZZABC", "ZZZ WENT +ZZZ---ZZZwent", "SEN . +ZZZ---ZZZ."}));
  // A bracket before the full stop leaves no token between them: no empty token line.
  EXPECT_EQ(zeilen("He came (today)."),
            erwartet({"STR ------", "YYY *", "ZZZ HE +ZZZ---ZZZHe", "ZZZ CAME +ZZZ---ZZZcame",
                      "ZZZ ( +ZZZ---ZZZ(", "ZZZ TODAY +ZZZ---ZZZtoday", "ZZZ ) +ZZZ---ZZZ)",
                      "SEN . +ZZZ---ZZZ."}));
  EXPECT_EQ(zeilen("he came (today)"),
            erwartet({"STR ------", "ZZZ HE +ZZZ---ZZZhe", "ZZZ CAME +ZZZ---ZZZcame",
                      "ZZZ ( +ZZZ---ZZZ(", "ZZZ TODAY +ZZZ---ZZZtoday", "ZZZ ) +ZZZ---ZZZ)",
                      "PUN _NOSEN_", "SEN -------"}));
}

TEST(Tokenzeilen, Quotation) {
  // A quotation that is not closed, apostrophes inside and at the end of words.
  EXPECT_EQ(zeilen("'yes don't dogs'"),
            erwartet({"STR ------", "ZZZ QUOTE_1 +ZZZ---ZZZ'", "ZZZ YES +ZZZ---ZZZyes",
                      "ZZZ DON'T +ZZZ---ZZZdon't", "ZZZ DOGS +ZZZ---ZZZdogs",
                      "ZZZ QUOTE_2 +ZZZ---ZZZ'", "PUN _NOSEN_", "SEN -------"}));
  // Outside a quotation a closing apostrophe stays with its word.
  EXPECT_EQ(zeilen("dogs' bones"),
            erwartet({"STR ------", "ZZZ DOGS' +ZZZ---ZZZdogs'", "ZZZ BONES +ZZZ---ZZZbones",
                      "PUN _NOSEN_", "SEN -------"}));
  // A lone apostrophe opens a quotation and is no token of its own.
  EXPECT_EQ(zeilen("rock ' roll"),
            erwartet({"STR ------", "ZZZ ROCK +ZZZ---ZZZrock", "ZZZ QUOTE_1 +ZZZ---ZZZ'",
                      "ZZZ ROLL +ZZZ---ZZZroll", "PUN _NOSEN_", "SEN -------"}));
  EXPECT_EQ(zeilen("'no'."),
            erwartet({"STR ------", "ZZZ QUOTE_1 +ZZZ---ZZZ'", "ZZZ NO +ZZZ---ZZZno",
                      "ZZZ QUOTE_2 +ZZZ---ZZZ'", "SEN . +ZZZ---ZZZ."}));
}

TEST(Tokenzeilen, PathsAndLongTokens) {
  EXPECT_EQ(zeilen("see c:\\dos"),
            erwartet({"STR ------", "ZZZ SEE +ZZZ---ZZZsee", "ZZZ c:\\dos +ZZZ---ZZZc:\\dos",
                      "PUN _NOSEN_", "SEN -------"}));
  const std::string lang(300, 'a');
  EXPECT_EQ(zeilen(lang + " b."),
            erwartet({"STR ------", "ZZZ " + std::string(255, 'A') + " +ZZZ---ZZZ" +
                                        std::string(255, 'a'),
                      "ZZZ B +ZZZ---ZZZb", "SEN . +ZZZ---ZZZ."}));
}

TEST(Tokenzeilen, SubstitutionsApplyToTheKeyOnly) {
  const std::vector<replace_pair> colour = {{"COLOUR", "COLOR"}};
  EXPECT_EQ(zeilen("red colour", colour),
            erwartet({"STR ------", "ZZZ RED +ZZZ---ZZZred", "ZZZ COLOR +ZZZ---ZZZcolour",
                      "PUN _NOSEN_", "SEN -------"}));
}

TEST(Normalisiere, UpperCaseAndPairsInTableOrder) {
  const auto built_in = eingebaute_ersatzpaare();
  EXPECT_EQ(normalisiere("class", built_in), "CLA\xe1");
  EXPECT_EQ(normalisiere("\x84rger \x94l \x81" "ber", built_in), "\x8eRGER \x99L \x9a" "BER");
  // Only a to z are upper-cased; control bytes are removed.
  EXPECT_EQ(normalisiere("a\x01" "b\x82\x87", {}), "AB\x82\x87");
  // Pairs apply one after the other, each until its search text is gone.
  EXPECT_EQ(normalisiere("aab", {{"AB", "B"}, {"B", "C"}}), "C");
  EXPECT_EQ(normalisiere("aab", {{"B", "C"}, {"AB", "B"}}), "AAC");
  // A replacement holding its search text is applied once.
  EXPECT_EQ(normalisiere("aba", {{"A", "AA"}}), "AABAA");
  // Paths stay as written.
  EXPECT_EQ(normalisiere("a/class", built_in), "a/class");
  EXPECT_EQ(normalisiere("a\\b", {{"a", "x"}}), "a\\b");
  // Growth stays within the token width.
  EXPECT_EQ(normalisiere(std::string(200, 'a'), {{"A", "XY"}}).size(), kTokenbreite);
}

}  // namespace
}  // namespace zembu
