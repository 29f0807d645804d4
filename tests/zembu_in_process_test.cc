// zembu with the passes inside its own process against zembu --processes, which starts
// the pass programs: for the same rules and text both write the same translations and
// messages, end with the same status and leave the same files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "tests/fixtures.h"

namespace {

namespace fs = std::filesystem;
using zembu_test::bin_path;
using zembu_test::run_result;
using zembu_test::scratch_dir;

using zembu_test::source_file;

void set_up(const scratch_dir& d, const std::string& rules) {
  zembu_test::set_up_front_end(d, rules);
}

// Every file under the working directory but the programs, with its bytes. Of an index
// (.zix, .zid) only the size counts: it holds the time and place of the file it indexes.
std::map<std::string, std::string> files(const scratch_dir& d) {
  std::map<std::string, std::string> all;
  for (const auto& e : fs::recursive_directory_iterator(d.path())) {
    const std::string name = fs::relative(e.path(), d.path()).string();
    bool program = false;
    for (const std::string& p : zembu_test::kFrontEndPrograms) program = program || name == p;
    if (program) continue;
    const std::string ext = e.path().extension().string();
    if (!e.is_regular_file()) {
      all[name] = "<directory>";
    } else if (ext == ".zix" || ext == ".zid") {
      all[name] = "<index of " + std::to_string(e.file_size()) + " bytes>";
    } else {
      all[name] = d.read(name);
    }
  }
  return all;
}

struct both_runs {
  run_result in_process;
  run_result processes;
};

// Runs zembu with `args` and zembu --processes with `args`, each in a directory of its own
// with the same rules and files, and checks that the runs cannot be told apart.
both_runs compare(const std::string& rules, const std::vector<std::string>& args,
                  const std::map<std::string, std::string>& inputs, const std::string& stdin_text,
                  unsigned seconds = 120) {
  scratch_dir a, b;
  set_up(a, rules);
  set_up(b, rules);
  for (const auto& [name, bytes] : inputs) {
    a.write(name, bytes);
    b.write(name, bytes);
  }
  std::vector<std::string> with_processes = {"--processes"};
  with_processes.insert(with_processes.end(), args.begin(), args.end());
  both_runs r;
  r.in_process = a.run("zembu", args, stdin_text, seconds);
  r.processes = b.run("zembu", with_processes, stdin_text, seconds);
  EXPECT_EQ(r.in_process.status, r.processes.status);
  EXPECT_EQ(r.in_process.out, r.processes.out);
  EXPECT_EQ(r.in_process.err, r.processes.err);
  const std::map<std::string, std::string> left = files(a), right = files(b);
  for (const auto& [name, bytes] : left) {
    EXPECT_TRUE(right.count(name) && right.at(name) == bytes) << name << " differs";
  }
  for (const auto& [name, bytes] : right) EXPECT_TRUE(left.count(name)) << name << " missing";
  return r;
}

bool has(const std::string& text, const std::string& what) {
  return text.find(what) != std::string::npos;
}

TEST(ZembuInProcess, SampleTextInEveryMode) {
  const std::string rules = source_file("rules/rules.txt");
  const std::string sample = source_file("rules/sample.txt");
  ASSERT_FALSE(sample.empty());
  both_runs r = compare(rules, {"sample.txt"}, {{"sample.txt", sample}}, "");
  EXPECT_EQ(r.in_process.status, 0);
  EXPECT_TRUE(has(r.in_process.out, "Das Haus ist rot.")) << r.in_process.out;
  r = compare(rules, {"-"}, {}, sample);
  EXPECT_TRUE(has(r.in_process.out, "Das Haus ist rot.")) << r.in_process.out;
  r = compare(rules, {}, {}, "The house is red. I have a car.\n\n");
  EXPECT_TRUE(has(r.in_process.out, "Ich habe ein Auto.")) << r.in_process.out;
  r = compare(rules, {"--explain", "-"}, {}, "The house is red.\nI have seen the house.\n");
  EXPECT_TRUE(has(r.in_process.out, "German: Das Haus ist rot.")) << r.in_process.out;
}

// A lexicon of its own, an idiom whose action stops the engine for every word in -ing,
// and a zembu.cfg: the stopped sentence shows the engine's message and the run goes on.
const char kStoppingRules[] =
    "LEXICON\n"
    "n = NOU---Sns\nv = VER---xxx\nd = DET---xxx\na = ADJ---AD2\n"
    "the d der\nhouse n Haus\nis v ist\nred a rot\nhe d er\n"
    "-----\n"
    "AGGLUTINATION\n-----\n"
    "IDIOMS\n+ING\nA3\n-----\n";

TEST(ZembuInProcess, AnEngineStopEndsOnlyItsSentence) {
  const std::string text = "The house is red. He is walking. The house is red.\n";
  both_runs r = compare(kStoppingRules, {"text.txt"}, {{"text.txt", text}}, "");
  EXPECT_EQ(r.in_process.status, 0);
  EXPECT_TRUE(has(r.in_process.out,
                  "Fatal runtime Error\nDelete affix cannot call Lexikon, not implemented "
                  "(idiome).\nENTER"))
      << r.in_process.out;
  // The sentence after the stop is translated as the first one was.
  const size_t first = r.in_process.out.find("Haus");
  EXPECT_NE(first, std::string::npos);
  EXPECT_NE(r.in_process.out.rfind("Haus"), first) << r.in_process.out;
  // As a filter the engine's console is standard error; its wait for Enter reads the
  // text's input, which the started engine would read too.
  r = compare(kStoppingRules, {"-"}, {}, text + "The house.\n");
  EXPECT_TRUE(has(r.in_process.err, "Fatal runtime Error")) << r.in_process.err;
  // Settings of zembu.cfg hold for every sentence: SHOW CONFIG shows the engine's
  // configuration dialog for each one.
  r = compare(kStoppingRules, {"text.txt"},
              {{"text.txt", "The house is red. The house.\n"}, {"zembu.cfg", "SHOW CONFIG\n"}},
              "n\nn\n");
  EXPECT_TRUE(has(r.in_process.out, "Change configuration (y/n)?")) << r.in_process.out;
}

TEST(ZembuInProcess, EndlessRulesBinaryTextAndAMegabyteLine) {
  // Complex rules that turn a noun round a cycle of symbols, and a restart that runs them
  // again while the class line changes: the bound on firings ends the sentence.
  const std::string rules = std::string(kStoppingRules) +
                            "SYNTAX\n-----\n"
                            "COMPLEX\n1 +\nNOU\nsymbol_AAA\n1 +\nAAA\nsymbol_CCC\n"
                            "1 +\nCCC\nsymbol_NOU\n-----\n"
                            "FUNCTION\n-----\n";
  std::string binary;
  for (int i = 0; i < 3000; ++i) binary += static_cast<char>((i * 7919) % 256);
  both_runs r = compare(rules, {"-"}, {}, "The red house is red.\n" + binary + "\nThe house.\n");
  EXPECT_EQ(r.in_process.status, 0);
  // A line of a megabyte: sentences far apart, with blanks between them (pieces of
  // nothing but blanks are not translated, so the pipeline runs a few times only).
  const std::string gap(300000, ' ');
  const std::string line = "The house is red." + gap + "He is walking." + gap +
                           std::string(2500, 'x') + gap + "The red house." + gap + "\n";
  ASSERT_GT(line.size(), 1u << 20);
  r = compare(rules, {"big.txt"}, {{"big.txt", line}}, "", 300);
  EXPECT_EQ(r.in_process.status, 0);
  EXPECT_TRUE(has(r.in_process.err, "is translated in")) << r.in_process.err.substr(0, 300);
  EXPECT_TRUE(has(r.in_process.out, "Fatal runtime Error")) << r.in_process.out.substr(0, 300);
}

// Ctrl-C in the middle of a long text: the sentence being translated is not shown, the
// run ends with status 130 and leaves nothing behind but what was there.
TEST(ZembuInProcess, AnInterruptionEndsTheRunAndLeavesNoFiles) {
  scratch_dir d;
  set_up(d, source_file("rules/rules.txt"));
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "The house is red. I have a car.\n";
  d.write("text.txt", text);
  const std::string zembu = d.file("zembu");
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(d.path().c_str()) != 0) _exit(126);
    const int out = open("screen", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int in = open("/dev/null", O_RDONLY);
    dup2(in, 0);
    dup2(out, 1);
    alarm(60);
    execl(zembu.c_str(), zembu.c_str(), "text.txt", static_cast<char*>(nullptr));
    _exit(127);
  }
  ASSERT_GT(pid, 0);
  // Some sentences are through when the interruption comes.
  for (int i = 0; i < 3000 && d.read("screen").find("Das Haus ist rot.") == std::string::npos;
       ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid, SIGINT);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));  // it ended by itself, not by the signal
  EXPECT_EQ(WEXITSTATUS(status), 130);
  const std::string screen = d.read("screen");
  EXPECT_NE(screen.find("Das Haus ist rot."), std::string::npos);
  EXPECT_LT(screen.size(), text.size());  // the text was not finished
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(d.path())) left.push_back(e.path().filename());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"definitions", "makezembu", "rules.txt", "screen",
                                            "text.txt", "zembu", "zembu1", "zembu2", "zembu3",
                                            "zembu4"}));
}

// The English sentences of the grammar's regression suite.
std::string regression_english() {
  std::string out;
  std::string suite = source_file("rules/regression.tsv");
  size_t at = 0;
  while (at < suite.size()) {
    size_t end = suite.find('\n', at);
    if (end == std::string::npos) end = suite.size();
    const std::string row = suite.substr(at, end - at);
    at = end + 1;
    if (row.empty() || row[0] == '#') continue;
    const size_t tab = row.find('\t');
    if (tab == std::string::npos) continue;
    out += row.substr(0, tab) + "\n";
  }
  return out;
}

TEST(ZembuInProcess, FullRulesOnTheRegressionSuiteAndDevelopmentSentences) {
  const zembu_test::generated_rules full = zembu_test::full_rules();
  if (full.path.empty()) GTEST_SKIP() << full.why;
  std::ifstream f(full.path, std::ios::binary);
  const std::string rules((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  const std::string suite = regression_english();
  ASSERT_GT(zembu_test::lines(suite).size(), 200u);
  both_runs r = compare(rules, {"-"}, {}, suite, 600);
  EXPECT_EQ(r.in_process.status, 0);
  EXPECT_EQ(zembu_test::lines(r.in_process.out).size(), zembu_test::lines(suite).size());

  scratch_dir q;
  const run_result pairs = q.run(bin_path("quality"), {"extract", "/usr/share/trans/de-en"});
  if (pairs.status != 0) GTEST_SKIP() << "no development sentences: " << pairs.err;
  std::string english;
  size_t taken = 0;
  for (const std::string& row : zembu_test::lines(pairs.out)) {
    if (taken == 500) break;
    english += row.substr(0, row.find('\t')) + "\n";
    ++taken;
  }
  ASSERT_EQ(taken, 500u);
  r = compare(rules, {"-"}, {}, english, 600);
  EXPECT_EQ(zembu_test::lines(r.in_process.out).size(), 500u);
}

}  // namespace
