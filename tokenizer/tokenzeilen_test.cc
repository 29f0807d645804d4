#include "tokenizer/tokenzeilen.h"

#include <gtest/gtest.h>

#include "common/bstring.h"
#include "engine/state.h"
#include "tokenizer/ersatztabelle.h"
#include "tokenizer/satzleser.h"
#include "tokenizer/zeichen.h"

namespace zembu::tokenizer {
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

// The lines of a token file.
std::vector<std::string> zeilen_von(const std::string& datei) {
  std::vector<std::string> out;
  size_t from = 0;
  for (size_t lf = datei.find('\n'); lf != std::string::npos; lf = datei.find('\n', from)) {
    out.push_back(datei.substr(from, lf - from));
    from = lf + 1;
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
  // A word longer than a piece goes out as pieces of kPieceWidth bytes and the rest.
  const size_t w = kPieceWidth;
  const std::string lang(3 * w + 27, 'a');
  const std::string A(w, 'A'), a(w, 'a');
  EXPECT_EQ(zeilen(lang + " b."),
            erwartet({"STR ------", "ZZZ " + A + " +ZZZ---ZZZ" + a, "ZZZ " + A + " +ZZZ---ZZZ" + a,
                      "ZZZ " + A + " +ZZZ---ZZZ" + a,
                      "ZZZ " + std::string(27, 'A') + " +ZZZ---ZZZ" + std::string(27, 'a'),
                      "ZZZ B +ZZZ---ZZZb", "SEN . +ZZZ---ZZZ."}));
  // A long path stays as written in every piece, also in one without a slash.
  const std::string pfad = "c:/" + std::string(w + 20, 'x');
  const std::string vorn = pfad.substr(0, w), hinten = pfad.substr(w);
  EXPECT_EQ(zeilen(pfad), erwartet({"STR ------", "ZZZ " + vorn + " +ZZZ---ZZZ" + vorn,
                                    "ZZZ " + hinten + " +ZZZ---ZZZ" + hinten, "PUN _NOSEN_",
                                    "SEN -------"}));
}

// The engine reads a token line of at most 255 bytes and keeps its key and its entry
// (attribute field and text) in columns of 100 bytes; the suffix splitter reads lines and
// fields of 255 bytes. A piece fits all of them.
static_assert(kKeyWidth <= engine::norm_lang_string::width, "key column of the engine");
static_assert(13 + kPieceWidth <= engine::normstring::width, "default entry of the engine");
static_assert(4 + kKeyWidth + 1 + 10 + kPieceWidth <= kShortWidth, "token line width");

TEST(Tokenzeilen, LongWordPiecesKeepEveryByte) {
  // A word filling the whole sentence buffer, of every byte a word can hold.
  std::string wort;
  for (size_t i = 0; wort.size() < kSatzpuffer; ++i) {
    const unsigned char c = static_cast<unsigned char>(33 + i * 7 % 222);
    if (!ist_trennzeichen(c) && !ist_satzende(c) && c != '\'' && c != '/' && c != '\\')
      wort.push_back(static_cast<char>(c));
  }
  const std::vector<replace_pair> growing = {{"A", "XYZ"}};
  for (const auto& tabelle : {eingebaute_ersatzpaare(), growing}) {
    const std::vector<std::string> ls = zeilen_von(zeilen(wort, tabelle));
    ASSERT_GE(ls.size(), 4u);
    EXPECT_EQ(ls.front(), "STR ------");
    std::string texts;
    for (size_t i = 1; i + 2 < ls.size(); ++i) {
      const std::string& l = ls[i];
      ASSERT_LE(l.size(), kShortWidth);
      ASSERT_EQ(l.substr(0, 4), "ZZZ ");
      const size_t feld = l.find("\xff" "ZZZ---ZZZ");
      ASSERT_NE(feld, std::string::npos);
      EXPECT_LE(feld - 5, kKeyWidth) << l;
      EXPECT_EQ(l.find(' ', 4), feld - 1) << "one blank, behind the key";
      const std::string text = l.substr(feld + 10);
      EXPECT_LE(text.size(), kPieceWidth);
      EXPECT_EQ(text.find('\xff'), std::string::npos);
      texts += text;
    }
    EXPECT_EQ(texts, wort);
  }
  // Pairs that make the key three times as long make the pieces shorter instead.
  const std::string a200(200, 'a');
  const auto pieces = token_pieces(a200, growing);
  ASSERT_EQ(pieces.size(), 7u);
  EXPECT_EQ(pieces[0].size(), 33u);
  std::string xyz;
  while (xyz.size() < 99) xyz += "XYZ";
  EXPECT_EQ(normalisiere(pieces[0], growing), xyz);
  EXPECT_EQ(pieces[6], "aa");
}

TEST(Tokenzeilen, LongWordPrefixes) {
  // A capitalised long word: "YYY *" once, before its first piece.
  const size_t w = kPieceWidth;
  const std::string wort = "Q" + std::string(w + 9, 'q');
  EXPECT_EQ(zeilen("a " + wort),
            erwartet({"STR ------", "ZZZ A +ZZZ---ZZZa", "YYY *",
                      "ZZZ Q" + std::string(w - 1, 'Q') + " +ZZZ---ZZZ" + wort.substr(0, w),
                      "ZZZ " + std::string(10, 'Q') + " +ZZZ---ZZZ" + std::string(10, 'q'),
                      "PUN _NOSEN_", "SEN -------"}));
  // A long token that begins with the sentence end ends the sentence with its last piece.
  const std::string ende = ".:" + std::string(w + 9, 'x');
  EXPECT_EQ(zeilen("end " + ende),
            erwartet({"STR ------", "ZZZ END +ZZZ---ZZZend",
                      "ZZZ .:" + std::string(w - 2, 'X') + " +ZZZ---ZZZ" + ende.substr(0, w),
                      "SEN " + std::string(11, 'X') + " +ZZZ---ZZZ" + std::string(11, 'x'),
                      "PUN _NOSEN_", "SEN -------"}));
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
  // A field marker that a pair writes does not stay in the key.
  EXPECT_EQ(normalisiere("bab", {{"A", "\xff-\xff"}}), "B-B");
}

}  // namespace
}  // namespace zembu::tokenizer
