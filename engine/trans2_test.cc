#include "engine/trans2.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/scratch_dir_fixture.h"

namespace zembu::engine {
namespace {

engine_settings configured(const std::string& cfg_text) {
  engine_settings st;
  linereader cfg(cfg_text);
  read_config(st, cfg);
  return st;
}

TEST(Config, DefaultsStandWithoutAFile) {
  engine_settings st = configured("");
  EXPECT_FALSE(st.visible);
  EXPECT_TRUE(st.discard_terminations);
  EXPECT_TRUE(st.keep_names);
  EXPECT_FALSE(st.show_analysis);
  EXPECT_TRUE(st.list_analysis);
  EXPECT_TRUE(st.show_listing);
  EXPECT_FALSE(st.show_config);
  EXPECT_EQ(st.definitions_path, "definitions/");
  EXPECT_EQ(st.listing_name, "zembu.lst");
  EXPECT_EQ(st.word_file_name, "zembu.wor");
  EXPECT_EQ(st.intro_text,
            "Zembu \x9a" "bersetzungsprogramm. Bitte englische S\x84" "tze eingeben!");
}

TEST(Config, TheLastTruthWordFoundDecides) {
  EXPECT_FALSE(configured("show listing FALSE\n").show_listing);
  EXPECT_FALSE(configured("show listing 0 TRUE\n").show_listing);
  EXPECT_TRUE(configured("show listing FALSE 1\n").show_listing);
  EXPECT_TRUE(configured("show analysis\n").show_analysis);
  EXPECT_TRUE(configured("show analysis true\n").show_analysis);
  EXPECT_FALSE(configured("keep names false\n").keep_names);
  EXPECT_TRUE(configured("keep names false\nkeep names\n").keep_names);
  EXPECT_TRUE(configured("SHOW CONFIG 1\n").show_config);
  EXPECT_TRUE(configured("old file mode\n").old_file_mode);
  EXPECT_FALSE(configured("discard terminations 0\n").discard_terminations);
  EXPECT_TRUE(configured("show only symbols\n").show_only_symbols);
  EXPECT_FALSE(configured("list analysis FALSE\n").list_analysis);
  EXPECT_FALSE(configured("show init 0\n").show_init);
  // The truth words count only on a line that starts with the key.
  EXPECT_TRUE(configured("listing FALSE\n").show_listing);
}

TEST(Config, CommentsAndGarbageAreHarmless) {
  engine_settings st = configured(
      " show listing FALSE\n'show listing FALSE\n;show listing FALSE\n\n"
      "garbage \xff\x01 line\n" + std::string(400, 'x') + "\nshow analysisTRUE\n");
  EXPECT_TRUE(st.show_listing);
  EXPECT_TRUE(st.show_analysis);  // the key alone turns it on; "TRUE" needs its blank
  EXPECT_EQ(st.definitions_path, "definitions/");
}

TEST(Config, ModusLettersAccumulate) {
  EXPECT_EQ(configured("MODUS Q\nmodus x rest\nMODUS \n").modus, "QX");
  engine_settings st;
  st.modus = "OLD";
  linereader cfg(std::string("MODUS A\n"));
  read_config(st, cfg);
  EXPECT_EQ(st.modus, "A");
}

TEST(Config, PathKeyNeedsUpperCaseWhenTheLineHasASlash) {
  EXPECT_EQ(configured("path definitions2/\n").definitions_path, "definitions/");
  EXPECT_EQ(configured("PATH definitions2/\n").definitions_path, "definitions2/");
  EXPECT_EQ(configured("path defs\n").definitions_path, "DEFS");
}

engine_settings from_command_line(const std::vector<std::string>& args) {
  engine_settings st;
  read_command_line(st, args);
  derive_names(st);
  return st;
}

TEST(CommandLine, ShellForm) {
  engine_settings st = from_command_line({"SHELLMODE", "definitions/", "pass3", "pass2", ">", "erg1"});
  EXPECT_TRUE(st.shell_mode);
  EXPECT_TRUE(st.plain_definitions);
  EXPECT_EQ(st.input_name, "pass3");
  EXPECT_EQ(st.result_name, "pass2");
  EXPECT_FALSE(st.show_output);
  EXPECT_FALSE(st.show_init);
  EXPECT_FALSE(st.list_analysis);
  EXPECT_FALSE(st.show_listing);
  EXPECT_TRUE(st.write_result);
  EXPECT_FALSE(st.visible);
  EXPECT_FALSE(st.shell_visible);
  EXPECT_EQ(st.listing_name, "zembu.lst");

  engine_settings crypt = from_command_line({"SHELLCRYPT", "defs", "in", "out", "visible"});
  EXPECT_FALSE(crypt.plain_definitions);
  EXPECT_TRUE(crypt.visible);
  EXPECT_FALSE(crypt.shell_visible);
  EXPECT_EQ(crypt.definitions_path, "defs/");

  engine_settings echo = from_command_line({"SHELLMODE", "d/", "in", "out", "VISIBLE"});
  EXPECT_FALSE(echo.visible);
  EXPECT_TRUE(echo.shell_visible);
}

TEST(CommandLine, DirectFormWordsAndDerivedNames) {
  engine_settings st = from_command_line({"CRYPT", "story.txt", "/home/defs"});
  EXPECT_FALSE(st.plain_definitions);
  EXPECT_EQ(st.input_name, "story.txt");
  EXPECT_EQ(st.definitions_path, "/home/defs/");
  EXPECT_EQ(st.result_name, "story.XLT");
  EXPECT_EQ(st.listing_name, "story.LST");
  EXPECT_EQ(st.word_file_name, "story.WOR");
  EXPECT_FALSE(st.shell_mode);

  engine_settings two = from_command_line({"text.txt", "english/", "german"});
  EXPECT_EQ(two.input_name, "text.txt");
  EXPECT_EQ(two.definitions_path, "german/");

  engine_settings lower = from_command_line({"shellmode", "visible", "nocrypt"});
  EXPECT_FALSE(lower.shell_mode);
  EXPECT_EQ(lower.input_name, "shellmode");
  EXPECT_TRUE(lower.visible);
  EXPECT_TRUE(lower.plain_definitions);

  engine_settings nodot = from_command_line({"story"});
  EXPECT_EQ(nodot.result_name, "story.XLT");
  EXPECT_EQ(nodot.listing_name, "story.LST");
  engine_settings twodots = from_command_line({"a.b.c"});
  EXPECT_EQ(twodots.result_name, "a.XLT");

  engine_settings none = from_command_line({});
  EXPECT_EQ(none.input_name, "");
  EXPECT_EQ(none.result_name, "");
  EXPECT_EQ(none.listing_name, "zembu.lst");
  EXPECT_EQ(none.definitions_path, "definitions/");
}

TEST(CommandLine, OverlongArgumentsAreCutToTheirWidths) {
  std::string longname(300, 'n');
  engine_settings st = from_command_line({longname, std::string(400, 'p')});
  EXPECT_EQ(st.input_name.size(), 80u);
  EXPECT_EQ(st.result_name, std::string(80, 'n'));
  EXPECT_EQ(st.listing_name, std::string(80, 'n') + ".LST");
  EXPECT_EQ(st.definitions_path.size(), 255u);
  EXPECT_EQ(st.definitions_path.back(), '/');
  engine_settings sh = from_command_line({"SHELLMODE", std::string(300, 'd'), longname, longname});
  EXPECT_EQ(sh.input_name.size(), 80u);
  EXPECT_EQ(sh.result_name.size(), 80u);
}

TEST(StartUp, ClockTextAndBanner) {
  EXPECT_EQ(clock_text(9, 5, 7), "09:05.07");
  EXPECT_EQ(clock_text(23, 59, 0), "23:59.00");
  std::string b = banner();
  EXPECT_EQ(b.rfind("zembu2 version 1.6 (", 0), 0u);
  EXPECT_EQ(b.back(), ')');
  EXPECT_EQ(b.size(), std::string("zembu2 version 1.6 (2026-12-08)").size());
}

using ResultFile = InScratchDir;

// A result file that cannot be made is an error of the run; a missing input is not.
TEST_F(ResultFile, AnUncreatableResultFileFailsTheRun) {
  std::filesystem::create_directory("definitions");
  write("definitions/exec.zmb", "PROCEDURES\nR *\n");
  write("pass3", "STR ------\nZZZ RED \xffZZZ---ZZZred\nSEN . \xffSEN------.\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(run_engine({"SHELLMODE", "definitions/", "pass3", "nodir/pass2"}), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "zembu2: cannot write the result file nodir/pass2: No such file or directory\n");
  write("story.txt", "red.\n");
  std::filesystem::create_directory("story.XLT");  // a directory under the derived name
  testing::internal::CaptureStderr();
  EXPECT_EQ(run_engine({"story.txt"}), 1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("story.XLT"), std::string::npos);

  testing::internal::CaptureStderr();
  EXPECT_EQ(run_engine({"SHELLMODE", "definitions/", "nothere", "pass2"}), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_FALSE(std::filesystem::exists("pass2"));
  EXPECT_EQ(run_engine({"SHELLMODE", "definitions/", "pass3", "pass2"}), 0);
  EXPECT_TRUE(std::filesystem::exists("pass2"));
}

// A run that leaves its parsed rules to the process's end writes what a run that frees
// them writes; a second such run in one process replaces the rules left by the first.
TEST_F(ResultFile, RulesLeftToTheProcessEndChangeNothing) {
  std::filesystem::create_directory("definitions");
  write("definitions/exec.zmb", "PROCEDURES\n5 comp1.zmb\nR *\n");
  write("definitions/comp1.zmb", "1 +\nZZZ\nSXYZ\n1 +\nXYZ\nSSEN\n");
  write("pass3", "STR ------\nZZZ RED \xffZZZ---ZZZred\nSEN . \xffSEN------.\n");
  EXPECT_EQ(run_engine({"SHELLMODE", "definitions/", "pass3", "freed"}), 0);
  EXPECT_EQ(run_engine({"SHELLMODE", "definitions/", "pass3", "left"}, true), 0);
  EXPECT_EQ(run_engine({"SHELLMODE", "definitions/", "pass3", "again"}, true), 0);
  auto bytes = [](const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  EXPECT_NE(bytes("freed"), "");
  EXPECT_EQ(bytes("left"), bytes("freed"));
  EXPECT_EQ(bytes("again"), bytes("freed"));
}

}  // namespace
}  // namespace zembu::engine
