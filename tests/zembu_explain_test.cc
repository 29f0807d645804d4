// zembu --explain with the bundled sample rules: the rules it names are the rules that
// moved the words, their rules.txt lines are the lines it quotes, and the German is the
// German of an ordinary run.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/fixtures.h"

namespace {

namespace fs = std::filesystem;
using zembu_test::bin_path;
using zembu_test::run_result;
using zembu_test::scratch_dir;

std::string sample_rules() { return zembu_test::source_file("rules/rules.txt"); }

void set_up(const scratch_dir& d, const std::string& rules) {
  zembu_test::set_up_front_end(d, rules);
}

// The lines of the section `heading` of a rule source that the compiler reads as rules
// (numbered from 1): not empty, no comment, up to the end-of-section line.
std::vector<long> section_lines(const std::vector<std::string>& source, const std::string& heading) {
  std::vector<long> out;
  for (size_t i = 0; i < source.size(); ++i) {
    if (source[i] != heading) continue;
    for (size_t k = i + 1; k < source.size() && source[k].compare(0, 5, "-----") != 0; ++k) {
      const size_t first = source[k].find_first_not_of(' ');
      if (first != std::string::npos && source[k][first] != ';') out.push_back(static_cast<long>(k + 1));
    }
  }
  return out;
}

// One firing of the report: the procedure it belongs to, where it is and what it quotes.
struct firing {
  std::string procedure;  // "4 synt1.zmb", say
  std::string where;      // "synt1.zmb record 4"
  std::vector<std::pair<long, std::string>> quoted;  // rules.txt line and text
};

std::vector<firing> firings_of(const std::string& report) {
  std::vector<firing> out;
  std::string procedure;
  for (const std::string& l : zembu_test::lines(report)) {
    if (l.rfind("  Procedure ", 0) == 0) {
      const size_t colon = l.find(": ");
      procedure = l.substr(colon + 2, l.find("  ", colon + 2) - colon - 2);
    } else if (l.rfind("    Fired ", 0) == 0 || l.rfind("  Fired ", 0) == 0) {
      const size_t at = l.find("Fired ") + 6;
      out.push_back({procedure, l.substr(at, l.size() - at - 1), {}});
    } else if (!out.empty() && l.find("rules.txt:") != std::string::npos) {
      const std::string q = l.substr(l.find("rules.txt:") + 10);
      const size_t colon = q.find(": ");
      out.back().quoted.push_back({std::stol(q.substr(0, colon)), q.substr(colon + 2)});
    }
  }
  return out;
}

// A line of the rules in UTF-8: the sample writes its German letters in code page 437.
std::string utf8(const std::string& cp437) {
  std::string out;
  for (char c : cp437) {
    switch (static_cast<unsigned char>(c)) {
      case 132: out += "\xC3\xA4"; break;  // a umlaut
      case 148: out += "\xC3\xB6"; break;  // o umlaut
      case 129: out += "\xC3\xBC"; break;  // u umlaut
      case 142: out += "\xC3\x84"; break;  // A umlaut
      case 153: out += "\xC3\x96"; break;  // O umlaut
      case 154: out += "\xC3\x9C"; break;  // U umlaut
      case 225: out += "\xC3\x9F"; break;  // sharp s
      default: out.push_back(c);
    }
  }
  return out;
}

std::string german_of(const std::string& report) {
  for (const std::string& l : zembu_test::lines(report)) {
    if (l.rfind("German: ", 0) == 0) return l.substr(8);
  }
  return "";
}

std::string trimmed(const std::string& s) {
  const size_t a = s.find_first_not_of(' '), b = s.find_last_not_of(" \n");
  return a == std::string::npos ? "" : s.substr(a, b + 1 - a);
}

class ZembuExplain : public testing::Test {
 protected:
  void SetUp() override {
    rules_ = sample_rules();
    ASSERT_FALSE(rules_.empty());
    source_ = zembu_test::lines(rules_);
    set_up(d_, rules_);
  }

  // Explains the sentence; every quoted line must be the source's line of that number.
  std::vector<firing> explain(const std::string& sentence, std::string& report) {
    run_result r = d_.run("zembu", {"--explain", sentence});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    report = r.out;
    const std::vector<firing> fired = firings_of(report);
    for (const firing& f : fired) {
      EXPECT_FALSE(f.quoted.empty()) << f.where;
      for (const auto& [line, text] : f.quoted) {
        const bool in_source = line >= 1 && static_cast<size_t>(line) <= source_.size();
        EXPECT_TRUE(in_source) << line;
        if (in_source) {
          EXPECT_EQ(text, utf8(source_[static_cast<size_t>(line) - 1])) << f.where;
        }
      }
    }
    // The German is that of an ordinary run.
    r = d_.run("zembu", {"-"}, sentence + "\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(trimmed(german_of(report)), trimmed(r.out)) << report;
    EXPECT_FALSE(trimmed(r.out).empty());
    return fired;
  }

  // The firings of procedures whose file begins with `kind`.
  static std::vector<firing> of_kind(const std::vector<firing>& all, const std::string& kind) {
    std::vector<firing> out;
    for (const firing& f : all) {
      if (f.where.rfind(kind, 0) == 0) out.push_back(f);
    }
    return out;
  }

  scratch_dir d_;
  std::string rules_;
  std::vector<std::string> source_;
};

TEST_F(ZembuExplain, TheDassClauseShowsTheComplexRuleThatMovesTheVerb) {
  std::string report;
  const std::vector<firing> fired = explain("I know that she is happy.", report);
  const std::vector<firing> complex = of_kind(fired, "comp");
  ASSERT_FALSE(complex.empty()) << report;
  // Each the whole of one rule of a COMPLEX section: its lines one after the other, an
  // operation that moves a place among them.
  const std::vector<long> body = section_lines(source_, "COMPLEX");
  for (const firing& f : complex) {
    const auto& q = f.quoted;
    ASSERT_GE(q.size(), 3u) << f.where;
    bool moves = false;
    for (size_t i = 0; i < q.size(); ++i) {
      EXPECT_NE(std::find(body.begin(), body.end(), q[i].first), body.end()) << q[i].second;
      if (i > 0) {
        EXPECT_EQ(q[i].first, q[i - 1].first + 1);
      }
      for (const char* op : {"exchange_", "after_", "before_", "insert_", "new_"}) {
        moves = moves || q[i].second.find(op) != std::string::npos;
      }
    }
    EXPECT_TRUE(moves) << report;
    EXPECT_EQ(f.procedure.rfind("5 comp", 0), 0u) << f.procedure;
  }
  // The verb is at the end of the clause now.
  const std::string german = trimmed(german_of(report));
  EXPECT_NE(german.find("dass sie "), std::string::npos) << report;
  EXPECT_EQ(german.rfind(" ist."), german.size() - 5) << report;
  // Nothing of the run stays behind.
  EXPECT_FALSE(d_.exists("zembu.exp"));
  EXPECT_FALSE(d_.exists("pass2"));
  EXPECT_TRUE(d_.exists("definitions/rules.map"));
}

TEST_F(ZembuExplain, ThePerfectShowsTheSyntaxRuleAndTheInflectionEntry) {
  std::string report;
  const std::vector<firing> fired = explain("I have seen the house.", report);
  // The syntax rules, the one that puts the participle behind the object among them: each
  // a line of a SYNTAX section.
  const std::vector<firing> synt = of_kind(fired, "synt");
  ASSERT_FALSE(synt.empty()) << report;
  const std::vector<long> syntax = section_lines(source_, "SYNTAX");
  bool participle = false;
  for (const firing& f : synt) {
    ASSERT_EQ(f.quoted.size(), 1u);
    EXPECT_NE(std::find(syntax.begin(), syntax.end(), f.quoted[0].first), syntax.end());
    participle = participle || f.quoted[0].second.find("PA") != std::string::npos;
  }
  EXPECT_TRUE(participle) << report;
  // The inflection entry that makes the participle.
  const std::vector<firing> flex = of_kind(fired, "flex");
  ASSERT_FALSE(flex.empty()) << report;
  const std::vector<long> inflection = section_lines(source_, "INFLECTION");
  EXPECT_NE(std::find(inflection.begin(), inflection.end(), flex[0].quoted[0].first),
            inflection.end());
  EXPECT_EQ(flex[0].procedure.rfind("7 flex.zmb", 0), 0u);
  // The lexicon entries of the words.
  EXPECT_FALSE(of_kind(fired, "lexi").empty());
  const std::string german = trimmed(german_of(report));
  EXPECT_EQ(german.rfind(" gesehen."), german.size() - 9) << report;
  // The stages, in order.
  const size_t tokens = report.find("Tokens after zembu1:");
  const size_t split = report.find("Tokens after zembu4");
  const size_t engine = report.find("Engine zembu2");
  const size_t result = report.find("Result line: ");
  const size_t end = report.find("German: ");
  EXPECT_LT(tokens, split);
  EXPECT_LT(split, engine);
  EXPECT_LT(engine, result);
  EXPECT_LT(result, end);
  EXPECT_NE(end, std::string::npos);
}

TEST_F(ZembuExplain, StandardInputGivesOneReportPerSentenceAndBadUseIsRefused) {
  run_result r = d_.run("zembu", {"--explain", "-"}, "The house. I have seen the house.\n");
  EXPECT_EQ(r.status, 0) << r.err;
  size_t reports = 0;
  for (size_t p = r.out.find("Sentence: "); p != std::string::npos; p = r.out.find("Sentence: ", p + 1)) {
    ++reports;
  }
  EXPECT_EQ(reports, 2u) << r.out;
  r = d_.run("zembu", {"--explain"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("--explain needs"), std::string::npos);
  r = d_.run("zembu", {"--help"});
  EXPECT_NE(r.out.find("--explain SENTENCE"), std::string::npos);
}

}  // namespace
