#include "common/rules_map.h"

#include <gtest/gtest.h>

namespace zembu {
namespace {

TEST(RulesMap, RecordsFollowEachOtherAndARestartedFileBeginsAgain) {
  rules_map m;
  m.add("synt1.zmb", 3, 40);
  m.add("synt1.zmb", 3, 42);
  m.add("user2.zmb", 2, 7, 2);
  m.add("term.zmb", 1, 3);
  m.add("term.zmb", 2, 4);
  EXPECT_EQ(m.text(),
            "synt1.zmb 1 1 3 40 1\n"
            "synt1.zmb 2 4 3 42 1\n"
            "user2.zmb 1 1 2 7 2\n"
            "term.zmb 1 1 1 3 1\n"
            "term.zmb 2 2 2 4 1\n");
  // A second section of the same file writes it anew: only its records stay, in the
  // place where the file was first started.
  m.start("synt1.zmb");
  m.add("synt1.zmb", 3, 90);
  EXPECT_EQ(m.text(),
            "synt1.zmb 1 1 3 90 1\n"
            "user2.zmb 1 1 2 7 2\n"
            "term.zmb 1 1 1 3 1\n"
            "term.zmb 2 2 2 4 1\n");
  // A file started without records (an empty section) gives no lines.
  m.start("comp1.zmb");
  EXPECT_EQ(m.text().find("comp1"), std::string::npos);
}

TEST(RulesMap, ReadsBackWhatItWritesAndSkipsMalformedLines) {
  rules_map m;
  m.add("lexi.zmb", 2, 10);
  m.add("lexi.zmb", 2, 12);
  m.add("idio1.zmb", 1, 30);
  const std::string text = m.text() + "lexi.zmb 3 5 2 14\n" + "lexi.zmb 3 5 2 x 1\n" +
                           "lexi.zmb 0 5 2 14 1\n" + "lexi.zmb 3 5 2 14 1 9\n" + "\n";
  const map_index index = parse_rules_map(text);
  ASSERT_EQ(index.size(), 2u);
  ASSERT_EQ(index.at("lexi.zmb").size(), 2u);
  const map_record& r = index.at("lexi.zmb")[1];
  EXPECT_EQ(r.record, 2);
  EXPECT_EQ(r.line, 3);
  EXPECT_EQ(r.lines, 2);
  EXPECT_EQ(r.source, 12);
  EXPECT_EQ(index.at("idio1.zmb")[0].source, 30);
}

TEST(RulesMap, FindsTheRecordsThatCoverALineRange) {
  rules_map m;
  for (long s = 1; s <= 6; ++s) m.add("comp1.zmb", 1, 100 + s);
  m.add("flex.zmb", 3, 200);
  m.add("flex.zmb", 3, 201);
  const map_index index = parse_rules_map(m.text());
  std::vector<map_record> r = records_for_lines(index, "comp1.zmb", 2, 4);
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0].source, 102);
  EXPECT_EQ(r[2].source, 104);
  // A range inside one record of several lines finds that record.
  r = records_for_lines(index, "flex.zmb", 5, 5);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].record, 2);
  EXPECT_TRUE(records_for_lines(index, "flex.zmb", 7, 9).empty());
  EXPECT_TRUE(records_for_lines(index, "synt1.zmb", 1, 3).empty());
}

}  // namespace
}  // namespace zembu
