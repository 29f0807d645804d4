#include "engine/idiome.h"

#include <gtest/gtest.h>

#include <memory>

#include "engine/translat.h"
#include "engine/wordtable.h"

namespace zembu::engine {
namespace {

// An engine whose sentence holds the given "source=entry" words; the class line follows
// the entries.
std::unique_ptr<engine_state> sentence(const std::vector<std::string>& specs) {
  auto eng = std::make_unique<engine_state>();
  eng->settings.show_listing = false;
  for (const std::string& spec : specs) {
    size_t eq = spec.find('=');
    ++eng->table.word_count;
    eng->table.originals[eng->table.word_count] = spec.substr(0, eq);
    eng->table.words[eng->table.word_count] = spec.substr(eq + 1);
    std::string sym = spec.substr(eq + 1, 3);
    sym.resize(3, ' ');
    lappend(eng->table.class_line, sym);
  }
  return eng;
}

std::string texts(const engine_state& eng) {
  std::string out;
  for (int i = 1; i <= eng.table.word_count; ++i) out += eng.table.originals[i].str() + "=" + eng.table.words[i].str() + " ";
  return out + "|" + eng.table.class_line.text;
}

void apply(engine_state& eng, const std::string& pattern, const std::string& action) {
  idiom_rule rule = make_idiom_rule(pattern, action);
  apply_idiom_rule(eng, rule);
}

TEST(IdiomRules, CompoundBecomesOneWord) {
  auto eng = sentence({"IN=PRP------in", "NEW=ADJ------neu", "YORK=SUB------York", "X=SUB------x"});
  apply(*eng, "NEW YORK", "R*NEW_YORK=NAM---SnsNew_York D");
  EXPECT_EQ(texts(*eng), "IN=PRP------in NEW_YORK=NAM---SnsNew_York X=SUB------x |PRPNAMSUB");
}

TEST(IdiomRules, DigitWindowReachesOneFurtherOverAnAuxWord) {
  auto eng = sentence({"A=XXX------a", "B=YYY------b", "C=ZZZ------c", "D=WWW------d"});
  apply(*eng, "A 1D", "R*Q=QQQ------hit");
  EXPECT_EQ(eng->table.words[1], "XXX------a");  // D is two words behind the one after A
  apply(*eng, "A 1C", "R*Q=QQQ------hit");
  EXPECT_EQ(eng->table.words[1], "QQQ------hit");
  auto aux = sentence({"A=XXX------a", "HAS=AUX------hat", "B=YYY------b", "C=ZZZ------c"});
  apply(*aux, "A 1C", "R*Q=QQQ------hit");
  EXPECT_EQ(aux->table.words[1], "QQQ------hit");
}

TEST(IdiomRules, BracketedStretchesAreInvisible) {
  auto eng = sentence({"A=XXX------a", "(=PU[------(", "B=YYY------b", ")=PU]------)", "B=YYY------b2"});
  apply(*eng, "A B", "U R*Q=QQQ------found");
  EXPECT_EQ(eng->table.words[3], "YYY------b");
  EXPECT_EQ(eng->table.words[5], "QQQ------found");
}

TEST(IdiomRules, RepeatedFiringAndDeletingAFollowingAux) {
  auto eng = sentence({"S=STR------", "X=SUB------x", "GO=VER------geh", "DO=aux------tu", "Y=SUB------y"});
  apply(*eng, "GO", "D");
  EXPECT_EQ(texts(*eng), "S=STR------ X=SUB------x Y=SUB------y |STRSUBSUB");
  auto twice = sentence({"A=SUB------a", "A=SUB------a", "B=SUB------b"});
  apply(*twice, "A", "H*NEW=NEU------neu");
  EXPECT_EQ(twice->table.word_count, 5);
  EXPECT_EQ(twice->table.class_line.text, "SUBNEUSUBNEUSUB");
}

TEST(IdiomRules, StarRestartsTheSearchAtTheAttemptStart) {
  auto eng = sentence({"B=SUB------b", "A=SUB------a"});
  apply(*eng, "A B", "R*Q=X--------xa");
  EXPECT_EQ(eng->table.words[2], "SUB------a");
  apply(*eng, "A *B", "R*Q=X--------xa");
  EXPECT_EQ(eng->table.words[2], "X--------xa");
}

TEST(IdiomRules, TestKinds) {
  auto eng = sentence({"WALKING=ZZZ---ZZZwalking", "HOUSE=NOM---SnsHaus"});
  apply(*eng, "+ING", "R#UNKXXXXXXWALK");
  EXPECT_EQ(eng->table.words[1], "UNKXXXXXXWALKing");
  EXPECT_EQ(line_class(*eng, 1), "UNK");
  apply(*eng, "#NOM", "R>Heim");
  EXPECT_EQ(eng->table.words[2], "NOM---SnsHeim");
  apply(*eng, "^NOM---", "R<HOME");
  EXPECT_EQ(eng->table.originals[2], "HOME");
  apply(*eng, "~Sns", "R:ABC------abc");
  EXPECT_EQ(eng->table.words[2], "ABC------abc");
  EXPECT_EQ(line_class(*eng, 2), "ABC");
  apply(*eng, "$ABC------abc", "R?XYZ");
  EXPECT_EQ(line_class(*eng, 2), "XYZ");
  EXPECT_EQ(eng->table.words[2], "XYZ------abc");
  apply(*eng, ">abc", "A2");
  EXPECT_EQ(eng->table.words[2], "XYZ------a");
  apply(*eng, "#...a", "R$QQQ");  // a wildcard class and the text
  EXPECT_EQ(line_class(*eng, 2), "QQQ");
}

TEST(IdiomRules, InsertionsAndJoins) {
  auto eng = sentence({"A=SUB------a", "B=SUB------b", "C=SUB------c"});
  apply(*eng, "A C", "U I*NEW=NEU------neu");
  EXPECT_EQ(texts(*eng), "A=SUB------a NEW=NEU------neu B=SUB------b C=SUB------c |SUBNEUSUBSUB");
  apply(*eng, "A C", "U J");
  EXPECT_EQ(eng->table.words[2], "AUX---AUX");
  apply(*eng, "A C", "Z2");
  EXPECT_EQ(eng->table.words[1], "SUB------ca");
  EXPECT_EQ(eng->table.words[5], "SUB------");
  apply(*eng, "A", "X1 C1");
  EXPECT_EQ(eng->table.word_count, 7);
  // X copies the word behind it, then C (the pointer still at the first pattern word)
  // copies it in front.
  EXPECT_EQ(eng->table.originals[1], "ca");
  EXPECT_EQ(eng->table.originals[2], "A");
  EXPECT_EQ(eng->table.originals[3], "ca");
  EXPECT_EQ(eng->table.words[3], "SUB------ca");
}

TEST(IdiomRules, PatternWordsAndActionsAreTakenApartOnce) {
  const idiom_rule rule = make_idiom_rule("2#NOU *>The  Haus", "!ABC  +*NEU -");
  EXPECT_EQ(rule.pattern_line, "2#NOU *>The  Haus");
  ASSERT_EQ(rule.pattern_count, 4);  // a double blank makes an empty pattern word
  ASSERT_EQ(rule.tests.size(), 5u);
  EXPECT_EQ(rule.tests[1].window, 2);
  EXPECT_EQ(rule.tests[1].kind, '#');
  EXPECT_EQ(rule.tests[1].text, "NOU");
  EXPECT_TRUE(rule.tests[2].from_start);
  EXPECT_EQ(rule.tests[2].kind, '>');
  EXPECT_EQ(rule.tests[2].text, "The");
  EXPECT_EQ(rule.tests[3].text, "");
  EXPECT_EQ(rule.tests[4].window, -1);
  EXPECT_EQ(rule.tests[4].kind, 0);
  EXPECT_EQ(rule.tests[4].text, "Haus");
  ASSERT_EQ(rule.action_count, 4);
  ASSERT_EQ(rule.actions.size(), 5u);
  EXPECT_EQ(rule.actions[1].letter, 'R');
  EXPECT_EQ(rule.actions[1].arg, "ABC");
  EXPECT_EQ(rule.actions[2].letter, 'U');  // the empty action
  EXPECT_EQ(rule.actions[3].letter, 'I');
  EXPECT_EQ(rule.actions[3].arg, "NEU");
  EXPECT_EQ(rule.actions[4].letter, 'D');
  EXPECT_EQ(rule.actions[4].arg, "");
  // At most 15 words a line; empty lines make a rule of nothing.
  const idiom_rule many = make_idiom_rule("A B C D E F G H I J K L M N O P Q", "");
  EXPECT_EQ(many.pattern_count, max_idiom_words);
  EXPECT_EQ(many.tests[max_idiom_words].text, "O");
  EXPECT_EQ(many.action_count, 0);
  EXPECT_EQ(many.actions.size(), 1u);
  EXPECT_EQ(make_idiom_rule("", "").pattern_count, 0);
}

TEST(IdiomRules, BadRulesAreHarmless) {
  auto eng = sentence({"A=SUB------a", "B=SUB------b"});
  apply(*eng, "A B C D E F G H I J K L M N O P Q R", "");
  apply(*eng, "A", "R");  // an empty word spec
  EXPECT_EQ(llength(eng->table.class_line), 6u);
  apply(*eng, "", "D D D");
  apply(*eng, "B", "Z9 X0 C-1 A-5 I J");
  EXPECT_EQ(eng->table.word_count, 4);
  EXPECT_EQ(llength(eng->table.class_line), 12u);
  // Insertions stop at a full table.
  auto full = sentence(std::vector<std::string>(200, "W=SUB------w"));
  apply(*full, "W", "H*N=NEU------n");
  EXPECT_EQ(full->table.word_count, 200);
}

TEST(IdiomRules, QuestionChangeChoosesByTheTextAsWritten) {
  // R?AB looks for the reading by "AB" itself: the first reading that begins with it wins.
  auto eng = sentence({"A=XXX*ABC---y*AB ---x"});
  apply(*eng, "A", "R?AB");
  EXPECT_EQ(eng->table.words[1], "AB ---y");
  EXPECT_EQ(eng->table.class_line.text, "AB ");
}

TEST(IdiomRecords, RoundTrip) {
  std::string rec = encode_idiom_record("NEW YORK", "R*NEW_YORK=nNew_York D");
  ASSERT_EQ(rec.size(), idiom_record_size);
  std::string p, a;
  decode_idiom_record(rec, p, a);
  EXPECT_EQ(p, "NEW YORK");
  EXPECT_EQ(a, "R*NEW_YORK=nNew_York D");
  rec[0] = static_cast<char>(250);
  decode_idiom_record(rec, p, a);
  EXPECT_EQ(p.size(), 80u);
}

}  // namespace
}  // namespace zembu::engine
