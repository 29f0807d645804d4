#include "frontend/zembulauf.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <vector>

namespace zembu {
namespace {

namespace fs = std::filesystem;

TEST(TeileSatz, CutsAtTheFirstTerminatorThatIsNotLast) {
  struct fall {
    const char* zeile;
    const char* satz;
    const char* rest;
  };
  const fall faelle[] = {
      {"Hello. How are you?", "Hello.", " How are you?"},
      {" How are you?", " How are you?", ""},
      {"3.5 apples", "3.", "5 apples"},
      {"Stop! Go: now? Yes", "Stop!", " Go: now? Yes"},
      {"Go: now? Yes", "Go:", " now? Yes"},
      {"Why?", "Why?", ""},
      {"?", "?", ""},
      {"a", "a", ""},
      {"", "", ""},
      {"no terminator at all", "no terminator at all", ""},
      {"...", ".", ".."},
      {"e.g; x", "e.", "g; x"},  // ";" is no terminator here
  };
  for (const fall& f : faelle) {
    std::string z = f.zeile, rest = "alt";
    teile_satz(z, rest);
    EXPECT_EQ(z, f.satz) << f.zeile;
    EXPECT_EQ(rest, f.rest) << f.zeile;
  }
}

TEST(LiesZeile, CutsLongLinesAndSaysSo) {
  const std::string z255(255, 'a'), z256(256, 'b'), z1000(1000, 'c');
  linereader r(z255 + "\n" + z256 + "\n" + z1000 + "\r\nnext\r\n\r\nlast");
  std::string z;
  bool zu_lang = true;
  ASSERT_TRUE(lies_zeile(r, z, zu_lang));
  EXPECT_EQ(z, z255);
  EXPECT_FALSE(zu_lang);
  ASSERT_TRUE(lies_zeile(r, z, zu_lang));
  EXPECT_EQ(z, std::string(255, 'b'));
  EXPECT_TRUE(zu_lang);
  ASSERT_TRUE(lies_zeile(r, z, zu_lang));
  EXPECT_EQ(z, std::string(255, 'c'));
  EXPECT_TRUE(zu_lang);
  ASSERT_TRUE(lies_zeile(r, z, zu_lang));
  EXPECT_EQ(z, "next");  // Windows line end removed
  EXPECT_FALSE(zu_lang);
  ASSERT_TRUE(lies_zeile(r, z, zu_lang));
  EXPECT_EQ(z, "");
  ASSERT_TRUE(lies_zeile(r, z, zu_lang));
  EXPECT_EQ(z, "last");
  EXPECT_FALSE(lies_zeile(r, z, zu_lang));
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
    screen_ = open_memstream(&buf_, &len_);
    u_.verzeichnis = dir_;
    u_.bildschirm = screen_;
    u_.starte = [this](const std::string& p, const std::string& a) { lauf(p, a); };
  }
  void TearDown() override {
    std::fclose(screen_);
    std::free(buf_);
    fs::remove_all(root_);
  }

  std::string screen() {
    std::fflush(screen_);
    return std::string(buf_, len_);
  }
  std::string lies(const std::string& name) {
    std::ifstream f(dir_ + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  }
  void schreib(const std::string& name, const std::string& text) {
    std::ofstream f(dir_ + name, std::ios::binary | std::ios::trunc);
    f << text;
  }
  bool da(const std::string& name) {
    return fs::symlink_status(dir_ + name).type() != fs::file_type::not_found;
  }
  std::set<std::string> inhalt() {
    std::set<std::string> namen;
    for (const auto& e : fs::directory_iterator(dir_)) {
      namen.insert(e.path().filename().string());
    }
    return namen;
  }

  // The stand-in passes: zembu1 takes the sentence, zembu4 copies, zembu2 marks it as
  // translated, zembu3 adds a second line.
  void lauf(const std::string& programm, const std::string& argumente) {
    aufrufe_.push_back(programm + "|" + argumente);
    if (fehlt_.count(programm)) return;
    if (programm == "./zembu1") {
      satzdatei_.push_back(lies("test.zembu"));
      schreib("pass1", lies("test.zembu"));
      schreib("pass0", "plain\n");
      schreib("zembu.ind", "-1\n");
    } else if (programm == "./zembu4") {
      schreib("pass3", lies("pass1"));
    } else if (programm == "./zembu2") {
      erg1_da_.push_back(da("erg1"));
      schreib("pass2", "DE" + lies("pass3"));
      schreib("zembu.wor", "X\n");
      schreib("zembu.lst", "X\n");
      schreib("zembu.rst", "X\n");
    } else if (programm == "./zembu3") {
      schreib("pass3", lies("pass2") + "ok\n");
    }
  }

  std::string root_, dir_;
  char* buf_ = nullptr;
  size_t len_ = 0;
  FILE* screen_ = nullptr;
  umgebung u_;
  std::vector<std::string> aufrufe_, satzdatei_;
  std::vector<bool> erg1_da_;
  std::set<std::string> fehlt_;
};

TEST_F(Frontend, OneSentenceRunsTheFourPassesInOrderAndCleansUp) {
  schreib("erg1", "old engine output\n");
  ASSERT_TRUE(uebersetze_satz(u_, "The house is red."));
  EXPECT_EQ(aufrufe_, (std::vector<std::string>{
                          "./zembu1|test.zembu zembu.ind quiet", "./zembu4|pass1 pass3",
                          "./zembu2|SHELLMODE definitions/ pass3 pass2 > erg1",
                          "./zembu3|pass2 pass3 definitions/asci2.zmb"}));
  EXPECT_EQ(satzdatei_, std::vector<std::string>{"The house is red.\n"});
  EXPECT_EQ(erg1_da_, std::vector<bool>{false});
  EXPECT_EQ(screen(), "DEThe house is red.\nok\n");
  EXPECT_EQ(inhalt(), std::set<std::string>{"definitions"});
}

TEST_F(Frontend, FailedPassesPrintNothingStale) {
  // Files of an earlier run that was cut short; the passes of this sentence do not run.
  schreib("pass3", "stale translation\n");
  schreib("pass1", "stale tokens\n");
  schreib("pass4", "x");
  fehlt_ = {"./zembu1", "./zembu4", "./zembu2", "./zembu3"};
  ASSERT_TRUE(uebersetze_satz(u_, "Hello."));
  EXPECT_EQ(aufrufe_.size(), 4u);
  EXPECT_EQ(screen(), "");
  EXPECT_EQ(inhalt(), std::set<std::string>{"definitions"});

  // Without zembu3 the front end shows what the last pass that ran wrote.
  fehlt_ = {"./zembu3"};
  ASSERT_TRUE(uebersetze_satz(u_, "Hi."));
  EXPECT_EQ(screen(), "Hi.\n");
}

TEST_F(Frontend, AnInterruptionSkipsTheRestOfTheSentence) {
  u_.starte = [this](const std::string& p, const std::string& a) {
    lauf(p, a);
    if (p == "./zembu4") zembu_abbruch = 1;
  };
  const bool weiter = uebersetze_satz(u_, "Hello.");
  zembu_abbruch = 0;
  EXPECT_FALSE(weiter);
  EXPECT_EQ(aufrufe_, (std::vector<std::string>{"./zembu1|test.zembu zembu.ind quiet",
                                                "./zembu4|pass1 pass3"}));
  EXPECT_EQ(screen(), "");
  EXPECT_EQ(inhalt(), std::set<std::string>{"definitions"});
}

TEST_F(Frontend, OnlyARegularPass3IsShown) {
  const std::string opfer = root_ + "/opfer";
  {
    std::ofstream f(opfer);
    f << "secret\n";
  }
  // A last pass that leaves a link or a pipe under the name: shown neither way, no wait.
  u_.starte = [&](const std::string& p, const std::string&) {
    if (p == "./zembu3") fs::create_symlink(opfer, dir_ + "pass3");
  };
  ASSERT_TRUE(uebersetze_satz(u_, "Hello."));
  u_.starte = [&](const std::string& p, const std::string&) {
    if (p == "./zembu3") mkfifo((dir_ + "pass3").c_str(), 0644);
  };
  ASSERT_TRUE(uebersetze_satz(u_, "Hello."));
  EXPECT_EQ(screen(), "");
  EXPECT_EQ(inhalt(), std::set<std::string>{"definitions"});
}

}  // namespace
}  // namespace zembu
