#include "frontend/frontend.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <vector>

namespace zembu::frontend {
namespace {

namespace fs = std::filesystem;

TEST(ParseFrontendArgs, ModesAndOptions) {
  frontend_args a;
  std::string error;
  ASSERT_TRUE(parse_frontend_args({}, a, error));
  EXPECT_EQ(a.mode, text_mode::interactive);
  ASSERT_TRUE(parse_frontend_args({"story.txt"}, a, error));
  EXPECT_EQ(a.mode, text_mode::file);
  EXPECT_EQ(a.text_file, "story.txt");
  EXPECT_FALSE(a.raw);
  ASSERT_TRUE(parse_frontend_args({"--raw", "-"}, a, error));
  EXPECT_EQ(a.mode, text_mode::filter);
  EXPECT_TRUE(a.raw);
  EXPECT_FALSE(parse_frontend_args({"--fast"}, a, error));
  EXPECT_NE(error.find("--fast"), std::string::npos);
  EXPECT_FALSE(parse_frontend_args({"a.txt", "b.txt"}, a, error));
}

// A working directory with a stand-in for the pass programs: each program call is logged,
// and the stand-ins read and write the pass files as the real programs do, so the front
// end's file handling can be followed step by step.
class Frontend : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "zembu_frontend_XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    root_ = tmpl;
    dir_ = root_ + "/work/";
    fs::create_directory(dir_);
    fs::create_directory(dir_ + "definitions");
    screen_ = open_memstream(&screen_buf_, &screen_len_);
    messages_ = open_memstream(&messages_buf_, &messages_len_);
    env_.dir = dir_;
    env_.screen = screen_;
    env_.messages = messages_;
    env_.run = [this](const std::string& p, const std::string& a) { return pass(p, a); };
  }
  void TearDown() override {
    std::fclose(screen_);
    std::fclose(messages_);
    std::free(screen_buf_);
    std::free(messages_buf_);
    fs::remove_all(root_);
  }

  std::string screen() {
    std::fflush(screen_);
    return std::string(screen_buf_, screen_len_);
  }
  std::string messages() {
    std::fflush(messages_);
    return std::string(messages_buf_, messages_len_);
  }
  std::string read(const std::string& name) {
    std::ifstream f(dir_ + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  }
  void write(const std::string& name, const std::string& text) {
    std::ofstream f(dir_ + name, std::ios::binary | std::ios::trunc);
    f << text;
  }
  bool present(const std::string& name) {
    return fs::symlink_status(dir_ + name).type() != fs::file_type::not_found;
  }
  std::set<std::string> contents() {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.insert(e.path().filename().string());
    return names;
  }
  // Runs translate_text over `text` in `mode`; returns the exit status.
  int translate(const std::string& text, text_mode mode) {
    std::string copy = text;
    FILE* f =
        copy.empty() ? std::fopen("/dev/null", "rb") : fmemopen(copy.data(), copy.size(), "rb");
    text_input in(f);
    run_record record;
    progress_meter meter;
    const int status = translate_text(env_, in, mode, record, meter);
    std::fclose(f);
    return status;
  }

  // The stand-in passes: zembu1 takes the sentence (`pieces_` times when asked to),
  // zembu4 copies, zembu2 marks it as translated, zembu3 adds a second line.
  program_outcome pass(const std::string& program, const std::string& arguments) {
    calls_.push_back(program + "|" + arguments);
    program_outcome o;
    if (missing_.count(program)) return o;
    o.started = o.exited = true;
    if (failing_.count(program)) {
      o.status = 1;
      return o;
    }
    if (program == "./zembu1") {
      if (!present("zembu.ind")) pieces_done_ = 0;  // a new sentence file
      if (pieces_done_ >= pieces_) {
        o.status = 3;
        return o;
      }
      sentence_files_.push_back(read("test.zembu"));
      write("pass1", read("test.zembu"));
      write("pass0", "plain\n");
      ++pieces_done_;
      write("zembu.ind", pieces_done_ >= pieces_ && index_ends_ ? "-1\n" : "7\n");
    } else if (program == "./zembu4") {
      write("pass3", read("pass1"));
    } else if (program == "./zembu2") {
      erg1_present_.push_back(present("erg1"));
      write("pass2", "DE" + read("pass3"));
      write("zembu.wor", "X\n");
      write("zembu.lst", "X\n");
      write("zembu.rst", "X\n");
    } else if (program == "./zembu3") {
      write("pass3", read("pass2") + "ok\n");
    }
    return o;
  }

  std::string root_, dir_;
  char *screen_buf_ = nullptr, *messages_buf_ = nullptr;
  size_t screen_len_ = 0, messages_len_ = 0;
  FILE *screen_ = nullptr, *messages_ = nullptr;
  frontend_env env_;
  std::vector<std::string> calls_, sentence_files_;
  std::vector<bool> erg1_present_;
  std::set<std::string> missing_, failing_;
  int pieces_ = 1, pieces_done_ = 0;
  bool index_ends_ = true;  // zembu1's index says -1 after the last piece
};

const std::vector<std::string> kFourPasses = {"./zembu1|test.zembu zembu.ind quiet",
                                              "./zembu4|pass1 pass3",
                                              "./zembu2|SHELLMODE definitions/ pass3 pass2 > erg1",
                                              "./zembu3|pass2 pass3 definitions/asci2.zmb"};

TEST_F(Frontend, OneSentenceRunsTheFourPassesInOrderAndCleansUp) {
  write("erg1", "old engine output\n");
  const sentence_result r = translate_sentence(env_, "The house is red.");
  EXPECT_EQ(calls_, kFourPasses);
  EXPECT_EQ(sentence_files_, std::vector<std::string>{"The house is red.\n"});
  EXPECT_EQ(erg1_present_, std::vector<bool>{false});
  EXPECT_EQ(r.lines, (std::vector<std::string>{"DEThe house is red.", "ok"}));
  EXPECT_TRUE(r.failure.empty());
  EXPECT_FALSE(r.stop);
  EXPECT_EQ(contents(), std::set<std::string>{"definitions"});
}

TEST_F(Frontend, ZembuOneIsRunAgainForTheRestOfTheSentenceFile) {
  pieces_ = 3;
  const sentence_result r = translate_sentence(env_, "One; two; three.");
  EXPECT_EQ(calls_.size(), 12u);
  EXPECT_EQ(r.lines.size(), 6u);
  EXPECT_EQ(contents(), std::set<std::string>{"definitions"});
  // A zembu1 run that finds nothing more ends the sentence without a failure.
  calls_.clear();
  pieces_ = 2;
  index_ends_ = false;
  const sentence_result rest = translate_sentence(env_, "One; two.");
  EXPECT_EQ(calls_.size(), 9u);
  EXPECT_EQ(rest.lines.size(), 4u);
  EXPECT_TRUE(rest.failure.empty());
}

TEST_F(Frontend, AFailedPassLeavesTheTranslationEmptyAndNamesThePass) {
  struct example {
    std::set<std::string> missing, failing;
    const char* failure;
    size_t calls;
  };
  const example examples[] = {
      {{"./zembu1"}, {}, "zembu1 could not be started", 1},
      {{}, {"./zembu4"}, "zembu4 ended with status 1", 2},
      {{"./zembu2"}, {}, "zembu2 could not be started", 3},
      {{}, {"./zembu3"}, "zembu3 ended with status 1", 4},
  };
  for (const example& e : examples) {
    calls_.clear();
    missing_ = e.missing;
    failing_ = e.failing;
    write("pass3", "stale translation\n");
    const sentence_result r = translate_sentence(env_, "Hello.");
    EXPECT_EQ(r.failure, e.failure);
    EXPECT_TRUE(r.lines.empty()) << e.failure;  // zembu4's token lines are never shown
    EXPECT_FALSE(r.stop);
    EXPECT_EQ(calls_.size(), e.calls) << e.failure;
    EXPECT_EQ(contents(), std::set<std::string>{"definitions"});
  }
}

TEST_F(Frontend, APassThatLeavesALinkOrAPipeLeftNoResult) {
  const std::string victim = root_ + "/victim";
  std::ofstream(victim) << "secret\n";
  for (int pipe = 0; pipe < 2; ++pipe) {
    env_.run = [&](const std::string& p, const std::string& a) {
      program_outcome o = pass(p, a);
      if (p == "./zembu3") {
        fs::remove(dir_ + "pass3");
        if (pipe) {
          mkfifo((dir_ + "pass3").c_str(), 0644);
        } else {
          fs::create_symlink(victim, dir_ + "pass3");
        }
      }
      return o;
    };
    const sentence_result r = translate_sentence(env_, "Hello.");
    EXPECT_EQ(r.failure, "zembu3 left no pass3");
    EXPECT_TRUE(r.lines.empty());
  }
  EXPECT_EQ(contents(), std::set<std::string>{"definitions"});
}

TEST_F(Frontend, AnInterruptionSkipsTheRestOfTheSentence) {
  env_.run = [this](const std::string& p, const std::string& a) {
    program_outcome o = pass(p, a);
    if (p == "./zembu4") interrupted = 1;
    return o;
  };
  const sentence_result r = translate_sentence(env_, "Hello.");
  interrupted = 0;
  EXPECT_TRUE(r.stop);
  EXPECT_TRUE(r.lines.empty());
  EXPECT_EQ(calls_, (std::vector<std::string>{kFourPasses[0], kFourPasses[1]}));
  EXPECT_EQ(contents(), std::set<std::string>{"definitions"});
}

TEST_F(Frontend, FileModeShowsEverySentenceOfEveryParagraph) {
  EXPECT_EQ(translate("\nOne. Two\n\n\nThree.\n", text_mode::file), kStatusOk);
  EXPECT_EQ(screen(),
            "\n"
            "One.\nDEOne.\nok\n\n"
            " Two\nDE Two\nok\n\n"
            "\n\n"
            "Three.\nDEThree.\nok\n\n");
  EXPECT_EQ(messages(), "");
}

TEST_F(Frontend, FilterModeWritesOneGermanLineForEveryLine) {
  EXPECT_EQ(translate("One. Two\n\nThree.", text_mode::filter), kStatusOk);
  EXPECT_EQ(screen(), "DEOne. ok DE Two ok\n\nDEThree. ok\n");
  // A failed pass: the line keeps its place, the rest is translated, the status tells.
  failing_ = {"./zembu2"};
  EXPECT_EQ(translate("Four.\n", text_mode::filter), kStatusPassFailed);
  EXPECT_EQ(screen(), "DEOne. ok DE Two ok\n\nDEThree. ok\n\n");
  EXPECT_EQ(messages(), "zembu: zembu2 ended with status 1; no translation for \"Four.\"\n");
}

TEST_F(Frontend, InteractiveModeEndsAtAnEmptyLine) {
  EXPECT_EQ(translate("Hi. Ho\n\nNever.\n", text_mode::interactive), kStatusOk);
  EXPECT_EQ(screen(),
            "Please enter phrases. Blank line = finish. Bitte Saetze eingeben, Leerzeile = Ende.\n"
            "\nDEHi.\nok\nDE Ho\nok\n\n");
}

TEST_F(Frontend, Utf8InAndOutWithOneNoteForEachThingTheConversionDid) {
  EXPECT_EQ(translate("Don\xe2\x80\x99t \xe4\xb8\xad \xe4\xb8\xad\x01.\n"
                      "caf\xe9 x\n",
                      text_mode::filter),
            kStatusOk);
  // The passes got code page 437; the German comes back as UTF-8 with "?" for the mark.
  EXPECT_EQ(sentence_files_, (std::vector<std::string>{"Don't \x7f \x7f .\n", "caf\x82 x\n"}));
  EXPECT_EQ(screen(), "DEDon't ? ? . ok\nDEcaf\xc3\xa9 x ok\n");
  EXPECT_EQ(messages(),
            "zembu: line 1 holds control characters; they are read as blanks, here and later.\n"
            "zembu: U+4E2D (\xe4\xb8\xad) has no form in code page 437 and is written as \"?\".\n"
            "zembu: line 2 is not valid UTF-8; it is read as Latin-1, and so is every other "
            "such line.\n");
}

TEST_F(Frontend, ARawRunPassesTheBytesButNoControlCharacters) {
  env_.raw = true;
  EXPECT_EQ(translate("Gr\x94\xe1"
                      "e\x1b[2J.\n",
                      text_mode::filter),
            kStatusOk);
  EXPECT_EQ(sentence_files_, std::vector<std::string>{"Gr\x94\xe1"
                                                      "e\x1b[2J.\n"});
  EXPECT_EQ(screen(),
            "DEGr\x94\xe1"
            "e [2J. ok\n");
}

TEST_F(Frontend, AnOverlongSentenceIsTranslatedInPiecesWithAMessage) {
  std::string words;
  while (words.size() < 1500) words += "word ";
  EXPECT_EQ(translate(words + "end.\n", text_mode::filter), kStatusOk);
  ASSERT_EQ(sentence_files_.size(), 2u);
  EXPECT_EQ(sentence_files_[0].substr(0, sentence_files_[0].size() - 1) + sentence_files_[1],
            words + "end.\n");
  EXPECT_LE(sentence_files_[0].size(), kLongestSentence + 1);
  EXPECT_EQ(messages().rfind("zembu: line 1: a sentence of 1504 characters is longer than 1000; "
                             "it is translated in 2 pieces: \"word word",
                             0),
            0u)
      << messages();
}

}  // namespace
}  // namespace zembu::frontend
