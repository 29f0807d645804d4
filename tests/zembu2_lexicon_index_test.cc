// The headword index of a text lexicon through the built programs: makezembu writes it,
// an index that does not fit its lexicon (from another lexicon, cut short, damaged, the
// lexicon edited since) gives the translations of no index at all, and over the lexicon
// generated from the full dictionary the engine's results do not depend on the index.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "tests/fixtures.h"

namespace {

namespace fs = std::filesystem;
using zembu_test::run_result;
using zembu_test::scratch_dir;

const char kRules[] =
    "TERMINATION\n-s PLU  SUN\n-ing PRP  VER\nun- NEG  ADJ\n-----\n"
    "LEXICON\nn = SUN---Sns\nv = VER---Vbs\na = ADJ---AD2\nd = ART---Det\nthe d der\n"
    "house n Haus\nwalk v gehen\nhappy a gluecklich\nred a rot\ncat n Katze\n-----\n"
    "USER LEXICON\nnam = NAM---Sns\nsmith nam Schmidt\n-----\n";

// A token line as the tokenizer writes it; "*" marks a capital.
std::string tokens(const std::string& words) {
  std::string t = "STR ------\n", w;
  for (size_t i = 0; i <= words.size(); ++i) {
    if (i < words.size() && words[i] != ' ') {
      w += words[i];
    } else if (w == "*") {
      t += "YYY *\n", w.clear();
    } else if (!w.empty()) {
      t += zembu_test::word_line(w, w), w.clear();
    }
  }
  return t + zembu_test::kLookedUpStop;
}

// The engine over three sentences with the lexicons, the listing of the entries and the
// result line; the trace goes to `trace`.
std::string translate(const scratch_dir& d, std::string& trace) {
  const zembu_test::engine_run r = zembu_test::translate_tokens(
      d, "PROCEDURES\n0 term.zmb\nL lexi.zmb\nL user1.zmb\ns *\nR *\n",
      tokens("THE HOUSE IS RED") + tokens("THE CATS WALKING UNHAPPY HOUSES") +
          tokens("SMITH WALKS * SMITH * CAT"),
      {}, {"visible"});
  trace = r.trace;
  return r.result;
}

std::string compile(const scratch_dir& d, const std::string& rules) {
  const run_result r = zembu_test::compile_rules(d, rules);
  EXPECT_EQ(r.out + r.err, "");
  return d.read("definitions/lexi.zix");
}

TEST(Zembu2LexiconIndex, AnIndexThatDoesNotFitGivesTheTranslationsOfNoIndex) {
  scratch_dir d;
  d.mkdir("definitions");
  const std::string other = compile(d, "LEXICON\nzebra n Zebra\nhouse n Hutte\n-----\n");
  const std::string good = compile(d, kRules);
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(d.file("definitions"))) {
    names.insert(e.path().filename().string());
  }
  EXPECT_EQ(names, (std::set<std::string>{"exec.zmb", "term.zmb", "lexi.zmb", "lexi.zix",
                                          "user1.zmb", "user1.zix", "user2.zmb",
                                          "rules.map"}));
  std::string trace;
  const std::string indexed = translate(d, trace);
  EXPECT_EQ(trace.find("lexicon index"), std::string::npos);  // taken without a word
  d.remove("definitions/lexi.zix");
  const std::string scanned = translate(d, trace);
  EXPECT_EQ(indexed, scanned);
  EXPECT_NE(scanned.find("Der Katze -S gehen -ING gluecklich UN- Haus -S."), std::string::npos)
      << scanned;

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
    EXPECT_EQ(translate(d, trace), scanned) << what;
    EXPECT_NE(trace.find("lexicon index definitions/lexi.zix not used: "), std::string::npos)
        << what;
  }
  // The lexicon edited after the index was written: the new entry counts.
  compile(d, kRules);
  d.write("definitions/lexi.zmb",
          "RED\n\xff"
          "ADJ---AD2scharlachrot\n" +
              d.read("definitions/lexi.zmb"));
  const std::string edited = translate(d, trace);
  EXPECT_NE(edited.find("scharlachrot"), std::string::npos) << edited;
  EXPECT_NE(trace.find("not used: made for another lexicon file"), std::string::npos);
}

// The English words of the first `limit` dictionary lines, no sub-entry that ends like a
// sentence, one sentence a line. A word goes in once with a capital and once without (a
// search depends on the word and its capital, and each search of the scan reads the
// whole lexicon).
std::string dictionary_tokens(const std::string& dictionary, size_t limit) {
  std::ifstream in(dictionary, std::ios::binary);
  std::string line, t;
  std::set<std::string> seen;
  for (size_t count = 0; count < limit && std::getline(in, line);) {
    size_t sep = line.find(" :: ");
    if (line[0] == '#' || sep == std::string::npos) continue;
    std::string words, word;
    for (size_t i = sep + 4; i <= line.size(); ++i) {
      const char c = i < line.size() ? line[i] : '|';
      if (std::isalnum(static_cast<unsigned char>(c)) || c == '\'') {
        word += c;
        continue;
      }
      if ((c == '.' || c == '!' || c == '?') && (i + 1 >= line.size() || line[i + 1] == ' ')) {
        words.clear();  // a sentence: left out
      } else if (!word.empty()) {
        std::string key;
        for (char k : word) key += static_cast<char>(std::toupper(static_cast<unsigned char>(k)));
        const bool capital = std::isupper(static_cast<unsigned char>(word[0]));
        if (seen.insert((capital ? "*" : "") + key).second) words += (capital ? " * " : " ") + key;
      }
      word.clear();
      if (c == '|' && !words.empty() && (i + 1 >= line.size() || line[i + 1] == ' ')) {
        t += tokens(words), ++count, words.clear();
      }
    }
  }
  return t;
}

TEST(Zembu2LexiconIndex, DictionaryLexiconGivesTheResultsOfTheScan) {
  const std::string dictionary = "/usr/share/trans/de-en";
  const zembu_test::generated_rules full = zembu_test::full_rules();
  if (full.path.empty()) GTEST_SKIP() << full.why;
  scratch_dir d;
  d.mkdir("definitions");
  fs::copy_file(full.path, d.file("rules.txt"));
  run_result r;
  r = d.run("makezembu", {}, "", 120);
  ASSERT_EQ(r.out + r.err, "");
  ASSERT_TRUE(d.exists("definitions/lexi.zix"));

  // The lexicon procedures of the compiled script, the listing of the entries and the
  // result line over 300 phrases (some 600 searches); the scan is what takes the time,
  // about a minute under the sanitizers.
  d.write("definitions/exec.zmb", "PROCEDURES\n0 term.zmb\nL lexi.zmb\nL user1.zmb\ns *\nR *\n");
  d.write("pass3", dictionary_tokens(dictionary, 300));
  const std::vector<std::string> args = {"SHELLMODE", "definitions/", "pass3", "pass2"};
  r = d.run("zembu2", args, "", 120);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> indexed = zembu_test::lines(d.read("pass2"));
  d.remove("definitions/lexi.zix");
  d.remove("definitions/user1.zix");
  r = d.run("zembu2", args, "", 1500);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> scanned = zembu_test::lines(d.read("pass2"));
  EXPECT_GT(scanned.size(), 1000u);
  ASSERT_EQ(indexed.size(), scanned.size());
  size_t differ = 0;
  for (size_t i = 0; i < scanned.size(); ++i) {
    if (indexed[i] != scanned[i] && ++differ <= 5) {
      ADD_FAILURE() << "line " << i + 1 << "\nscan:  " << scanned[i] << "\nindex: " << indexed[i];
    }
  }
  EXPECT_EQ(differ, 0u);
}

}  // namespace
