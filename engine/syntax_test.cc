#include "engine/syntax.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "engine/translat.h"

namespace zembu::engine {
namespace {

// A sentence whose class line holds the given classes, one place per word.
std::unique_ptr<engine_state> with_classes(const std::string& classes) {
  auto eng = std::make_unique<engine_state>();
  eng->settings.show_listing = false;
  eng->table.word_count = static_cast<int>(classes.size() / 3);
  for (int i = 1; i <= eng->table.word_count; ++i) {
    const std::string cls = classes.substr(3 * (i - 1), 3);
    eng->table.words[i] = cls + "------w" + std::to_string(i);
    eng->table.originals[i] = "W" + std::to_string(i);
  }
  strtomaxi(classes, eng->table.class_line);
  init_analysis(*eng);
  return eng;
}

TEST(SyntaxRule, LinesSplitIntoTheirParts) {
  syntax_rule r = parse_syntax_rule("DETNOU comment", "NP_", "002001>002:VER");
  EXPECT_EQ(r.pattern, "DETNOU");
  EXPECT_EQ(r.order, "002001");
  EXPECT_EQ(r.list, "002:VER");
  EXPECT_FALSE(r.force);
  r = parse_syntax_rule("DET", "ART", "001!001:ART");
  EXPECT_EQ(r.order, "001");
  EXPECT_EQ(r.list, "001:ART");
  EXPECT_TRUE(r.force);
  // A "!" behind ">" belongs to the list: keep mode.
  r = parse_syntax_rule("DET", "ART", "001>002:X!003:Y");
  EXPECT_EQ(r.order, "001");
  EXPECT_EQ(r.list, "002:X!003:Y");
  EXPECT_FALSE(r.force);
}

TEST(SyntaxRule, FewerPlacesMoveTheRestUp) {
  auto eng = with_classes("AAABBBCCCDDD");
  size_t e = apply_syntax_rule(*eng, parse_syntax_rule("BBBCCC", "XXX", "002001"), false);
  EXPECT_EQ(e, 4u);
  EXPECT_EQ(eng->table.class_line.text, "AAAXXXDDD");
  EXPECT_EQ(dump_analysis(*eng), "1: 1\n2: 3 2\n3: 4\n");
  // Place numbers count from the first matched place; 003 is the place behind the match.
  eng = with_classes("AAABBBCCCDDD");
  apply_syntax_rule(*eng, parse_syntax_rule("BBBCCC", "XXX", "003"), false);
  EXPECT_EQ(dump_analysis(*eng), "1: 1\n2: 4\n3: 4\n");
}

TEST(SyntaxRule, MorePlacesMoveTheRestDown) {
  auto eng = with_classes("AAABBBCCC");
  apply_syntax_rule(*eng, parse_syntax_rule("BBB", "XXXYYY", "001 MID"), false);
  EXPECT_EQ(eng->table.class_line.text, "AAAXXXYYYCCC");
  EXPECT_EQ(dump_analysis(*eng), "1: 1\n2: 2\n3: 202\n4: 3\n");
  EXPECT_EQ(symbol_name(*eng, 202), "MID");
}

TEST(SyntaxRule, NoMatchAndNoOrderPart) {
  auto eng = with_classes("AAABBB");
  EXPECT_EQ(apply_syntax_rule(*eng, parse_syntax_rule("ABB", "XXX", "001"), false), 0u);
  EXPECT_EQ(apply_syntax_rule(*eng, parse_syntax_rule("", "XXX", ""), false), 0u);
  EXPECT_EQ(eng->table.class_line.text, "AAABBB");
  apply_syntax_rule(*eng, parse_syntax_rule("AAA", "XXX", ""), false);
  EXPECT_EQ(eng->table.class_line.text, "XXXBBB");
  EXPECT_EQ(dump_analysis(*eng), "1: 1\n2: 2\n");
}

TEST(SyntaxRule, PlacesHoldAtMost199Members) {
  auto eng = with_classes("AAABBB");
  for (int c = 1; c <= 200; ++c) eng->analysis[2][c] = 7;
  regroup_rows(*eng, "002001", 1, 2, 1);
  int members = 0;
  for (int c = 1; c <= max_words; ++c) members += eng->analysis[1][c] != 0;
  EXPECT_EQ(members, 199);
  EXPECT_EQ(eng->analysis[1][1], 7);
  EXPECT_EQ(eng->analysis[1][200], 0);
}

TEST(SyntaxRule, SymbolsBeyondACellAreLeftOut) {
  auto eng = with_classes("AAA");
  for (int i = 0; i < 54; ++i) symbol_number(*eng, "S" + std::to_string(i));
  regroup_rows(*eng, "001S53NEW", 1, 1, 1);  // S53 is 255, NEW would be 256
  EXPECT_EQ(dump_analysis(*eng), "1: 1 255\n");
}

bool among(const cell_set& part, const cell_set& whole) {
  for (size_t i = 0; i < part.size(); ++i) {
    if ((part[i] & ~whole[i]) != 0) return false;
  }
  return true;
}

// The cells let a rule be passed over without searching its pattern: that must never
// pass over a rule whose pattern the search would find.
TEST(SyntaxRule, CellsOfAFoundPatternAreAmongTheLines) {
  const cell_set line = line_cells("DETNOUVER");
  EXPECT_TRUE(among(parse_syntax_rule("NOUVER", "", "").pattern_cells, line));
  EXPECT_FALSE(among(parse_syntax_rule("NOUADJ", "", "").pattern_cells, line));
  // Cells with a wildcard and a cut-off last cell say nothing.
  EXPECT_EQ(parse_syntax_rule("N.UA*JVE", "", "").pattern_cells, cell_set{});
  EXPECT_EQ(parse_syntax_rule("DETNO", "", "").pattern_cells, parse_syntax_rule("DET", "", "").pattern_cells);

  std::mt19937 random(17);
  const char letters[] = "ABN.*";
  auto text = [&](size_t n, size_t choices) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s += letters[random() % choices];
    return s;
  };
  int found = 0, told = 0;
  for (int round = 0; round < 20000; ++round) {
    const std::string l = text(3 * (1 + random() % 5) + random() % 3, 4);  // "." a plain byte
    std::string p = text(1 + random() % 7, 5);
    if (random() % 2 && l.size() >= 3) {  // mostly a piece of the line, some of it wildcards
      const size_t at = 3 * (random() % (l.size() / 3));
      p = l.substr(at, 1 + random() % (l.size() - at));
      for (char& c : p) {
        if (random() % 4 == 0) c = '*';
      }
    }
    const bool held = among(parse_syntax_rule(p, "", "").pattern_cells, line_cells(l));
    if (find3(l, p) != 0) {
      ++found;
      EXPECT_TRUE(held) << "line " << l << " pattern " << p;
    } else {
      told += !held;
    }
  }
  EXPECT_GT(found, 1000);
  EXPECT_GT(told, 1000);
}

TEST(Flattening, PlacesBecomeWords) {
  auto eng = with_classes("DETNOUSEN");
  eng->analysis[2][2] = static_cast<uint8_t>(symbol_number(*eng, "NOU"));
  eng->analysis[2][3] = static_cast<uint8_t>(symbol_number(*eng, "nom"));
  eng->analysis[2][4] = static_cast<uint8_t>(symbol_number(*eng, "sgl"));
  eng->analysis[2][5] = static_cast<uint8_t>(symbol_number(*eng, ""));  // no text: skipped
  flatten_analysis(*eng, named_rule_file("no-such-func.zmb"));
  EXPECT_EQ(eng->table.word_count, 5);
  EXPECT_EQ(eng->table.words[3], "NOU---NOUNOU");
  EXPECT_EQ(eng->table.originals[3], "NOU");
  EXPECT_EQ(eng->table.words[4], "aux---auxnom sgl");
  EXPECT_EQ(eng->table.originals[4], "nom sgl");
  EXPECT_EQ(eng->table.class_line.text, "DETNOUNOUauxSEN");
  EXPECT_TRUE(eng->table.words[6].empty());
}

}  // namespace
}  // namespace zembu::engine
