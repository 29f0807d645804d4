// Lexicon search through the engine: text and indexed lexicons, second words, names,
// numbers, default entries of unknown words, affixes and the word file, and lexicons
// compiled from a rule source.
#include <gtest/gtest.h>

#include "tests/fixtures.h"

namespace {

using zembu_test::engine_run;
using zembu_test::lines;
using zembu_test::run_result;
using zembu_test::scratch_dir;

using zembu_test::word_line;

// The full stop as the tokenizer writes it.
const std::string& kEnd = zembu_test::kStopLine;

// A word as the tokenizer writes it.
std::string word(const std::string& key, const std::string& written) {
  return word_line(key, written);
}

const std::string kLexicon =
    "HOUSE>house\n\xffNOM---SnsHaus\n"
    "CANNOT>can+NEG\nVER---xxxkann\n"
    "WALK\nVER---xxxgeh\n"
    "SMITH\nNOM---SnsSchmied\n"
    "THE\nDET---xxxdas\n"
    "IS\nVER---xxxist\n"
    "RED\nADJ---xxxrot\n"
    "MULTI\nXXX*SUB---SnsMehr*VER---xxxmehren\n";

// Runs the engine over pass3 with a script; returns the result file.
std::string run_script(scratch_dir& d, const std::string& script, const std::string& tokens) {
  return zembu_test::translate_tokens(d, "PROCEDURES\n" + script, tokens).result;
}

// The entries of the analysis listing lines (the text after the field marker).
std::vector<std::string> entries(const std::string& listing) {
  std::vector<std::string> out;
  for (const std::string& l : lines(listing)) out.push_back(l.substr(l.find('\xff') + 1));
  return out;
}

TEST(Zembu2Lexicon, WordsGetTheirEntriesAndSearchForms) {
  scratch_dir d;
  d.mkdir("definitions");
  d.write("definitions/lexi.zmb", kLexicon);
  std::string sentence = "STR ------\nYYY *\n" + word("THE", "The") + word("HOUSE", "house") +
                         word("IS", "is") + word("RED", "red") + kEnd;
  EXPECT_EQ(run_script(d, "L lexi.zmb\nR *\n", sentence), "Das Haus ist rot. \n");
  EXPECT_EQ(run_script(d, "L lexi.zmb\nW *\n", sentence),
            "ZZ__ ZZ__ DET_ das NOM_ Haus VER_ ist ADJ_ rot ZZZ_ . \n");
  // The outform becomes the search form.
  EXPECT_EQ(run_script(d, "L lexi.zmb\nw *\n", sentence),
            "ZZ__ ZZ__ ZZ_UPPER DET_ THE NOM_ house VER_ IS ADJ_ RED ZZZ_ . \n");
}

TEST(Zembu2Lexicon, SecondWordOfAnOutform) {
  scratch_dir d;
  d.mkdir("definitions");
  d.write("definitions/lexi.zmb", kLexicon);
  std::string out = run_script(d, "L lexi.zmb\ns *\n",
                               "STR ------\n" + word("CANNOT", "cannot") + kEnd);
  auto e = entries(out);
  ASSERT_EQ(e.size(), 4u) << out;
  EXPECT_EQ(e[1], "VER---xxxkann");
  EXPECT_EQ(e[2], "NEG------");
  EXPECT_EQ(lines(out)[1].substr(0, 8), "VER can ");
  EXPECT_EQ(lines(out)[2].substr(0, 6), "NEG * ");  // the second word has no search form
}

TEST(Zembu2Lexicon, CapitalisedWordsBecomeNamesAfterTheThirdPlace) {
  scratch_dir d;
  d.mkdir("definitions");
  d.write("definitions/lexi.zmb", kLexicon);
  // SMITH at place 5 after a capital marker: a name; at place 3: its lexicon entry.
  std::string late = "STR ------\nYYY *\n" + word("THE", "The") + "YYY *\n" +
                     word("SMITH", "Smith") + kEnd;
  EXPECT_EQ(entries(run_script(d, "L lexi.zmb\ns *\n", late))[4], "NAM---SnsSmith");
  std::string early = "STR ------\nYYY *\n" + word("SMITH", "Smith") + kEnd;
  EXPECT_EQ(entries(run_script(d, "L lexi.zmb\ns *\n", early))[2], "NOM---SnsSchmied");
  // An unknown capitalised word after the third place is a name in the normal mode.
  std::string unknown = "STR ------\nYYY *\n" + word("THE", "The") + "YYY *\n" +
                        word("FLORP", "Florp") + kEnd;
  EXPECT_EQ(entries(run_script(d, "l lexi.zmb\ns *\n", unknown))[4], "NAM---SnsFlorp");
}

TEST(Zembu2Lexicon, NumbersInEachMode) {
  scratch_dir d;
  d.mkdir("definitions");
  d.write("definitions/lexi.zmb", kLexicon);
  std::string sentence = "STR ------\n" + word("42B", "42b") + kEnd;
  EXPECT_EQ(entries(run_script(d, "l lexi.zmb\ns *\n", sentence))[1], "NUM---NUM42B");
  EXPECT_EQ(entries(run_script(d, "1 lexi.zmb\ns *\n", sentence))[1], "NUM---NUM42B");
  EXPECT_EQ(entries(run_script(d, "L lexi.zmb\ns *\n", sentence))[1].substr(0, 12), "ZZZ---ZZZ42b");
  // The simple mode gives an unknown word its class three times.
  std::string plain = "STR ------\n" + word("FLORP", "florp") + kEnd;
  EXPECT_EQ(entries(run_script(d, "1 lexi.zmb\ns *\n", plain))[1], "ZZZZZZZZZFLORP");
}

TEST(Zembu2Lexicon, DefaultEntriesOfUnknownWords) {
  scratch_dir d;
  d.mkdir("definitions");
  d.write("definitions/lexi.zmb", kLexicon);
  std::string sentence = "STR ------\n" + word("FLORP", "florp") + word("ZAP", "zap") +
                         word("ETC.", "etc.") + word("NASA", "NASA") + kEnd;
  auto e = entries(run_script(d, "l lexi.zmb\ns *\n", sentence));
  ASSERT_EQ(e.size(), 6u);
  EXPECT_EQ(e[1], "UUU*NAM---Snsflorp*SUN---SnsFlorp*VERB--VERflorp*ADJ---AD2florp");
  EXPECT_EQ(e[2], "NAM---Snszap");
  EXPECT_EQ(e[3], "NAM---Snsetc.");
  EXPECT_EQ(e[4], "NAM---SnsNASA");
}

TEST(Zembu2Lexicon, StemWithAnAdmissibleEnding) {
  scratch_dir d;
  d.mkdir("definitions");
  d.write("definitions/lexi.zmb", kLexicon);
  d.write("definitions/term.zmb", "-ING\nPRP------ VER\n");
  std::string sentence = "STR ------\n" + word("WALKING", "walking") + kEnd;
  std::string out = run_script(d, "0 term.zmb\nL lexi.zmb\ns *\n", sentence);
  auto e = entries(out);
  ASSERT_EQ(e.size(), 4u) << out;
  EXPECT_EQ(e[1], "VER---xxxgeh");
  EXPECT_EQ(e[2], "PRP-------ING");
  EXPECT_EQ(lines(out)[1].substr(0, 9), "VER WALK ");
  // A noun entry for the stem does not admit the ending.
  d.write("definitions/lexi.zmb", "WALK\nNOM---SnsSpaziergang\n");
  e = entries(run_script(d, "0 term.zmb\nL lexi.zmb\ns *\n", sentence));
  ASSERT_EQ(e.size(), 3u);
  EXPECT_EQ(e[1].substr(0, 16), "ZZZ---ZZZwalking");
}

// The class line that the analysis listing of a missing pattern-rule file shows.
std::string class_line_after(scratch_dir& d, const std::string& script, const std::string& tokens) {
  return zembu_test::shown_class_line(
      zembu_test::translate_tokens(d, "PROCEDURES\n" + script + "5 show.zmb\n", tokens, {},
                                   {"visible"})
          .trace);
}

TEST(Zembu2Lexicon, ShortTerminationsKeepThreeCharactersAWord) {
  scratch_dir d;
  d.mkdir("definitions");
  d.write("definitions/term.zmb", "-S\nX\n");
  d.write("definitions/lexi.zmb", "DOG\nNOU---SnsHund\nCAT\nNOU---SnsKatze\n");
  std::string tokens = "STR ------\n" + word("DOGS", "dogs") + word("CAT", "cat") + kEnd;
  EXPECT_EQ(class_line_after(d, "0 term.zmb\nL lexi.zmb\n", tokens), "ZZ_NOUX  NOUZZZ");
}

TEST(Zembu2Lexicon, MissingLexiconsAndFiles) {
  scratch_dir d;
  d.mkdir("definitions");
  std::string sentence = "STR ------\n" + word("HOUSE", "house") + kEnd;
  EXPECT_EQ(run_script(d, "L nothere.zmb\nR *\n", sentence), "House. \n");
  // An index without its record file stops the engine.
  d.write("definitions/big.ndx", "HO 0\n");
  const engine_run r = zembu_test::translate_tokens(d, "PROCEDURES\nL big\nR *\n", sentence);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.trace, "Fatal runtime Error\nLexicon file not open. Program stopped.\nENTER");
  EXPECT_EQ(d.read("pass2"), "");
  // Without an index the indexed lexicon is skipped.
  EXPECT_EQ(run_script(d, "L missing\nR *\n", sentence), "House. \n");
}

TEST(Zembu2Lexicon, WordFileOfUnknownWords) {
  scratch_dir d;
  d.mkdir("definitions");
  d.write("definitions/lexi.zmb", kLexicon);
  std::string sentence = "STR ------\n" + word("HOUSE", "house") + word("FLORP", "florp") +
                         word("WIBBLE", "wibble") + kEnd;
  run_script(d, "L lexi.zmb\nS *\n", sentence);
  run_script(d, "l lexi.zmb\nS *\n", sentence);
  // The full stop stays unknown where it keeps its token entry, and is a name otherwise.
  EXPECT_EQ(d.read("zembu.wor"), "FLORP\nWIBBLE\n.\nFLORP\nWIBBLE\n");
}

TEST(Zembu2Lexicon, TextAndIndexedFormsTranslateAlike) {
  scratch_dir d;
  std::string lexicon;
  for (int i = 0; i < 3000; ++i) {
    std::string key = "W" + std::to_string(i * 7919 % 3000);
    lexicon += key + "\nNOM---Snsw" + std::to_string(i * 7919 % 3000) + "\n";
  }
  lexicon += kLexicon;
  d.mkdir("definitions");
  d.write("definitions/lexi.zmb", lexicon);
  run_result b = d.run("makelexi", {"definitions/lexi.zmb", "definitions/lexi"});
  ASSERT_EQ(b.status, 0) << b.out;
  d.mkdir("crypt");
  b = d.run("makelexi", {"CRYPT", "definitions/lexi.zmb", "crypt/"});
  ASSERT_EQ(b.status, 0) << b.out;
  std::string sentence = "STR ------\n" + word("THE", "the") + word("W17", "w17") +
                         word("W2999", "w2999") + word("CANNOT", "cannot") + word("MULTI", "multi") +
                         word("NOTHERE", "nothere") + word("WALK", "walk") + kEnd;
  std::string text = run_script(d, "l lexi.zmb\ns *\n", sentence);
  std::string indexed = run_script(d, "l lexi\ns *\n", sentence);
  EXPECT_EQ(indexed, text);
  EXPECT_NE(text.find("NOM---Snsw2999"), std::string::npos);
  // The enciphered form: scrambled script, index and records.
  d.write("definitions/exec.zmb", "PROCEDURES\nl lexi\ns *\n");
  ASSERT_EQ(d.run("zembucrypt", {"lines", "definitions/exec.zmb", "crypt/zembu.000"}).status, 0);
  run_result r = d.run("zembu2", {"SHELLCRYPT", "crypt/", "pass3", "pass2"});
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(d.read("pass2"), text);
}

TEST(Zembu2Lexicon, CompiledRuleSourceGivesGermanWords) {
  scratch_dir d;
  ASSERT_EQ(zembu_test::compile_rules(d,
          "; a small lexicon\n"
          "LEXICON\n"
          "d = DET---xxx\nn = NOM---Sns\nv = VER---xxx\na = ADJ---xxx\n"
          "the d das\nhouse n Haus\nis v ist\nred a rot\n"
          "-----\n"
          "USER LEXICON\n"
          "n = NOM---Sns\n"
          "garden n Garten\n"
          "-----\n"
          "AGGLUTINATION\n"
          "-----\n").out,
            "");
  EXPECT_EQ(zembu_test::run_pipeline(d, "The house is red."), "Das Haus ist rot. \n");
  EXPECT_EQ(zembu_test::run_pipeline(d, "The red garden."), "Das rot Garten. \n");
}

TEST(Zembu2Lexicon, BadLexiconFilesAreHarmless) {
  scratch_dir d;
  d.mkdir("definitions");
  std::string sentence = "STR ------\n" + word("HOUSE", "house") + word("HOP", "hop") + kEnd;
  // Index lines without blanks or with huge numbers, a record file shorter than the index
  // claims, records whose length bytes exceed their fields.
  d.write("definitions/bad.ndx", "noblank\nZZ 99999999999999\nHO 5\nHA 2000000000\n-- -7\n");
  std::string rec(256, '\xee');
  d.write("definitions/bad.dat", rec + rec + rec);
  engine_run r = zembu_test::translate_tokens(d, "PROCEDURES\nl bad\nL bad\n1 bad\ns *\n", sentence);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(lines(r.result).size(), 4u);
  // A text lexicon of binary bytes and an entry without a class.
  std::string junk;
  for (int i = 0; i < 3000; ++i) junk += static_cast<char>(i * 31 % 256);
  d.write("definitions/junk.zmb", junk + "\nHOUSE\n\nHOP");
  r = zembu_test::translate_tokens(d, "PROCEDURES\nl junk.zmb\nL junk.zmb\ns *\n", sentence);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(lines(r.result).size(), 4u);
}

}  // namespace
