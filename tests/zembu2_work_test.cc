// The engine's bounds on the work and the trace of one sentence: rule sets that keep each
// other busy end the sentence with a trace line and the result made so far.
#include <gtest/gtest.h>

#include <string>

#include "tests/fixtures.h"

namespace {

using zembu_test::count_of;
using zembu_test::engine_run;
using zembu_test::scratch_dir;

const char kStopped[] =
    "sentence stopped after 1000000 steps of work: the result is what the rules made so far.\n";
const char kSentence[] =
    "STR ------\nZZZ K1 \xffZZZ---ZZZK1\nZZZ K2 \xffZZZ---ZZZK2\nSEN . \xffSEN------.\n";

void write_sentence(const scratch_dir& d, int sentences = 1) {
  d.mkdir("definitions");
  d.write("definitions/lexi.zmb", "K1\nNOU---SnsHaus\nK2\nADJ---AD2rot\n");
  std::string tokens;
  for (int i = 0; i < sentences; ++i) tokens += kSentence;
  d.write("pass3", tokens);
}

// Runs the engine over pass3 with the trace on.
engine_run run_visible(const scratch_dir& d) { return zembu_test::run_engine(d, {"visible"}); }

TEST(Zembu2Work, PatternRuleFiringsAreCountedOverTheWholeSentence) {
  scratch_dir d;
  write_sentence(d);
  // comp1 turns NOU round a cycle of three symbols, and procedure 6 starts it again as
  // long as the class line changes: the firings stop once, for the whole sentence.
  d.write("definitions/exec.zmb",
          "PROCEDURES\nL lexi.zmb\n3 *\nG restart\n5 comp1.zmb\n5 comp2.zmb\n6 restart\n");
  d.write("definitions/comp1.zmb", "1 +\nNOU\nSAAA\n1 +\nAAA\nSCCC\n1 +\nCCC\nSNOU\n");
  d.write("definitions/comp2.zmb", "1 +\nADJ\nSBBB\n");
  engine_run r = run_visible(d);
  EXPECT_EQ(r.status, 0);
  // Every firing shows its rule; 1000 of them in all, where 1000 a call would allow a
  // million. comp2 comes too late to fire, and each file says so when a rule matches
  // after the limit: in the first round and in the one restart the last firing causes.
  EXPECT_EQ(count_of(r.trace, "idiom rule:   "), 1000u);
  EXPECT_EQ(count_of(r.trace, "Disconti: comp1.zmb stopped after 1000 firings in this sentence\n"), 2u);
  EXPECT_EQ(count_of(r.trace, "Disconti: comp2.zmb stopped after 1000 firings in this sentence\n"), 2u);
  EXPECT_EQ(d.read("pass2"), "Haus rot. \n");
}

// A syntax file that flips the class line and many idiom rules, both run again by every
// restart of procedure 6: the restarts alone would allow a million idiom attempts.
void write_busy_rules(const scratch_dir& d) {
  std::string rules;
  for (int i = 0; i < 300; ++i) rules += "NOU\nAAA\n\nAAA\nNOU\n\n";
  d.write("definitions/synt1.zmb", rules);
  std::string idioms;
  for (int i = 0; i < 500; ++i) idioms += "HAUS\nR*NOU---SnsHaus\n";
  d.write("definitions/idio1.zmb", idioms);
  d.write("definitions/exec.zmb",
          "PROCEDURES\nL lexi.zmb\n3 *\nG restart\n2 idio1.zmb\nA synt1.zmb\n6 restart\n");
}

TEST(Zembu2Work, BusyRulesEndTheSentenceWithItsResult) {
  scratch_dir d;
  write_sentence(d);
  write_busy_rules(d);
  engine_run r = run_visible(d);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(count_of(r.trace, kStopped), 1u);
  // Nothing runs after the trace line but the result line.
  EXPECT_EQ(r.trace.find("-----------------\n", r.trace.find(kStopped)), std::string::npos);
  EXPECT_EQ(d.read("pass2"), "Haus rot. \n");
  // Without the trace the bound holds the same way, silently.
  r = zembu_test::run_engine(d);
  EXPECT_EQ(r.trace.find("steps of work"), std::string::npos);
  EXPECT_EQ(d.read("pass2"), "Haus rot. \n");
}

TEST(Zembu2Work, EachSentenceHasBoundsOfItsOwn) {
  scratch_dir d;
  write_sentence(d, 2);
  write_busy_rules(d);
  engine_run r = run_visible(d);
  EXPECT_EQ(count_of(r.trace, kStopped), 2u);
  EXPECT_EQ(d.read("pass2"), "Haus rot. \nHaus rot. \n");
  d.write("definitions/exec.zmb",
          "PROCEDURES\nL lexi.zmb\n3 *\nG restart\n5 comp1.zmb\n6 restart\n");
  d.write("definitions/comp1.zmb", "1 +\nNOU\nSAAA\n1 +\nAAA\nSCCC\n1 +\nCCC\nSNOU\n");
  r = run_visible(d);
  EXPECT_EQ(count_of(r.trace, "idiom rule:   "), 2000u);
}

TEST(Zembu2Work, LongTraceIsCutOffAndTheSentenceGoesOn) {
  scratch_dir d;
  write_sentence(d);
  // 80 words make every firing of the cycling pattern rule show a long table.
  std::string tokens = "STR ------\n";
  for (int i = 0; i < 80; ++i) tokens += "ZZZ K2 \xffZZZ---ZZZK2\n";
  tokens += "ZZZ K1 \xffZZZ---ZZZK1\nSEN . \xffSEN------.\n";
  d.write("pass3", tokens + tokens);
  d.write("definitions/exec.zmb",
          "PROCEDURES\nL lexi.zmb\n3 *\nG restart\n5 comp1.zmb\n6 restart\n");
  d.write("definitions/comp1.zmb", "1 +\nNOU\nSAAA\n1 +\nAAA\nSCCC\n1 +\nCCC\nSNOU\n");
  engine_run r = run_visible(d);
  EXPECT_EQ(r.status, 0);
  // Cut once in each sentence: the second sentence starts with its trace on again.
  const std::string cut =
      "trace stopped after 200000 lines in this sentence; the sentence goes on without it.\n";
  EXPECT_EQ(count_of(r.trace, cut), 2u);
  EXPECT_LT(count_of(r.trace, "\n"), 2 * 200000u + 2000u);
  EXPECT_NE(r.trace.find("MODUS=", r.trace.find(cut)), std::string::npos);
  // The result is the one made without the trace.
  const std::string traced = d.read("pass2");
  r = zembu_test::run_engine(d);
  EXPECT_EQ(r.trace, "");
  EXPECT_EQ(d.read("pass2"), traced);
  EXPECT_EQ(traced.substr(0, 8), "Rot rot ");
}

}  // namespace
