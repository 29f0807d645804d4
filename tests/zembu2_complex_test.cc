// Pattern rules through the engine: matching modes, backtracking, delimiters, bang rules
// and the operations, observed in the analysis table that the trace shows afterwards.
#include <gtest/gtest.h>

#include "tests/fixtures.h"

namespace {

using zembu_test::lines;
using zembu_test::run_result;
using zembu_test::scratch_dir;

// A sentence of words of the given classes; a lexicon gives each word the entry of its
// class, six dashes and the lower-case class as text (STR and SEN around them).
struct words_and_lexicon {
  std::string tokens, lexicon;
};

words_and_lexicon sentence(const std::vector<std::string>& classes) {
  words_and_lexicon s;
  s.tokens = "STR ------\n";
  s.lexicon = ".\nSEN------.\n";
  for (const std::string& c : classes) {
    std::string text = c;
    for (char& ch : text) ch = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
    s.tokens += "ZZZ " + c + " \xffZZZ---ZZZ" + text + "\n";
    s.lexicon += c + "\n" + c + "------" + text + "\n";
  }
  s.tokens += "SEN . \xffZZZ---ZZZ.\n";
  return s;
}

// One word with its own entry.
words_and_lexicon one_word(const std::string& entry) {
  return {"STR ------\nZZZ W \xffZZZ---ZZZw\nSEN . \xffZZZ---ZZZ.\n", "W\n" + entry + "\n.\nSEN------.\n"};
}

struct analysis {
  std::string class_line;
  std::vector<std::string> rows;  // " 2 ADJ: ADJ " style lines, one per place
  std::string out;
};

// Runs the rule file over the sentence and returns the analysis table shown afterwards.
analysis run_rules(scratch_dir& d, const std::string& rules, const words_and_lexicon& input,
                   const std::string& step = "5 comp1.zmb\n") {
  const zembu_test::engine_run r = zembu_test::translate_tokens(
      d, "PROCEDURES\nF *\nL lexi.zmb\n" + step + "f *\n5 show.zmb\n", input.tokens,
      {{"comp1.zmb", rules}, {"lexi.zmb", input.lexicon}}, {"visible"});
  analysis a;
  a.out = r.trace;
  size_t from = r.trace.find("show.zmb: \n");
  size_t to = r.trace.find("Disconti: show.zmb file not open!");
  if (from == std::string::npos || to == std::string::npos) {
    ADD_FAILURE() << r.trace;
    return a;
  }
  auto l = lines(r.trace.substr(from + 11, to - from - 11));
  if (l.empty()) return a;
  a.class_line = l[0];
  for (size_t i = 1; i < l.size() && l[i].size() > 3 && l[i][2] == ' ' && l[i].find(": ") == 6; ++i) {
    a.rows.push_back(l[i]);
  }
  return a;
}

// A rule file over a sentence and the class line it must leave.
struct class_line_case {
  const char* name;
  std::string rules;
  words_and_lexicon input;
  std::string class_line;
};

// Runs the cases one after the other in one working directory, each named on failure.
void expect_class_lines(const std::vector<class_line_case>& cases) {
  scratch_dir d;
  for (const class_line_case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(run_rules(d, c.rules, c.input).class_line, c.class_line);
  }
}

TEST(Zembu2Complex, MatchingModes) {
  const std::string adjacent = "2 >\nADJ\nNOU\nU\nSNPX\n";
  const std::string delimited = "2 +KOM\nADJ\nNOU\nU\nSNPX\n";
  expect_class_lines({
      // After the first firing the file starts again, so both adjectives change.
      {"one item fires at the first matching place", "1 +\nADJ\nSXYZ\n",
       sentence({"NOU", "ADJ", "ADJ"}), "ZZ_NOUXYZXYZSEN"},
      // Adjacent items may have E places between them.
      {"adjacent", adjacent, sentence({"ADJ", "NOU"}), "ZZ_ADJNPXSEN"},
      {"adjacent across an E place", adjacent, sentence({"ADJ", "EXX", "NOU"}), "ZZ_ADJEXXNPXSEN"},
      {"adjacent across another place", adjacent, sentence({"ADJ", "XXX", "NOU"}),
       "ZZ_ADJXXXNOUSEN"},
      // Free mode finds two items on one place.
      {"free mode", "2 -\nNOU\nNOU\nSAAA\nU\n", sentence({"ADJ", "NOU"}), "ZZ_ADJAAASEN"},
      {"ordered mode", "2 +\nNOU\nNOU\nSAAA\nU\n", sentence({"ADJ", "NOU"}), "ZZ_ADJNOUSEN"},
      // The last place is tried only as the first candidate.
      {"last place as a later item", "1 +\nSEN\nSZZZ\n", sentence({"ADJ"}), "ZZ_ADJSEN"},
      {"last place as the first candidate", "2 >\nADJ\nSEN\nU\nSZZZ\n", sentence({"ADJ"}),
       "ZZ_ADJZZZ"},
      // A delimiter stops the search.
      {"delimiter between", delimited, sentence({"ADJ", "KOM", "NOU"}), "ZZ_ADJKOMNOUSEN"},
      {"delimiter behind", delimited, sentence({"ADJ", "NOU", "KOM"}), "ZZ_ADJNPXKOMSEN"},
      // No item can be found behind the first delimiter place.
      {"delimiter first", "1 +KOM\nNOU\nSNPX\n", sentence({"KOM", "NOU"}), "ZZ_KOMNOUSEN"},
  });
}

TEST(Zembu2Complex, BangRuleNeedsAnOpenReading) {
  scratch_dir d;
  const std::string rule = "!1 +\nVER !VER\n?1VER\n";
  EXPECT_EQ(run_rules(d, rule, one_word("ZZZ*NOU---xxxGang*VER---xxxgehen")).class_line,
            "ZZ_ZZZSEN");  // the place pattern is VER
  auto a = run_rules(d, rule, one_word("VER*NOU---xxxGang*VER---xxxgehen"));
  EXPECT_EQ(a.class_line, "ZZ_VERSEN");
  EXPECT_NE(a.out.find("VER---xxx gehen"), std::string::npos) << a.out;
  // A word already reduced to the reading never lets the bang rule fire.
  EXPECT_EQ(run_rules(d, "!1 +\nVER !VER\nSQQQ\n", one_word("VER---xxxgehen")).class_line,
            "ZZ_VERSEN");
  EXPECT_EQ(run_rules(d, "1 +\nVER !VER\nSQQQ\n", one_word("VER---xxxgehen")).class_line,
            "ZZ_QQQSEN");
}

TEST(Zembu2Complex, RestartFromTheFirstRuleAfterEveryFiring) {
  scratch_dir d;
  auto a = run_rules(d, "1 +\nBBB\nSCCC\n1 +\nAAA\nSBBB\n", sentence({"AAA"}));
  EXPECT_EQ(a.class_line, "ZZ_CCCSEN");
}

TEST(Zembu2Complex, CapturesSwapMoveAndNewPlaces) {
  expect_class_lines({
      {"capture into a new symbol", "1 +\nN.U\nSX.Z\n", sentence({"NOU"}), "ZZ_XOZSEN"},
      // A new place whose symbol holds letters a-j takes the captures after the firing.
      {"capture into a new place", "1 +\nN.U\nL*NEW=a.a------neu SQQQ\n", sentence({"NOU"}),
       "ZZ_OOOQQQSEN"},
      {"swap", "1 +\nADJ\nT1 SQQQ\n", sentence({"ADJ", "NOU"}), "ZZ_QQQNOUSEN"},
      {"swap two items", "2 +\nADJ\nNOU\nT2 SQQQ\nSRRR\n", sentence({"ADJ", "NOU"}),
       "ZZ_RRRQQQSEN"},
      // After L the item is still on its own place.
      {"new place before", "1 +\nADJ\nL*NEW=NEU------neu SQQQ\n", sentence({"ADJ"}),
       "ZZ_NEUQQQSEN"},
      {"new place after", "1 +\nADJ\nA*NEW=NEU------neu SQQQ\n", sentence({"ADJ"}),
       "ZZ_QQQNEUSEN"},
      // X moves the verb (item 2) to the place of item 1; the place indexes then both name
      // the place behind it, so both symbol changes land on the comma's place.
      {"exchange", "2 +\nKOM\nVER\nX2 SKKK\nSVVV\n", sentence({"KOM", "NOU", "VER"}),
       "ZZ_VERVVVNOUSEN"},
      // M moves the verb in front of the adjective.
      {"move", "2 -\nADJ\nVER\nM2\nU\n", sentence({"VER", "NOU", "ADJ"}), "ZZ_NOUVERADJSEN"},
  });
}

TEST(Zembu2Complex, DeleteAndSplitPlaces) {
  scratch_dir d;
  auto del = run_rules(d, "1 +\nADJ\nD\n", sentence({"NOU", "ADJ"}));
  EXPECT_EQ(del.class_line, "ZZ_NOUSEN");
  EXPECT_EQ(del.rows.size(), 3u);
  // D on the last place (reached as the adjacent item behind the adjective): the class
  // line is one symbol shorter and the last row is empty.
  auto last = run_rules(d, "2 >\nADJ\nSEN\nU\nD\n", sentence({"NOU", "ADJ"}));
  EXPECT_EQ(last.class_line, "ZZ_NOUADJ");
  EXPECT_EQ(last.rows.size(), 3u);
  // Q needs a member behind the matched one; R only the matched member.
  const words_and_lexicon tokens = sentence({"NOU"});
  EXPECT_EQ(run_rules(d, "1 +\nNOU #NOU\nQ1AAABBB\n", tokens).class_line, "ZZ_NOUSEN");
  EXPECT_EQ(run_rules(d, "1 +\nNOU #NOU\nR1AAABBB\n", tokens).class_line, "ZZ_AAABBBSEN");
  EXPECT_EQ(run_rules(d, "1 +\nNOU #NOU\nI1+*ADJ------x Q1***BBB\n", tokens).class_line,
            "ZZ_NOUBBBSEN");
}

TEST(Zembu2Complex, PrefixesAndMembers) {
  scratch_dir d;
  // V on a verb without "+" adds a prefix word with an empty text in front of the verb.
  auto v = run_rules(d, "1 +\nVER #VER\nV1 SQQQ\n", sentence({"VER"}));
  ASSERT_GE(v.rows.size(), 2u) << v.out;
  EXPECT_EQ(v.rows[1], " 2 VER: PREFIX_ VER ");
  auto k = run_rules(d, "1 +\nVER +\nK1 SQQQ\n", one_word("VER------an+rufen"));
  EXPECT_EQ(k.class_line, "ZZ_ADPQQQSEN");
  EXPECT_NE(k.out.find("ADP------ an"), std::string::npos) << k.out;
  EXPECT_NE(k.out.find("VER------ rufen"), std::string::npos);
}

TEST(Zembu2Complex, NegatedAndPositionedWordTests) {
  expect_class_lines({
      {"negated other class", "1 +\nNOU /#ADJ\nSQQQ\n", sentence({"NOU"}), "ZZ_QQQSEN"},
      {"negated own class", "1 +\nNOU /#NOU\nSQQQ\n", sentence({"NOU"}), "ZZ_NOUSEN"},
      {"text", "1 +\nNOU >nou\nSQQQ\n", sentence({"NOU"}), "ZZ_QQQSEN"},
      {"before", "1 +\nNOU <NOU\nSQQQ\n", sentence({"NOU"}), "ZZ_QQQSEN"},
      {"and", "1 +\nNOU &NOU\nSQQQ\n", sentence({"NOU"}), "ZZ_QQQSEN"},
  });
}

TEST(Zembu2Complex, TemplateAndPerWordRuleFiles) {
  scratch_dir d;
  d.mkdir("definitions");
  // X: a template whose trigger is a word of the sentence, filled with the list's fields.
  d.write("definitions/list.zmb", "NOU THING *NOU tmpl\n");
  d.write("definitions/xyztmpl.zmb", "1 +\n$$$1\nSQQQ\n");
  EXPECT_EQ(run_rules(d, "", sentence({"ADJ", "NOU"}), "X list.zmb\n").class_line, "ZZ_ADJQQQSEN");
  // D: the rule file named after a word whose entry carries "|".
  d.write("definitions/NOU.ZMD", "1 +\nNOU\nSRRR\n");
  auto input = sentence({"ADJ", "NOU"});
  input.lexicon += "NOU\nNOU------|nou\n";
  input.lexicon.replace(input.lexicon.find("NOU\nNOU------nou\n"), 17, "");
  auto a = run_rules(d, "", input, "D *\n");
  EXPECT_EQ(a.class_line, "ZZ_ADJRRRSEN");
  EXPECT_EQ(a.out.find("|nou"), std::string::npos);  // the marker is taken out
}

TEST(Zembu2Complex, CompiledRulePutsTheVerbAtTheEndOfTheClause) {
  scratch_dir d;
  ASSERT_EQ(zembu_test::compile_rules(d,
          "LEXICON\n"
          "p = PRO---xxx\nv = VER---xxx\nc = CON---xxx\na = ADV---xxx\n"
          "i p ich\nknow v weiss\nthat c dass\nhe p er\nis v ist\nhere a hier\n"
          "-----\n"
          "COMPLEX\n"
          "; in a clause behind \"dass\" the verb goes to the end, and a comma comes first\n"
          "4 +\n"
          "CON\nPRO\nVER\nADV\n"
          "before_KOM------,\nunchanged_\nunchanged_\nexchange_3\n"
          "-----\n"
          "FUNCTION\n"
          "-----\n"
          "AGGLUTINATION\n"
          "-----\n"
          "FINAL SUBSTITUTION\n"
          " . -> .\n"
          "-----\n").out,
            "");
  EXPECT_EQ(d.read("definitions/comp1.zmb"), "4 +\nCON\nPRO\nVER\nADV\nLKOM------,\nU\nU\nT3\n");
  zembu_test::run_pipeline(d, "I know that he is here.");
  EXPECT_EQ(d.read("pass3"), "Ich weiss, dass er hier ist. \n");
}

TEST(Zembu2Complex, RulesThatFireForeverStop) {
  scratch_dir d;
  auto a = run_rules(d, "1 +\nNOU\nU\n", sentence({"NOU"}));
  EXPECT_EQ(a.class_line, "ZZ_NOUSEN");
  d.write("definitions/exec.zmb", "PROCEDURES\nL lexi.zmb\n5 comp1.zmb\n");
  const std::string trace = zembu_test::run_engine(d, {"visible"}).trace;
  EXPECT_NE(trace.find("stopped after 1000 firings"), std::string::npos);
}

TEST(Zembu2Complex, BadRulesAreHarmless) {
  scratch_dir d;
  std::string rules =
      "noblank\nx +\n"  // malformed headers are skipped line by line
      "12 +\nA\nB\nC\nD\nE\nF\nG\nH\nI\nJ\nK\nL\n1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n"
      "1 +\nNOU A B C D E F G H I J K L M\nT X0 M9 E7 Y0 Q Z9ABC I0 I9xyz P0 P9#X V K ! ? = - S\n"
      "3 <\nSEN\nNOU\nSTR\nU\nU\nU\n";
  auto a = run_rules(d, rules, sentence({"NOU", "ADJ"}));
  EXPECT_EQ(a.out.find("Fatal"), std::string::npos);
}

}  // namespace
