#include "engine/rule_cache.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/scratch_dir_fixture.h"

namespace zembu::engine {
namespace {

class RuleCache : public InScratchDir {
 protected:
  // The lines of `name` through the cache, counting the parses.
  std::shared_ptr<const std::vector<std::string>> load(const std::string& name, bool plain = true,
                                                      const std::string& definitions = "defs/") {
    engine_settings st;
    st.plain_definitions = plain;
    st.definitions_path = definitions;
    return load_rules<std::vector<std::string>>(cache_, "lines", named_rule_file(name), st, path_,
                                                [&](linereader& f) {
                                                  ++parses_;
                                                  std::vector<std::string> lines;
                                                  std::string line;
                                                  while (f.readline(line)) lines.push_back(line);
                                                  return lines;
                                                });
  }
  rule_cache cache_;
  std::string path_;
  int parses_ = 0;
};

TEST_F(RuleCache, ParsedOnceWhileTheFileStaysTheSame) {
  write("rules.zmb", "a\nb\n");
  auto first = load("rules.zmb");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(*first, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(path_, "rules.zmb");
  auto again = load("rules.zmb");
  EXPECT_EQ(again, first);
  EXPECT_EQ(parses_, 1);
  // Read the other way (enciphered), the file is parsed anew; so is a changed file.
  load("rules.zmb", false);
  EXPECT_EQ(parses_, 2);
  write("rules.zmb", "a\nb\nc\n");
  auto changed = load("rules.zmb", false);
  EXPECT_EQ(parses_, 3);
  EXPECT_EQ(changed->size(), 3u);
  // The same kind under another path, and another kind of the same path, are kept apart.
  std::string other;
  engine_settings here;
  here.definitions_path = "";
  load_rules<int>(cache_, "count", named_rule_file("rules.zmb"), here, other,
                  [](linereader&) { return 7; });
  EXPECT_EQ(load("rules.zmb", false), changed);
  EXPECT_EQ(parses_, 3);
}

TEST_F(RuleCache, RuleTextInMemoryIsParsedEveryTimeAndNeverKept) {
  engine_settings st;
  auto parse = [&](linereader& f) {
    ++parses_;
    std::string line;
    int n = 0;
    while (f.readline(line)) ++n;
    return n;
  };
  const rule_file text = rule_text("rules.zmb", "a\nb\n");
  auto first = load_rules<int>(cache_, "count", text, st, path_, parse);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(*first, 2);
  EXPECT_EQ(path_, "");
  load_rules<int>(cache_, "count", text, st, path_, parse);
  EXPECT_EQ(parses_, 2);
  EXPECT_TRUE(cache_.files.empty());
}

TEST_F(RuleCache, NameAsGivenThenUnderTheDefinitionsPath) {
  std::filesystem::create_directory("defs");
  write("defs/synt1.zmb", "x\n");
  auto rules = load("synt1.zmb");
  ASSERT_NE(rules, nullptr);
  EXPECT_EQ(path_, "defs/synt1.zmb");
  write("synt1.zmb", "y\n");  // the name as given now opens first
  EXPECT_EQ(load("synt1.zmb")->front(), "y");
  EXPECT_EQ(path_, "synt1.zmb");
  EXPECT_EQ(load("missing.zmb"), nullptr);
  EXPECT_EQ(path_, "");
  std::filesystem::create_directory("dir.zmb");  // a directory does not open
  EXPECT_EQ(load("dir.zmb"), nullptr);
}

TEST_F(RuleCache, TemplateCopiesAreNeverKept) {
  write("procyyy.zmb", "t\n");
  load("procyyy.zmb");
  load("procyyy.zmb");
  EXPECT_EQ(parses_, 2);
  file_stamp stamp;
  EXPECT_TRUE(stamp_file("procyyy.zmb", stamp));
  EXPECT_EQ(stamp.size, 2);
  EXPECT_FALSE(stamp_file("nothing", stamp));
}

}  // namespace
}  // namespace zembu::engine
