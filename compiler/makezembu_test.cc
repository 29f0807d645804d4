#include "compiler/makezembu.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace zembu {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// A small deterministic generator, so a failing source can be rebuilt from its seed.
struct zufall {
  uint64_t s;
  uint32_t next() {
    s = s * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<uint32_t>(s >> 33);
  }
  size_t below(size_t n) { return next() % n; }
};

const std::vector<std::string> kStuecke = {
    "SUBSTITUTION", "FINAL SUBSTITUTION", "UNKNOWN WORDS", "TERMINATION", "AGGLUTINATION",
    "SYNTAX",       "INFLECTION",         "IRREGULARITIES", "LEXICON",    "USER LEXICON",
    "FUNCTION",     "COMPLEX",            "IDIOM",          "COMMENT",    "-----",
    "   -----x",    "->",                 " -> ",           "=",          "*",
    "+ ",           "- ",                 " ",              "  ",         ";",
    "a",            "ING",                "-ing",           "(",          ")",
    ",",            "delete_",            "replace_",       "\xff",       std::string(1, '\0'),
    "\r",           "\t",                 "S",              "IES",        "x y z",
};

std::string quelltext(zufall& z) {
  std::string out;
  size_t zeilen = z.below(40);
  for (size_t i = 0; i < zeilen; ++i) {
    size_t teile = z.below(8);
    if (z.below(30) == 0) out += std::string(200 + z.below(200), 'q');
    for (size_t k = 0; k < teile; ++k) {
      if (z.below(10) == 0) {
        out.push_back(static_cast<char>(z.below(256)));
      } else {
        out += kStuecke[z.below(kStuecke.size())];
      }
    }
    if (z.below(20) != 0) out += "\n";
  }
  return out;
}

// Every file the compiler writes keeps to 255-byte lines, the script ends with its last
// line, and what it prints is empty or the three-line error report.
TEST(MakezembuZufall, AnySourceGivesAScriptAndAWellFormedReport) {
  const fs::path root =
      fs::temp_directory_path() / ("makezembu_zufall_" + std::to_string(::getpid()));
  fs::remove_all(root);
  fs::create_directories(root / "definitions");
  zufall z{12345};
  int berichte = 0, sauber = 0;
  for (int lauf = 0; lauf < 400; ++lauf) {
    for (const auto& e : fs::directory_iterator(root / "definitions")) fs::remove_all(e.path());
    const std::string text = quelltext(z);
    {
      std::ofstream f(root / "rules.txt", std::ios::binary | std::ios::trunc);
      f.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    const std::string meldung =
        makezembu((root / "rules.txt").string(), (root / "definitions").string() + "/");
    SCOPED_TRACE("run " + std::to_string(lauf));

    const std::string script = slurp(root / "definitions" / "exec.zmb");
    const std::string schluss = "S *              show with part of speech\n";
    ASSERT_GE(script.size(), schluss.size());
    EXPECT_EQ(script.substr(script.size() - schluss.size()), schluss);
    EXPECT_EQ(script.rfind("INTRO Please enter sentences:\n", 0), 0u);

    ++(meldung.empty() ? sauber : berichte);
    if (!meldung.empty()) {
      EXPECT_EQ(meldung.rfind("error: ", 0), 0u) << meldung;
      EXPECT_NE(meldung.find("\nsource "), std::string::npos) << meldung;
      const std::string ende = "\nZembu generator terminated\n";
      ASSERT_GE(meldung.size(), ende.size());
      EXPECT_EQ(meldung.substr(meldung.size() - ende.size()), ende);
    }
    for (const auto& e : fs::directory_iterator(root / "definitions")) {
      // The indexes of lexicons and idiom files are binary.
      if (e.path().extension() == ".zix" || e.path().extension() == ".zid") continue;
      const std::string inhalt = slurp(e.path());
      size_t anfang = 0;
      while (anfang < inhalt.size()) {
        size_t lf = inhalt.find('\n', anfang);
        ASSERT_NE(lf, std::string::npos) << e.path() << " ends without a line feed";
        EXPECT_LE(lf - anfang, 255u) << e.path();
        anfang = lf + 1;
      }
    }
  }
  fs::remove_all(root);
  // The sources must reach both ends: clean runs and error reports.
  EXPECT_GT(berichte, 40);
  EXPECT_GT(sauber, 40);
}

}  // namespace
}  // namespace zembu
