// The procedure steps run on rule text held in memory: syntax rules, function words,
// idioms (text and records), pattern rules, inflection, lexicon search, unknown-word
// endings, change pairs and separable prefixes, each seen in the word table, the class line
// and the rules the explain trace notes under the file's name.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/disconti.h"
#include "engine/flexion.h"
#include "engine/idiome.h"
#include "engine/lexikon2.h"
#include "engine/rule_file.h"
#include "engine/syntax.h"
#include "engine/translat.h"

namespace zembu::engine {
namespace {

// An engine whose sentence holds the given "SOURCE=entry" words, the class line following
// the entries, with the explain trace noting the rules that fire.
std::unique_ptr<engine_state> sentence(const std::vector<std::string>& specs) {
  auto eng = std::make_unique<engine_state>();
  eng->settings.definitions_path = "/nonexistent/";
  eng->settings.explain = true;
  for (const std::string& spec : specs) {
    const size_t eq = spec.find('=');
    ++eng->table.word_count;
    eng->table.originals[eng->table.word_count] = spec.substr(0, eq);
    eng->table.words[eng->table.word_count] = spec.substr(eq + 1);
    std::string sym = spec.substr(eq + 1, 3);
    sym.resize(3, ' ');
    lappend(eng->table.class_line, sym);
  }
  return eng;
}

// The entries of the words, one after the other.
std::string entries(const engine_state& eng) {
  std::string out;
  for (int i = 1; i <= eng.table.word_count; ++i) out += eng.table.words[i].str() + " ";
  return out;
}

// The rules the explain trace noted, "file first-last" each.
std::string fired(const engine_state& eng) {
  std::string out;
  for (const fired_rule& r : eng.fired) {
    out += r.file + " " + std::to_string(r.first) + "-" + std::to_string(r.last) + "; ";
  }
  return out;
}

const std::vector<std::string> kDasHaus = {"DAS=DET---Sdsdas", "HAUS=NOU---SnsHaus",
                                           ".=SEN------."};

TEST(SyntaxStep, RulesAndFunctionWordsFromMemory) {
  auto eng = sentence(kDasHaus);
  init_analysis(*eng);
  // The two places become one, the function word DEF in front of the noun.
  run_syntax_rules(*eng, rule_text("synt1.zmb", "DETNOU\nNP_\nDEF002\n"), false);
  EXPECT_EQ(eng->table.class_line.text, "NP_SEN");
  EXPECT_EQ(fired(*eng), "synt1.zmb 1-3; ");
  eng->fired.clear();
  flatten_analysis(*eng, rule_text("func.zmb", "XYZ\naux---auxdat\nDEF\nART------der\n"));
  EXPECT_EQ(entries(*eng), "ART------der NOU---SnsHaus SEN------. ");
  EXPECT_EQ(fired(*eng), "func.zmb 3-4; ");
}

TEST(SyntaxStep, OnlyAChangeStartsTheFileAgainAndCutRulesAreLeftOut) {
  auto eng = sentence(kDasHaus);
  init_analysis(*eng);
  // DET -> DET fires without a change; NOU -> NNN changes the line, so the file starts
  // again and rule 1 fires a second time.
  run_syntax_rules(*eng, rule_text("synt1.zmb", "DET\nDET\n001\nNOU\nNNN\n001\n"), false);
  EXPECT_EQ(eng->table.class_line.text, "DETNNNSEN");
  EXPECT_EQ(fired(*eng), "synt1.zmb 1-3; synt1.zmb 4-6; synt1.zmb 1-3; ");
  // A rule that the end of the text cuts off is not applied.
  run_syntax_rules(*eng, rule_text("synt2.zmb", "DET\nART\n"), false);
  EXPECT_EQ(eng->table.class_line.text, "DETNNNSEN");
}

// A rule not found leaves the captures of the last place its search tried, a pattern longer
// than the class line none; a rule found after it puts in its own.
TEST(SyntaxStep, CapturesOfRulesNotFound) {
  auto eng = sentence(kDasHaus);
  init_analysis(*eng);
  run_syntax_rules(*eng, rule_text("synt1.zmb", "X.Y\nZZZ\n001\nDETNOUSENDET\nZZZ\n001\n"), false);
  EXPECT_EQ(std::string(eng->captures.begin() + 1, eng->captures.end()), "E         ");
  run_syntax_rules(*eng, rule_text("synt2.zmb", "X.Y\nZZZ\n001\nN.U\nN.U\n001\nQ..\nZZZ\n001\n"),
                   false);
  EXPECT_EQ(eng->table.class_line.text, "DETNOUSEN");
  EXPECT_EQ(std::string(eng->captures.begin() + 1, eng->captures.end()), "EN        ");
  EXPECT_EQ(fired(*eng), "synt2.zmb 4-6; ");
  run_syntax_rules(*eng, rule_text("synt3.zmb", "X.Y\nZZZ\n001\nN.U\nN.U\n001\n"), false);
  EXPECT_EQ(std::string(eng->captures.begin() + 1, eng->captures.end()), "O         ");
}

TEST(IdiomStep, TextRulesFromMemory) {
  auto eng =
      sentence({"IN=PRP---xxxin", "NEW=ADJ---xxxneu", "YORK=SUB---SnsYork", ".=SEN------."});
  run_idioms(*eng, rule_text("idio1.zmb",
                             "NEW YORK   ; the city\nR*NEW_YORK=NAM---SnsNew_York D\n"
                             "#PRP 1#NAM\n0 B*DER=DET---xxxder\n"));
  EXPECT_EQ(entries(*eng), "PRP---xxxin DET---xxxder NAM---SnsNew_York SEN------. ");
  EXPECT_EQ(fired(*eng), "idio1.zmb 1-2; idio1.zmb 3-4; ");
}

TEST(IdiomStep, RecordsFromMemory) {
  const rule_file records = rule_text(
      "idio.rec", encode_idiom_record("NOTHING HERE", "D") +
                      encode_idiom_record("KICK THE BUCKET", "R*KICK=VER---xxxsterben E E"));
  auto eng = sentence({"KICK=VER---xxxtreten", "THE=DET---xxxden", "BUCKET=SUB---SnsEimer",
                       ".=SEN------."});
  eng->table.extras[1] = "1";
  run_indexed_idioms(*eng, records);
  EXPECT_EQ(entries(*eng), "VER---xxxsterben SEN------. ");
  EXPECT_EQ(fired(*eng), "idio.rec 2-2; ");
  // A record number beyond the text and an extras entry that is no number do nothing.
  eng = sentence({"KICK=VER---xxxtreten", "THE=DET---xxxden", ".=SEN------."});
  eng->table.extras[1] = "99";
  eng->table.extras[2] = "x";
  run_indexed_idioms(*eng, records);
  EXPECT_EQ(entries(*eng), "VER---xxxtreten DET---xxxden SEN------. ");
  EXPECT_EQ(fired(*eng), "");
}

TEST(PatternStep, RulesFromMemoryStartAgainAfterEveryFiring) {
  auto eng = sentence({"NOU=NOU------nou", "ADJ=ADJ------adj", "ADJ=ADJ------adj", ".=SEN------."});
  init_analysis(*eng);
  // After the first firing the rules are read from the first again: both adjectives change.
  run_complex_rules(*eng, rule_text("comp1.zmb", "1 +\nADJ\nSXYZ\n"));
  EXPECT_EQ(eng->table.class_line.text, "NOUXYZXYZSEN");
  EXPECT_EQ(fired(*eng), "comp1.zmb 1-3; comp1.zmb 1-3; ");
  eng = sentence({"AAA=AAA------aaa", ".=SEN------."});
  init_analysis(*eng);
  run_complex_rules(*eng, rule_text("comp2.zmb", "1 +\nBBB\nSCCC\n1 +\nAAA\nSBBB\n"));
  EXPECT_EQ(eng->table.class_line.text, "CCCSEN");
  EXPECT_EQ(fired(*eng), "comp2.zmb 4-6; comp2.zmb 1-3; ");
}

TEST(InflectionStep, EntriesFromMemory) {
  auto eng = sentence({"MUSEUM=NOU---SnxMuseum"});
  // The first entry whose class pattern fits decides; an empty action changes nothing.
  inflect_words(*eng, rule_text("flex.zmb", "Snx\nxxx\n<2en\nSn.\n\n\nSnx\n\n<2en\n"));
  EXPECT_EQ(entries(*eng), "NOU---SnxMuseum ");
  EXPECT_EQ(fired(*eng), "flex.zmb 4-6; ");
  eng = sentence({"MUSEUM=NOU---SnxMuseum"});
  inflect_words(*eng, rule_text("flex.zmb", "Snx\n\n<2en\n"));
  EXPECT_EQ(entries(*eng), "NOU---SnxMuseen ");
  // The next feature word chooses the entry.
  eng = sentence({"HUND=NOU---SnxHund", "AUX=aux---auxdat sgl", "HUND=NOU---SnxHund",
                  "AUX=aux---auxplu dat"});
  inflect_words(*eng, rule_text("flex.zmb", "Snx\ndatplu\nn\nSnx\ndat\ne\n"));
  EXPECT_EQ(eng->table.words[1], "NOU---SnxHunde");
  EXPECT_EQ(eng->table.words[3], "NOU---SnxHundn");
}

TEST(InflectionStep, FileParsedOnceUntilItChanges) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "zembu_flex_kept";
  std::filesystem::create_directories(dir);
  const std::filesystem::path file = dir / "flex.zmb";
  std::ofstream(file, std::ios::trunc) << "Snx\n\n<2en\n";
  auto eng = sentence({"MUSEUM=NOU---SnxMuseum", "AUX=aux---auxdat"});
  eng->settings.definitions_path = dir.string() + "/";
  inflect_words(*eng, named_rule_file("flex.zmb"));
  EXPECT_EQ(eng->table.words[1], "NOU---SnxMuseen");
  // The same engine meets the changed file: its new entries count.
  std::ofstream(file, std::ios::trunc) << "Sn.\ndat\nen\nSnx\n\n<2en\n";
  eng->table.words[1] = "NOU---SnxMuseum";
  inflect_words(*eng, named_rule_file("flex.zmb"));
  EXPECT_EQ(eng->table.words[1], "NOU---SnxMuseumen");
  EXPECT_EQ(fired(*eng), "flex.zmb 1-3; flex.zmb 1-3; ");
  std::filesystem::remove_all(dir);
}

TEST(LexiconSteps, LexiconAndPrefixListFromMemory) {
  auto eng = sentence({"CALL=ZZZ---ZZZcall", ".=ZZZ---ZZZ."});
  lexicon_search(*eng, rule_text("lexi", "CALL\nVER---xxxan+rufen#7\n.\nSEN------.\n"),
                 searchmodus::forsecond);
  EXPECT_EQ(entries(*eng), "VER---xxxan+rufen#7 SEN------. ");
  EXPECT_EQ(fired(*eng), "lexi 1-2; lexi 3-4; ");
  eng->fired.clear();
  split_prefix(*eng, rule_text("pre.zmb", "PAR---xxxAB\nPTC---xxxAN\n"));
  EXPECT_EQ(entries(*eng), "PTC---xxxAN VER---xxxrufen SEN------. ");
  EXPECT_EQ(eng->table.extras[2], "7");
  EXPECT_EQ(fired(*eng), "pre.zmb 2-2; ");
}

TEST(LexiconSteps, EndingRulesAndChangePairsFromMemory) {
  auto eng = sentence({"QUICKLY=ZZZ---ZZZquickly", "ZAP=ZZZ---ZZZzap"});
  load_change_pairs(*eng, rule_text("pairs.zmb", "lich\nlig\n"));
  analyse_unknown_endings(*eng, rule_text("chang.zmb", "LY * ADV\nADJ---xxx#lich\n"));
  EXPECT_EQ(entries(*eng), "ADJ---xxxquicklig _UU------_UU ADV------ ZZZ---ZZZzap _UU------_UU ");
  EXPECT_EQ(fired(*eng), "chang.zmb 1-2; ");
}

}  // namespace
}  // namespace zembu::engine
