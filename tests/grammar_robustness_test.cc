// The bundled grammar on input it does not cover: fragments, lists, headlines, capitals,
// unknown words and long sentences of many clauses still come out as German words, one
// line per line, with every word kept and none of the grammar's internal marks.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/fixtures.h"

namespace {

namespace fs = std::filesystem;
using zembu_test::bin_path;
using zembu_test::lines;
using zembu_test::run_result;
using zembu_test::scratch_dir;

// The German of every line of text, through the front end's filter over the full rules.
std::vector<std::string> translate(const scratch_dir& d, const std::string& text) {
  const run_result r = d.run("./zembu", {"-"}, text, 900);
  EXPECT_EQ(r.status, 0) << r.err;
  return lines(r.out);
}

// The marks and symbols the rules use inside the engine and that no German has.
void expect_clean(const std::string& english, const std::string& german) {
  for (const char* mark : {"@m", "@f", "@n", "@p", "_UU", "ZZ_", "aux", "---", "*", "EOS",
                           "SBJ", "OBJ", "OBD", "NPN", "NPP", "QCO", "XER", "KSD", "wea",
                           "nom", "akk"}) {
    EXPECT_EQ(german.find(mark), std::string::npos) << english << " -> " << german;
  }
  EXPECT_EQ(german.find('\xFF'), std::string::npos) << english << " -> " << german;
  EXPECT_FALSE(german.empty()) << english;
}

size_t words_of(const std::string& s) {
  size_t n = 0;
  bool in = false;
  for (char c : s) {
    const bool letter = c != ' ' && c != ',' && c != '.' && c != '?' && c != '!';
    if (letter && !in) ++n;
    in = letter;
  }
  return n;
}

class GrammarRobustness : public ::testing::Test {
 protected:
  void SetUp() override {
    const zembu_test::generated_rules full = zembu_test::full_rules();
    if (full.path.empty()) GTEST_SKIP() << full.why;
    zembu_test::set_up_front_end(d_, "");
    fs::copy_file(full.path, d_.file("rules.txt"), fs::copy_options::overwrite_existing);
  }
  scratch_dir d_;
};

TEST_F(GrammarRobustness, UncoveredShapesKeepTheirWordsAndNoMarks) {
  const std::vector<std::string> english = {
      "The big house.",                                 // a fragment without a verb
      "Apples, pears, bread, cheese and water.",        // a list
      "MAN BITES DOG IN LONDON",                        // a headline in capitals
      "The the the dog dog.",                           // repeated words
      "Very.",                                          // one adverb
      "Of the.",                                        // function words only
      "Is is is?",                                      // verbs only
      "Does does not.",                                 // stray do and not
      "That because if when although whether.",         // subordinators only
      "The man who I know that she thinks is old has a dog that barks when it rains, "
      "and the woman says that she will come if the children are happy, but I do not "
      "think so, because the weather is cold and the streets are wet.",
  };
  std::string text;
  for (const std::string& e : english) text += e + "\n";
  const std::vector<std::string> german = translate(d_, text);
  ASSERT_EQ(german.size(), english.size()) << text;
  for (size_t i = 0; i < english.size(); ++i) {
    expect_clean(english[i], german[i]);
    // Words are translated, joined (zum) or dropped where German has none (do, the
    // articles of a list), but never lost wholesale.
    EXPECT_GE(2 * words_of(german[i]) + 1, words_of(english[i])) << english[i] << " -> "
                                                                   << german[i];
  }
}

TEST_F(GrammarRobustness, UnknownWordsStayAsWritten) {
  const std::vector<std::string> german =
      translate(d_, "The blorft sees the zimbly.\nOnly my family knows Qwertz.\n");
  ASSERT_EQ(german.size(), 2u);
  expect_clean("unknown words", german[0]);
  expect_clean("unknown words", german[1]);
  EXPECT_NE(german[0].find("lorft"), std::string::npos) << german[0];
  EXPECT_NE(german[0].find("imbly"), std::string::npos) << german[0];
  EXPECT_NE(german[1].find("Qwertz"), std::string::npos) << german[1];
  EXPECT_EQ(german[1].find("onlich"), std::string::npos) << german[1];
  EXPECT_EQ(german[1].find("amilich"), std::string::npos) << german[1];
}

}  // namespace
