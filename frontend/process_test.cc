#include "frontend/process.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace zembu::frontend {
namespace {

TEST(SplitArguments, SplitsAtBlanksOnly) {
  EXPECT_EQ(split_arguments(""), std::vector<std::string>{});
  EXPECT_EQ(split_arguments("   "), std::vector<std::string>{});
  EXPECT_EQ(split_arguments("SHELLMODE definitions/ pass3 pass2 > erg1"),
            (std::vector<std::string>{"SHELLMODE", "definitions/", "pass3", "pass2", ">", "erg1"}));
  EXPECT_EQ(split_arguments(" a  b\tc "), (std::vector<std::string>{"a", "b\tc"}));
}

class RunProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "zembu_run_XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string read(const std::string& name) {
    std::ifstream f(dir_ + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  }
  std::string script(const std::string& name, const std::string& body) {
    const std::string path = dir_ + "/" + name;
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    chmod(path.c_str(), 0755);
    return path;
  }
  std::string dir_;
};

TEST_F(RunProgram, PassesEachWordAsItsOwnArgumentWithoutAShell) {
  const std::string show =
      script("show", "for a in \"$@\"; do echo \"[$a]\"; done > " + dir_ + "/args");
  const program_outcome o = run_program(show, "pass3 pass2 > erg1");
  EXPECT_TRUE(succeeded(o));
  EXPECT_EQ(read("args"), "[pass3]\n[pass2]\n[>]\n[erg1]\n");
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/erg1"));
}

TEST_F(RunProgram, TellsHowTheProgramEnded) {
  program_outcome o = run_program(dir_ + "/missing", "a b");
  EXPECT_FALSE(o.started);
  EXPECT_EQ(describe(o), "could not be started");
  EXPECT_FALSE(run_program(dir_, "").started);  // a directory cannot run
  o = run_program(script("three", "exit 3"), "");
  EXPECT_TRUE(succeeded(o, {0, 3}));
  EXPECT_FALSE(succeeded(o));
  EXPECT_EQ(describe(o), "ended with status 3");
  o = run_program(script("killed", "kill -9 $$"), "");
  EXPECT_FALSE(succeeded(o, {0, 9}));
  EXPECT_EQ(describe(o), "was killed by signal 9");
}

// The program gets SIGPIPE by default although the front end ignores it; a signal the
// front end handles ends the program, one it ignores stays ignored.
TEST_F(RunProgram, SignalsOfTheProgram) {
  struct sigaction handled = {}, ignored = {}, old_int, old_term, old_pipe;
  handled.sa_handler = [](int) {};
  ignored.sa_handler = SIG_IGN;
  sigaction(SIGINT, &handled, &old_int);
  sigaction(SIGTERM, &ignored, &old_term);
  sigaction(SIGPIPE, &ignored, &old_pipe);
  const program_outcome piped = run_program(script("pipe", "kill -PIPE $$; exit 5"), "");
  const program_outcome interrupted = run_program(script("int", "kill -INT $$; exit 5"), "");
  const program_outcome terminated = run_program(script("term", "kill -TERM $$; exit 5"), "");
  sigaction(SIGINT, &old_int, nullptr);
  sigaction(SIGTERM, &old_term, nullptr);
  sigaction(SIGPIPE, &old_pipe, nullptr);
  EXPECT_EQ(describe(piped), "was killed by signal 13");
  EXPECT_EQ(describe(interrupted), "was killed by signal 2");
  EXPECT_EQ(describe(terminated), "ended with status 5");
}

TEST_F(RunProgram, OutputCanGoToStandardError) {
  const std::string talk = script("talk", "echo out");
  const int saved = dup(2);
  FILE* err = std::fopen((dir_ + "/ours").c_str(), "w");
  dup2(fileno(err), 2);
  const program_outcome o = run_program(talk, "", true);
  dup2(saved, 2);
  close(saved);
  std::fclose(err);
  EXPECT_TRUE(succeeded(o));
  EXPECT_EQ(read("ours"), "out\n");
}

}  // namespace
}  // namespace zembu::frontend
