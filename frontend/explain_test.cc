#include "frontend/explain.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zembu::frontend {
namespace {

const char kTrace[] =
    "sentence\t000001\n"
    "words\t2\nword\t1\tTHE\tZZZ---ZZZthe\nword\t2\tHOUSE\tZZZ---ZZZhouse\n"
    "class\tZZZZZZ\n"
    "procedure\t1\tL\tlexi.zmb\tlexicon\n"
    "fired\tlexi.zmb\t3\t4\n"
    "fired\tlexi.zmb\t1\t2\n"
    "words\t2\nword\t1\tTHE\tART------das\nword\t2\tHOUSE\tSUN------Haus\n"
    "class\tARTSUN\n"
    "procedure\t2\t5\tcomp1.zmb\t\n"
    "fired\tcomp1.zmb\t2\t4\n"
    "procedure\t3\t2\t/tmp/x.zmb\t\n"
    "fired\t/tmp/x.zmb\t1\t2\n"
    "result\tDas Haus\n"
    "end\n"
    "sentence\t000002\n"
    "procedure\t1\tL\tlexi.zmb\t\n";

TEST(ExplainTrace, ReadsSentencesProceduresFiringsAndChanges) {
  const std::vector<trace_sentence> s = parse_explain_trace(kTrace);
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].label, "000001");
  ASSERT_EQ(s[0].words.size(), 2u);
  EXPECT_EQ(s[0].words[1].first, "HOUSE");
  EXPECT_EQ(s[0].class_line, "ZZZZZZ");
  ASSERT_EQ(s[0].procedures.size(), 3u);
  const trace_procedure& lex = s[0].procedures[0];
  EXPECT_EQ(lex.code, "L");
  EXPECT_EQ(lex.argument, "lexicon");
  ASSERT_EQ(lex.fired.size(), 2u);
  EXPECT_EQ(lex.fired[0].first, 3);  // in firing order
  EXPECT_EQ(lex.fired[1].last, 2);
  EXPECT_TRUE(lex.words_changed);
  EXPECT_EQ(lex.words[1].second, "SUN------Haus");
  EXPECT_TRUE(lex.class_changed);
  EXPECT_FALSE(s[0].procedures[1].words_changed);
  EXPECT_FALSE(s[0].procedures[1].class_changed);
  EXPECT_EQ(s[0].result, "Das Haus");
  EXPECT_TRUE(s[0].complete);
  // A trace cut off (an engine that stopped) is kept as far as it goes.
  EXPECT_FALSE(s[1].complete);
  EXPECT_EQ(s[1].procedures.size(), 1u);
}

rule_source source() {
  rule_source src;
  for (int i = 1; i <= 12; ++i) src.lines.push_back("line " + std::to_string(i));
  rules_map m;
  m.add("lexi.zmb", 2, 5);
  m.add("lexi.zmb", 2, 6);
  for (long s = 9; s <= 12; ++s) m.add("comp1.zmb", 1, s);
  m.add("user2.zmb", 2, 2, 2);
  src.map = parse_rules_map(m.text());
  return src;
}

TEST(ExplainCite, QuotesEverySourceLineOfTheRecordsARuleTakes) {
  const rule_source src = source();
  EXPECT_EQ(cite_rule(src, {"lexi.zmb", 3, 4}),
            std::vector<std::string>{"rules.txt:6: line 6"});
  EXPECT_EQ(cite_rule(src, {"comp1.zmb", 2, 4}),
            (std::vector<std::string>{"rules.txt:10: line 10", "rules.txt:11: line 11",
                                      "rules.txt:12: line 12"}));
  // A compound entry comes from its line and the translation line after it.
  EXPECT_EQ(cite_rule(src, {"user2.zmb", 1, 2}),
            (std::vector<std::string>{"rules.txt:2: line 2", "rules.txt:3: line 3"}));
  EXPECT_EQ(cite_rule(src, {"/tmp/x.zmb", 1, 2}),
            std::vector<std::string>{"(not compiled from rules.txt)"});
  EXPECT_EQ(cite_rule(src, {"lexi.zmb", 7, 8}),
            std::vector<std::string>{"(not compiled from rules.txt)"});
}

bool has_line(const std::vector<std::string>& lines, const std::string& l) {
  return std::find(lines.begin(), lines.end(), l) != lines.end();
}

TEST(ExplainReport, ShowsTokensProceduresSourcesChangesAndTheGerman) {
  explained_piece p;
  p.tokens = {"STR ------", "ZZZ THE \xffZZZ---ZZZthe"};
  p.split_tokens = p.tokens;
  p.result = {"Das Haus"};
  p.trace = kTrace;
  const std::vector<std::string> r =
      explain_report(source(), "The house", {p}, {"Das Haus"});
  EXPECT_EQ(r.front(), "Sentence: The house");
  EXPECT_TRUE(has_line(r, "  ZZZ THE  | ZZZ---ZZZthe"));
  EXPECT_TRUE(has_line(r, "Tokens after zembu4: the same"));
  EXPECT_TRUE(has_line(r, "  Procedure 1: L lexi.zmb  lexicon"));
  EXPECT_TRUE(has_line(r, "    Fired lexi.zmb record 2:"));
  EXPECT_TRUE(has_line(r, "      rules.txt:6: line 6"));
  EXPECT_TRUE(has_line(r, "    Fired comp1.zmb records 2-4:"));
  EXPECT_TRUE(has_line(r, "    Fired /tmp/x.zmb lines 1-2:"));
  EXPECT_TRUE(has_line(r, "        2  HOUSE                SUN------Haus"));
  EXPECT_TRUE(has_line(r, "    Class line: ARTSUN"));
  EXPECT_TRUE(has_line(r, "  (the engine's trace ends here)"));
  EXPECT_TRUE(has_line(r, "Result line: Das Haus"));
  EXPECT_EQ(r.back(), "German: Das Haus");
  // The firings of a procedure stay in their order.
  const auto first = std::find(r.begin(), r.end(), "      rules.txt:6: line 6");
  const auto second = std::find(r.begin(), r.end(), "      rules.txt:5: line 5");
  EXPECT_LT(first, second);
}

TEST(ExplainPairs, NamesThePairsThatChangedATextInTableOrder) {
  // zembu1 drops a search line without its replacement; zembu3 gives it an empty one.
  EXPECT_EQ(read_pairs("COLOUR\nCOLOR\nGREY\n", false, 200).size(), 1u);
  const std::vector<replace_pair> pairs = read_pairs("COLOUR\nCOLOR\nOR\nOUR\nGREY\n", true, 200);
  ASSERT_EQ(pairs.size(), 3u);
  EXPECT_EQ(pairs[2].replacement, "");
  EXPECT_EQ(read_pairs("A\nB\nC\nD\n", true, 1).size(), 1u);
  // COLOUR -> COLOR, then OR -> OUR (in the result of the first); GREY is not there. The
  // second text is changed by the second pair alone.
  const std::vector<trace_rule> fired =
      pairs_fired(pairs, "ascii.zmb", {"COLOUR", "FOR"}, 255);
  ASSERT_EQ(fired.size(), 3u);
  EXPECT_EQ(fired[0].first, 1);
  EXPECT_EQ(fired[0].last, 2);
  EXPECT_EQ(fired[1].first, 3);
  EXPECT_EQ(fired[2].first, 3);
  EXPECT_TRUE(pairs_fired(pairs, "ascii.zmb", {"HOUSE"}, 255).empty());
}

TEST(ExplainPairs, TokenKeysAreTheUpperCasedTokensWithoutPaths) {
  EXPECT_EQ(token_keys({"STR ------", "YYY *", "ZZZ COLOUR \xffZZZ---ZZZColour",
                        "ZZZ A/B \xffZZZ---ZZZa/b", "SEN . \xffZZZ---ZZZ."}),
            (std::vector<std::string>{"COLOUR", "."}));
}

TEST(ExplainArgs, TakesOneSentenceOrStandardInput) {
  frontend_args a;
  std::string error;
  ASSERT_TRUE(parse_frontend_args({"--explain", "I have seen the house."}, a, error));
  EXPECT_TRUE(a.explain);
  EXPECT_EQ(a.explain_text, "I have seen the house.");
  ASSERT_TRUE(parse_frontend_args({"--raw", "--explain", "-"}, a, error));
  EXPECT_TRUE(a.raw);
  EXPECT_EQ(a.explain_text, "-");
  EXPECT_FALSE(parse_frontend_args({"--explain"}, a, error));
  EXPECT_NE(error.find("--explain needs"), std::string::npos);
  EXPECT_FALSE(parse_frontend_args({"--explain", "x", "story.txt"}, a, error));
  EXPECT_FALSE(parse_frontend_args({"story.txt", "--explain", "x"}, a, error));
}

}  // namespace
}  // namespace zembu::frontend
