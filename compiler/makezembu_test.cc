#include "compiler/makezembu.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/rules_map.h"

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

// Every record of the definition files is traced to the rules.txt line it was made from;
// a section written twice keeps only its last records, and the termination file, written
// from the whole table, keeps those of every section.
TEST(MakezembuQuellen, TheMapNamesTheSourceLineOfEveryRecord) {
  const fs::path root =
      fs::temp_directory_path() / ("makezembu_quellen_" + std::to_string(::getpid()));
  fs::remove_all(root);
  fs::create_directories(root / "definitions");
  const std::string quelle =
      "; sample\nSUBSTITUTIONS\nCOLOUR -> COLOR\n-----\n"          // 1-4
      "TERMINATION\n-ING G VER\n-----\n"                             // 5-7
      "LEXICON\nn = NOM\nhouse n Haus\n\ncar n Auto\n-----\n"         // 8-13
      "USER LEXICON\nnew a neu\n+ new york\nn New_York\n-----\n"     // 14-18
      "SYNTAX\nNN -ING -> VP (001+002, 003)\n-----\n"                // 19-21
      "TERMINATION\n+S x y\n-----\n"                                 // 22-24
      "COMPLEX\n1 +\nSUN\nunchanged_\n-----\n"                       // 25-29
      "INFLECTION\nVpp (ppp) -> ge-en\n-----\n"                      // 30-32
      "FINAL SUBSTITUTION\na -> b\n-----\n"                          // 33-35
      "IDIOM\nKICK THE BUCKET\nR>sterben\n-----\n"                   // 36-39
      "INFLECTION\nVpp (qqq) -> x\n-----\n";                         // 40-42
  {
    std::ofstream f(root / "rules.txt", std::ios::binary | std::ios::trunc);
    f << quelle;
  }
  ASSERT_EQ(makezembu((root / "rules.txt").string(), (root / "definitions").string() + "/"), "");
  EXPECT_EQ(slurp(root / "definitions" / "rules.map"),
            "ascii.zmb 1 1 2 3 1\n"
            "term.zmb 1 1 2 6 1\n"
            "term.zmb 2 3 1 23 1\n"
            "lexi.zmb 1 1 2 10 1\n"
            "lexi.zmb 2 3 2 12 1\n"
            "user1.zmb 1 1 2 15 1\n"
            "user2.zmb 1 1 2 16 2\n"
            "synt1.zmb 1 1 3 20 1\n"
            "comp1.zmb 1 1 1 26 1\n"
            "comp1.zmb 2 2 1 27 1\n"
            "comp1.zmb 3 3 1 28 1\n"
            "flex.zmb 1 1 3 41 1\n"
            "asci2.zmb 1 1 2 34 1\n"
            "idio1.zmb 1 1 1 37 1\n"
            "idio1.zmb 2 2 1 38 1\n");
  fs::remove_all(root);
}

// Over any source the map covers every line of every definition file it names, record
// after record from the first line to the last, and names only lines of the source.
TEST(MakezembuQuellen, TheMapCoversEveryFileWholeForAnySource) {
  const fs::path root =
      fs::temp_directory_path() / ("makezembu_abdeckung_" + std::to_string(::getpid()));
  fs::remove_all(root);
  fs::create_directories(root / "definitions");
  zufall z{777};
  for (int lauf = 0; lauf < 300; ++lauf) {
    for (const auto& e : fs::directory_iterator(root / "definitions")) fs::remove_all(e.path());
    const std::string text = quelltext(z);
    {
      std::ofstream f(root / "rules.txt", std::ios::binary | std::ios::trunc);
      f.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    makezembu((root / "rules.txt").string(), (root / "definitions").string() + "/");
    SCOPED_TRACE("run " + std::to_string(lauf));
    const long quellzeilen = static_cast<long>(std::count(text.begin(), text.end(), '\n')) + 1;
    const map_index map = parse_rules_map(slurp(root / "definitions" / "rules.map"));
    for (const auto& e : fs::directory_iterator(root / "definitions")) {
      const std::string name = e.path().filename().string();
      const std::string ext = e.path().extension().string();
      if (name == "exec.zmb" || name == "rules.map" || ext == ".zix" || ext == ".zid") continue;
      const std::string inhalt = slurp(e.path());
      const long zeilen = static_cast<long>(std::count(inhalt.begin(), inhalt.end(), '\n'));
      long naechste = 1;
      auto f = map.find(name);
      if (f != map.end()) {
        for (const map_record& r : f->second) {
          EXPECT_EQ(r.line, naechste) << name;
          EXPECT_LE(r.source + r.source_lines - 1, quellzeilen) << name;
          naechste = r.line + r.lines;
        }
      }
      EXPECT_EQ(naechste - 1, zeilen) << name << "\n" << text;
    }
    for (const auto& [name, records] : map) {
      EXPECT_TRUE(fs::exists(root / "definitions" / name)) << name;
    }
  }
  fs::remove_all(root);
}

}  // namespace
}  // namespace zembu
