// The compiler and the engine write their files safely: --help and --version touch no
// file, links under output names are never written through, a full disk leaves the old
// definition files as they were and makes the engine fail visibly, and a procedure script
// longer than the engine's table is reported by both programs.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include "tests/fixtures.h"

namespace {

namespace fs = std::filesystem;
using zembu_test::run_result;
using zembu_test::scratch_dir;

// The names in a directory of the scratch directory ("" for the working directory).
std::map<std::string, std::string> contents(const scratch_dir& d, const std::string& sub = "") {
  std::map<std::string, std::string> out;
  for (const auto& e : fs::directory_iterator(d.file(sub))) {
    const std::string name = e.path().filename().string();
    out[name] = e.is_symlink() ? "link" : d.read(sub.empty() ? name : sub + "/" + name);
  }
  return out;
}

bool is_link(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

const char kTokens[] = "STR ------\nZZZ RED \xffZZZ---ZZZred\nSEN . \xffSEN------.\n";

TEST(CompilerEngineSafety, HelpAndVersionTouchNoFile) {
  for (const char* program : {"makezembu", "zembu2"}) {
    SCOPED_TRACE(program);
    scratch_dir d;
    run_result r = d.run(program, {"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind(std::string("usage: ") + program, 0), 0u) << r.out;
    EXPECT_EQ(r.err, "");
    r = d.run(program, {"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind(std::string(program) + " version 1.6 (", 0), 0u) << r.out;
    EXPECT_TRUE(contents(d).empty());
  }
  // Asked for help, the compiler compiles nothing even where it could.
  scratch_dir d;
  d.mkdir("definitions");
  d.write("rules.txt", "LEXICON\nhouse n Haus\n-----\n");
  EXPECT_EQ(d.run("makezembu", {"--help"}).status, 0);
  EXPECT_TRUE(contents(d, "definitions").empty());
}

TEST(CompilerEngineSafety, LinksUnderDefinitionNamesAreReplacedNotWrittenThrough) {
  scratch_dir d;
  d.mkdir("definitions");
  d.write("script-victim", "keep script\n");
  d.write("lexicon-victim", "keep lexicon\n");
  ASSERT_EQ(symlink(d.file("script-victim").c_str(), d.file("definitions/exec.zmb").c_str()), 0);
  ASSERT_EQ(symlink("../lexicon-victim", d.file("definitions/lexi.zmb").c_str()), 0);
  run_result r = zembu_test::compile_rules(d, "LEXICON\nhouse n Haus\n-----\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out + r.err, "");
  EXPECT_EQ(d.read("script-victim"), "keep script\n");
  EXPECT_EQ(d.read("lexicon-victim"), "keep lexicon\n");
  EXPECT_FALSE(is_link(d.file("definitions/exec.zmb")));
  EXPECT_FALSE(is_link(d.file("definitions/lexi.zmb")));
  EXPECT_EQ(d.read("definitions/lexi.zmb"), "HOUSE\n\xffnHaus\n");
  EXPECT_NE(d.read("definitions/exec.zmb").find("PROCEDURES\n"), std::string::npos);
  // Nothing but the two definition files, the lexicon's index and the source map is left
  // in the directory.
  EXPECT_EQ(contents(d, "definitions").size(), 4u);
  EXPECT_EQ(contents(d, "definitions").count("lexi.zix"), 1u);
  EXPECT_EQ(contents(d, "definitions").count("rules.map"), 1u);
}

TEST(CompilerEngineSafety, EngineRefusesLinksUnderItsOutputNames) {
  scratch_dir d;
  d.mkdir("definitions");
  d.write("definitions/exec.zmb", "PROCEDURES\nR *\n");
  d.write("pass3", kTokens);
  d.write("victim", "keep\n");
  ASSERT_EQ(symlink("victim", d.file("pass2").c_str()), 0);
  run_result r = d.run("zembu2", {"SHELLMODE", "definitions/", "pass3", "pass2"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind("zembu2: cannot write the result file pass2: ", 0), 0u) << r.err;
  EXPECT_EQ(d.read("victim"), "keep\n");
  EXPECT_TRUE(is_link(d.file("pass2")));
  // The listing of the direct form is not written through a link either; the result is.
  d.write("story.txt", kTokens);
  ASSERT_EQ(symlink("victim", d.file("story.LST").c_str()), 0);
  r = d.run("zembu2", {"story.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(d.read("victim"), "keep\n");
  EXPECT_EQ(d.read("story.XLT"), "Red. \n");
}

// A tmpfs of 64 KiB mounted on a directory of the scratch directory, unmounted again at
// the end of the test. Mounting needs root; `why` says what stood in the way.
struct small_disk {
  std::string dir;
  bool mounted = false;
  std::string why;

  explicit small_disk(const scratch_dir& d, const std::string& name) : dir(d.file(name)) {
    d.mkdir(name);
    if (geteuid() != 0) {
      why = "mounting a small tmpfs needs root";
    } else if (mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=64k") != 0) {
      why = std::string("mount -t tmpfs failed: ") + std::strerror(errno);
    } else {
      mounted = true;
    }
  }
  ~small_disk() {
    if (mounted && umount(dir.c_str()) != 0) umount2(dir.c_str(), MNT_DETACH);
  }
  // Fills the disk with one file until no byte more fits.
  void fill() const {
    FILE* f = std::fopen((dir + "/filler").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::setvbuf(f, nullptr, _IONBF, 0);
    const std::string block(4096, 'f');
    while (std::fwrite(block.data(), 1, block.size(), f) == block.size()) {
    }
    std::fclose(f);
    FILE* g = std::fopen((dir + "/probe").c_str(), "wb");
    ASSERT_NE(g, nullptr);
    std::setvbuf(g, nullptr, _IONBF, 0);
    EXPECT_NE(std::fwrite("x", 1, 1, g), 1u) << "the disk is not full";
    std::fclose(g);
    std::remove((dir + "/probe").c_str());
  }
};

TEST(CompilerEngineSafety, FullDiskKeepsTheOldDefinitions) {
  scratch_dir d;
  small_disk disk(d, "definitions");
  if (!disk.mounted) GTEST_SKIP() << disk.why;
  d.write("rules.txt", "LEXICON\nhouse n Haus\n-----\nSYNTAX\nDET NOU -> NP_\n-----\n");
  ASSERT_EQ(d.run("makezembu", {}).status, 0);
  d.write("definitions/user1.zmb", "OLD\n\xffnAlt\n");
  disk.fill();
  const auto before = contents(d, "definitions");
  ASSERT_EQ(before.count("lexi.zmb"), 1u);
  ASSERT_EQ(before.count("synt1.zmb"), 1u);

  d.write("rules.txt", "LEXICON\ncar n Auto\n-----\nUSER LEXICON\nnew a neu\n-----\n");
  run_result r = d.run("makezembu", {});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "makezembu: cannot write definitions/lexi.zmb: No space left on device\n");
  // Every old file byte for byte, and no temporary file left behind.
  EXPECT_EQ(contents(d, "definitions"), before);
}

TEST(CompilerEngineSafety, FullDiskFailsTheEngineVisibly) {
  scratch_dir d;
  small_disk disk(d, "full");
  if (!disk.mounted) GTEST_SKIP() << disk.why;
  d.mkdir("definitions");
  d.write("definitions/exec.zmb", "PROCEDURES\nR *\n");
  d.write("pass3", kTokens);
  d.write("full/story.txt", kTokens);
  disk.fill();
  run_result r = d.run("zembu2", {"SHELLMODE", "definitions/", "pass3", "full/pass2"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "zembu2: cannot write the result file full/pass2: No space left on device\n");
  r = d.run("zembu2", {"full/story.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "zembu2: cannot write the result file full/story.XLT: No space left on device\n");
  // With room on the disk the same runs succeed.
  d.remove("full/filler");
  r = d.run("zembu2", {"SHELLMODE", "definitions/", "pass3", "full/pass2"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(d.read("full/pass2"), "Red. \n");
}

// A rule source of `idioms` IDIOM sections and an INFLECTION section behind them.
std::string many_idioms(int idioms) {
  std::string rules;
  for (int i = 0; i < idioms; ++i) rules += "IDIOM\nA B\n-----\n";
  return rules + "INFLECTION\nSnx * >e\n-----\n";
}

TEST(CompilerEngineSafety, ScriptsLongerThanTheEngineRunsAreReported) {
  scratch_dir d;
  d.mkdir("definitions");
  d.write("pass3", kTokens);
  // Six head procedures, the idioms, INFLECTION and the last line: 250 exactly.
  run_result r = zembu_test::compile_rules(d, many_idioms(242));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  r = d.run("zembu2", {"SHELLMODE", "definitions/", "pass3", "pass2"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");

  r = zembu_test::compile_rules(d, many_idioms(260));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err,
            "makezembu: warning: the procedure script has 268 procedures; the engine runs only "
            "the first 250\n");
  r = d.run("zembu2", {"SHELLMODE", "definitions/", "pass3", "pass2"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "zembu2: the procedure script exec.zmb has 268 procedure lines, more than the 250 "
            "the engine holds; only the first 250 are run\n");
  EXPECT_EQ(d.read("pass2"), "Red. \n");
}

}  // namespace
