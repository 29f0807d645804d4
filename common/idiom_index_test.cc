#include "common/idiom_index.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

namespace zembu {
namespace {

class IdiomIndex : public testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/zembu_zid_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  void write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path(name), std::ios::binary | std::ios::trunc) << bytes;
  }
  // Writes the idiom file `text` as idio.zmb and its index as idio.zid; returns the index.
  std::string write_rules(const std::string& text) const {
    write("idio.zmb", text);
    std::string index, error;
    EXPECT_TRUE(index_idiom_file(path("idio.zmb"), index, error)) << error;
    write("idio.zid", index);
    return index;
  }
  // Opens `zid` for idio.zmb, looks every key up and reads every rule found: the pattern
  // lines read, or "refused" when a step refuses.
  std::string lookups(const std::string& zid, const std::vector<std::string>& keys) const {
    idiom_index index;
    std::string why, pattern, action, out;
    if (!index.open(path("idio.zmb"), path(zid), why)) return "refused";
    for (const std::string& key : keys) {
      std::vector<idiom_rule_ref> rules;
      if (!index.find(key, rules, why)) return "refused";
      for (const idiom_rule_ref& r : rules) {
        if (!index.read_rule(r, key, pattern, action, why)) return "refused";
        out += std::to_string(r.number) + ":" + pattern + "|";
      }
    }
    return out;
  }
  std::string dir_;
};

TEST(IdiomRuleKey, OnlyAPlainFirstWordIsAKey) {
  const std::pair<const char*, const char*> cases[] = {
      {"NEW YORK", "NEW"},   {"  GIVE 0UP  ", "GIVE"},
      {"U.S. A", "U.S."},    {"... 0- 0BACKED", "..."},
      {"A;B C", "A"},        {"AB ; comment", "AB"},
      {"1WORD X", ""},       {"*WORD", ""},
      {"#SUB", ""},          {"^SUBxxx", ""},
      {"+ING", ""},          {"$SUB---Sns", ""},
      {"~abc", ""},          {">Haus", ""},
      {"; all comment", ""}, {"", ""},
      {"   ", ""},           {"A*B", "A*B"}};
  for (const auto& [line, key] : cases) EXPECT_EQ(idiom_rule_key(line), key) << line;
  EXPECT_EQ(idiom_index_name("definitions/user2.zmb"), "definitions/user2.zid");
  EXPECT_EQ(idiom_index_name("a.b/idio1"), "a.b/idio1.zid");
}

TEST_F(IdiomIndex, DumpLookupsAndRules) {
  // Numbers, offsets and lengths of the rules in file order; the rules without a key
  // under the empty key first; lines cut to 80, carriage returns before line feeds
  // dropped; a last line alone is a rule without actions.
  const std::string text = "NEW YORK\nR*NEW_YORK=x D\n#SUB X\nU\nNEW 0AGE\r\nR*A\r\n" +
                           std::string(85, 'L') + "\nU\n;note\n\nLAST";
  const std::string dump = dump_idiom_index(write_rules(text));
  EXPECT_EQ(dump.rfind("idiom file of 147 bytes, modified ", 0), 0u) << dump;
  EXPECT_EQ(dump.substr(dump.find("; ") + 2),
            "6 rules, 3 keys in 1 blocks\n: 1@24+9 4@136+7\nLAST: 5@143+4\n" +
                std::string(80, 'L') + ": 3@48+88\nNEW: 0@0+24 2@33+15\n");
  EXPECT_EQ(lookups("idio.zid", {"", "NEW", "LAST", "NE", "NEWS", "A", "ZZ"}),
            "1:#SUB X|4:;note|0:NEW YORK|2:NEW 0AGE|5:LAST|");
  idiom_index index;
  std::string why, pattern, action;
  ASSERT_TRUE(index.open(path("idio.zmb"), path("idio.zid"), why)) << why;
  EXPECT_EQ(index.rule_count(), 6u);
  ASSERT_TRUE(index.read_rule({2, 33, 15}, "NEW", pattern, action, why)) << why;
  EXPECT_EQ(pattern + "|" + action, "NEW 0AGE|R*A");
  ASSERT_TRUE(index.read_rule({5, 143, 4}, "LAST", pattern, action, why)) << why;
  EXPECT_EQ(pattern + "|" + action, "LAST|");
  // A rule read where none starts, over more or fewer than its two lines, or of another key.
  const std::pair<idiom_rule_ref, const char*> forged[] = {
      {{0, 1, 23}, "EW"},    {{0, 9, 15}, "R*NEW_YORK=x"},
      {{0, 0, 33}, "NEW"},   {{0, 0, 9}, "NEW"},
      {{1, 24, 9}, "#SUB"},  {{4, 137, 6}, "note"},
      {{5, 143, 5}, "LAST"}, {{0, 0, 0}, "NEW"}};
  for (const auto& [ref, key] : forged) {
    EXPECT_FALSE(index.read_rule(ref, key, pattern, action, why)) << ref.offset << " " << key;
  }
}

TEST_F(IdiomIndex, AKeyFoundAgainGivesTheSameRulesUntilTheIndexIsOpenedAnew) {
  write_rules("NEW YORK\nU\n#SUB\nU\nNEW AGE\nU\n");
  idiom_index index;
  std::string why;
  ASSERT_TRUE(index.open(path("idio.zmb"), path("idio.zid"), why)) << why;
  auto numbers = [&](std::string_view key) {
    std::vector<idiom_rule_ref> rules{{99, 0, 0}};  // found rules are appended
    std::string out;
    if (!index.find(key, rules, why)) return std::string("refused");
    for (const idiom_rule_ref& r : rules) out += std::to_string(r.number) + "@" + std::to_string(r.offset) + " ";
    return out;
  };
  EXPECT_EQ(numbers("NEW"), "99@0 0@0 2@18 ");
  EXPECT_EQ(numbers("NEW"), "99@0 0@0 2@18 ");
  EXPECT_EQ(numbers("OLD"), "99@0 ");
  EXPECT_EQ(numbers("OLD"), "99@0 ");
  EXPECT_EQ(numbers(""), "99@0 1@11 ");
  // Another file under the same names: opening again forgets the keys found before.
  write_rules("#SUB\nU\nNEW\nU\n");
  ASSERT_TRUE(index.open(path("idio.zmb"), path("idio.zid"), why)) << why;
  EXPECT_EQ(numbers("NEW"), "99@0 1@7 ");
  EXPECT_EQ(numbers("OLD"), "99@0 ");
}

TEST_F(IdiomIndex, RefusesAnIndexThatDoesNotFitOrIsDamaged) {
  idiom_index index;
  std::string why;
  write("idio.zmb", "A B\nU\n");
  EXPECT_FALSE(index.open(path("idio.zmb"), path("idio.zid"), why));
  EXPECT_EQ(why, "");  // no index: nothing to report
  // The same bytes modified at another time; another size modified at the same time.
  write_rules("A B\nU\n");
  struct stat info;
  ASSERT_EQ(stat(path("idio.zmb").c_str(), &info), 0);
  struct timespec other[2] = {{0, UTIME_OMIT}, {1000, 1}},
                  same[2] = {{0, UTIME_OMIT}, info.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, path("idio.zmb").c_str(), other, 0), 0);
  EXPECT_FALSE(index.open(path("idio.zmb"), path("idio.zid"), why));
  EXPECT_EQ(why.rfind("made for another idiom file (size 6, modified ", 0), 0u) << why;
  write("idio.zmb", "A BC\nU\n");
  ASSERT_EQ(utimensat(AT_FDCWD, path("idio.zmb").c_str(), same, 0), 0);
  EXPECT_FALSE(index.open(path("idio.zmb"), path("idio.zid"), why));
  write("lexi.zix", std::string(100, 'x'));
  EXPECT_FALSE(index.open(path("idio.zmb"), path("lexi.zix"), why));
  EXPECT_EQ(why, "not an idiom index of this version");

  // Many blocks; three rules a key, a rule without a key after each.
  std::vector<std::string> keys = {""};
  std::string text;
  for (int i = 0; i < 150; ++i) {
    if (i < 50) keys.push_back("K" + std::to_string(i));
    text += "K" + std::to_string(i % 50) + " X\nU\n#ABC\nU\n";
  }
  const std::string good = write_rules(text);
  const std::string all = lookups("idio.zid", keys);
  ASSERT_EQ(std::count(all.begin(), all.end(), '|'), 300);
  ASSERT_EQ(dump_idiom_index(good).find(" in 1 blocks"), std::string::npos);
  // Every byte is under a checksum: a changed bit anywhere is refused by the lookups and
  // named by the dump; so is an index cut anywhere.
  int unnoticed = 0;
  for (size_t at = 0; at < good.size(); ++at) {
    std::string bad = good;
    bad[at] = static_cast<char>(bad[at] ^ (1 << (at % 8)));
    write("bad.zid", bad);
    unnoticed += (lookups("bad.zid", keys) != "refused") +
                 (dump_idiom_index(bad).find("damaged: ") == std::string::npos);
  }
  for (size_t size = 0; size < good.size(); size += 7) {
    write("bad.zid", good.substr(0, size));
    unnoticed += lookups("bad.zid", keys) != "refused";
  }
  EXPECT_EQ(unnoticed, 0);
}

}  // namespace
}  // namespace zembu
