#include "engine/rule_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "engine/scratch_dir_fixture.h"

namespace zembu::engine {
namespace {

std::string all_lines(linereader& f) {
  std::string out, line;
  while (f.readline(line)) out += line + "|";
  return out;
}

class RuleFile : public InScratchDir {};

TEST_F(RuleFile, NamedFileOpensAsGivenElseUnderTheDefinitionsPath) {
  engine_settings st;
  st.definitions_path = "defs/";
  std::filesystem::create_directory("defs");
  write("defs/synt1.zmb", "A\nB\n");
  linereader f;
  ASSERT_TRUE(named_rule_file("synt1.zmb").open(st, f));
  EXPECT_EQ(all_lines(f), "A|B|");
  std::string path;
  ASSERT_TRUE(named_rule_file("synt1.zmb").open_uncached(st, f, path));
  EXPECT_EQ(path, "defs/synt1.zmb");
  write("synt1.zmb", "here\n");
  ASSERT_TRUE(named_rule_file("synt1.zmb").open_uncached(st, f, path));
  EXPECT_EQ(path, "synt1.zmb");
  EXPECT_EQ(all_lines(f), "here|");
  EXPECT_FALSE(named_rule_file("none.zmb").open(st, f));
  EXPECT_FALSE(named_rule_file("none.zmb").open_uncached(st, f, path));
  EXPECT_EQ(named_rule_file("none.zmb").open_records(st), nullptr);
}

TEST_F(RuleFile, TextInMemoryIsReadInsteadOfAFile) {
  engine_settings st;
  write("synt1.zmb", "on disk\n");
  const rule_file rules = rule_text("synt1.zmb", "in memory\nsecond");
  linereader f;
  ASSERT_TRUE(rules.open(st, f));
  EXPECT_EQ(all_lines(f), "in memory|second|");
  std::string path = "x";
  ASSERT_TRUE(rules.open_uncached(st, f, path));
  EXPECT_EQ(path, "");
  EXPECT_EQ(all_lines(f), "in memory|second|");
  // Records are read from the bytes as from a file, an empty text being an empty file.
  FILE* records = rules.open_records(st);
  ASSERT_NE(records, nullptr);
  char buf[4] = {};
  ASSERT_EQ(std::fseek(records, 3, SEEK_SET), 0);
  EXPECT_EQ(std::fread(buf, 1, 3, records), 3u);
  EXPECT_EQ(std::string(buf), "mem");
  std::fclose(records);
  records = rule_text("empty", "").open_records(st);
  ASSERT_NE(records, nullptr);
  EXPECT_EQ(std::fread(buf, 1, 1, records), 0u);
  std::fclose(records);
}

}  // namespace
}  // namespace zembu::engine
