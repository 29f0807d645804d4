#include "engine/explain.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>

#include "engine/procedures.h"
#include "engine/scratch_dir_fixture.h"
#include "engine/wordtable.h"

namespace zembu::engine {
namespace {

explain_view view_of(std::vector<std::pair<std::string, std::string>> words, std::string cls) {
  explain_view v;
  v.words = std::move(words);
  v.class_line = std::move(cls);
  return v;
}

TEST(ExplainBlock, ListsFiredRulesInOrderAndOnlyWhatChanged) {
  procedure_entry e;
  e.code = '4';
  e.name = "synt1.zmb";
  const explain_view before = view_of({{"THE", "ART------das"}, {"DOG", "SUN------Hund"}}, "ARTSUN");
  // Nothing changed and nothing fired: the procedure line alone.
  EXPECT_EQ(procedure_block(7, e, {}, before, before), "procedure\t7\t4\tsynt1.zmb\t\n");
  // Only the class line changed.
  explain_view after = before;
  after.class_line = "NPH";
  EXPECT_EQ(procedure_block(7, e, {{"synt1.zmb", 4, 6}, {"synt1.zmb", 1, 3}}, before, after),
            "procedure\t7\t4\tsynt1.zmb\t\n"
            "fired\tsynt1.zmb\t4\t6\n"
            "fired\tsynt1.zmb\t1\t3\n"
            "class\tNPH\n");
  // A changed entry gives the whole table; a TAB inside a field becomes a blank.
  after = before;
  after.words[1].second = "SUN------Hu\tnde";
  e.code = '7';
  e.name = "flex.zmb";
  e.argument = "inflection";
  EXPECT_EQ(procedure_block(9, e, {}, before, after),
            "procedure\t9\t7\tflex.zmb\tinflection\n"
            "words\t2\n"
            "word\t1\tTHE\tART------das\n"
            "word\t2\tDOG\tSUN------Hu nde\n");
  // A word more or less is a change too.
  after = before;
  after.words.pop_back();
  EXPECT_EQ(procedure_block(9, e, {}, before, after),
            "procedure\t9\t7\tflex.zmb\tinflection\nwords\t1\nword\t1\tTHE\tART------das\n");
}

class ExplainRun : public InScratchDir {
 protected:
  void SetUp() override {
    InScratchDir::SetUp();
    write("lexi.zmb", "THE\n\xff" "ART------das\nDOG\nSUNn--PLUHund\nSEES\nVER------sieht\n");
    // Rule 1 matches nothing; rule 2 joins article and noun.
    write("synt1.zmb", "XXXYYY\nZZZ\n001002\nARTSUN\nNPH\n001002\n");
    // Entry 1 fits no word; entry 2 fits the noun's third field.
    write("flex.zmb", "XYZ\n\nq\nPLU\n\ne\n");
    write("exec.zmb",
          "PROCEDURES\nL lexi.zmb\n3 *\n4 synt1.zmb\nE func.zmb\n7 flex.zmb       inflection\n"
          "R *\n");
  }

  // Runs the script over the sentence; returns the result line, `trace` the trace file.
  std::string run(bool explain, std::string& trace) {
    auto eng = std::make_unique<engine_state>();
    eng->settings.shell_mode = true;
    eng->settings.show_listing = false;
    eng->settings.show_output = false;
    eng->settings.list_analysis = false;
    eng->settings.definitions_path = "./";
    eng->settings.explain = explain;
    linereader script;
    EXPECT_TRUE(script.open("exec.zmb"));
    read_script(*eng, script);
    linereader tokens(
        "STR ------\nZZZ THE \xffZZZ---ZZZthe\nZZZ DOG \xffZZZ---ZZZdog\n"
        "ZZZ SEES \xffZZZ---ZZZsees\nSEN .\n");
    read_token_sentence(*eng, tokens, 100);
    run_procedures(*eng);
    eng->explain_file.close();
    std::ifstream f(kExplainFile, std::ios::binary);
    trace.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    return eng->result_line.text;
  }
};

TEST_F(ExplainRun, NamesTheLinesOfEveryRuleThatFiredAndLeavesTheResultAlone) {
  std::string off_trace, trace;
  const std::string plain = run(false, off_trace);
  EXPECT_EQ(off_trace, "");  // no trace file without the explain mode
  const std::string explained = run(true, trace);
  EXPECT_EQ(explained, plain);
  EXPECT_NE(plain.find("Hunde"), std::string::npos) << plain;

  // The lexicon entries in the order of the words, each by its two lines.
  EXPECT_NE(trace.find("procedure\t1\tL\tlexi.zmb\t\n"
                       "fired\tlexi.zmb\t1\t2\nfired\tlexi.zmb\t3\t4\nfired\tlexi.zmb\t5\t6\n"
                       "words\t"),
            std::string::npos)
      << trace;
  // The syntax rule by its record's three lines; the restart finds nothing more to do.
  EXPECT_NE(trace.find("procedure\t3\t4\tsynt1.zmb\t\nfired\tsynt1.zmb\t4\t6\nclass\t"),
            std::string::npos)
      << trace;
  // The inflection entry that made "Hunde", and the word table with it.
  const std::string head = "procedure\t5\t7\tflex.zmb\tinflection\n";
  const std::string fired = "fired\tflex.zmb\t4\t6\nwords\t";
  const size_t flex = trace.find(head);
  ASSERT_NE(flex, std::string::npos) << trace;
  EXPECT_EQ(trace.compare(flex + head.size(), fired.size(), fired), 0) << trace.substr(flex);
  EXPECT_NE(trace.find("\tDOG\tSUNn--PLUHunde\n", flex), std::string::npos) << trace;
  // The trace opens with the sentence and ends with the result line.
  EXPECT_EQ(trace.rfind("sentence\t", 0), 0u) << trace;
  const std::string tail = "result\t" + plain + "\nend\n";
  ASSERT_GE(trace.size(), tail.size());
  EXPECT_EQ(trace.substr(trace.size() - tail.size()), tail);
}

}  // namespace
}  // namespace zembu::engine
