#include "engine/session.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/longstr.h"
#include "engine/scratch_dir_fixture.h"
#include "engine/trans2.h"

namespace zembu::engine {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kShellArgs = {"SHELLMODE", "definitions/", "pass3", "pass2"};

std::string read(const std::string& name) {
  std::ifstream f(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// What a run wrote to its console stream.
std::string contents(FILE* f) {
  std::fflush(f);
  std::rewind(f);
  std::string out;
  for (int c = std::getc(f); c != EOF; c = std::getc(f)) out.push_back(static_cast<char>(c));
  return out;
}

struct run_output {
  int status = -1;
  std::string console;
  std::string result;  // pass2; "<none>" when the run left none
};

run_output in_session(engine_session& s, const std::vector<std::string>& args,
                      const std::string& answers = "") {
  FILE* out = std::tmpfile();
  FILE* in = std::tmpfile();
  std::fputs(answers.c_str(), in);
  std::rewind(in);
  fs::remove("pass2");
  run_output r;
  r.status = run_engine_in_session(s, args, out, in);
  r.console = contents(out);
  r.result = fs::exists("pass2") ? read("pass2") : "<none>";
  std::fclose(out);
  std::fclose(in);
  return r;
}

run_output fresh(const std::vector<std::string>& args) {
  fs::remove("pass2");
  run_output r;
  testing::internal::CaptureStdout();
  try {
    r.status = run_engine(args);
  } catch (const engine_stop&) {
    r.status = 0;
  }
  r.console = testing::internal::GetCapturedStdout();
  r.result = fs::exists("pass2") ? read("pass2") : "<none>";
  return r;
}

class EngineSession : public InScratchDir {
 protected:
  // The definitions of the fuzz data: every kind of procedure, indexed lexicon and idiom
  // records, templates and per-word rule files.
  void copy_fuzz_definitions() {
    const fs::path data = fs::path(__FILE__).parent_path().parent_path() / "fuzz";
    fs::copy(data / "engine_defs", "definitions");
    for (const char* s : {"s1", "s2", "s3", "long"}) {
      sentences_.push_back(read((data / "corpus" / "engine_tokens" / s).string()));
    }
  }
  std::vector<std::string> sentences_;
};

// Sentence after sentence, with and without the trace, a kept engine writes what a
// fresh engine writes for each: console, result file, exit status.
TEST_F(EngineSession, EachRunIsAFreshEnginesRun) {
  copy_fuzz_definitions();
  ASSERT_EQ(sentences_.size(), 4u);
  for (const bool visible : {false, true}) {
    std::vector<std::string> args = kShellArgs;
    if (visible) args.push_back("visible");
    engine_session s;
    for (int round = 0; round < 2; ++round) {
      for (const std::string& tokens : sentences_) {
        write("pass3", tokens);
        const run_output want = fresh(args);
        const run_output got = in_session(s, args);
        EXPECT_EQ(got.status, want.status);
        EXPECT_EQ(got.result, want.result) << tokens;
        EXPECT_EQ(got.console, want.console) << tokens;
        EXPECT_NE(got.result, "<none>");
      }
    }
  }
}

// The token lines handed over in memory give the result lines the result file would hold,
// and the same console.
TEST_F(EngineSession, TokensInMemoryGiveWhatTheFileGives) {
  copy_fuzz_definitions();
  engine_session files, memory;
  for (const std::string& tokens : sentences_) {
    write("pass3", tokens);
    const run_output want = in_session(files, kShellArgs);
    FILE* out = std::tmpfile();
    std::string result;
    bool made = false;
    EXPECT_EQ(run_engine_on_tokens(memory, kShellArgs, tokens, result, made, out), want.status);
    EXPECT_TRUE(made);
    EXPECT_EQ(result, want.result);
    EXPECT_EQ(contents(out), want.console);
    std::fclose(out);
  }
}

// A stop ends the run with status 0 after its message and the Enter it waits for; the
// result file is closed as the end of the process would close it, and the next run of
// the same session translates again.
TEST_F(EngineSession, AStopEndsOnlyItsRun) {
  fs::create_directory("definitions");
  write("definitions/idio1.zmb", "+ING\nA3\n");
  write("definitions/lexi.zmb", "RED\nADJ---AD2rot\n");
  write("definitions/exec.zmb", "PROCEDURES\nL lexi.zmb\n2 idio1.zmb\nR *\n");
  engine_session s;
  write("pass3", "STR ------\nZZZ WALKING \xffZZZ---ZZZwalking\nSEN . \xffSEN------.\n");
  run_output r = in_session(s, kShellArgs, "\nnot read\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.console,
            "Fatal runtime Error\nDelete affix cannot call Lexikon, not implemented (idiome).\n"
            "ENTER");
  EXPECT_EQ(r.result, "");
  EXPECT_TRUE(fs::exists("zembu.rst"));  // the stopped run never got to remove it
  write("pass3", "STR ------\nZZZ RED \xffZZZ---ZZZred\nSEN . \xffSEN------.\n");
  r = in_session(s, kShellArgs);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.console, "");
  EXPECT_EQ(r.result, "Rot. \n");
}

// Without the procedure script every run stops with the engine's message; the session
// keeps nothing, so a script that is there later is read.
TEST_F(EngineSession, AMissingScriptStopsEveryRunUntilItIsThere) {
  fs::create_directory("definitions");
  write("definitions/lexi.zmb", "RED\nADJ---AD2rot\n");
  write("pass3", "STR ------\nZZZ RED \xffZZZ---ZZZred\nSEN . \xffSEN------.\n");
  engine_session s;
  for (int i = 0; i < 2; ++i) {
    const run_output r = in_session(s, kShellArgs);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.console, "definitions/exec.zmb : File not found.\n");
    EXPECT_EQ(r.result, "<none>");
  }
  write("definitions/exec.zmb", "PROCEDURES\nL lexi.zmb\nR *\n");
  EXPECT_EQ(in_session(s, kShellArgs).result, "Rot. \n");
  // Other arguments are a start-up of their own.
  const run_output r = in_session(s, {"SHELLMODE", "definitions/", "pass3", "pass2", "VISIBLE"});
  EXPECT_EQ(r.result, "Rot. \n");
  EXPECT_NE(r.console, "");
}

}  // namespace
}  // namespace zembu::engine
