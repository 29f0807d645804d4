// The engine's syntax rules, verb patterns, flattening and inflection, run through the
// token route with hand-written rule, function-word, pattern and inflection files, and
// seen in the result file (W listings where classes matter) and in the trace.
#include <gtest/gtest.h>

#include "tests/fixtures.h"

namespace {

using zembu_test::count_of;
using zembu_test::engine_run;
using zembu_test::lines;
using zembu_test::run_result;
using zembu_test::scratch_dir;
using zembu_test::token_line;

// A sentence in token lines (keys K1, K2, ...) and the lexicon that gives every word its
// entry, so that the words hold their entries as a lexicon search leaves them.
struct text {
  std::string tokens;
  std::string lexicon;
};

text sentence(const std::vector<std::pair<std::string, std::string>>& words) {
  text t;
  t.tokens = "STR ------\n";
  int i = 0;
  for (const auto& w : words) {
    const std::string key = "K" + std::to_string(++i);
    t.tokens += token_line(w.first, key, "ZZZ---ZZZ" + key);
    t.lexicon += key + "\n" + w.second + "\n";
  }
  t.tokens += zembu_test::kLookedUpStop;
  return t;
}

// Runs the engine in shell form over the sentence with a script of a lexicon search and
// the given procedure lines, and the definition files given as (name, text) pairs.
engine_run run_engine(scratch_dir& d, const std::string& procedures, const text& words,
                      zembu_test::file_list files = {}, bool visible = false) {
  files.insert(files.begin(), {"lexi.zmb", words.lexicon});
  return zembu_test::translate_tokens(d, "PROCEDURES\nL lexi.zmb\n" + procedures, words.tokens,
                                      files, visible ? std::vector<std::string>{"visible"}
                                                     : std::vector<std::string>{});
}

const std::vector<std::pair<std::string, std::string>> kDasHaus = {
    {"DET", "DET---Sdsdas"}, {"NOU", "NOU---SnsHaus"}};

// ---- Syntax rules ----

TEST(Zembu2Syntax, OrderPartGroupsTwoPlacesIntoOne) {
  scratch_dir d;
  // The two places become one, the noun first; the full stop moves up to place 3.
  engine_run r = run_engine(d, "3 *\nA synt1.zmb\nE func.zmb\nW *\n", sentence(kDasHaus),
                            {{"synt1.zmb", "DETNOU\nNP_\n002001\n"}}, true);
  EXPECT_EQ(r.result, "ZZ__ NOU_ Haus DET_ das SEN_ . \n");
  EXPECT_NE(r.trace.find("syntax rule DETNOU -> NP_\norder: 002001\nfound at 4\n"
                         "symbols: ZZ_NP_SEN\n"),
            std::string::npos)
      << r.trace;
  // A blank in the order part opens a new place: two places again, in the new order,
  // and a symbol of the order part becomes a member of its own.
  r = run_engine(d, "3 *\n4 synt1.zmb\nE func.zmb\nW *\n", sentence(kDasHaus),
                 {{"synt1.zmb", "DETNOU\nNP_NP_\n002 001MID\n"}});
  EXPECT_EQ(r.result, "ZZ__ NOU_ Haus DET_ das MID_ MID SEN_ . \n");
}

TEST(Zembu2Syntax, RuleWithoutOrderPartChangesTheClassLineOnly) {
  scratch_dir d;
  engine_run r = run_engine(d, "3 *\nA synt1.zmb\nE func.zmb\nW *\n", sentence(kDasHaus),
                            {{"synt1.zmb", "DETNOU\nART_NN\n\n"}}, true);
  EXPECT_NE(r.trace.find("symbols: ZZ_ART_NNSEN\n"), std::string::npos) << r.trace;
  EXPECT_EQ(r.result, "ZZ__ DET_ das NOU_ Haus SEN_ . \n");
}

TEST(Zembu2Syntax, OnlyAChangeRestartsTheRuleFile) {
  scratch_dir d;
  // Rule 1 replaces DET by DET (no restart, or it would fire without end); rule 2
  // changes the line, so the file starts again and rule 1 fires a second time.
  engine_run r = run_engine(d, "3 *\nA synt1.zmb\nW *\n", sentence(kDasHaus),
                            {{"synt1.zmb", "DET\nDET\n001\nNOU\nNNN\n001\n"}}, true);
  EXPECT_EQ(count_of(r.trace, "syntax rule DET -> DET\n"), 2u) << r.trace;
  EXPECT_EQ(count_of(r.trace, "syntax rule NOU -> NNN\n"), 1u);
  EXPECT_EQ(count_of(r.trace, "does not settle"), 0u);
}

TEST(Zembu2Syntax, EmptyPatternLineEndsTheFile) {
  scratch_dir d;
  engine_run r = run_engine(d, "3 *\nA synt1.zmb\n", sentence(kDasHaus),
                            {{"synt1.zmb", "DET\nART\n\n\nXXX\n\nNOU\nSUB\n\n"}}, true);
  EXPECT_NE(r.trace.find("symbols: ZZ_ARTNOUSEN\n"), std::string::npos) << r.trace;
  EXPECT_EQ(r.trace.find("SUB"), std::string::npos);
  EXPECT_EQ(r.trace.find("XXX"), std::string::npos);
}

TEST(Zembu2Syntax, PatternsMatchAtCellBoundariesOnly) {
  scratch_dir d;
  const text tokens = sentence({{"ABC", "ABC---ABCeins"}, {"DEF", "DEF---DEFzwei"}});
  // CDE and BCD stand in the class line STRABCDEFSEN, but not at a class boundary.
  engine_run r = run_engine(d, "3 *\nA synt1.zmb\n", tokens,
                            {{"synt1.zmb", "CDE\nXXX\n\nBCD\nYYY\n\nDEF\nZZZ\n\n"}}, true);
  EXPECT_EQ(r.trace.find("XXX"), std::string::npos) << r.trace;
  EXPECT_EQ(r.trace.find("YYY"), std::string::npos);
  EXPECT_NE(r.trace.find("symbols: ZZ_ABCZZZSEN\n"), std::string::npos);
}

TEST(Zembu2Syntax, CapturesCarrySymbolsIntoTheReplacement) {
  scratch_dir d;
  // ".OU" captures N; the replacement's "a" puts it back.
  engine_run r = run_engine(d, "3 *\nA synt1.zmb\n", sentence(kDasHaus),
                            {{"synt1.zmb", "DET.OU\naP_\n001002\n"}}, true);
  EXPECT_NE(r.trace.find("symbols: ZZ_NP_SEN\n"), std::string::npos) << r.trace;
}

TEST(Zembu2Syntax, KeepAndForceDisambiguation) {
  scratch_dir d;
  const std::string fly = "ZZZ*NOU---SnsFlug*VER---VERfliegen";
  const text tokens = sentence({{"ZZZ", fly}, {"ADV", "ADV---ADVhoch"}});
  // Keep: the word keeps the chosen reading with its own class.
  engine_run r = run_engine(d, "3 *\nA synt1.zmb\nE func.zmb\nW *\n", tokens,
                            {{"synt1.zmb", "ZZZADV\nVP_\n001002>001:VBZ\n"}});
  EXPECT_EQ(r.result, "ZZ__ VER_ fliegen ADV_ hoch SEN_ . \n");
  // Force: the chosen reading takes the rule's class.
  r = run_engine(d, "3 *\nA synt1.zmb\nE func.zmb\nW *\n", tokens,
                 {{"synt1.zmb", "ZZZADV\nVP_\n001002!001:VBZ\n"}});
  EXPECT_EQ(r.result, "ZZ__ VBZ_ fliegen ADV_ hoch SEN_ . \n");
  // Force on a word of one reading overwrites its class; keep leaves it.
  r = run_engine(d, "3 *\nA synt1.zmb\nE func.zmb\nW *\n", tokens,
                 {{"synt1.zmb", "ZZZADV\nVP_\n001002!002:ADJ\n"}});
  EXPECT_EQ(r.result, "ZZ__ ZZZ_ -SnsFlug*VER---VERfliegen ADJ_ hoch SEN_ . \n");
  r = run_engine(d, "3 *\nA synt1.zmb\nE func.zmb\nW *\n", tokens,
                 {{"synt1.zmb", "ZZZADV\nVP_\n001002>002:ADJ\n"}});
  EXPECT_EQ(r.result, "ZZ__ ZZZ_ -SnsFlug*VER---VERfliegen ADV_ hoch SEN_ . \n");
}

TEST(Zembu2Syntax, RuleFileThatNeverSettlesStops) {
  scratch_dir d;
  engine_run r = run_engine(d, "3 *\nA synt1.zmb\nW *\n", sentence(kDasHaus),
                            {{"synt1.zmb", "DET\nART\n\nART\nDET\n\n"}}, true);
  EXPECT_EQ(count_of(r.trace, "syntax rules: rule file does not settle, stopped after 1000 restarts.\n"),
            1u);
  EXPECT_EQ(count_of(r.trace, "syntax rule DET -> ART\n") + count_of(r.trace, "syntax rule ART -> DET\n"),
            1001u);
  EXPECT_EQ(r.result, "ZZ__ DET_ das NOU_ Haus SEN_ . \n");
  // The bound holds for the whole sentence: a restart of the procedures runs the file
  // again, and each later run stops at its first change.
  r = run_engine(d, "3 *\nG restart\nA synt1.zmb\n6 restart\nW *\n", sentence(kDasHaus),
                 {{"synt1.zmb", "DET\nART\n\nART\nDET\n\n"}}, true);
  EXPECT_EQ(count_of(r.trace, "does not settle"), 1001u);
  EXPECT_FALSE(r.result.empty());
}

TEST(Zembu2Syntax, MissingRuleFileDoesNothing) {
  scratch_dir d;
  engine_run r = run_engine(d, "3 *\nA nosuch.zmb\n4 nosuch.zmb\nE func.zmb\nW *\n",
                            sentence(kDasHaus));
  EXPECT_EQ(r.result, "ZZ__ DET_ das NOU_ Haus SEN_ . \n");
}

// ---- Verb patterns ----

const std::vector<std::pair<std::string, std::string>> kPatterns = {
    {"vp1.zmb", "p1 12\np2 3\n"}, {"vp2.zmb", "c1 OBJ\nc2 DAT\nc3 ACC\n"}};

TEST(Zembu2Syntax, VerbPatternFromTheVerbReadingOfAnAmbiguousEntry) {
  scratch_dir d;
  // The first reading has "-" at the digit position; the verb reading has 2 (pattern 3).
  const text tokens =
      sentence({{"ZZZ", "ZZZ*NOU---SnsFlug*VERT2-VERfliegen"}, {"ADV", "ADV---ADVhoch"}});
  engine_run r = run_engine(d, "V vp.zmb\nE func.zmb\nW *\n", tokens, kPatterns, true);
  auto l = lines(r.result);
  ASSERT_EQ(l.size(), 1u);
  EXPECT_NE(l[0].find("VERfliegen ACC_ ACC ADV_ hoch"), std::string::npos) << l[0];
  EXPECT_NE(r.trace.find("--> pattern 2 = 3\n"), std::string::npos) << r.trace;
}

TEST(Zembu2Syntax, VerbDigitDashTakesTheKindOfVerb) {
  scratch_dir d;
  // "-" with T (field position 4) gives pattern 2, with I pattern 1, otherwise 12.
  const text tokens = sentence({{"VER", "VERT--VERgeben"},
                                       {"VER", "VERI--VERgehen"},
                                       {"VER", "VERX--VERsehen"},
                                       {"VER", "VERT9-VERnehmen"}});
  engine_run r = run_engine(d, "V vp.zmb\nE func.zmb\nW *\n", tokens, kPatterns, true);
  EXPECT_EQ(r.result,
            "ZZ__ VER_ geben DAT_ DAT VER_ gehen OBJ_ OBJ VER_ sehen OBJ_ OBJ DAT_ DAT "
            "VER_ nehmen OBJ_ OBJ DAT_ DAT SEN_ . \n");
  // A digit beyond the loaded patterns falls back to 12 and says so.
  EXPECT_NE(r.trace.find("verb=VERT9-VERnehmen\nVerbpattern vpnum[langu]=2 x=9\n"
                         "Verbpattern changed to 12 =Vin Vtr (disconti)\n"),
            std::string::npos)
      << r.trace;
}

TEST(Zembu2Syntax, SecondPatternSetReadsThePositionAfter) {
  scratch_dir d;
  // Set 2 (code v) reads the digit at field position 6.
  const text tokens = sentence({{"VER", "VERT12VERgeben"}});
  engine_run r = run_engine(d, "v vp.zmb\nE func.zmb\nW *\n", tokens, kPatterns);
  EXPECT_EQ(r.result, "ZZ__ VER_ geben ACC_ ACC SEN_ . \n");
  // Without the pattern files the step does nothing.
  r = run_engine(d, "v none.zmb\nE func.zmb\nW *\n", tokens);
  EXPECT_EQ(r.result, "ZZ__ VER_ geben SEN_ . \n");
}

// ---- Flattening ----

TEST(Zembu2Syntax, FunctionWordsAndSymbolsBecomeWords) {
  scratch_dir d;
  // DEF is a function word, NOU is not in the file, xyz is renamed by an aux---aux entry
  // and makes no word.
  engine_run r = run_engine(d, "3 *\nA synt1.zmb\nE func.zmb\nW *\n", sentence(kDasHaus),
                            {{"synt1.zmb", "DETNOU\nNP_\nDEF002NOUXYZ\n"},
                             {"func.zmb", "XYZ\naux---auxdat\nDEF\nART------der\n"}},
                            true);
  EXPECT_EQ(r.result, "ZZ__ ART_ der NOU_ Haus NOU_ NOU SEN_ . \n");
  EXPECT_NE(r.trace.find("Functionword 202 DEF -> ART------der\n"), std::string::npos) << r.trace;
  EXPECT_NE(r.trace.find("Store normal f=NOU\n"), std::string::npos);
  // Without a function-word file every symbol is stored normal.
  r = run_engine(d, "3 *\nA synt1.zmb\nE none.zmb\nW *\n", sentence(kDasHaus),
                 {{"synt1.zmb", "DETNOU\nNP_\nDEF002\n"}});
  EXPECT_EQ(r.result, "ZZ__ DEF_ DEF NOU_ Haus SEN_ . \n");
}

TEST(Zembu2Syntax, ShowAnalysisListsTheTableWithoutTheTrace) {
  scratch_dir d;
  d.write("zembu.cfg", "show analysis\n");
  engine_run r = run_engine(d, "3 *\nA synt1.zmb\nE func.zmb\nW *\n", sentence(kDasHaus),
                            {{"synt1.zmb", "DETNOU\nNP_\n002001NOU\n"}});
  EXPECT_NE(r.trace.find("ZZ_NP_SEN\n 1 ZZ_: ZZ_START \n 2 DET: K2 K1 NOU \n"), std::string::npos)
      << r.trace;
  // The trace is on for the listing only.
  EXPECT_EQ(r.trace.find("Store normal"), std::string::npos);
  EXPECT_EQ(r.trace.find("Syntax end"), std::string::npos);
}

TEST(Zembu2Syntax, SourceFormsOfNewWords) {
  scratch_dir d;
  engine_run r = run_engine(d, "3 *\nA synt1.zmb\nE func.zmb\nw *\n", sentence(kDasHaus),
                            {{"synt1.zmb", "DETNOU\nNP_\nDEF002NOU\n"},
                             {"func.zmb", "DEF\nART------der\n"}});
  EXPECT_EQ(r.result, "ZZ__ ART_ der NOU_ K2 NOU_ NOU SEN_ . \n");
}

// Inflection entries that show which feature text a word saw: a noun gets "A" when the
// features hold "nom" and "sgl", "B" for "nom" and "plu" and "xyz", "C" for "nom".
const char kFeatureFlex[] = "Sns\nnomsgl\nA\nSns\nnompluxyz\nB\nSns\nnom\nC\n";

TEST(Zembu2Syntax, LowerCaseFunctionWordsFormOneFeatureWord) {
  scratch_dir d;
  engine_run r = run_engine(d, "3 *\nA synt1.zmb\nE func.zmb\n7 flex.zmb\nW *\n", sentence(kDasHaus),
                            {{"synt1.zmb", "NOU\nNP_\n001nomsgl\n"}, {"flex.zmb", kFeatureFlex}},
                            true);
  EXPECT_EQ(r.result, "ZZ__ DET_ das NOU_ HausA SEN_ . \n");
  EXPECT_NE(r.trace.find("Test words[4] aux---auxnom sgl\n"), std::string::npos) << r.trace;
}

TEST(Zembu2Syntax, AuxWordsMergeIntoTheFeatureWordBeforeThem) {
  scratch_dir d;
  // Two words of class aux behind the feature word made from "nom" join it.
  const text tokens =
      sentence({{"NOU", "NOU---SnsHaus"}, {"aux", "aux---auxplu"}, {"aux", "aux---auxxyz"}});
  engine_run r = run_engine(d, "3 *\nA synt1.zmb\nE func.zmb\n7 flex.zmb\nW *\n", tokens,
                            {{"synt1.zmb", "NOU\nNP_\n001nom\n"}, {"flex.zmb", kFeatureFlex}},
                            true);
  EXPECT_EQ(r.result, "ZZ__ NOU_ HausB SEN_ . \n");
  EXPECT_NE(r.trace.find("Test words[3] aux---auxnom plu xyz\n"), std::string::npos) << r.trace;
  // An aux word with no feature word before it starts one of its own.
  const text alone = sentence({{"NOU", "NOU---SnsHaus"}, {"aux", "aux---auxnom"}});
  r = run_engine(d, "3 *\nE func.zmb\n7 flex.zmb\nW *\n", alone, {{"flex.zmb", kFeatureFlex}});
  EXPECT_EQ(r.result, "ZZ__ NOU_ HausC SEN_ . \n");
}

TEST(Zembu2Syntax, TooManyWordsEndTheRun) {
  scratch_dir d;
  // Eight rules of 25 symbols each fill the noun's place (199 members, the rest is
  // dropped); with the start and the full stop the sentence would have 201 words.
  std::string rules;
  const char* steps[] = {"NOU", "N01", "N02", "N03", "N04", "N05", "N06", "N07", "N08"};
  std::string symbols;
  for (int i = 0; i < 25; ++i) symbols += "XXX";
  for (int i = 0; i < 8; ++i) rules += std::string(steps[i]) + "\n" + steps[i + 1] + "\n001" + symbols + "\n";
  engine_run r = run_engine(d, "3 *\nA synt1.zmb\nE func.zmb\nW *\n",
                            sentence({{"NOU", "NOU---SnsHaus"}}), {{"synt1.zmb", rules}});
  EXPECT_EQ(r.trace, "Fatal runtime Error\nMaximal number of words per phrase exceeded\nENTER");
  EXPECT_EQ(r.result, "");
  // The same place in lower case makes one feature word: no overflow.
  rules.clear();
  symbols.clear();
  for (int i = 0; i < 25; ++i) symbols += "xxx";
  for (int i = 0; i < 8; ++i) rules += std::string(steps[i]) + "\n" + steps[i + 1] + "\n001" + symbols + "\n";
  r = run_engine(d, "3 *\nA synt1.zmb\nE func.zmb\nW *\n", sentence({{"NOU", "NOU---SnsHaus"}}),
                 {{"synt1.zmb", rules}});
  EXPECT_EQ(r.result, "ZZ__ NOU_ Haus SEN_ . \n");
}

// ---- Inflection ----

// A sentence of nouns whose inflection class is the third code "Snx".
text nouns(const std::vector<std::string>& texts) {
  std::vector<std::pair<std::string, std::string>> words;
  for (const std::string& t : texts) words.push_back({"NOU", "NOU---Snx" + t});
  return sentence(words);
}

// One inflection file over one sentence and the result it must give.
struct inflection_case {
  const char* name;
  text words;
  std::string flex;            // the inflection file; empty: there is none
  std::string result;
  std::string listing = "W";   // W lists the German, w the source forms
};

// Runs the cases one after the other in one working directory, each named on failure.
void expect_inflections(const std::vector<inflection_case>& cases) {
  scratch_dir d;
  for (const inflection_case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string script = (c.flex.empty() ? "7 none.zmb\n" : "7 flex.zmb\n") + c.listing + " *\n";
    const engine_run r =
        run_engine(d, script, c.words,
                   c.flex.empty() ? zembu_test::file_list{} : zembu_test::file_list{{"flex.zmb", c.flex}});
    EXPECT_EQ(r.result, c.result);
  }
}

TEST(Zembu2Syntax, InflectionEndings) {
  expect_inflections({
      // The first entry whose class pattern fits decides; an empty action changes nothing.
      {"first fitting entry decides",
       nouns({"Museum"}),
       "Snx\nxxx\n<2en\n"   // needs a feature the sentence lacks
       "Sn.\n\n\n"          // fits every Snx word first: nothing changes
       "Snx\n\n<2en\n",
       "ZZ__ NOU_ Museum SEN_ . \n"},
      {"cut and append", nouns({"Museum"}), "Snx\n\n<2en\n", "ZZ__ NOU_ Museen SEN_ . \n"},
      // ">e" doubles the last letter; a final sharp s doubles as "ss".
      {"doubled last letter", nouns({"Fu\xe1", "Bus"}), "Snx\n\n>e\n",
       "ZZ__ NOU_ Fusse NOU_ Busse SEN_ . \n"},
      // "^" puts in the umlaut as UTF-8, on the a of a diphthong au.
      {"umlaut", nouns({"Haus", "Baum", "Vogel"}), "Snx\n\n^e\n",
       "ZZ__ NOU_ H\xC3\xA4use NOU_ B\xC3\xA4ume NOU_ V\xC3\xB6gele SEN_ . \n"},
      // A prefix before "-", a replacement behind "=", substitutions behind ",".
      {"prefix", nouns({"sag"}), "Snx\n\nge-t\n", "ZZ__ NOU_ gesagt SEN_ . \n"},
      {"replacement", nouns({"gehen"}), "Snx\n\n=ging\n", "ZZ__ NOU_ ging SEN_ . \n"},
      {"substitution", nouns({"Mutter"}), "Snx\n\n,u=\x81\n", "ZZ__ NOU_ M\x81tter SEN_ . \n"},
      // A missing inflection file leaves the words alone.
      {"no inflection file", nouns({"Haus"}), "", "ZZ__ NOU_ Haus SEN_ . \n"},
  });
}

TEST(Zembu2Syntax, FeatureWordSelectsTheEntry) {
  scratch_dir d;
  const std::string flex = "Snx\ndatplu\nn\nSnx\ndat\ne\n";
  text tokens = sentence({{"NOU", "NOU---SnxHund"}, {"aux", "aux---auxdat sgl"},
                                 {"NOU", "NOU---SnxHund"}, {"aux", "aux---auxplu dat"}});
  engine_run r = run_engine(d, "7 flex.zmb\nW *\n", tokens, {{"flex.zmb", flex}}, true);
  EXPECT_EQ(r.result, "ZZ__ NOU_ Hunde NOU_ Hundn SEN_ . \n");
  EXPECT_NE(r.trace.find("Inflexion Hund dat -> Hunde\n"), std::string::npos) << r.trace;
}

TEST(Zembu2Syntax, NPlusPlusPassesToTheNextFeatureWord) {
  scratch_dir d;
  // The first entry ("#" with nothing to do) takes the place of an entry that an n++
  // feature text skips, so the scan goes on with the next feature word.
  const std::string flex = "***\n\n#\nSnx\ndat\ne\nSnx\nnom\ner\n";
  text tokens = sentence({{"NOU", "NOU---SnxHund"}, {"aux", "aux---auxn++ nom"},
                                 {"NOU", "NOU---SnxBaum"}, {"aux", "aux---auxdat"}});
  engine_run r = run_engine(d, "7 flex.zmb\nW *\n", tokens, {{"flex.zmb", flex}});
  EXPECT_EQ(r.result, "ZZ__ NOU_ Hunde NOU_ Baume SEN_ . \n");
  // An entry that asks for n++ itself is applied with the n++ feature word.
  r = run_engine(d, "7 flex.zmb\nW *\n", tokens, {{"flex.zmb", "Snx\nn++nom\ner\n" + flex}});
  EXPECT_EQ(r.result, "ZZ__ NOU_ Hunder NOU_ Baume SEN_ . \n");
}

TEST(Zembu2Syntax, NextFeatureWordAndNewClassActions) {
  const text tokens = sentence({{"NOU", "NOU---SnxHund"}, {"aux", "aux---auxnom"},
                                {"aux", "aux---auxdat"}});
  const text alone = sentence({{"NOU", "NOU---SnxHund"}});
  expect_inflections({
      // Byte 248: try again with the next feature word.
      {"next feature word", tokens, "Snx\nnom\n\xf8\nSnx\ndat\ne\n", "ZZ__ NOU_ Hunde SEN_ . \n"},
      // "#" with byte 245: a new inflection class, and the scan goes on with it.
      {"new inflection class", tokens, "Snx\nnom\n#-\xf5Sfx\nSfx\n\ne\nSnx\n\nx\n",
       "ZZ__ NOU_ Hunde SEN_ . \n"},
      // "!" works on the source form, seen with w.
      {"source form", tokens, "Snx\n\n!S\n", "ZZ__ NOU_ K1S SEN_ . \n", "w"},
      // A restart without a further feature word ends the word's search.
      {"restart without a feature word", alone, "***\n\n\xf8\n", "ZZ__ NOU_ Hund SEN_ . \n"},
      {"double hash", alone, "Snx\n\n##e\n", "ZZ__ NOU_ Hunde SEN_ . \n"},
  });
}

// ---- Bad input ----

TEST(Zembu2SyntaxBadInput, SymbolsBeyondWhatACellHolds) {
  scratch_dir d;
  // 60 new symbols: only the first 54 (202..255) fit a cell; the rest are left out.
  std::string rules;
  const char* steps[] = {"NOU", "N01", "N02", "N03"};
  int k = 0;
  for (int i = 0; i < 3; ++i) {
    std::string order = "001";
    for (int j = 0; j < 20; ++j, ++k) order += "S" + std::string(1, static_cast<char>('A' + k / 26)) +
                                               std::string(1, static_cast<char>('A' + k % 26));
    // The order part is read as at most 80 characters: 20 symbols and the place number fit.
    order.resize(63);
    rules += std::string(steps[i]) + "\n" + steps[i + 1] + "\n" + order + "\n";
  }
  engine_run r = run_engine(d, "3 *\nA synt1.zmb\nE func.zmb\nW *\n",
                            sentence({{"NOU", "NOU---SnsHaus"}}), {{"synt1.zmb", rules}});
  auto l = lines(r.result);
  ASSERT_EQ(l.size(), 1u);
  EXPECT_EQ(count_of(l[0], "_ S"), 54u) << l[0];
  EXPECT_NE(l[0].find("SCB_ SCB SEN_"), std::string::npos);  // symbol 54, the last one kept
}

TEST(Zembu2SyntaxBadInput, MalformedOrderParts) {
  scratch_dir d;
  const std::string script = "3 *\nA synt1.zmb\nE func.zmb\nW *\n";
  // Place 0, a negative number and one above 255 add nothing; a lone character at the
  // end and a leading blank are passed over; a symbol still becomes a member.
  for (const std::string order : {"000002001-01999", "002001 0", " 002001", "002ABC001"}) {
    engine_run r = run_engine(d, script, sentence(kDasHaus),
                              {{"synt1.zmb", "DETNOU\nNP_\n" + order + "\n"}});
    EXPECT_EQ(r.result, order == "002ABC001" ? "ZZ__ NOU_ Haus ABC_ ABC DET_ das SEN_ . \n"
                                             : "ZZ__ NOU_ Haus DET_ das SEN_ . \n")
        << "order " << order;
  }
  // A rule cut off by the end of the file is not applied.
  engine_run r = run_engine(d, script, sentence(kDasHaus), {{"synt1.zmb", "DETNOU\nNP_\n"}});
  EXPECT_EQ(r.result, "ZZ__ DET_ das NOU_ Haus SEN_ . \n");
}

TEST(Zembu2SyntaxBadInput, MalformedDisambiguationLists) {
  scratch_dir d;
  const std::string script = "3 *\nA synt1.zmb\nE func.zmb\nW *\n";
  // An item without a number counts as place 0, the one before the match (here the
  // sentence start, whose class the force overwrites); an item beyond the class line
  // and empty items are passed over.
  engine_run r = run_engine(d, script, sentence(kDasHaus),
                            {{"synt1.zmb", "DETNOU\nNP_\n002001!xxx:VER, 099:ADJ,,\n"}});
  EXPECT_EQ(r.result, "VER_ NOU_ Haus DET_ das SEN_ . \n");
  // An empty list, a list of separators only, an item without its reading.
  for (const std::string action : {"002001>", "002001! , ,", "002001>002"}) {
    r = run_engine(d, script, sentence(kDasHaus), {{"synt1.zmb", "DETNOU\nNP_\n" + action + "\n"}});
    EXPECT_EQ(r.result, "ZZ__ NOU_ Haus DET_ das SEN_ . \n") << "action " << action;
  }
}

TEST(Zembu2SyntaxBadInput, InflectionActionsWithMissingParts) {
  scratch_dir d;
  // "<" without a digit cuts one letter; "<9" cuts into the attribute field; "-" alone,
  // "=", ">" and "^" alone, "#" alone, byte 245 with nothing behind it, a list item
  // without "=" and one whose replacement holds its search text (applied once).
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"<", "Hun"},       {"<en", "Hunen"},   {"-", "Hund"},    {"=", ""},
      {">", "Hundd"},     {"^", "H\xC3\xBCnd"},      {"#", "Hund"},    {"#\xf5", "Hund"},
      {",x,u=uu", "Huund"}, {"<9", ""},        {"ge-", "geHund"}, {"-e-", "eHund"},
  };
  for (const auto& c : cases) {
    engine_run r = run_engine(d, "7 flex.zmb\nW *\n", nouns({"Hund"}),
                              {{"flex.zmb", "Snx\n\n" + c.first + "\n"}});
    EXPECT_EQ(r.result, "ZZ__ NOU_ " + (c.second.empty() ? std::string() : c.second + " ") +
                            "SEN_ . \n")
        << "action " << c.first;
  }
  // An entry cut off by the end of the file is not tried.
  engine_run r = run_engine(d, "7 flex.zmb\nW *\n", nouns({"Hund"}), {{"flex.zmb", "Snx\n\n"}});
  EXPECT_EQ(r.result, "ZZ__ NOU_ Hund SEN_ . \n");
}

// ---- Compiled rules through the whole pipeline ----

TEST(Zembu2SyntaxPipeline, CompiledRulesMoveAndInflect) {
  scratch_dir d;
  const run_result m = zembu_test::compile_rules(d,
          "; A small English-German sample: the perfect tense puts its participle at the end.\n"
          "LEXICON\n"
          "p = PRO---xxx\na = AUX---xxx\nv = VER---Vpp\nd = DET---xxx\n"
          "m = NNE---Sns\nq = NNP---Snp\n"
          "we p wir\nhave a haben\nseen v seh\nthe d der\nhouse m Haus\nhouses q Haus\n"
          "-----\n"
          "SYNTAX\n"
          "; the article of a noun comes from the function words, by gender and number\n"
          "DET NNE -> NPN (DNE, 002)\n"
          "DET NNP -> NPN (DNP, 002)\n"
          "; the participle goes behind the object and is marked for inflection\n"
          "AUX VER NPN -> AUXNPNVER (001 + 003 + 002 ppp)\n"
          "-----\n"
          "FUNCTIONS\n"
          "DNE DET das\n"
          "DNP DET die\n"
          "-----\n"
          "INFLECTION\n"
          "Vpp (ppp) -> ge-en\n"
          "Snp * -> ^er\n"
          "-----\n"
          "AGGLUTINATION\n"
          "-----\n"
          "FINAL SUBSTITUTION\n"
          " . -> .\n"
          "-----\n");
  ASSERT_EQ(m.out, "");
  auto translate = [&](const std::string& sentence) {
    zembu_test::run_pipeline(d, sentence);
    return d.read("pass3");
  };
  EXPECT_EQ(translate("we have seen the house."), "Wir haben das Haus gesehen. \n");
  EXPECT_EQ(translate("we have seen the houses."), "Wir haben die H\xC3\xA4user gesehen. \n");
  // Without the perfect nothing moves and nothing is inflected.
  EXPECT_EQ(translate("we seen the house."), "Wir seh das Haus. \n");
}

}  // namespace
