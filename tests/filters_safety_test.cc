// The filters zembu1, zembu4, zembu3 and the tools makelexi, makeidio, zembucrypt run on
// real files: --help and --version touch no file, no output is written through a
// symbolic link, a very long word and very long result lines lose no byte, and byte 255
// of a text never reaches a token line as text.
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/blackbox.h"

namespace {

using zembu_test::lines;
using zembu_test::run_result;
using zembu_test::scratch_dir;

const char* const kPrograms[] = {"zembu1", "zembu4", "zembu3", "makelexi", "makeidio",
                                 "zembucrypt"};

// The names in the working directory of d.
std::vector<std::string> names_in(const scratch_dir& d) {
  std::vector<std::string> out;
  for (const auto& e : std::filesystem::directory_iterator(d.path())) {
    out.push_back(e.path().filename().string());
  }
  return out;
}

TEST(FiltersStandardOptions, HelpAndVersionTouchNoFile) {
  for (const std::string program : kPrograms) {
    SCOPED_TRACE(program);
    scratch_dir d;
    run_result help = d.run(program, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: " + program + " ", 0), 0u) << help.out;
    EXPECT_GT(lines(help.out).size(), 2u) << "usage and what the program does";
    EXPECT_EQ(help.err, "");
    run_result version = d.run(program, {"--version", "in", "out"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind(program + " version ", 0), 0u) << version.out;
    EXPECT_EQ(lines(version.out).size(), 1u);
    EXPECT_TRUE(names_in(d).empty());
  }
  // With a real text and index file named behind the option, zembu1 still writes nothing.
  scratch_dir d;
  d.write("text", "One sentence.\n");
  d.write("zembu.ind", "0\n");
  EXPECT_EQ(d.run("zembu1", {"--help", "text", "zembu.ind"}).status, 0);
  EXPECT_EQ(d.run("zembu1", {"--version", "text"}).status, 0);
  std::vector<std::string> names = names_in(d);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"text", "zembu.ind"}));
  EXPECT_EQ(d.read("zembu.ind"), "0\n");
}

// A symbolic link `name` to the file "victim", which holds "keep".
void plant_link(const scratch_dir& d, const std::string& name) {
  d.write("victim", "keep\n");
  d.remove(name);
  ASSERT_EQ(symlink("victim", d.file(name).c_str()), 0) << name;
}

// The link `name` is still a link and its target was not written.
void expect_untouched(const scratch_dir& d, const std::string& name) {
  EXPECT_TRUE(std::filesystem::is_symlink(d.file(name))) << name;
  EXPECT_EQ(d.read("victim"), "keep\n") << name;
}

TEST(FiltersOutputLinks, Zembu1WritesNoOutputThroughALink) {
  scratch_dir d;
  d.write("text", "I see it. Then more.\n");
  for (const std::string name : {"pass1", "zembu.ind"}) {
    SCOPED_TRACE(name);
    d.remove("pass0");
    d.remove("pass1");
    d.write("zembu.ind", "0\n");
    plant_link(d, name);
    run_result r = d.run("zembu1", {"text", "zembu.ind", "quiet"});
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(r.out, "File " + name + " cannot be written.\n");
    expect_untouched(d, name);
    // The end of the text writes both files too.
    r = d.run("zembu1", {"text", "-1"});
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(r.out, "File " + name + " cannot be written.\n");
    expect_untouched(d, name);
  }
  // A link under pass1 that points nowhere is not made to point somewhere.
  d.remove("pass1");
  ASSERT_EQ(symlink("nowhere", d.file("pass1").c_str()), 0);
  EXPECT_EQ(d.run("zembu1", {"text", "0", "quiet"}).status, 4);
  EXPECT_FALSE(d.exists("nowhere"));
  // pass0 is left out silently, as when it cannot be created; so is the echo.
  d.remove("pass1");
  d.remove("zembu.ind");
  plant_link(d, "pass0");
  run_result r = d.run("zembu1", {"text", "0"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  expect_untouched(d, "pass0");
  EXPECT_NE(d.read("pass1").find("SEE"), std::string::npos);
  EXPECT_EQ(d.read("zembu.ind"), "9\n");
}

TEST(FiltersOutputLinks, Zembu4AndZembu3WriteNoOutputThroughALink) {
  scratch_dir d;
  d.write("in", "STR ------\nZZZ WALKING \xffZZZ---ZZZwalking\n");
  d.write("aggl.zmb", "ING\n");
  plant_link(d, "out");
  run_result r = d.run("zembu4", {"in", "out", "aggl.zmb"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "\nResult file out cannot be written\n");
  expect_untouched(d, "out");

  r = d.run("zembu3", {"in", "out"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "out cannot be opened for writing\n");
  expect_untouched(d, "out");
}

TEST(FiltersOutputLinks, ToolsWriteNoOutputThroughALink) {
  scratch_dir d;
  d.write("lexi.txt", "HOUSE\nNOU---Nsn@n Haus\nRED\nADJ------rot\n");
  d.write("idio.txt", "IN ORDER TO\nUM ZU\n");
  d.write("records", std::string(512, 'r'));
  d.mkdir("dir");
  struct call {
    std::string program;
    std::vector<std::string> args;
    std::string output;   // where the link is planted
    std::string message;  // what the tool says then
  };
  const std::vector<call> calls = {
      {"makelexi", {"lexi.txt", "lex"}, "lex.ndx", "lex.ndx or lex.dat cannot be written\n"},
      {"makelexi", {"lexi.txt", "lex"}, "lex.dat", "lex.ndx or lex.dat cannot be written\n"},
      {"makelexi", {"CRYPT", "lexi.txt", "dir/"}, "dir/zembu.002",
       "dir/zembu.001 or dir/zembu.002 cannot be written\n"},
      {"makeidio", {"idio.txt", "idio.rec"}, "idio.rec", "idio.rec cannot be opened for writing\n"},
      {"zembucrypt", {"lines", "idio.txt", "idio.cry"}, "idio.cry",
       "idio.txt cannot be read or idio.cry cannot be written\n"},
      {"zembucrypt", {"records", "records", "rec.cry"}, "rec.cry",
       "records cannot be read or rec.cry cannot be written\n"},
  };
  for (const call& c : calls) {
    SCOPED_TRACE(c.program + " " + c.output);
    // Without the link the call works.
    EXPECT_EQ(d.run(c.program, c.args).status, 0);
    EXPECT_TRUE(std::filesystem::is_regular_file(d.file(c.output)));
    d.write("victim", "keep\n");
    d.remove(c.output);
    ASSERT_EQ(symlink(c.output.find('/') == std::string::npos ? "victim" : "../victim",
                      d.file(c.output).c_str()),
              0);
    run_result r = d.run(c.program, c.args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, c.message);
    expect_untouched(d, c.output);
    d.remove(c.output);
  }
}

// The token lines of a token file that carry a word: those holding the field marker.
std::vector<std::string> word_lines(const std::string& file) {
  std::vector<std::string> out;
  for (const std::string& l : lines(file)) {
    if (l.find('\xff') != std::string::npos) out.push_back(l);
  }
  return out;
}

TEST(FiltersLongInput, MegabyteWordKeepsEveryByteThroughZembu4) {
  scratch_dir d;
  std::string word;
  const std::string letters = "abcdefghijklmnopqrstuvwxy\x84\x94\x81";
  for (size_t i = 0; word.size() < (1u << 20); ++i) word += letters[i * 5 % letters.size()];
  d.write("text", word + "\n");
  d.mkdir("definitions");
  d.write("definitions/aggl.zmb", "ING\nQQ\n");
  std::string texts;
  size_t runs = 0;
  for (;; ++runs) {
    ASSERT_LT(runs, 100u) << "the text does not end";
    run_result r = d.run("zembu1", {"text", "zembu.ind", "quiet"});
    if (r.status == 3) break;
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string pass1 = d.read("pass1");
    ASSERT_EQ(d.run("zembu4", {"pass1", "pass3"}).status, 0);
    // zembu4 gives back every word line as it is.
    const std::vector<std::string> in = word_lines(pass1), out = word_lines(d.read("pass3"));
    ASSERT_EQ(in, out);
    for (const std::string& l : in) {
      EXPECT_LE(l.size(), 255u);
      EXPECT_EQ(l.find('\xff'), l.rfind('\xff')) << "one field marker a line";
      const size_t text = l.find("\xffZZZ---ZZZ");
      ASSERT_NE(text, std::string::npos) << l;
      EXPECT_LE(l.size() - text - 10, 67u);
      texts += l.substr(text + 10);
    }
  }
  EXPECT_GE(runs, 50u) << "a run reads at most 20000 bytes";
  EXPECT_EQ(texts.size(), word.size());
  EXPECT_TRUE(texts == word);
}

TEST(FiltersLongInput, Zembu3TakesTheEngineLongestLine) {
  scratch_dir d;
  d.write("t.zmb", "@\nder alte \n");
  // 1500 bytes, grown by the substitutions to twice as long: whole, no message.
  std::string line, expected;
  for (int n = 0; line.size() < 1500; ++n) {
    line += "@Mann" + std::to_string(n % 100) + " ";
    expected += "der alte Mann" + std::to_string(n % 100) + " ";
  }
  d.write("pass2", "short\n" + line + "\nend\n");
  run_result r = d.run("zembu3", {"pass2", "pass3", "t.zmb"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_GT(expected.size(), 2900u);
  EXPECT_EQ(lines(d.read("pass3")), (std::vector<std::string>{"short", expected, "end"}));

  // 3000 bytes: cut to 2000 with a message naming the line and its length; the pairs
  // still run on what is left.
  d.write("pass2", "short\n" + std::string(3000, 'x') + "@\nend\n");
  r = d.run("zembu3", {"pass2", "pass3", "t.zmb"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "zembu3: pass2, line 2 is 3001 bytes long; cut to 2000 bytes\n");
  d.write("pass2", "@" + std::string(2999, 'x') + "\n");
  r = d.run("zembu3", {"pass2", "pass3", "t.zmb"});
  EXPECT_EQ(r.err, "zembu3: pass2, line 1 is 3000 bytes long; cut to 2000 bytes\n");
  EXPECT_EQ(d.read("pass3"), "der alte " + std::string(1999, 'x') + "\n");

  // Growth past 8000 bytes is cut there, with a message.
  d.write("pass2", std::string(2000, '@') + "\n");
  r = d.run("zembu3", {"pass2", "pass3", "t.zmb"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "zembu3: pass2, line 1 grew beyond 8000 bytes under the substitutions; "
                   "cut there\n");
  EXPECT_EQ(d.read("pass3").size(), 8001u);
}

TEST(FiltersByte255, ReadsAsABlankInTheText) {
  scratch_dir d;
  d.write("text", "I \xffhave seen\xff\xffthe house.\xff");
  run_result r = d.run("zembu1", {"text", "zembu.ind"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "I have seen the house.\n");
  EXPECT_EQ(d.read("pass0"), "I have seen the house.\n");
  const std::string with_marker = d.read("pass1");
  d.write("text", "I have seen the house. ");
  EXPECT_EQ(d.run("zembu1", {"text", "0", "quiet"}).status, 0);
  EXPECT_EQ(with_marker, d.read("pass1"));
  EXPECT_EQ(word_lines(with_marker).size(), 6u);
  for (const std::string& l : lines(with_marker)) {
    EXPECT_EQ(l.find('\xff'), l.rfind('\xff')) << "one field marker a line";
  }
}

}  // namespace
