#include "engine/run_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/scratch_dir_fixture.h"

namespace zembu::engine {
namespace {

class RunFiles : public InScratchDir {
 protected:
  void TearDown() override {
    use_run_files(nullptr, nullptr);
    InScratchDir::TearDown();
  }
  void start_run() {
    st_.definitions_path = "defs/";
    st_.result_name = "story.XLT";
    st_.listing_name = "story.LST";
    st_.word_file_name = "out/story.WOR";
    use_run_files(&files_, &st_);
  }
  std::string first_line(const std::string& path) {
    linereader f;
    if (!open_text(f, path)) return "<not open>";
    std::string line;
    f.readline(line, std::string::npos);
    return line;
  }
  engine_settings st_;
  run_files files_;
};

TEST_F(RunFiles, APathIsLookedUpOnceARun) {
  write("lexi.zmb", "abc\n");
  start_run();
  path_facts before = look_up_path("lexi.zmb");
  EXPECT_EQ(before.kind, path_kind::regular);
  EXPECT_EQ(before.stamp.size, 4);
  EXPECT_EQ(look_up_path("idio1.zmb").kind, path_kind::missing);
  std::filesystem::remove("lexi.zmb");
  write("idio1.zmb", "new\n");
  // The run goes on with what it saw first.
  EXPECT_EQ(look_up_path("lexi.zmb").kind, path_kind::regular);
  file_stamp stamp;
  EXPECT_TRUE(stamp_file("lexi.zmb", stamp));
  EXPECT_TRUE(stamp == before.stamp);
  EXPECT_FALSE(file_present("idio1.zmb"));
  EXPECT_EQ(first_line("idio1.zmb"), "<not open>");
  note_check("lexicon index\nlexi.zmb", {false, "no index"});
  check_outcome seen;
  ASSERT_TRUE(checked_before("lexicon index\nlexi.zmb", seen));
  EXPECT_EQ(seen.why, "no index");
  // A new run, or none, looks again.
  start_run();
  EXPECT_FALSE(checked_before("lexicon index\nlexi.zmb", seen));
  EXPECT_EQ(look_up_path("lexi.zmb").kind, path_kind::missing);
  EXPECT_EQ(first_line("idio1.zmb"), "new");
  use_run_files(nullptr, nullptr);
  std::filesystem::remove("idio1.zmb");
  EXPECT_FALSE(file_present("idio1.zmb"));
}

TEST_F(RunFiles, FilesTheRunWritesAreLookedUpEveryTime) {
  std::filesystem::create_directory("out");
  std::filesystem::create_directory("defs");
  start_run();
  for (const std::string name : {"story.XLT", "story.LST", "out/story.WOR", "story.WOR",
                                 "zembu.rst", "zembu.aux", "UNKNOWN", "defs/0042yyy.zmb"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(file_present(name));
    EXPECT_EQ(first_line(name), "<not open>");
    write(name, "made\n");
    EXPECT_TRUE(file_present(name));
    EXPECT_EQ(first_line(name), "made");
    std::filesystem::remove(name);
    EXPECT_FALSE(file_present(name));
  }
  // Other names are remembered.
  EXPECT_FALSE(file_present("story.txt"));
  write("story.txt", "made\n");
  EXPECT_FALSE(file_present("story.txt"));
}

TEST_F(RunFiles, DefinitionsResolveAsGivenThenUnderThePath) {
  std::filesystem::create_directories("defs/synt1.zmb");
  write("defs/flex.zmb", "x\n");
  write("flex.zmb", "y\n");
  write("defs/comp1.zmb", "z\n");
  start_run();
  std::string path;
  EXPECT_TRUE(resolve_definition(st_, "flex.zmb", path));
  EXPECT_EQ(path, "flex.zmb");
  EXPECT_TRUE(resolve_definition(st_, "comp1.zmb", path));
  EXPECT_EQ(path, "defs/comp1.zmb");
  // A directory is no definition file.
  EXPECT_FALSE(resolve_definition(st_, "synt1.zmb", path));
  EXPECT_EQ(path, "");
  EXPECT_FALSE(resolve_definition(st_, "irrg.zmb", path));
  EXPECT_EQ(first_line("defs/synt1.zmb"), "<not open>");
}

}  // namespace
}  // namespace zembu::engine
