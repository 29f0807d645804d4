// The index of an idiom file through the built programs: makezembu writes one beside every
// idiom file it compiles, the engine trusts it only while it records its file's size and
// time, and over the rules generated from the full dictionary the engine's results do not
// depend on it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "tests/fixtures.h"

namespace {

namespace fs = std::filesystem;
using zembu_test::run_result;
using zembu_test::scratch_dir;

// The rules with a compound of `first` and "york" (first of three letters); an idiom finds
// a compound by its German text.
std::string rules(const std::string& first) {
  return "LEXICON\nv = VER---Vbs\nwe v wir\nlive v wohnen\nin v in\n-----\n"
         "USER LEXICON\nn = SUB---Sns\nv = VER---Vbs\n+ " +
         first +
         " york\nn New_York\n"
         "- give up\nv aufgeben\n+ railway station\nn Bahnhof\n-----\n"
         "IDIOM\nKICK THE BUCKET\nR*KICK=VER---Vbssterben D D\nBahnhof\nR>Bahnsteig\n-----\n"
         "IDIOM\n-----\n";
}

// Token lines of sentences of upper-case words, one sentence a line; the words as written
// are in lower case.
std::string tokens(const std::string& sentences) {
  std::string t;
  for (const std::string& s : zembu_test::lines(sentences)) {
    t += "STR ------\n";
    std::istringstream words(s);
    for (std::string w; words >> w;) {
      std::string written = w;
      for (char& c : written) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
      t += zembu_test::word_line(w, written);
    }
    t += zembu_test::kLookedUpStop;
  }
  return t;
}

// The result lines of the engine over `pass3` with the compiled script.
std::string translate(const scratch_dir& d, const std::string& pass3) {
  d.write("pass3", pass3);
  run_result r = d.run("zembu2", {"SHELLMODE", "definitions/", "pass3", "pass2"}, "", 120);
  EXPECT_EQ(r.status, 0) << r.err;
  return d.read("pass2");
}

TEST(Zembu2IdiomIndex, AnIndexIsTrustedOnlyWhileItFitsItsFile) {
  scratch_dir d;
  d.mkdir("definitions");
  // Rules of the same size with "OLD YORK" for "NEW YORK": an index that fits the sizes
  // and times of the other rules' files.
  ASSERT_EQ(zembu_test::compile_rules(d, rules("old")).out, "");
  const std::string other = d.read("definitions/user2.zid");
  struct stat other_file;
  ASSERT_EQ(stat(d.file("definitions/user2.zmb").c_str(), &other_file), 0);
  ASSERT_EQ(zembu_test::compile_rules(d, rules("new")).out, "");
  std::set<std::string> indexes;
  for (const auto& e : fs::directory_iterator(d.file("definitions"))) {
    if (e.path().extension() == ".zid") indexes.insert(e.path().filename().string());
  }
  EXPECT_EQ(indexes, (std::set<std::string>{"user2.zid", "idio1.zid"}));  // idio2 is empty

  const std::string pass3 = tokens(
      "WE LIVE IN NEW YORK\nWE GIVE UP\nKICK THE BUCKET IN THE RAILWAY STATION\nOLD NEW YORK");
  const std::string indexed = translate(d, pass3);
  EXPECT_EQ(zembu_test::lines(indexed).size(), 4u);
  EXPECT_NE(indexed.find("New_York"), std::string::npos) << indexed;
  EXPECT_NE(indexed.find("Bahnsteig"), std::string::npos) << indexed;
  d.remove("definitions/user2.zid");
  d.remove("definitions/idio1.zid");
  EXPECT_EQ(translate(d, pass3), indexed);

  // From other rules, damaged, cut short: the file is read rule by rule.
  std::string damaged = other;
  damaged[damaged.size() / 2] = static_cast<char>(damaged[damaged.size() / 2] ^ 0x10);
  for (const std::string& bad : {other, damaged, other.substr(0, other.size() - 3)}) {
    d.write("definitions/user2.zid", bad);
    EXPECT_EQ(translate(d, pass3), indexed);
  }
  // The other rules' index with their file's time: trusted, it has the first compound
  // begin with OLD, so a sentence without OLD passes over it. (With OLD the rule read is
  // found not to begin with it, and the file is read from there on.)
  const struct timespec times[2] = {{0, UTIME_OMIT}, other_file.st_mtim};
  d.write("definitions/user2.zid", other);
  ASSERT_EQ(utimensat(AT_FDCWD, d.file("definitions/user2.zmb").c_str(), times, 0), 0);
  const std::vector<std::string> trusted = zembu_test::lines(translate(d, pass3));
  const std::vector<std::string> right = zembu_test::lines(indexed);
  ASSERT_EQ(trusted.size(), 4u);
  EXPECT_EQ(trusted[0].find("New_York"), std::string::npos) << trusted[0];
  EXPECT_EQ(std::vector<std::string>(trusted.begin() + 1, trusted.end()),
            std::vector<std::string>(right.begin() + 1, right.end()));
}

TEST(Zembu2IdiomIndex, MakezembuPutsTheIndexInPlaceWithTheOtherFilesOrNone) {
  scratch_dir d;
  d.mkdir("definitions/user2.zid");  // the index cannot be put in place
  d.write("definitions/user2.zmb", "OLD YORK\nR*OLD_YORK D\n");
  run_result r = zembu_test::compile_rules(d, rules("new"));
  EXPECT_NE((r.out + r.err).find("cannot write definitions/user2.zid: "), std::string::npos)
      << r.out << r.err;
  EXPECT_EQ(d.read("definitions/user2.zmb"), "OLD YORK\nR*OLD_YORK D\n");
  EXPECT_FALSE(d.exists("definitions/exec.zmb"));
  EXPECT_FALSE(d.exists("definitions/idio1.zid"));
}

// The English sides of the first `count` development pairs of the dictionary, their words
// in upper case (ASCII), one sentence a line.
std::string development_sentences(const scratch_dir& d, size_t count) {
  run_result r = d.run("quality", {"extract", "/usr/share/trans/de-en"}, "", 120);
  EXPECT_EQ(r.status, 0) << r.err;
  std::string out;
  for (const std::string& pair : zembu_test::lines(r.out)) {
    if (count-- == 0) break;
    for (char c : pair.substr(0, pair.find('\t'))) {
      const bool lower = c >= 'a' && c <= 'z';
      const bool word = lower || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '\'';
      out += !word ? ' ' : lower ? static_cast<char>(c - 'a' + 'A') : c;
    }
    out += "\n";
  }
  return out;
}

TEST(Zembu2IdiomIndex, DictionaryCompoundsGiveTheResultsOfEveryRule) {
  const zembu_test::generated_rules full = zembu_test::full_rules();
  if (full.path.empty()) GTEST_SKIP() << full.why;
  scratch_dir d;
  d.mkdir("definitions");
  fs::copy_file(full.path, d.file("rules.txt"));
  run_result r = d.run("makezembu", {}, "", 120);
  ASSERT_EQ(r.out + r.err, "");
  ASSERT_TRUE(d.exists("definitions/user2.zid"));

  // Development sentences, and sentences of compounds as makedict writes them (every
  // word after the first marked with "0" under the "-" sign) between two of their words.
  std::string sentences = development_sentences(d, 45);
  const std::vector<std::string> compounds = zembu_test::lines(d.read("definitions/user2.zmb"));
  ASSERT_GT(compounds.size(), 20000u);
  for (size_t i = 0; i + 6000 < compounds.size(); i += 2 * 1999) {
    std::string words;
    for (size_t k = i; k < i + 6000; k += 2000) {
      for (char c : compounds[k]) {
        if (c != '0' || (!words.empty() && words.back() != ' ')) words += c;
      }
      words += " AND ";
    }
    sentences += "WE SAW " + words + "\n";
  }
  // The whole script, once with the index and once reading every rule (which takes
  // the time: some 0.2 s a sentence under the sanitizers).
  const std::string pass3 = tokens(sentences);
  const std::vector<std::string> indexed = zembu_test::lines(translate(d, pass3));
  d.remove("definitions/user2.zid");
  const std::vector<std::string> every_rule = zembu_test::lines(translate(d, pass3));
  EXPECT_GE(every_rule.size(), 60u);
  ASSERT_EQ(indexed.size(), every_rule.size());
  size_t differ = 0;
  for (size_t i = 0; i < every_rule.size(); ++i) {
    if (indexed[i] != every_rule[i] && ++differ <= 5) {
      ADD_FAILURE() << "line " << i + 1 << "\nevery rule: " << every_rule[i]
                    << "\nindex:      " << indexed[i];
    }
  }
  EXPECT_EQ(differ, 0u);
}

}  // namespace
