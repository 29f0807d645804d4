// The engine's temporary rule file of a template: created under a free number without
// following a link, so neither a link nor a file of the rule author is written through,
// taken over or deleted.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "tests/fixtures.h"

namespace {

using zembu_test::run_result;
using zembu_test::scratch_dir;

std::string name_of(unsigned n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04uyyy.zmb", n);
  return buf;
}

TEST(Zembu2TempFile, TakenNumbersAndLinksAreLeftAlone) {
  scratch_dir d;
  zembu_test::write_files(d, {{"exec.zmb", "PROCEDURES\nL lexi.zmb\n3 *\nX list.zmb\n"},
                              {"lexi.zmb", "K1\nNOU---SnsHaus\n"},
                              {"list.zmb", "NOU THING *K1 tmpl\n"},
                              {"xyztmpl.zmb", "1 +\n$$$1\nSQQQ\n"}});
  d.write("pass3", "STR ------\n" + zembu_test::word_line("K1", "K1") + zembu_test::kLookedUpStop);
  d.write("victim", "precious\n");
  // Every number but 4711 is taken: most by links to the victim, one by a file of the
  // rule author's.
  const std::string victim = d.file("victim");
  for (unsigned n = 0; n < 10000; ++n) {
    if (n == 4711) continue;
    if (n == 1234) {
      d.write("definitions/" + name_of(n), "mine\n");
      continue;
    }
    ASSERT_EQ(symlink(victim.c_str(), d.file("definitions/" + name_of(n)).c_str()), 0);
  }
  zembu_test::engine_run r = zembu_test::run_engine(d, {"visible"});
  EXPECT_EQ(r.status, 0);
  // The template ran from the free number and was deleted again.
  EXPECT_NE(r.trace.find("temp changed NOU"), std::string::npos) << r.trace.substr(0, 2000);
  EXPECT_NE(r.trace.find("idiom rule:   NOU\n"), std::string::npos);
  EXPECT_FALSE(d.exists("definitions/" + name_of(4711)));
  EXPECT_EQ(d.read("victim"), "precious\n");
  EXPECT_EQ(d.read("definitions/" + name_of(1234)), "mine\n");
  char buf[4096];
  EXPECT_GT(readlink(d.file("definitions/" + name_of(0)).c_str(), buf, sizeof buf), 0);
  EXPECT_GT(readlink(d.file("definitions/" + name_of(9999)).c_str(), buf, sizeof buf), 0);
  // With every number taken, the template is not run and nothing is touched.
  d.write("definitions/" + name_of(4711), "also mine\n");
  r = zembu_test::run_engine(d, {"visible"});
  EXPECT_NE(r.trace.find("yyy.zmb not open (trans2)."), std::string::npos);
  EXPECT_EQ(d.read("definitions/" + name_of(4711)), "also mine\n");
  EXPECT_EQ(d.read("victim"), "precious\n");
  EXPECT_EQ(r.trace.find("idiom rule:   NOU\n"), std::string::npos);
}

}  // namespace

namespace {

TEST(Zembu2TempFile, SpillAndWordFilesAreNotWrittenThroughLinks) {
  scratch_dir d;
  d.write("victim", "keep\n");
  ASSERT_EQ(symlink("victim", d.file("zembu.rst").c_str()), 0);
  ASSERT_EQ(symlink("victim", d.file("zembu.wor").c_str()), 0);
  const zembu_test::engine_run r = zembu_test::translate_tokens(
      d, "PROCEDURES\nS *\n",
      "STR ------\n" + zembu_test::word_line("FLORP", "florp") + zembu_test::kLookedUpStop);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(d.read("victim"), "keep\n");
  EXPECT_FALSE(d.exists("zembu.rst"));  // the engine's own spill file is gone at the end
  EXPECT_EQ(r.result, "Florp. \n");
}

}  // namespace
