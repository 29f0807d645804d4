#include "compiler/staged_files.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace zembu {
namespace {

namespace fs = std::filesystem;

class StagedFiles : public testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/zembu_staged_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  void put(const std::string& name, const std::string& text) const {
    std::ofstream(path(name), std::ios::binary) << text;
  }
  std::string get(const std::string& name) const {
    std::ifstream f(path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  }
  std::set<std::string> names() const {
    std::set<std::string> out;
    for (const auto& e : fs::directory_iterator(dir_)) out.insert(e.path().filename().string());
    return out;
  }

  std::string dir_;
};

TEST_F(StagedFiles, CommitReplacesEveryFileAndLinksAreReplacedNotFollowed) {
  put("lexi.zmb", "old lexicon\n");
  put("victim", "precious\n");
  ASSERT_EQ(symlink("victim", path("func.zmb").c_str()), 0);
  // A link that stands under the first temporary name of this process is passed over.
  const std::string planted = "lexi.zmb." + std::to_string(getpid()) + "-0.tmp";
  ASSERT_EQ(symlink("victim", path(planted).c_str()), 0);
  {
    staged_files files;
    files.begin(path("lexi.zmb")).writeline("first");
    files.begin(path("func.zmb")).writeline("function");
    files.begin(path("lexi.zmb")).writeline("second");  // a section read twice
    files.close_all();
    // Nothing is in place before the commit; the temporary files stand beside.
    EXPECT_EQ(get("lexi.zmb"), "old lexicon\n");
    EXPECT_EQ(names().size(), 6u);
    ASSERT_TRUE(files.commit());
    EXPECT_FALSE(files.failed());
  }
  EXPECT_EQ(get("lexi.zmb"), "second\n");
  EXPECT_EQ(get("func.zmb"), "function\n");
  struct stat info;
  ASSERT_EQ(lstat(path("func.zmb").c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_EQ(get("victim"), "precious\n");
  EXPECT_EQ(names(), (std::set<std::string>{"func.zmb", "lexi.zmb", "victim", planted}));
}

TEST_F(StagedFiles, AFailurePutsNothingInPlaceAndRemovesEveryTemporaryFile) {
  put("lexi.zmb", "old lexicon\n");
  // A file that cannot be created: the first failure is the one named.
  {
    staged_files files;
    files.begin(path("lexi.zmb")).writeline("new");
    linewriter& lost = files.begin(path("missing/synt1.zmb"));
    EXPECT_FALSE(lost.is_open());
    lost.writeline("goes nowhere");
    files.begin(path("missing/synt2.zmb"));
    EXPECT_TRUE(files.failed());
    EXPECT_EQ(files.failure(), path("missing/synt1.zmb") + ": No such file or directory");
    EXPECT_FALSE(files.commit());
  }
  EXPECT_EQ(get("lexi.zmb"), "old lexicon\n");
  EXPECT_EQ(names(), std::set<std::string>{"lexi.zmb"});
  // A directory under a final name is found before anything is renamed.
  fs::create_directory(path("comp1.zmb"));
  {
    staged_files files;
    files.begin(path("lexi.zmb")).writeline("new");
    files.begin(path("comp1.zmb")).writeline("rule");
    EXPECT_FALSE(files.failed());
    EXPECT_FALSE(files.commit());
    EXPECT_EQ(files.failure(), path("comp1.zmb") + ": Is a directory");
  }
  EXPECT_EQ(get("lexi.zmb"), "old lexicon\n");
  EXPECT_EQ(names(), (std::set<std::string>{"comp1.zmb", "lexi.zmb"}));
  // Without a commit nothing is put in place either.
  {
    staged_files files;
    files.begin(path("lexi.zmb")).writeline("new");
  }
  EXPECT_EQ(get("lexi.zmb"), "old lexicon\n");
  EXPECT_EQ(names(), (std::set<std::string>{"comp1.zmb", "lexi.zmb"}));
}

}  // namespace
}  // namespace zembu
