#include "frontend/programmlauf.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace zembu {
namespace {

TEST(TeileArgumente, SplitsAtBlanksOnly) {
  EXPECT_EQ(teile_argumente(""), std::vector<std::string>{});
  EXPECT_EQ(teile_argumente("   "), std::vector<std::string>{});
  EXPECT_EQ(teile_argumente("SHELLMODE definitions/ pass3 pass2 > erg1"),
            (std::vector<std::string>{"SHELLMODE", "definitions/", "pass3", "pass2", ">",
                                      "erg1"}));
  EXPECT_EQ(teile_argumente(" a  b\tc "), (std::vector<std::string>{"a", "b\tc"}));
}

class StarteProgramm : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "zembu_lauf_XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string lies(const std::string& name) {
    std::ifstream f(dir_ + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  }
  std::string dir_;
};

TEST_F(StarteProgramm, PassesEachWordAsItsOwnArgumentWithoutAShell) {
  const std::string skript = dir_ + "/zeige";
  {
    std::ofstream f(skript);
    f << "#!/bin/sh\nfor a in \"$@\"; do echo \"[$a]\"; done > " << dir_ << "/args\n";
  }
  chmod(skript.c_str(), 0755);
  EXPECT_TRUE(starte_programm(skript, "pass3 pass2 > erg1"));
  EXPECT_EQ(lies("args"), "[pass3]\n[pass2]\n[>]\n[erg1]\n");
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/erg1"));
}

TEST_F(StarteProgramm, AMissingProgramIsReportedAsNotStarted) {
  EXPECT_FALSE(starte_programm(dir_ + "/fehlt", "a b"));
  EXPECT_FALSE(starte_programm(dir_, ""));  // a directory cannot run
}

}  // namespace
}  // namespace zembu
