// The translation engine from end to end: token files and plain text in, result lines
// out, with hand-written procedure scripts.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/fixtures.h"

namespace {

using zembu_test::count_of;
using zembu_test::lines;
using zembu_test::run_result;
using zembu_test::scratch_dir;

// A token line of an entry that already holds its text: key, field marker, entry.
std::string token(const std::string& key, const std::string& entry, const std::string& cls = "ZZZ") {
  return zembu_test::token_line(cls, key, entry);
}

std::string sentence(const std::vector<std::string>& texts, const std::string& end = ".") {
  std::string out = "STR ------\n";
  for (const std::string& t : texts) out += token("K", "TXT------" + t);
  return out + token(end, "SEN------" + end, "SEN");
}

// Runs the engine in shell form over pass3 with the given script; returns pass2.
std::string translate(scratch_dir& d, const std::string& script, const std::string& tokens,
                      std::vector<std::string> extra = {}) {
  return zembu_test::translate_tokens(d, script, tokens, {}, extra).result;
}

// Runs the engine with the trace on over the files that are there; returns the trace.
std::string visible_trace(const scratch_dir& d) {
  return zembu_test::run_engine(d, {"visible"}).trace;
}

TEST(Zembu2Core, ResultLineOfTheTokenRoute) {
  struct result_case {
    const char* name;
    std::string script, tokens, result;
  };
  const std::vector<result_case> cases = {
      {"output procedure", "PROCEDURES\nR *\n", sentence({"das", "Haus", "ist", "rot"}),
       "Das Haus ist rot. \n"},
      // Without an output procedure the result line is still built and written.
      {"no output procedure", "PROCEDURES\n", sentence({"das", "Haus"}), "Das Haus. \n"},
      {"plus signs", "PROCEDURES\n", sentence({"Auto+bahn", "3", "+", "4"}), "Autobahn 3 + 4. \n"},
      {"leading comma", "PROCEDURES\n", sentence({",", "und", "so"}), "Und so. \n"},
      // An entry that was never looked up shows its text up to the field marker.
      {"never looked up", "PROCEDURES\n",
       "STR ------\nZZZ HOUSE \xffZZZ---ZZZhouse\nSEN . \xffZZZ---ZZZ.\n", "House. \n"},
  };
  scratch_dir d;
  for (const result_case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(translate(d, c.script, c.tokens), c.result);
  }
  // The shell form writes nothing on the screen.
  run_result r = d.run("zembu2", {"SHELLMODE", "definitions/", "pass3", "pass2", ">", "erg1"});
  EXPECT_EQ(r.out, "");
}

TEST(Zembu2Core, ShellFormReadsTokenLinesEvenInOldFileMode) {
  scratch_dir d;
  d.write("zembu.cfg", "old file mode\n");
  EXPECT_EQ(translate(d, "PROCEDURES\n", sentence({"das", "Haus"})), "Das Haus. \n");
}

TEST(Zembu2Core, ClassesWithoutCleanUp) {
  scratch_dir d;
  EXPECT_EQ(translate(d, "PROCEDURES\nW *\n", sentence({"das", "Haus"})),
            "ZZ__ TXT_ das TXT_ Haus SEN_ . \n");
  EXPECT_EQ(translate(d, "PROCEDURES\nw *\n", sentence({"das"})), "ZZ__ TXT_ K SEN_ . \n");
}

TEST(Zembu2Core, AnalysisListingGoesToTheResultFile) {
  scratch_dir d;
  std::string out = translate(d, "PROCEDURES\ns *\n",
                              "STR abc#LABEL\n" + token("HOUSE", "NOM---SnsHaus") +
                                  token(".", "SEN------.", "SEN"));
  auto l = lines(out);
  ASSERT_EQ(l.size(), 3u) << out;
  // Entry 1 is the ZZ_START marker, whose class reads ZZ_.
  EXPECT_EQ(l[0], "ZZ_ *" + std::string(35, ' ') + "\xffZZ_START");
  EXPECT_EQ(l[1].substr(0, 54), "NOM HOUSE" + std::string(31, ' ') + "\xffNOM---SnsHaus");
  EXPECT_EQ(l[2].substr(0, 6), "SEN . ");
}

TEST(Zembu2Core, SentenceWithoutTextIsSkipped) {
  scratch_dir d;
  EXPECT_EQ(translate(d, "PROCEDURES\nR *\n",
                      "STR ------\nNOS x\nSEN .\n" + sentence({"ja"})),
            "Ja. \n");
}

TEST(Zembu2Core, SentencesOfAFileAndAFileWithoutSen) {
  scratch_dir d;
  EXPECT_EQ(translate(d, "PROCEDURES\n", sentence({"eins"}) + sentence({"zwei"}) +
                                           "STR ------\n" + token("K", "TXT------drei")),
            "Eins. \nZwei. \nDrei \n");
}

TEST(Zembu2Core, LongSentenceSpillsThroughZembuRst) {
  scratch_dir d;
  std::string tokens = "STR ------\n";
  for (int i = 1; i <= 120; ++i) {
    tokens += i == 80 ? token("AND", "TXT------und") : token("W", "TXT------w" + std::to_string(i));
  }
  tokens += token(".", "SEN------.", "SEN");
  auto out = lines(translate(d, "PROCEDURES\n", tokens));
  ASSERT_EQ(out.size(), 2u);
  // The first piece ends before AND, the last split word among the 101 entries read.
  EXPECT_EQ(out[0].substr(out[0].size() - 8), "w78 w79 ");
  EXPECT_EQ(out[0].find("und"), std::string::npos);
  EXPECT_EQ(out[1].substr(0, 8), "Und w81 ");
  EXPECT_EQ(out[1].substr(out[1].size() - 6), "w120. ");
  EXPECT_FALSE(d.exists("zembu.rst"));
}

TEST(Zembu2Core, IfAndIfNotFollowTheModus) {
  scratch_dir d;
  const std::string script = "PROCEDURES\nIF NOT Q R *\nIF Q W *\n";
  EXPECT_EQ(translate(d, script, sentence({"ja"})), "Ja. \n");
  d.write("zembu.cfg", "MODUS Q\n");
  EXPECT_EQ(translate(d, script, sentence({"ja"})), "ZZ__ TXT_ ja SEN_ . \n");
  // MODUS lines of the script add their letter too.
  d.remove("zembu.cfg");
  EXPECT_EQ(translate(d, "MODUS Q\nPROCEDURES\nIF NOT Q R *\nIF Q W *\n", sentence({"ja"})),
            "ZZ__ TXT_ ja SEN_ . \n");
}

TEST(Zembu2Core, VisibleTraceOfTheProcedures) {
  scratch_dir d;
  translate(d, "PROCEDURES\nZ first          a comment\nF *\nZ hidden\nf *\nZ last\n",
            sentence({"ja"}), {"visible"});
  const std::string trace = visible_trace(d);
  std::string dashes(77, '-');
  EXPECT_NE(trace.find("MODUS=\n" + dashes + "\nfirst: a comment\n" + dashes + "\n*: \n"),
            std::string::npos) << trace;
  EXPECT_EQ(trace.find("hidden"), std::string::npos);
  EXPECT_NE(trace.find("last: \n"), std::string::npos);
}

TEST(Zembu2Core, RestartRunsTheStretchAgainWhileTheClassLineChanges) {
  scratch_dir d;
  d.mkdir("definitions");
  d.write("definitions/term.zmb", "+S\n");
  std::string script = "PROCEDURES\n0 term.zmb\nZ before\nG restart\nZ again\n6 restart\nR *\n";
  std::string tokens = "STR ------\n" + token("HOUSES", "TXT------Haeuser") + token(".", "SEN------.", "SEN");
  translate(d, script, tokens);
  std::string trace = visible_trace(d);
  auto count = [&](const std::string& what) { return count_of(trace, what); };
  // The snapshot is taken when the sentence starts, so the change made by procedure 0
  // before G sends the run back once.
  EXPECT_EQ(count("syntax rules: restart testing at beginning. <ENTER>"), 1u) << trace;
  EXPECT_EQ(count("again: "), 2u);
  EXPECT_EQ(count("affix found S"), 1u);
  EXPECT_EQ(d.read("pass2"), "Haeuser. \n");
  // Procedure 0 inside the stretch: the second pass changes nothing and the run goes on.
  script = "PROCEDURES\nG restart\n0 term.zmb\nZ again\n6 restart\n";
  translate(d, script, tokens);
  trace = visible_trace(d);
  EXPECT_EQ(count("syntax rules: restart testing at beginning. <ENTER>"), 1u) << trace;
  EXPECT_EQ(count("again: "), 2u);
  EXPECT_EQ(count("affix found S"), 1u);
}

TEST(Zembu2Core, UMakesTheNextProcedureReadPlainFiles) {
  scratch_dir d;
  d.mkdir("definitions");
  // An enciphered script with two template procedures on a plain list file; only the one
  // behind U reads it.
  std::string plain = "PROCEDURES\nU *\nX list.zmb\nX list.zmb\n";
  std::string scrambled;
  for (size_t i = 0, col = 0; i < plain.size(); ++i) {
    if (plain[i] == '\n') {
      scrambled += '\n';
      col = 0;
    } else {
      scrambled += static_cast<char>(static_cast<unsigned char>(plain[i]) + (col++ % 3) + 1);
    }
  }
  d.write("definitions/zembu.000", scrambled);
  d.write("definitions/list.zmb", "HOUSE tmpl\n");
  d.write("definitions/xyztmpl.zmb", "rule $$$1 here\n");
  d.write("pass3", "STR ------\n" + token("HOUSE", "TXT------Haus") + token(".", "SEN------.", "SEN"));
  run_result r = d.run("zembu2", {"SHELLCRYPT", "definitions/", "pass3", "pass2", "visible"});
  size_t first = r.out.find("found. filename=tmpl\n");
  ASSERT_NE(first, std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("found. filename=", first + 1), std::string::npos);
  EXPECT_NE(r.out.find("temp idiom file rule $$$1 here\ntemp changed rule HOUSE here\n"),
            std::string::npos);
  EXPECT_EQ(d.read("pass2"), "Haus. \n");
}

TEST(Zembu2Core, TemplateListAndTemplateMissing) {
  scratch_dir d;
  translate(d, "PROCEDURES\nX nolist.zmb\n", sentence({"ja"}));
  std::string trace = visible_trace(d);
  EXPECT_NE(trace.find("nolist.zmb procfile is not open (trans2)!\n"), std::string::npos);
  d.write("definitions/list.zmb", "' comment\n\nX *K missing\n");
  d.write("definitions/exec.zmb", "PROCEDURES\nX list.zmb\n");
  trace = visible_trace(d);
  EXPECT_NE(trace.find("found. filename=missing\nxyzmissing.zmb not open (trans2).\n"),
            std::string::npos) << trace;
}

TEST(Zembu2Core, TemplateRulesRunUnderALongDefinitionsPath) {
  scratch_dir d;
  // 30 characters of path: the temporary rule file's full name no longer fits the
  // procedure entry, yet its rule changes the class of the trigger word.
  const std::string dir = "a_rather_long_definitions_dir/";
  d.mkdir(dir);
  d.write(dir + "exec.zmb", "PROCEDURES\nX list.zmb\n5 show.zmb\n");
  d.write(dir + "list.zmb", "W tmpl\n");
  d.write(dir + "xyztmpl.zmb", "1 +\nZZZ\nSQQQ\n");
  d.write("pass3", "STR ------\n" + token("W", "ZZZ---ZZZw") + token(".", "SEN------.", "SEN"));
  run_result r = d.run("zembu2", {"SHELLMODE", dir, "pass3", "pass2", "visible"});
  EXPECT_NE(r.out.find("show.zmb: \nSTRQQQSEN\n"), std::string::npos) << r.out;
  std::vector<std::string> left;
  for (const auto& e : std::filesystem::directory_iterator(d.file(dir))) {
    left.push_back(e.path().filename().string());
  }
  EXPECT_EQ(left.size(), 3u);  // the temporary file is gone again
}

// ---- The plain route ----

// A working directory for the plain route: a script that lists the classes, the old file
// mode and no listing file.
void plain_route(const scratch_dir& d) {
  zembu_test::write_files(d, {{"exec.zmb", "PROCEDURES\nW *\n"}});
  d.write("zembu.cfg", "old file mode\nshow listing FALSE\n");
}

TEST(Zembu2Core, PlainFileSentences) {
  struct plain_case {
    std::string file;    // its result file has the extension XLT
    std::string text;
    std::string result;
    std::string screen;  // a piece of standard output; empty: not checked
  };
  const std::vector<plain_case> cases = {
      {"story.txt", "it is \"fine\". Two\nwords here! Broken-\nline now\n\nlast one",
       "ZZ__ IT_ IS_ ZZ__ FIN_ ZZ__ ._ \n"
       "ZZ__ ZZ__ TWO_ WOR_ HER_ !_ \n"
       "ZZ__ ZZ__ BRO_ E NOW_ ._ \n"  // BROKENLINE: the text from column 10 is E
       "ZZ__ LAS_ ONE_ ._ \n",
       "it is \"fine\".\n"},
      // Only sentences shorter than two characters are skipped. " I" behind the "!" has
      // two characters: it is kept, and its blank removed afterwards.
      {"a.txt", "Hi! I", "ZZ__ ZZ__ HI_ !_ \nZZ__ ZZ__ I_ ._ \n", ""},
      // A blank right after the full stop that ended a sentence ends the next one at once,
      // so the "I" stands alone and is skipped.
      {"b.txt", "Stop. I", "ZZ__ ZZ__ STO_ ._ \n", ""},
      // With carriage returns sentences end at their punctuation only: the carriage
      // return between the two line feeds clears the line-feed state.
      {"crlf.txt", "one two\r\n\r\nthree four. five\r\n",
       "ZZ__ ONE_ TWO_ THR_ FOU_ ._ \nZZ__ FIV_ ._ \n", ""},
  };
  for (const plain_case& c : cases) {
    SCOPED_TRACE(c.file);
    scratch_dir d;
    plain_route(d);
    d.write(c.file, c.text);
    const run_result r = d.run("zembu2", {c.file});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(d.read(c.file.substr(0, c.file.size() - 3) + "XLT"), c.result);
    if (!c.screen.empty()) {
      EXPECT_NE(r.out.find(c.screen), std::string::npos) << r.out;
    }
  }
}

TEST(Zembu2Core, PlainSentenceOverflowGoesOnInTheNextPiece) {
  scratch_dir d;
  plain_route(d);
  std::string text;
  for (int i = 1; i <= 70; ++i) text += std::string(i == 41 ? "b" : "a") + (i == 40 ? ", " : " ");
  d.write("long.txt", text + "\n\n");
  d.run("zembu2", {"long.txt"});
  auto out = lines(d.read("long.XLT"));
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].substr(out[0].size() - 9), "A_ A_ ,_ ");
  EXPECT_EQ(out[1].substr(0, 11), "ZZ__ B_ A_ ");
  EXPECT_EQ(out[1].substr(out[1].size() - 6), "A_ ._ ");
  EXPECT_FALSE(d.exists("zembu.aux"));

  std::string many;
  for (int i = 0; i < 250; ++i) many += "x ";
  d.write("many.txt", many + "\n\n");
  d.run("zembu2", {"many.txt"});
  auto m = lines(d.read("many.XLT"));
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0], "ZZ__ " + [] { std::string s; for (int i = 0; i < 184; ++i) s += "X_ "; return s; }());
}

TEST(Zembu2Core, InteractiveSentencesUntilAnEmptyLine) {
  scratch_dir d;
  d.mkdir("definitions");
  d.write("definitions/exec.zmb", "INTRO Bitte:\nPROCEDURES\nW *\n");
  d.write("zembu.cfg", "show listing FALSE\n");
  run_result r = d.run("zembu2", {}, "it is \"fine\"\nx\n\nnot read\n");
  auto out = lines(r.out);
  ASSERT_GE(out.size(), 8u) << r.out;
  EXPECT_EQ(out[4], "Bitte:");
  EXPECT_EQ(out[5], "");
  EXPECT_EQ(out[6], "ZZ__ IT_ IS_ ZZ__ FIN_ ZZ__ ._ ");
  EXPECT_EQ(out[7], "ZZ__ X_ ._ ");
  EXPECT_EQ(out.size(), 8u);
  // The end of the input ends the loop as an empty line does.
  r = d.run("zembu2", {}, "one more");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(lines(r.out).back(), "ZZ__ ONE_ MOR_ ._ ");
}

// ---- Bad input ----

TEST(Zembu2Core, BadTokenFilesAndScriptsAreHarmless) {
  scratch_dir d;
  std::string binary;
  for (int i = 0; i < 5000; ++i) binary += static_cast<char>(i * 7 % 256);
  std::string tokens = std::string(100000, 'Z') + "\n" + binary + "\nSTR\n\n\nSEN\n";
  for (int i = 0; i < 10000; ++i) tokens += token("W", "TXT------w");
  std::string script = "PROCEDURES\n";
  for (int i = 0; i < 1000; ++i) script += (i % 2 ? "6 restart\n" : "R " + binary.substr(i, 40) + "\n");
  translate(d, script, tokens);
  std::string out = d.read("pass2");
  EXPECT_GT(lines(out).size(), 50u);
  translate(d, "\xff\xfe garbage\nPROCEDURES", "STR ------\n");
  EXPECT_EQ(d.read("pass2"), "\n");
}

}  // namespace
