#include "engine/resultline.h"

#include <gtest/gtest.h>

#include <memory>

#include "engine/wordtable.h"

namespace zembu::engine {
namespace {

// An engine whose word table holds entries of the given texts (class TXT).
std::unique_ptr<engine_state> with_texts(const std::vector<std::string>& texts) {
  auto eng = std::make_unique<engine_state>();
  eng->settings.show_listing = false;
  eng->table.word_count = 0;
  for (const std::string& t : texts) {
    ++eng->table.word_count;
    eng->table.words[eng->table.word_count] = "TXT------" + t;
    eng->table.originals[eng->table.word_count] = "SRC" + std::to_string(eng->table.word_count);
  }
  return eng;
}

std::string result_of(const std::vector<std::string>& texts,
                      wortartenanzeige c = wortartenanzeige::ohne_wortart,
                      ausgabesprache g = ausgabesprache::uebersetzt) {
  auto eng = with_texts(texts);
  build_result_line(*eng, c, g);
  return eng->result_line.text;
}

TEST(ResultLine, CleanUpAndInitialCapital) {
  EXPECT_EQ(result_of({"das", "Haus", "ist", "rot", "."}), "Das Haus ist rot. ");
  EXPECT_EQ(result_of({"3", "+", "4"}), "3 + 4 ");
  EXPECT_EQ(result_of({"Auto+bahn"}), "Autobahn ");
  // A "+" at the end of a text touches a blank on its right, so it is kept.
  EXPECT_EQ(result_of({"Auto+", "bahn"}), "Auto+ bahn ");
  EXPECT_EQ(result_of({",", "und", "so"}), "Und so ");
  EXPECT_EQ(result_of({"(", "ja", ")", ",", "nein", "?", "."}), "(ja), nein? ");
  EXPECT_EQ(result_of({"a", "-", "b", ",", ",", "c", ",", "."}), "A-b, c. ");
  EXPECT_EQ(result_of({"x", "//", "y", "\\\\", "z\xfew"}), "Xy-z w ");
  EXPECT_EQ(result_of({"\x84pfel"}), "\x8epfel ");
  EXPECT_EQ(result_of({"\xe1" "a"}), "SSa ");
  EXPECT_EQ(result_of({}), "");
}

TEST(ResultLine, ClassesAndLanguages) {
  EXPECT_EQ(result_of({"das", "Haus", "."}, wortartenanzeige::mit_wortart),
            "TXT_ das TXT_ Haus TXT_ . ");
  EXPECT_EQ(result_of({"das", "Haus"}, wortartenanzeige::ohne_wortart,
                      ausgabesprache::originalsprache),
            "SRC1 SRC2 ");
  auto eng = with_texts({"a", "b", "c", "d", "e"});
  eng->table.words[1] = "ZZ_START";
  eng->table.originals[1] = "ZZ_START";
  eng->table.words[2] = "aux------hidden";
  eng->table.words[3] = "ENO------silent";
  eng->table.words[4] = "STR------s";
  build_result_line(*eng, wortartenanzeige::mit_wortart, ausgabesprache::uebersetzt);
  EXPECT_EQ(eng->result_line.text, "ZZ__ ENO_ s TXT_ e ");
  build_result_line(*eng, wortartenanzeige::ohne_wortart, ausgabesprache::originalsprache);
  EXPECT_EQ(eng->result_line.text, "SRC3 SRC4 SRC5 ");
}

TEST(ResultLine, CapacityIsKept) {
  std::vector<std::string> many(max_words, std::string(20, 'w'));
  EXPECT_EQ(result_of(many).size(), maxi_capacity);
}

TEST(WordLists, CoarseLabels) {
  engine_settings st;
  EXPECT_EQ(coarse_label(st, "POS"), "Adj");
  EXPECT_EQ(coarse_label(st, "DET"), "Det");
  EXPECT_EQ(coarse_label(st, "QUE"), "Que");
  EXPECT_EQ(coarse_label(st, "MOD"), "Ver");
  EXPECT_EQ(coarse_label(st, "MOR"), "Adj");
  EXPECT_EQ(coarse_label(st, "SOx"), "Pro");
  EXPECT_EQ(coarse_label(st, "SEN"), "");
  EXPECT_EQ(coarse_label(st, "SUB"), "Sub");
  EXPECT_EQ(coarse_label(st, "NAM"), "Sub");
  EXPECT_EQ(coarse_label(st, "CON"), "Con");
  EXPECT_EQ(coarse_label(st, "PRE"), "Pre");
  EXPECT_EQ(coarse_label(st, "XYZ"), "Xyz");
}

template <typename F>
std::string stdout_of(F f) {
  std::fflush(stdout);
  testing::internal::CaptureStdout();
  f();
  std::fflush(stdout);
  return testing::internal::GetCapturedStdout();
}

TEST(WordLists, SourceWordsWithClassesAndTranslatedTexts) {
  auto eng = with_texts({"das", "Haus", "x"});
  eng->table.words[1] = "DET------das";
  eng->table.words[2] = "SUB------Haus";
  eng->table.words[3] = "SEN------.";
  eng->table.originals[1] = "THE";
  eng->table.originals[2] = "_HOUSE";
  eng->table.originals[3] = ".";
  EXPECT_EQ(stdout_of([&] { word_list_classes(*eng); }), "THE <Det> HOUSE <Sub> . \n");
  EXPECT_EQ(stdout_of([&] { word_list_texts(*eng); }), "Das Haus . \n");
  auto many = with_texts(std::vector<std::string>(20, "abcdefgh"));
  std::string out = stdout_of([&] { word_list_texts(*many); });
  EXPECT_EQ(out.substr(0, out.find('\n')).size(), 72u);  // eight pieces of nine
}

TEST(AnalysisListing, ResultFileLinesAndDisplay) {
  auto eng = with_texts({"a", "b", "c"});
  eng->settings.show_output = true;
  eng->sentence_label = "LBL";
  eng->table.words[1] = "STR------";
  eng->table.originals[1] = "";
  eng->table.words[2] = "NOM---SnsHaus";
  eng->table.originals[2] = "HOUSE";
  eng->table.words[3] = "SEN------.";
  eng->table.originals[3] = ".";
  EXPECT_EQ(stdout_of([&] { analysis_listing(*eng); }), "house<NOM> . \n\n");
  EXPECT_EQ(eng->result_line.text, "");
}

}  // namespace
}  // namespace zembu::engine
