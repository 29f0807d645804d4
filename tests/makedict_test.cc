// makedict black-box tests: the generated rule source compiles with makezembu and
// translates, on the committed excerpt and, where it is installed, on the whole
// German-English dictionary; the command line and its failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/fixtures.h"

namespace {

namespace fs = std::filesystem;
using zembu_test::bin_path;
using zembu_test::lines;
using zembu_test::run_result;
using zembu_test::scratch_dir;

const char kRealDictionary[] = "/usr/share/trans/de-en";

using zembu_test::source_file;

// Compiles d's rules.txt with makezembu; the compiler's report must be empty.
void compile(const scratch_dir& d) {
  d.mkdir("definitions");
  const run_result r = d.run("makezembu", {}, "", 120);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "") << r.out.substr(0, 2000);
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(d.exists("definitions/lexi.zmb"));
}

TEST(MakeDict, ExcerptCompilesAndTranslates) {
  scratch_dir d;
  d.write("de-en", source_file("tools/testdata/de-en-excerpt.txt"));
  d.write("hand.txt", source_file("rules/rules.txt"));
  const run_result r = d.run("makedict", {"de-en", "hand.txt"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("makedict: 32 lines read\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("English word forms"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("1 not UTF-8"), std::string::npos) << r.err;
  // The hand-written source comes first, unchanged.
  const std::string hand = d.read("hand.txt");
  EXPECT_EQ(r.out.substr(0, hand.find("eof none -\n")), hand.substr(0, hand.find("eof none -\n")));
  d.write("rules.txt", r.out);
  compile(d);
  EXPECT_NE(d.read("definitions/user2.zmb").find("RAILWAY 0STATION\nR*RAILWAY_STATION="),
            std::string::npos);
  zembu_test::run_pipeline(d, "The carts are here.");
  EXPECT_EQ(d.read("pass3"), "Die Wagen sind hier. \n");
  // A compound and an irregular past; "to" takes the dative and joins the article.
  zembu_test::run_pipeline(d, "She went to the railway station.");
  EXPECT_EQ(d.read("pass3"), "Sie ging zum Bahnhof. \n");
  zembu_test::run_pipeline(d, "The houses are red.");
  EXPECT_EQ(d.read("pass3"), "Die H\x84user sind rot. \n");
}

TEST(MakeDict, CommandLineAndUnreadableFiles) {
  scratch_dir d;
  d.write("hand.txt", source_file("rules/rules.txt"));
  d.write("empty", "");
  run_result r = d.run("makedict", {"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("usage: makedict [--overrides FILE] DICTIONARY RULES > OUTPUT\n", 0), 0u);
  r = d.run("makedict", {"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("makedict version"), std::string::npos);
  r = d.run("makedict", {"hand.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("usage: makedict"), std::string::npos);
  r = d.run("makedict", {"missing", "hand.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot read missing"), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
  r = d.run("makedict", {"--overrides", "missing", "empty", "hand.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot read missing"), std::string::npos) << r.err;
  // An empty dictionary gives the hand rules with empty generated blocks, which compile.
  r = d.run("makedict", {"empty", "hand.txt"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("makedict: 0 lines read\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("makedict: 0 English word forms\n"), std::string::npos) << r.err;
  d.write("rules.txt", r.out);
  compile(d);
}

// The sample text through the front end's filter in d, one German line a sentence line.
std::string translate_sample(const scratch_dir& d) {
  for (const char* p : {"zembu", "zembu1", "zembu2", "zembu3", "zembu4"}) {
    fs::copy_file(bin_path(p), d.file(p), fs::copy_options::overwrite_existing);
  }
  fs::copy_file(bin_path("makezembu"), d.file("makezembu"), fs::copy_options::overwrite_existing);
  const run_result r = d.run("./zembu", {"-"}, source_file("rules/sample.txt"), 900);
  EXPECT_EQ(r.status, 0) << r.err;
  return r.out;
}

TEST(MakeDict, RealDictionary) {
  const zembu_test::generated_rules full = zembu_test::full_rules();
  if (full.path.empty()) GTEST_SKIP() << full.why;
  scratch_dir d;
  // Every override matched a dictionary line.
  EXPECT_EQ(full.log.find("overrides matched no dictionary line"), std::string::npos) << full.log;
  const size_t at = full.log.find(" English word forms\n");
  ASSERT_NE(at, std::string::npos) << full.log;
  const size_t from = full.log.rfind("makedict: ", at) + 10;
  EXPECT_GE(std::stol(full.log.substr(from, at - from)), 100000);
  fs::copy_file(full.path, d.file("rules.txt"));
  compile(d);

  // The sample text translates as with the hand-written rules alone: the generated
  // entries carry the class codes the grammar needs, as the hand entries do.
  scratch_dir hand;
  hand.write("rules.txt", source_file("rules/rules.txt"));
  hand.mkdir("definitions");
  const std::vector<std::string> before = lines(translate_sample(hand));
  const std::vector<std::string> after = lines(translate_sample(d));
  ASSERT_EQ(before.size(), after.size());
  ASSERT_GT(before.size(), 20u);
  EXPECT_EQ(before, after);
}

}  // namespace
