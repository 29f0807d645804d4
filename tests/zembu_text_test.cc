// zembu on whole texts: UTF-8 and Latin-1 in, UTF-8 out, every paragraph, the filter on
// standard input, one front end per directory, failed passes and planted links.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/fixtures.h"

namespace {

namespace fs = std::filesystem;
using zembu_test::bin_path;
using zembu_test::lines;
using zembu_test::run_result;
using zembu_test::scratch_dir;

using zembu_test::source_file;

// A working directory with the six programs, the bundled rules and definitions/.
void set_up(const scratch_dir& d) {
  zembu_test::set_up_front_end(d, source_file("rules/rules.txt"));
}

// Replaces the pass program `name` by a script that first runs `before` (shell commands)
// and then the real program.
void wrap(const scratch_dir& d, const std::string& name, const std::string& before) {
  fs::rename(d.file(name), d.file(name + ".real"));
  d.write(name, "#!/bin/sh\n" + before + "\nexec ./" + name + ".real \"$@\"\n");
  fs::permissions(d.file(name), fs::perms::owner_all);
}

bool valid_utf8(const std::string& s) {
  for (size_t i = 0; i < s.size();) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    const size_t len = b < 0x80                ? 1
                       : b >= 0xC2 && b < 0xE0 ? 2
                       : b >= 0xE0 && b < 0xF0 ? 3
                       : b >= 0xF0 && b < 0xF5 ? 4
                                               : 0;
    if (len == 0 || i + len > s.size()) return false;
    for (size_t k = 1; k < len; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += len;
  }
  return true;
}

// The lines of `err` that name a character without a form.
std::set<std::string> no_form_notes(const std::string& err) {
  std::set<std::string> notes;
  for (const std::string& l : lines(err)) {
    if (l.find("has no form in code page 437") != std::string::npos) notes.insert(l);
  }
  return notes;
}

TEST(ZembuText, TheEdgeTextComesOutWholeInUtf8) {
  scratch_dir d;
  set_up(d);
  const std::string text = source_file("tests/texts/edge.txt");
  d.write("edge.txt", text);
  // Through pipes on both sides, as a filter is used.
  run_result r = d.run("/bin/sh", {"-c", "cat edge.txt | ./zembu - | cat > german.txt"}, "", 120);
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string german = d.read("german.txt");
  EXPECT_TRUE(valid_utf8(german)) << german;
  if (access("/usr/bin/iconv", X_OK) == 0) {
    EXPECT_EQ(d.run("/usr/bin/iconv", {"-f", "UTF-8", "-t", "UTF-8", "german.txt"}).status, 0);
  }
  // One German line for every line of the text; the paragraph breaks where they were.
  const std::vector<std::string> in = lines(text), out = lines(german);
  ASSERT_EQ(out.size(), in.size()) << german;
  for (size_t i = 0; i < in.size(); ++i) EXPECT_EQ(out[i].empty(), in[i].empty()) << i;
  EXPECT_NE(out[0].find("Ich bin gl\xc3\xbc"
                        "cklich"),
            std::string::npos)
      << out[0];
  EXPECT_NE(out[1].find("Z\xc3\xbcrich"), std::string::npos) << out[1];
  // The 300-character sentence is one sentence, translated to its end.
  EXPECT_GT(out[3].size(), 300u);
  EXPECT_EQ(out[3].substr(out[3].size() - 17),
            "gl\xc3\xbc"
            "cklich heute.")
      << out[3];
  EXPECT_EQ(r.err.find("longer than"), std::string::npos) << r.err;
  // Typographic characters have their plain forms; only three characters have none.
  EXPECT_EQ(out[0].find("\xe2\x80"), std::string::npos) << out[0];
  EXPECT_EQ(
      no_form_notes(r.err),
      (std::set<std::string>{
          "zembu: U+6771 (\xe6\x9d\xb1) has no form in code page 437 and is written as \"?\".",
          "zembu: U+4EAC (\xe4\xba\xac) has no form in code page 437 and is written as \"?\".",
          "zembu: U+2192 (\xe2\x86\x92) has no form in code page 437 and is written as \"?\"."}));
  EXPECT_NE(out[7].find("?\?) ? es ist neu."), std::string::npos) << out[7];
  // The stray byte 255 makes its line Latin-1: a letter, never a field marker.
  EXPECT_NE(r.err.find("zembu: line 9 is not valid UTF-8; it is read as Latin-1"),
            std::string::npos);
  EXPECT_EQ(out[8], "Die Katze ist \xc3\xbf schwarz.");

  // The Latin-1 variant of the first three paragraphs gives the same German.
  d.write("latin1.txt", source_file("tests/texts/edge-latin1.txt"));
  r = d.run("zembu", {"-"}, source_file("tests/texts/edge-latin1.txt"), 120);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(lines(r.out), std::vector<std::string>(out.begin(), out.begin() + 6));
  EXPECT_EQ(r.err,
            "zembu: line 1 is not valid UTF-8; it is read as Latin-1, and so is every other such "
            "line.\n");
}

TEST(ZembuText, FileModeShowsEveryParagraph) {
  scratch_dir d;
  set_up(d);
  d.write("edge.txt", source_file("tests/texts/edge.txt"));
  const run_result r = d.run("zembu", {"edge.txt"}, "", 120);
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(valid_utf8(r.out));
  for (const char* german : {"das Haus ist rot,", "Wir lieben Deutschland!", "glücklich heute.",
                             "ist schön.", "es ist neu.", "Die Katze ist \xc3\xbf schwarz."}) {
    EXPECT_NE(r.out.find(german), std::string::npos) << german << "\n" << r.out;
  }
}

TEST(ZembuText, ALongWordKeepsEveryLetter) {
  scratch_dir d;
  set_up(d);
  std::string word;
  for (int i = 0; i < 2500; ++i) word += static_cast<char>('a' + i % 26);
  const run_result r = d.run("zembu", {"-"}, "A " + word + " b.\n", 120);
  EXPECT_EQ(r.status, 0) << r.err;
  // The pieces of the sentence are sentences of their own: each may get a capital and a
  // full stop, but no letter goes missing.
  std::string letters;
  for (char c : r.out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != ' ' && c != '\n' && c != '.') letters += c;
  }
  EXPECT_NE(letters.find(word), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("a sentence of 2505 characters is longer than 1000"), std::string::npos);
}

TEST(ZembuText, RawBytesPassButByte255IsABlank) {
  scratch_dir d;
  set_up(d);
  const run_result r = d.run("zembu", {"--raw", "-"}, "I \xffhave seen the house.\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Ich habe das Haus gesehen.\n");
}

TEST(ZembuText, EmptyTextsGiveEmptyLinesAndNoNotes) {
  scratch_dir d;
  set_up(d);
  for (const char* text : {"", "\n\n\n", "\r\n \t\r\n"}) {
    const run_result r = d.run("zembu", {"-"}, text);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string(lines(text).size(), '\n')) << text;
    EXPECT_EQ(r.err, "");
  }
}

TEST(ZembuText, HelpAndVersionTouchNothing) {
  scratch_dir d;
  run_result r = d.run("zembu", {"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("Usage: zembu [--raw] [FILE | -]\n", 0), 0u) << r.out;
  r = d.run("zembu", {"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("zembu version 1.6 (", 0), 0u) << r.out;
  r = d.run("zembu", {"--wrong"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("--wrong"), std::string::npos);
  EXPECT_TRUE(fs::is_empty(d.path()));
}

TEST(ZembuText, AFailedEngineIsNamedAndItsInputNeverShown) {
  scratch_dir d;
  set_up(d);
  // An engine that dies at once, one that leaves no result, and one that cannot start.
  fs::rename(d.file("zembu2"), d.file("zembu2.real"));
  for (const char* engine : {"#!/bin/sh\nkill -9 $$\n", "#!/bin/sh\nexit 0\n", ""}) {
    d.remove("zembu2");
    if (*engine) {
      d.write("zembu2", engine);
      fs::permissions(d.file("zembu2"), fs::perms::owner_all);
    }
    const run_result r = d.run("zembu", {"--processes", "-"}, "The house is red.\n\nIt is red.\n");
    EXPECT_EQ(r.status, 3) << engine;
    EXPECT_EQ(r.out, "\n\n\n") << engine;  // empty lines, no token lines
    EXPECT_EQ(r.err.rfind("zembu: zembu2 ", 0), 0u) << r.err;
    EXPECT_EQ(lines(r.err).size(), 2u) << r.err;
  }
}

TEST(ZembuText, ALongTextShowsItsProgressOnATerminal) {
  if (access("/usr/bin/script", X_OK) != 0) GTEST_SKIP() << "no /usr/bin/script for a terminal";
  scratch_dir d;
  set_up(d);
  std::string text;
  for (int i = 0; i < 101; ++i) text += "It is red.\n";
  d.write("long.txt", text);
  // script gives zembu a terminal for standard error; standard output goes to a file.
  const run_result r =
      d.run("/usr/bin/script", {"-qec", "./zembu long.txt > german.txt", "/dev/null"}, "", 300);
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("zembu: 101 of 101 sentences, "), std::string::npos) << r.out;
  EXPECT_EQ(lines(d.read("german.txt")).size(), 5u + 3 * 101);
  // Not on a terminal, or for a short text: no progress line.
  const run_result quiet =
      d.run("/usr/bin/script", {"-qec", "./zembu - < long.txt > german.txt 2>err.txt", "/dev/null"},
            "", 300);
  EXPECT_EQ(quiet.out.find("sentences/s"), std::string::npos);
  EXPECT_EQ(d.read("err.txt"), "");
}

// Starts zembu in d reading `input_fd`; its output goes to the file `screen`.
pid_t start_zembu(const scratch_dir& d, const std::vector<std::string>& args, int input_fd) {
  const std::string path = d.file("zembu");
  const std::string screen = d.path() + "/../screen";
  std::vector<char*> argv = {const_cast<char*>(path.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    const int out = open(screen.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (chdir(d.path().c_str()) != 0 || out < 0) _exit(126);
    dup2(input_fd, 0);
    dup2(out, 1);
    dup2(out, 2);
    alarm(60);
    execv(path.c_str(), argv.data());
    _exit(127);
  }
  return pid;
}

TEST(ZembuText, OneFrontEndPerDirectory) {
  scratch_dir d;
  set_up(d);
  // The first one waits for typed sentences.
  int input[2];
  ASSERT_EQ(pipe(input), 0);
  const pid_t first = start_zembu(d, {}, input[0]);
  close(input[0]);
  for (int i = 0; i < 1000 && !d.exists("definitions/exec.zmb"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(d.exists("zembu.lock"));
  run_result second = d.run("zembu", {"-"}, "The house is red.\n");
  EXPECT_EQ(second.status, 1);
  EXPECT_EQ(second.out, "");
  EXPECT_NE(second.err.find("another zembu (process " + std::to_string(first) + ")"),
            std::string::npos)
      << second.err;
  // A killed front end leaves its lock file; the next run takes it over.
  kill(first, SIGKILL);
  waitpid(first, nullptr, 0);
  close(input[1]);
  ASSERT_TRUE(d.exists("zembu.lock"));
  second = d.run("zembu", {"-"}, "The house is red.\n");
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(second.out, "Das Haus ist rot.\n");
  EXPECT_FALSE(d.exists("zembu.lock"));
}

TEST(ZembuText, LinksPlantedBeforeOrDuringARunAreNotWrittenThrough) {
  scratch_dir d;
  set_up(d);
  const std::string victim = d.path() + "/../victim";
  std::ofstream(victim) << "precious\n";
  // Before the run: under the procedure script and a definition file.
  fs::create_symlink(victim, d.file("definitions/exec.zmb"));
  fs::create_symlink(victim, d.file("definitions/lexi.zmb"));
  run_result r = d.run("zembu", {"-"}, "The house is red.\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Das Haus ist rot.\n");
  EXPECT_FALSE(fs::is_symlink(d.file("definitions/exec.zmb")));
  // During the run: a pass plants links under the names the next passes write.
  wrap(d, "zembu4", "ln -s " + victim + " pass2");
  r = d.run("zembu", {"--processes", "-"}, "The house is red.\n");
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.out, "\n");
  EXPECT_NE(r.err.find("zembu: zembu2 "), std::string::npos) << r.err;
  fs::rename(d.file("zembu4.real"), d.file("zembu4"));
  wrap(d, "zembu1", "ln -s " + victim + " pass1; ln -s " + victim + " zembu.ind");
  r = d.run("zembu", {"--processes", "-"}, "The house is red.\n");
  EXPECT_EQ(r.status, 3);
  EXPECT_NE(r.err.find("zembu: zembu1 "), std::string::npos) << r.err;
  std::ifstream f(victim);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()),
            "precious\n");
}

}  // namespace
