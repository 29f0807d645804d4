// Shared helpers of the makezembu black-box tests: a scratch directory with definitions/,
// a rule source written into it, the compiler run there, and the fixed lines of the
// procedure script.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tests/fixtures.h"

namespace makezembu_fall {

// The nine head lines of every procedure script.
inline const std::string kKopf =
    "INTRO Please enter sentences:\n"
    "MODUS COMPUTER only first letter is valid for procedures\n"
    "PROCEDURES\n"
    "F *              visible = false\n"
    "0 term.zmb       terminations in source language\n"
    "L lexi.zmb       lexicon\n"
    "L user1.zmb      simple entries from userlex\n"
    "2 user2.zmb      compound entries from userlex\n"
    "f *              visible = true\n";

// The field marker that opens the entry of a lexicon line.
inline const std::string kFF(1, '\xff');

// The last line of every procedure script.
inline const std::string kSchluss = "S *              show with part of speech\n";

// The report of a malformed line.
inline std::string report(const std::string& fehler, const std::string& source) {
  return "error: " + fehler + "\nsource " + source + "\nZembu generator terminated\n";
}

// A scratch directory holding definitions/ in which makezembu compiles a rule source.
struct fall {
  zembu_test::scratch_dir d;
  zembu_test::run_result r;

  fall() { d.mkdir("definitions"); }

  // Writes `rules` to rules.txt and runs the compiler; it must end normally.
  const zembu_test::run_result& compile(const std::string& rules) {
    r = zembu_test::compile_rules(d, rules);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    return r;
  }

  std::string def(const std::string& name) const { return d.read("definitions/" + name); }
  bool has(const std::string& name) const { return d.exists("definitions/" + name); }
  std::string script() const { return def("exec.zmb"); }
};

}  // namespace makezembu_fall
