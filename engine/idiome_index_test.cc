// The text idiom step through the index of its file gives exactly what reading every rule
// gives: the word tables, the captures and the work of generated sentences over a
// generated idiom file, once with the index and once without it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <iterator>
#include <memory>
#include <sstream>

#include "common/idiom_index.h"
#include "common/linereader.h"
#include "engine/idiome.h"
#include "engine/longstr.h"
#include "engine/scratch_dir_fixture.h"
#include "engine/translat.h"

namespace zembu::engine {
namespace {

// Source forms and German texts that rules look for ("U.S." holds the plain test's dots);
// first pattern words without a key (windows, "*", test characters); actions that insert,
// delete, rewrite and join words, so that the texts of later rules come and go.
const char kSources[] = "A B C D E F G U.S. NEU DAS";
const char kGerman[] = "a b c neu das U.S. B";
const char kUnkeyed[] = "0B 2C 1NEU *D #SUB #VERb ^ADJ--- ~--- $SUB------a +S >b #...";
const char kActions[] =
    "U D E B*NEU=SUB------neu H*DAS=ART------das I*C=ADJ------c J X1 C2 Z2 A1 R*B=SUB------b "
    "R>B R<E R:SUB------U.S. R#VERxxxxxx R!SUB R?VER R$ADJ - +*G=VER------g !>das 0";
const char kClasses[] =
    "SUB---Sns VER------ ADJ------ AUX------ aux------ XXX------ _UU------ "
    "PU[------ PU]------ E00------";

struct dice {
  uint64_t s;
  int below(int n) {
    s = s * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<int>((s >> 33) % static_cast<uint64_t>(n));
  }
  // One of the words of `list`.
  std::string pick(const std::string& list) {
    std::istringstream in(list);
    const std::vector<std::string> words{std::istream_iterator<std::string>(in), {}};
    return words[below(static_cast<int>(words.size()))];
  }
};

std::string idiom_file(dice& d, int rules) {
  std::string text;
  for (int r = 0; r < rules; ++r) {
    const int kind = d.below(12);
    std::string pattern = kind == 0   ? d.pick(kUnkeyed)
                          : kind == 1 ? d.pick(kGerman)
                          : kind == 2 ? (d.below(2) ? "; a comment line" : "")
                                      : d.pick(kSources);
    for (int more = d.below(3); more > 0; --more) {
      pattern += " " + d.pick(d.below(3) ? kSources : kUnkeyed);
    }
    if (d.below(15) == 0) pattern += " ; why";
    std::string action = d.pick(kActions);
    for (int more = d.below(3); more > 0; --more) action += " " + d.pick(kActions);
    text += pattern + (d.below(20) ? "\n" : "\r\n") + action + "\n";
  }
  return text;
}

// A sentence of 2 to 25 words, a few of them texts that rules look for; now and then a
// word of several readings.
std::vector<std::string> words_of(dice& d) {
  std::vector<std::string> words;
  for (int n = 2 + d.below(24); n > 0; --n) {
    const std::string source = d.below(6) ? "W" + std::to_string(d.below(9)) : d.pick(kSources);
    std::string entry = d.pick(kClasses) + (d.below(6) ? "x" : d.pick(kGerman));
    if (d.below(10) == 0) entry = "UUU*SUB------a*VER------" + d.pick(kGerman);
    words.push_back(source + "=" + entry);
  }
  return words;
}

// Puts `words` ("ORIGINAL=CLASS..." each) into the engine's word table.
void fill_table(engine_state& eng, const std::vector<std::string>& words) {
  for (const std::string& w : words) {
    const size_t eq = w.find('=');
    ++eng.table.word_count;
    eng.table.originals[eng.table.word_count] = w.substr(0, eq);
    eng.table.words[eng.table.word_count] = w.substr(eq + 1);
    lappend(eng.table.class_line, w.substr(eq + 1, 3));
  }
}

// The class line, work, captures and words of `eng`, for comparing two runs.
std::string dump_state(const engine_state& eng) {
  std::string out = eng.table.class_line.text + " | work " + std::to_string(eng.work) +
                    (eng.work_exhausted ? " exhausted" : "") + " | captures " +
                    std::string(eng.captures.begin() + 1, eng.captures.end()) + "\n";
  for (int i = 1; i <= eng.table.word_count; ++i) {
    out += eng.table.originals[i].str() + "=" + eng.table.words[i].str() + "\n";
  }
  return out;
}

class IdiomStepIndex : public InScratchDir {
 protected:
  // The word table, captures and work after the idiom step over the sentence `words`,
  // starting with `work` steps done; `report` says how the step read its file.
  std::string run(const std::vector<std::string>& words, long work, idiom_step_report& report,
                  bool visible = false) {
    auto eng = std::make_unique<engine_state>();
    eng->settings.definitions_path = "";
    eng->settings.visible = visible;
    eng->work = work;
    fill_table(*eng, words);
    run_idioms(*eng, named_rule_file("idio.zmb"), &report);
    return dump_state(*eng);
  }

  // The same with every rule of the file applied one by one through apply_idiom_rule, as
  // the step reads it (comment cut, blanks trimmed): the step may share searches between
  // rules, this never does.
  std::string run_one_by_one(const std::vector<std::string>& words, long work) {
    auto eng = std::make_unique<engine_state>();
    eng->work = work;
    fill_table(*eng, words);
    linereader f;
    EXPECT_TRUE(f.open("idio.zmb"));
    std::string pattern, action;
    while (f.readline(pattern, 80)) {
      if (!f.readline(action, 80)) action.clear();
      pattern = pattern.substr(0, pattern.find(';'));
      apply_idiom_rule(*eng, make_idiom_rule(trim_spaces(pattern), trim_spaces(action)));
    }
    return dump_state(*eng);
  }

  void write_index() {
    std::string index, error;
    ASSERT_TRUE(index_idiom_file("idio.zmb", index, error)) << error;
    write("idio.zid", index);
  }
};

TEST_F(IdiomStepIndex, GivesTheWordTablesAndWorkOfReadingEveryRule) {
  dice d{11};
  const int rules = 300;
  write("idio.zmb", idiom_file(d, rules));
  write_index();
  std::vector<std::vector<std::string>> sentences;
  std::vector<long> work;
  std::vector<std::string> indexed;
  uint64_t read = 0;
  int bound_reached = 0;
  for (int s = 0; s < 200; ++s) {
    sentences.push_back(words_of(d));
    // Every third sentence reaches the bound of its work somewhere in the file.
    work.push_back(s % 3 ? 0
                         : max_sentence_work - d.below(rules * static_cast<int>(work_rule) + 50));
    idiom_step_report report;
    indexed.push_back(run(sentences.back(), work.back(), report));
    ASSERT_TRUE(report.indexed && !report.read_on) << report.why;
    read += report.rules_read;
    bound_reached += indexed.back().find(" exhausted ") != std::string::npos;
  }
  EXPECT_LT(read, 200u * rules / 2);  // most rules are passed over
  EXPECT_GT(bound_reached, 30);

  ASSERT_EQ(std::remove("idio.zid"), 0);
  int differ = 0;
  for (size_t s = 0; s < sentences.size(); ++s) {
    idiom_step_report report;
    const std::string every_rule = run(sentences[s], work[s], report);
    ASSERT_FALSE(report.indexed);
    if (every_rule != indexed[s] && ++differ <= 3) {
      ADD_FAILURE() << "every rule:\n" << every_rule << "index:\n" << indexed[s];
    }
    const std::string one_by_one = run_one_by_one(sentences[s], work[s]);
    if (one_by_one != indexed[s] && ++differ <= 3) {
      ADD_FAILURE() << "one by one:\n" << one_by_one << "index:\n" << indexed[s];
    }
  }
  EXPECT_EQ(differ, 0);
}

TEST_F(IdiomStepIndex, AnEngineKeptForManySentencesGivesWhatEachGivesAlone) {
  // What the step learns of the file's rules in one sentence (the rules it has read) it
  // uses in the next ones.
  dice d{23};
  const int rules = 300;
  write("idio.zmb", idiom_file(d, rules));
  write_index();
  auto eng = std::make_unique<engine_state>();
  eng->settings.definitions_path = "";
  const std::array<char, 11> fresh_captures = eng->captures;
  int differ = 0, bound_reached = 0;
  for (int s = 0; s < 150; ++s) {
    const std::vector<std::string> words = words_of(d);
    const long work = s % 3 ? 0 : max_sentence_work - d.below(rules * static_cast<int>(work_rule));
    eng->table = word_table();
    eng->work = work;
    eng->work_exhausted = false;
    eng->captures = fresh_captures;
    fill_table(*eng, words);
    idiom_step_report report;
    run_idioms(*eng, named_rule_file("idio.zmb"), &report);
    ASSERT_TRUE(report.indexed && !report.read_on) << report.why;
    const std::string kept = dump_state(*eng);
    bound_reached += kept.find(" exhausted ") != std::string::npos;
    const std::string alone = run_one_by_one(words, work);
    if (kept != alone && ++differ <= 3) {
      ADD_FAILURE() << "sentence " << s << " alone:\n" << alone << "kept engine:\n" << kept;
    }
  }
  EXPECT_EQ(differ, 0);
  EXPECT_GT(bound_reached, 20);
}

TEST_F(IdiomStepIndex, RulesSharingAFailedSearchEachLeaveItsCaptures) {
  // Rules 1, 3 and 5 search alike and fail; rules 2 and 4, between them, leave other
  // captures. The step shares the search, yet the captures at its end are the last
  // rule's, as with every rule applied on its own.
  write("idio.zmb", "$.XZ\nU\n$Q..\nU\n$.XZ\nU\n$Q..\nU\n$.XZ\nU\n");
  const std::vector<std::string> words = {"A=SUB------a", "B=VER------b"};
  const std::string expected = run_one_by_one(words, 0);
  ASSERT_NE(expected.find("| captures V         \n"), std::string::npos) << expected;
  idiom_step_report report;
  EXPECT_EQ(run(words, 0, report), expected);
  EXPECT_FALSE(report.indexed);
  write_index();
  EXPECT_EQ(run(words, 0, report), expected);
  EXPECT_TRUE(report.indexed);
}

TEST_F(IdiomStepIndex, AttemptsBehindAFoundWordShareTheirSearches) {
  // $SUB finds words 1 and 3: the first two rules fail behind both, the third fires
  // behind word 3, the fourth finds what it changed and the last searches the changed
  // table again.
  write("idio.zmb", "$SUB 0Q\nU\n$S.B 0Q\nU\n$SUB 0X\nU R>y\n$SUB 0y\nR>z\n$SUB 0Q\nU\n");
  const std::vector<std::string> words = {"A=SUB------a", "B=VER------b", "C=SUB------c",
                                          "X=VER------x", "D=ADJ------d"};
  const std::string expected = run_one_by_one(words, 0);
  ASSERT_NE(expected.find("C=SUB------z\nX=VER------y\n"), std::string::npos) << expected;
  idiom_step_report report;
  EXPECT_EQ(run(words, 0, report), expected);
  write_index();
  EXPECT_EQ(run(words, 0, report), expected);
  EXPECT_TRUE(report.indexed);
}

TEST_F(IdiomStepIndex, FirstCharacterTestsOnEntriesLongAndShort) {
  // Tests of up to nine first characters, with wildcards, on entries shorter than the
  // test, as long and longer than 16 characters; the captures of the last word tested.
  write("idio.zmb",
        "$SUB---.x 0Q\nU\n$S.B-- 0Q\nU\n#S. 0Q\nU\n$VER------ 0Q\nU\n"
        "$SUB------ 0Q\nU\n$ADJ---..b\nR>n\n$V.R---..\nU\n#.D\nU\n");
  const std::vector<std::string> words = {
      "A=SUB---", "B=SUB---ax", "C=VER------long enough to pass sixteen",
      "D=SUB------xx", "E=ADJ---xxb", "F=S", "G=VER-"};
  const std::string expected = run_one_by_one(words, 0);
  ASSERT_NE(expected.find("E=ADJ---xxbn\n"), std::string::npos) << expected;
  idiom_step_report report;
  EXPECT_EQ(run(words, 0, report), expected);
  write_index();
  EXPECT_EQ(run(words, 0, report), expected);
  EXPECT_TRUE(report.indexed);
}

TEST_F(IdiomStepIndex, AnIndexThatFailsOnTheWayIsLeftForTheFile) {
  const std::string text = "A\nR>one\nC X\nR>two\nB\nR>three\nA\nR>four\nE Y\nR>five\n";
  write("idio.zmb", text);
  // An index of the file's size and time whose third rule begins with C.
  std::string forged = text;
  forged[forged.find("B\n")] = 'C';
  const int fd = ::open("idio.zmb", O_RDONLY);
  lexicon_stamp stamp;
  ASSERT_TRUE(stamp_of(fd, stamp));
  ::close(fd);
  write("idio.zid", build_idiom_index(forged, stamp));
  const std::vector<std::string> words = {"A=SUB------a", "B=SUB------b", "C=SUB------c"};
  // Two attempts of each rule that fires, one of each other rule.
  const std::string expected =
      "SUBSUBSUB | work 40 | captures           \nA=SUB------four\nB=SUB------three\n"
      "C=SUB------c\n";
  idiom_step_report report;
  EXPECT_EQ(run(words, 0, report), expected);
  EXPECT_TRUE(report.indexed && report.read_on);
  EXPECT_EQ(report.read_on_from, 2u);  // rules 0 and 1 are read through the index
  EXPECT_EQ(report.why, "no rule of the key \"C\" at byte 18");

  write_index();
  EXPECT_EQ(run(words, 0, report), expected);
  EXPECT_TRUE(report.indexed && !report.read_on);
  EXPECT_EQ(report.rules_read, 4u);
  // With the trace on the file is read rule by rule.
  EXPECT_EQ(run(words, 0, report, true), expected);
  EXPECT_FALSE(report.indexed);
}

}  // namespace
}  // namespace zembu::engine
