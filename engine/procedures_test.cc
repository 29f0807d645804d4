#include "engine/procedures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "engine/scratch_dir_fixture.h"
#include "engine/translat.h"
#include "engine/wordtable.h"

namespace zembu::engine {
namespace {

std::unique_ptr<engine_state> with_script(const std::string& text, const std::string& modus = "") {
  auto eng = std::make_unique<engine_state>();
  eng->settings.modus = modus;
  eng->settings.show_listing = false;
  eng->settings.shell_mode = true;
  linereader script(text);
  read_script(*eng, script);
  return eng;
}

TEST(Script, HeadKeywords) {
  auto eng = with_script(
      "INTRO Please enter sentences:\nMODUS COMPUTER only first letter\nmodus x\n"
      "leavenames\nKEYBOARD j\nPROCEDURES\nL lexi.zmb       lexicon\n");
  EXPECT_EQ(eng->settings.intro_text, "Please enter sentences:");
  EXPECT_EQ(eng->settings.modus, "CX");
  EXPECT_TRUE(eng->settings.external_input);
  EXPECT_EQ(dump_procedures(*eng), "L|lexi.zmb|lexicon\n");

  auto rtl = with_script("KEYBOARD A\nMARKUPPER\nPROCEDURES\n");
  EXPECT_TRUE(rtl->settings.right_to_left);
  auto off = with_script("KEYBOARD J\nKEYBOARD D\nPROCEDURES\n");
  EXPECT_FALSE(off->settings.external_input);
}

TEST(Script, ProcedureLinesAndTheirFields) {
  auto eng = with_script(
      "PROCEDURES\n"
      "' a comment\n"
      "\n"
      "S *              show with part of speech\n"
      "6 restart        re-iterate if changes were made\n"
      "R\n"
      "E func.zmb\n"
      "4 " + std::string(40, 'n') + " " + std::string(100, 'a') + "  \n");
  EXPECT_EQ(dump_procedures(*eng),
            "S|*|show with part of speech\n"
            "6|restart|re-iterate if changes were made\n"
            "R||\n"
            "E|func.zmb|\n"
            "4|" + std::string(30, 'n') + "|" + std::string(80, 'a') + "\n");
}

TEST(Script, IfAndIfNotSelectByModus) {
  const std::string script =
      "PROCEDURES\nIF NOT Q 4 synt2.zmb\nIF QX 5 comp1.zmb\nif q 7 flex.zmb\n"
      "IF NOT Z IF Q 2 both.zmb\nIF NOLETTERS\nIF NOT\n";
  EXPECT_EQ(dump_procedures(*with_script(script)), "4|synt2.zmb|\n");
  EXPECT_EQ(dump_procedures(*with_script(script, "Q")), "7|flex.zmb|\n2|both.zmb|\n");
  EXPECT_EQ(dump_procedures(*with_script(script, "QX")),
            "5|comp1.zmb|\n7|flex.zmb|\n2|both.zmb|\n");
  EXPECT_EQ(dump_procedures(*with_script(script, "QZ")), "7|flex.zmb|\n");
}

TEST(Script, BoundsAndMissingProceduresLine) {
  auto none = with_script("INTRO hello\nL lexi.zmb\n");
  EXPECT_EQ(none->procedure_count, 0);
  EXPECT_EQ(none->settings.intro_text, "hello");
  std::string many = "PROCEDURES\n";
  for (int i = 0; i < 1000; ++i) many += "Z z" + std::to_string(i) + "\n";
  auto full = with_script(many);
  EXPECT_EQ(full->procedure_count, max_procedures);
  EXPECT_EQ(full->procedures[250].name, "z249");
  auto garbage = with_script(std::string("PROCEDURES\n\xff\x01\x02\n\x00 x\nI\nIF \n", 25));
  EXPECT_EQ(garbage->procedure_count, 3);
}

TEST(Script, LinesBeyondTheTableAreCountedNotKept) {
  std::string text = "PROCEDURES\n";
  for (int i = 0; i < max_procedures; ++i) text += "Z z" + std::to_string(i) + "\n";
  auto eng = std::make_unique<engine_state>();
  linereader exact(text);
  EXPECT_EQ(read_script(*eng, exact), max_procedures);
  // Comments and lines the modus drops are no procedure lines, beyond the table too; a
  // termination file beyond it is not loaded.
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "zembu_script_count";
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "term.zmb") << "+S\n";
  eng->settings.definitions_path = dir.string() + "/";
  text += "' comment\nIF Q 4 synt9.zmb\n0 term.zmb\nIF NOT Q 7 flex.zmb\n";
  linereader longer(text);
  EXPECT_EQ(read_script(*eng, longer), max_procedures + 2);
  EXPECT_EQ(eng->procedure_count, max_procedures);
  EXPECT_EQ(eng->procedures[max_procedures].name, "z249");
  EXPECT_EQ(eng->suffix_count, 0);
  linereader first("PROCEDURES\n0 term.zmb\n");  // the same line within the table loads
  EXPECT_EQ(read_script(*eng, first), 1);
  EXPECT_EQ(eng->suffix_count, 1);
  std::filesystem::remove_all(dir);
}

TEST(Script, EncipheredScriptIsUnscrambled) {
  engine_settings crypt;
  crypt.plain_definitions = false;
  std::string text;
  for (std::string line : {"INTRO Hallo", "PROCEDURES", "R *"}) {
    scramble_line(crypt, line);
    text += line + "\n";
  }
  auto eng = std::make_unique<engine_state>();
  eng->settings.plain_definitions = false;
  linereader script(text);
  read_script(*eng, script);
  EXPECT_EQ(eng->settings.intro_text, "Hallo");
  EXPECT_EQ(dump_procedures(*eng), "R|*|\n");
}

TEST(Script, VerbFileNames) {
  engine_settings st;
  EXPECT_EQ(verb_file_name(st, "verbs.zmb", 1), "verbs1.zmb");
  EXPECT_EQ(verb_file_name(st, "VERBS.ZMB", 2), "VERBS2.ZMB");
  EXPECT_EQ(verb_file_name(st, "verbs", 2), "verbs2");
  st.plain_definitions = false;
  EXPECT_EQ(verb_file_name(st, "zembu.017", 1), "zembu.017");
  EXPECT_EQ(verb_file_name(st, "zembu.017", 2), "zembu.018");
  EXPECT_EQ(verb_file_name(st, "zembu.099", 2), "zembu.100");
  EXPECT_EQ(verb_file_name(st, "zembu", 2), "zembu");
}

using LoadedTables = InScratchDir;

TEST_F(LoadedTables, TerminationFile) {
  write("term.zmb", "+ing\n-ED\nVER------past\nUN-ABLE\nADJ\n+s\n");
  auto eng = with_script("PROCEDURES\n0 term.zmb       terminations\n");
  ASSERT_EQ(eng->suffix_count, 2);
  EXPECT_EQ(eng->suffixes[1], "ING");
  EXPECT_EQ(eng->suffixes[2], "S");
  ASSERT_EQ(eng->termination_count, 2);
  EXPECT_EQ(eng->terminations[1].first, "");
  EXPECT_EQ(eng->terminations[1].second, "ED");
  EXPECT_EQ(eng->terminations[1].third, "VER------past");
  EXPECT_EQ(eng->terminations[1].fourth, "");
  EXPECT_EQ(eng->terminations[2].first, "UN");
  EXPECT_EQ(eng->terminations[2].second, "ABLE");
  EXPECT_EQ(eng->terminations[2].third, "ADJ");
  write("term.zmb", "ly\nADV------ ADJ\n");
  auto nodash = with_script("PROCEDURES\n0 term.zmb\n");
  EXPECT_EQ(nodash->terminations[1].first, "");
  EXPECT_EQ(nodash->terminations[1].second, "LY");
  EXPECT_EQ(nodash->terminations[1].third, "ADV------");
  EXPECT_EQ(nodash->terminations[1].fourth, "ADJ");
}

TEST_F(LoadedTables, TerminationTableStopsAt600) {
  std::string text;
  for (int i = 0; i < 700; ++i) text += "-E" + std::to_string(i) + "\nX y\n";
  text += "+LATE\n";
  write("term.zmb", text);
  auto eng = with_script("PROCEDURES\n0 term.zmb\n");
  EXPECT_EQ(eng->termination_count, max_terminations);
  EXPECT_EQ(eng->suffix_count, 0);
}

TEST_F(LoadedTables, VerbPatternFiles) {
  write("verbs1.zmb", "1 NOM-AKK\n2 " + std::string(20, 'P') + "\nnoblank\n");
  write("verbs2.zmb", "1 ABCDE\n");
  auto eng = with_script("PROCEDURES\nV verbs.zmb\nv missing.zmb\n");
  const vp_set& vp = eng->verb_patterns[1];
  ASSERT_EQ(vp.pattern_count, 3);
  EXPECT_EQ(vp.patterns[0], "NOM-AKK");
  EXPECT_EQ(vp.patterns[1], std::string(10, 'P'));
  EXPECT_EQ(vp.patterns[2], "noblank");
  ASSERT_EQ(vp.code_count, 1);
  EXPECT_EQ(vp.codes[0], "ABC");
  EXPECT_EQ(eng->verb_patterns[2].pattern_count, 0);
}

std::string sentence_of(engine_state& eng, const std::string& tokens) {
  linereader f(tokens);
  eng.table.word_count = 0;
  strtomaxi("", eng.table.class_line);
  read_token_sentence(eng, f, 100);
  return dump_word_table(eng);
}

TEST(RunTime, SuffixesSplitOffTheSourceForms) {
  auto eng = with_script("PROCEDURES\n0 *\n");
  eng->suffixes[1] = "S";
  eng->suffixes[2] = "ING";
  eng->suffix_count = 2;
  sentence_of(*eng, "STR ------\nZZZ WALKINGS \xffZZZ---ZZZwalkings\nZZZ S \xffZZZ---ZZZs\n");
  split_suffixes(*eng);
  EXPECT_EQ(eng->table.word_count, 5);
  EXPECT_EQ(eng->table.originals[2], "WALK");
  EXPECT_EQ(eng->table.originals[3], "ING");
  EXPECT_EQ(eng->table.words[3], "ING");
  EXPECT_EQ(eng->table.originals[4], "S");
  EXPECT_EQ(eng->table.originals[5], "S");
  EXPECT_EQ(eng->table.class_line.text, "STRZZZZZZZZZZZZ");
}

TEST(RunTime, AnEmptySuffixSplitsNothing) {
  auto eng = with_script("PROCEDURES\n0 *\n");
  eng->suffixes[1] = "";
  eng->suffixes[2] = "S";
  eng->suffix_count = 2;
  sentence_of(*eng, "STR ------\nZZZ WALKS \xffZZZ---ZZZwalks\nSEN .\n");
  split_suffixes(*eng);
  EXPECT_EQ(eng->table.word_count, 4);
  EXPECT_EQ(eng->table.originals[2], "WALK");
  EXPECT_EQ(eng->table.originals[3], "S");
  EXPECT_EQ(eng->table.originals[4], ".");
  EXPECT_EQ(eng->table.class_line.text, "STRZZZZZZSEN");
}

TEST(RunTime, RestartRepeatsUntilTheClassLineSettles) {
  // 6 restarts behind G while the class line keeps changing; a changing line that
  // never settles stops after the restart limit.
  auto eng = with_script("PROCEDURES\nG restart\nZ *\n6 restart\n");
  sentence_of(*eng, "STR ------\nSEN .\n");
  run_procedures(*eng);
  EXPECT_EQ(eng->current, eng->procedure_count + 1);
}

class PerWordFiles : public InScratchDir {};

TEST_F(PerWordFiles, TheProcedureGoesByItsLastFileAndARestartFindsItSo) {
  // C runs IN.ZMC for the word marked "@" and goes by that name from then on: the restart
  // to IN.ZMC continues behind it, so the syntax rules run again on what the pattern rule
  // made. Without a procedure of that name the restart finds its own entry and ends.
  write("synt.zmb", "XYZ\nQQQ\n\n");
  write("comp.zmb", "1 +\nPRP\nSXYZ\n");
  const std::string script = "PROCEDURES\nC *\nA synt.zmb\n5 comp.zmb\n6 IN.ZMC\n";
  auto eng = with_script(script);
  sentence_of(*eng, "STR ------\nPRP IN \xffPRP---xxx@in\nSEN .\n");
  run_procedures(*eng);
  EXPECT_EQ(eng->table.class_line.text, "STRQQQSEN");
  EXPECT_EQ(dump_procedures(*eng), "C|*|\nA|synt.zmb|\n5|comp.zmb|\n6|IN.ZMC|\n");
  // A C procedure that found no marked word keeps its own name.
  auto plain = with_script(script);
  sentence_of(*plain, "STR ------\nPRP IN \xffPRP---xxxin\nSEN .\n");
  run_procedures(*plain);
  EXPECT_EQ(plain->table.class_line.text, "STRXYZSEN");
}

}  // namespace
}  // namespace zembu::engine
