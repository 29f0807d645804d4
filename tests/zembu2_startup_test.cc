// Start-up of the translation engine: command-line forms, zembu.cfg, the settings trace,
// the banner, the listing file with its timing lines, the dialog and the missing script.
#include <gtest/gtest.h>

#include "tests/blackbox.h"

namespace {

using zembu_test::lines;
using zembu_test::run_result;
using zembu_test::scratch_dir;

// A timing line: "hh:mm.ss".
bool is_clock(const std::string& s) {
  auto digit = [&](size_t i) { return s[i] >= '0' && s[i] <= '9'; };
  return s.size() == 8 && digit(0) && digit(1) && s[2] == ':' && digit(3) && digit(4) &&
         s[5] == '.' && digit(6) && digit(7);
}

// A working directory whose definitions hold a procedure script.
void with_script(const scratch_dir& d, const std::string& dir = "definitions") {
  d.mkdir(dir);
  d.write(dir + "/exec.zmb", "INTRO Please enter sentences:\nPROCEDURES\n");
}

bool is_banner(const std::string& line) {
  return line.rfind("zembu2 version 1.6 (", 0) == 0 && line.back() == ')';
}

TEST(Zembu2StartUp, ShellFormWithoutScriptStopsWithFileNotFound) {
  scratch_dir d;
  run_result r = d.run("zembu2", {"SHELLMODE", "definitions/", "pass3", "pass2"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "definitions/exec.zmb : File not found.\n");
  EXPECT_FALSE(d.exists("zembu.lst"));
  // The extra arguments of the front end change nothing.
  r = d.run("zembu2", {"SHELLMODE", "definitions/", "pass3", "pass2", ">", "erg1"});
  EXPECT_EQ(r.out, "definitions/exec.zmb : File not found.\n");
  EXPECT_FALSE(d.exists("erg1"));
}

TEST(Zembu2StartUp, EncipheredScriptIsLookedUpUnderItsOwnName) {
  scratch_dir d;
  run_result r = d.run("zembu2", {"SHELLCRYPT", "defs", "pass3", "pass2"});
  EXPECT_EQ(r.out, "defs/zembu.000 : File not found.\n");
  r = d.run("zembu2", {"CRYPT", "story.txt", "/home/defs"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "/home/defs/zembu.000 : File not found.\n");
  // The listing of a direct file run is named after the input and created before the script.
  EXPECT_TRUE(d.exists("story.LST"));
  EXPECT_FALSE(d.exists("zembu.lst"));
}

TEST(Zembu2StartUp, ScriptFoundUnderThePathOrInTheWorkingDirectory) {
  scratch_dir d;
  with_script(d, "english");
  run_result r = d.run("zembu2", {"text.txt", "english/"});
  auto out = lines(r.out);
  ASSERT_EQ(out.size(), 4u) << r.out;
  EXPECT_TRUE(is_banner(out[0])) << out[0];
  EXPECT_FALSE(out[1].empty());
  EXPECT_FALSE(out[2].empty());
  EXPECT_EQ(out[3], "");
  // Each further plain word replaces the path.
  r = d.run("zembu2", {"text.txt", "english/", "german"});
  EXPECT_EQ(r.out, "german/exec.zmb : File not found.\n");

  scratch_dir w;
  w.write("exec.zmb", "PROCEDURES\n");
  r = w.run("zembu2", {"SHELLMODE", "nowhere/", "pass3", "pass2"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");  // shell mode: no banner
}

TEST(Zembu2StartUp, ListingFileHoldsTwoTimingLines) {
  scratch_dir d;
  with_script(d);
  run_result r = d.run("zembu2", {});
  EXPECT_EQ(r.status, 0);
  auto listing = lines(d.read("zembu.lst"));
  ASSERT_EQ(listing.size(), 2u) << d.read("zembu.lst");
  EXPECT_TRUE(is_clock(listing[0])) << listing[0];
  EXPECT_TRUE(is_clock(listing[1])) << listing[1];
}

TEST(Zembu2StartUp, ConfigurationSwitchesTheListing) {
  scratch_dir d;
  with_script(d);
  d.write("zembu.cfg", "show listing FALSE\n");
  d.run("zembu2", {});
  EXPECT_FALSE(d.exists("zembu.lst"));
  d.write("zembu.cfg", "show listing 0 TRUE\n");
  d.run("zembu2", {});
  EXPECT_FALSE(d.exists("zembu.lst"));
  d.write("zembu.cfg", "show listing FALSE 1\n");
  d.run("zembu2", {});
  EXPECT_TRUE(d.exists("zembu.lst"));
}

TEST(Zembu2StartUp, ConfigurationIsAlsoFoundUnderTheDefinitionsPath) {
  scratch_dir d;
  with_script(d);
  d.write("definitions/zembu.cfg", "show listing FALSE\n");
  d.run("zembu2", {});
  EXPECT_FALSE(d.exists("zembu.lst"));
  // The working directory's file wins.
  d.write("zembu.cfg", "show listing TRUE\n");
  d.run("zembu2", {});
  EXPECT_TRUE(d.exists("zembu.lst"));
}

TEST(Zembu2StartUp, PathKeyOfTheConfiguration) {
  scratch_dir d;
  with_script(d, "definitions2");
  d.write("zembu.cfg", "path definitions2/\n");
  run_result r = d.run("zembu2", {});
  // A lower-case key with a slash keeps its case, so it is no key: the path stays.
  EXPECT_EQ(r.out, "definitions/exec.zmb : File not found.\n");
  d.write("zembu.cfg", "PATH definitions2/\n");
  r = d.run("zembu2", {});
  EXPECT_TRUE(is_banner(lines(r.out).at(0))) << r.out;
  d.write("zembu.cfg", "PATH definitions2\n");  // the slash is added
  r = d.run("zembu2", {"VISIBLE"});
  EXPECT_NE(r.out.find("pathname = DEFINITIONS2/\n"), std::string::npos) << r.out;
}

TEST(Zembu2StartUp, VisibleWritesTheSettingsTrace) {
  scratch_dir d;
  run_result r = d.run("zembu2", {"visible", "story.txt"});
  auto out = lines(r.out);
  ASSERT_EQ(out.size(), 7u) << r.out;
  EXPECT_TRUE(is_banner(out[0].substr(10))) << out[0];
  EXPECT_EQ(out[0].substr(0, 10), "version = ");
  EXPECT_EQ(out[1], "pathname = definitions/");
  EXPECT_EQ(out[2], "visible = TRUE");
  EXPECT_EQ(out[3], "filename = story.txt");
  EXPECT_EQ(out[4], "resultname = story.XLT");
  EXPECT_EQ(out[5], "shellmode = FALSE");
  EXPECT_EQ(out[6], "definitions/exec.zmb : File not found.");

  r = d.run("zembu2", {"SHELLMODE", "defs/", "pass3", "pass2", "visible"});
  out = lines(r.out);
  ASSERT_EQ(out.size(), 7u) << r.out;
  EXPECT_EQ(out[1], "pathname = defs/");
  EXPECT_EQ(out[3], "filename = pass3");
  EXPECT_EQ(out[4], "resultname = pass2");
  EXPECT_EQ(out[5], "shellmode = TRUE");

  // VISIBLE in the shell form only echoes sentences: no trace.
  r = d.run("zembu2", {"SHELLMODE", "defs/", "pass3", "pass2", "VISIBLE"});
  EXPECT_EQ(r.out, "defs/exec.zmb : File not found.\n");
}

TEST(Zembu2StartUp, LowerCaseShellmodeIsAnInputName) {
  scratch_dir d;
  run_result r = d.run("zembu2", {"shellmode", "VISIBLE"});
  EXPECT_NE(r.out.find("filename = shellmode\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("resultname = shellmode.XLT\n"), std::string::npos);
  EXPECT_NE(r.out.find("shellmode = FALSE\n"), std::string::npos);
}

TEST(Zembu2StartUp, DialogAnswersFromStandardInput) {
  scratch_dir d;
  with_script(d);
  d.write("zembu.cfg", "show config\nshow listing FALSE\n");
  run_result r = d.run("zembu2", {}, "y\nn\n\nnewdefs\nN\nno\nyes\n\n");
  auto out = lines(r.out);
  ASSERT_GE(out.size(), 4u) << r.out;
  std::string dialog;
  for (size_t i = 4; i < out.size(); ++i) dialog += out[i] + "\n";
  EXPECT_EQ(dialog,
            "Configuration\n"
            "-------------\n"
            "Visible: no\n"
            "Leave terminations: yes\n"
            "Pathname definitions/\n"
            "Stop trace : no\n"
            "Leave names : yes\n"
            "Show analysis result : no\n"
            "List analysis in file : yes\n"
            "\n"
            "Change configuration (y/n)? Visible (y/n) -> Leave terminations (y/n) -> "
            "Pathname -> Stop trace (y/n) -> Leave names  (y/n) -> "
            "Show analysis result  (y/n) -> List analysis in file  (y/n) -> \n"
            // then the keyboard loop starts with the script's intro and ends at once
            "Please enter sentences:\n\n");

  r = d.run("zembu2", {}, "n\n");
  EXPECT_NE(r.out.find("Change configuration (y/n)? \n"), std::string::npos) << r.out;
  // At the end of the input every question is answered with the empty line.
  r = d.run("zembu2", {}, "J");
  EXPECT_NE(r.out.find("List analysis in file  (y/n) -> \n"), std::string::npos) << r.out;
  EXPECT_EQ(r.status, 0);
}

TEST(Zembu2StartUp, FileUnknownIsDeleted) {
  scratch_dir d;
  with_script(d);
  d.write("UNKNOWN", "old words\n");
  d.run("zembu2", {"SHELLMODE", "definitions/", "pass3", "pass2"});
  EXPECT_FALSE(d.exists("UNKNOWN"));
}

TEST(Zembu2StartUp, BadInputIsHarmless) {
  scratch_dir d;
  with_script(d);
  std::string garbage;
  for (int c = 0; c < 256; ++c) garbage.push_back(static_cast<char>(c));
  d.write("zembu.cfg", garbage + "\n" + std::string(100000, '\xe1') + "\nMODUS\n\xff\xff\n");
  run_result r = d.run("zembu2", {std::string(5000, 'a'), std::string(5000, '/'), garbage.substr(1)});
  EXPECT_EQ(r.status, 0);
  r = d.run("zembu2", {"SHELLMODE"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");  // the default path holds the script
}

}  // namespace
