// The headword index of a text lexicon through the built programs: makezembu writes it,
// an index that does not fit its lexicon (from another lexicon, cut short, damaged, the
// lexicon edited since) gives the translations of no index at all, and over the lexicon
// generated from the full dictionary the engine's results do not depend on the index.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "tests/blackbox.h"

namespace {

namespace fs = std::filesystem;
using zembu_test::bin_path;
using zembu_test::run_result;
using zembu_test::scratch_dir;

const char kRules[] =
    "TERMINATION\n-s PLU  SUN\n-ing PRP  VER\nun- NEG  ADJ\n-----\n"
    "LEXICON\nn = SUN---Sns\nv = VER---Vbs\na = ADJ---AD2\nd = ART---Det\n"
    "the d der\nhouse n Haus\nwalk v gehen\nhappy a gluecklich\nred a rot\ncat n Katze\n"
    "cats n Katzen\nhouses>house+PLU n Haeuser\n-----\n"
    "USER LEXICON\nnam = NAM---Sns\nsmith nam Schmidt\n-----\n";

// Token lines of a few sentences: plain words, affixes, capitals, an unknown word.
std::string tokens() {
  std::string t;
  const char* const sentences[][6] = {{"THE", "HOUSE", "IS", "RED", "", ""},
                                      {"THE", "CATS", "WALKING", "UNHAPPY", "HOUSES", ""},
                                      {"SMITH", "WALKS", "*", "SMITH", "*", "CAT"}};
  for (const auto& s : sentences) {
    t += "STR ------\n";
    for (const char* w : s) {
      if (*w == 0) continue;
      if (std::string(w) == "*") {
        t += "YYY *\n";
        continue;
      }
      std::string lower(w);
      for (char& c : lower) c = static_cast<char>(c - 'A' + 'a');
      t += "ZZZ " + std::string(w) + " \xffZZZ---ZZZ" + lower + "\n";
    }
    t += "SEN . \xffSEN------.\n";
  }
  return t;
}

// Runs the engine over the token file with the lexicons and the listing and result line;
// returns the result file, and the trace in `trace` when it is asked for.
std::string translate(const scratch_dir& d, std::string* trace = nullptr) {
  d.write("definitions/exec.zmb",
          "PROCEDURES\n0 term.zmb\nL lexi.zmb\nL user1.zmb\ns *\nR *\n");
  d.write("pass3", tokens());
  std::vector<std::string> args = {"SHELLMODE", "definitions/", "pass3", "pass2"};
  if (trace) args.push_back("visible");
  run_result r = d.run("zembu2", args);
  EXPECT_EQ(r.status, 0) << r.err;
  if (trace) *trace = r.out;
  return d.read("pass2");
}

std::string compile(const scratch_dir& d, const std::string& rules) {
  d.write("rules.txt", rules);
  run_result r = d.run("makezembu", {});
  EXPECT_EQ(r.out + r.err, "");
  return d.read("definitions/lexi.zix");
}

TEST(Zembu2LexiconIndex, MakezembuWritesAnIndexBesideEachTextLexicon) {
  scratch_dir d;
  d.mkdir("definitions");
  const std::string index = compile(d, kRules);
  EXPECT_EQ(index.substr(0, 8), "ZEMBUZIX");
  EXPECT_EQ(d.read("definitions/user1.zix").substr(0, 8), "ZEMBUZIX");
  EXPECT_FALSE(d.exists("definitions/user2.zix"));  // compounds are no text lexicon
  // The same source gives the same headwords and positions (the header records the
  // lexicon's time of modification, which differs).
  const std::string again = compile(d, kRules);
  EXPECT_EQ(again.size(), index.size());
  EXPECT_EQ(again.substr(80), index.substr(80));
  // No temporary file is left.
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(d.file("definitions"))) {
    names.insert(e.path().filename().string());
  }
  EXPECT_EQ(names, (std::set<std::string>{"exec.zmb", "term.zmb", "lexi.zmb", "lexi.zix",
                                          "user1.zmb", "user1.zix", "user2.zmb"}));
}

TEST(Zembu2LexiconIndex, AnIndexThatDoesNotFitGivesTheTranslationsOfNoIndex) {
  scratch_dir d;
  d.mkdir("definitions");
  const std::string other = compile(d, "LEXICON\nzebra n Zebra\nhouse n Hutte\n-----\n");
  const std::string good = compile(d, kRules);
  std::string trace;
  const std::string indexed = translate(d, &trace);
  EXPECT_EQ(trace.find("lexicon index"), std::string::npos);
  d.remove("definitions/lexi.zix");
  const std::string scanned = translate(d);
  EXPECT_EQ(indexed, scanned);
  EXPECT_NE(scanned.find("Haus -S"), std::string::npos) << scanned;  // the stem comes first
  EXPECT_NE(scanned.find("NAM---SnsSchmidt"), std::string::npos) << scanned;

  std::string damaged = good;
  damaged[damaged.size() / 2] = static_cast<char>(damaged[damaged.size() / 2] ^ 0x10);
  const std::pair<const char*, std::string> planted[] = {
      {"from another lexicon", other},
      {"cut short", good.substr(0, good.size() - 5)},
      {"damaged", damaged},
      {"no index", std::string(100, 'x')},
      {"empty", ""}};
  for (const auto& [what, bytes] : planted) {
    d.write("definitions/lexi.zix", bytes);
    EXPECT_EQ(translate(d, &trace), scanned) << what;
    EXPECT_NE(trace.find("lexicon index definitions/lexi.zix not used: "), std::string::npos)
        << what;
  }

  // The lexicon edited after the index was written: the new entry counts.
  compile(d, kRules);
  std::string lexicon = d.read("definitions/lexi.zmb");
  d.write("definitions/lexi.zmb", "RED\n\xff" "ADJ---AD2scharlachrot\n" + lexicon);
  std::string edited = translate(d, &trace);
  EXPECT_NE(edited.find("scharlachrot"), std::string::npos) << edited;
  EXPECT_NE(trace.find("not used: made for another lexicon file"), std::string::npos);
  d.remove("definitions/lexi.zix");
  EXPECT_EQ(translate(d), edited);
}

// The English words of the dictionary's phrases (no sub-entry that ends like a sentence),
// as token lines of one sentence per dictionary line; at most `limit` sentences. A word
// is taken once with a capital and once without: a search depends on the word and on
// whether a capital marks it, and every search of the scan reads the whole lexicon.
std::string dictionary_tokens(const std::string& dictionary, size_t limit) {
  std::ifstream in(dictionary, std::ios::binary);
  std::string line, t;
  std::set<std::string> seen;
  size_t count = 0;
  while (count < limit && std::getline(in, line)) {
    size_t sep = line.find(" :: ");
    if (line.empty() || line[0] == '#' || sep == std::string::npos) continue;
    std::string english = line.substr(sep + 4), sentence;
    int words = 0;
    for (size_t start = 0; start <= english.size();) {
      size_t bar = english.find(" | ", start);
      std::string part = english.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
      start = bar == std::string::npos ? english.size() + 1 : bar + 3;
      if (!part.empty() && std::string(".!?").find(part.back()) != std::string::npos) continue;
      std::string word;
      for (size_t i = 0; i <= part.size(); ++i) {
        const char c = i < part.size() ? part[i] : ' ';
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '\'') {
          word += c;
          continue;
        }
        if (word.empty() || words >= 40) {
          word.clear();
          continue;
        }
        std::string key = word;
        for (char& k : key) {
          if (k >= 'a' && k <= 'z') k = static_cast<char>(k - 'a' + 'A');
        }
        const bool capital = word[0] >= 'A' && word[0] <= 'Z';
        if (!seen.insert((capital ? "^" : "") + key).second) {
          word.clear();
          continue;
        }
        if (capital) sentence += "YYY *\n";
        sentence += "ZZZ " + key + " \xffZZZ---ZZZ" + word + "\n";
        ++words;
        word.clear();
      }
    }
    if (words == 0) continue;
    t += "STR ------\n" + sentence + "SEN . \xffSEN------.\n";
    ++count;
  }
  return t;
}

TEST(Zembu2LexiconIndex, DictionaryLexiconGivesTheResultsOfTheScan) {
  const std::string dictionary = "/usr/share/trans/de-en";
  if (access(dictionary.c_str(), R_OK) != 0) GTEST_SKIP() << dictionary << " is not installed";
  const std::string makedict = bin_path("makedict");
  if (access(makedict.c_str(), X_OK) != 0) GTEST_SKIP() << "makedict is not built";
  scratch_dir d;
  d.mkdir("definitions");
  const fs::path source = fs::path(__FILE__).parent_path().parent_path() / "rules";
  std::string command = "'" + makedict + "'";
  if (fs::exists(source / "dict_overrides.txt")) {
    command += " --overrides '" + (source / "dict_overrides.txt").string() + "'";
  }
  command += " '" + dictionary + "' '" + (source / "rules.txt").string() + "' > rules.txt";
  run_result r = d.run("/bin/sh", {"-c", command}, "", 300);
  ASSERT_EQ(r.status, 0) << r.err;
  r = d.run("makezembu", {}, "", 120);
  ASSERT_EQ(r.out + r.err, "");
  ASSERT_TRUE(d.exists("definitions/lexi.zix"));

  // The lexicon procedures of the compiled script, the listing of the entries and the
  // result line, over a thousand phrases (some 5 800 words, 2 100 searches); the scan is what
  // takes the time, about two minutes under the sanitizers.
  d.write("definitions/exec.zmb",
          "PROCEDURES\n0 term.zmb\nL lexi.zmb\nL user1.zmb\ns *\nR *\n");
  d.write("pass3", dictionary_tokens(dictionary, 1000));
  const std::vector<std::string> args = {"SHELLMODE", "definitions/", "pass3", "pass2"};
  r = d.run("zembu2", args, "", 120);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string indexed = d.read("pass2");
  d.remove("definitions/lexi.zix");
  d.remove("definitions/user1.zix");
  r = d.run("zembu2", args, "", 1500);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> scanned = zembu_test::lines(d.read("pass2"));
  const std::vector<std::string> with_index = zembu_test::lines(indexed);
  EXPECT_GT(scanned.size(), 3000u);
  ASSERT_EQ(with_index.size(), scanned.size());
  size_t differ = 0;
  for (size_t i = 0; i < scanned.size(); ++i) {
    if (with_index[i] != scanned[i] && ++differ <= 5) {
      ADD_FAILURE() << "line " << i + 1 << "\nscan:  " << scanned[i] << "\nindex: " << with_index[i];
    }
  }
  EXPECT_EQ(differ, 0u);
}

}  // namespace
