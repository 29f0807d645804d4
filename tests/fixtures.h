// Set-up shared by the black-box tests: token lines, an engine run in shell form over a
// hand-written procedure script and definition files, a rule source compiled in place, a
// working directory for the front end, and command lines a program must refuse.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "tests/blackbox.h"

namespace zembu_test {

// A token line: class, key, field marker and entry.
std::string token_line(const std::string& cls, const std::string& key, const std::string& entry);

// A word as the tokenizer writes it: class ZZZ and the entry ZZZ---ZZZ with the word as written.
std::string word_line(const std::string& key, const std::string& written);

// The full stop as the tokenizer writes it.
extern const std::string kStopLine;

// The full stop with the entry a lexicon search gives it.
extern const std::string kLookedUpStop;

// How often `what` occurs in `text`, overlapping occurrences included.
size_t count_of(const std::string& text, const std::string& what);

// Files given as (name, bytes) pairs.
using file_list = std::vector<std::pair<std::string, std::string>>;

// Writes every file of `files` into the directory `dir` of d, which is made first.
void write_files(const scratch_dir& d, const file_list& files,
                 const std::string& dir = "definitions");

// What one run of the engine left.
struct engine_run {
  int status = -1;
  std::string result;  // the result file pass2
  std::string trace;   // standard output
};

// Runs "zembu2 SHELLMODE definitions/ pass3 pass2" and then `extra` in d over the pass3
// that is there.
engine_run run_engine(const scratch_dir& d, const std::vector<std::string>& extra = {});

// Writes `script` as definitions/exec.zmb, `files` into definitions/ and `tokens` as pass3,
// then runs the engine as run_engine does; the engine must end with status 0.
engine_run translate_tokens(const scratch_dir& d, const std::string& script,
                            const std::string& tokens, const file_list& files = {},
                            const std::vector<std::string>& extra = {});

// The class line that the trace of a pattern-rule step on the missing file show.zmb
// lists (the step "5 show.zmb" with the trace on); empty when the trace has none.
std::string shown_class_line(const std::string& trace);

// Writes `rules` as rules.txt, makes definitions/ and runs makezembu in d.
run_result compile_rules(const scratch_dir& d, const std::string& rules, unsigned seconds = 30);

// The path of a file of the source tree, given by its path from the top.
std::string source_path(const std::string& relative);

// The bytes of a file of the source tree; empty when it cannot be read.
std::string source_file(const std::string& relative);

// The six programs of a working directory of the front end.
extern const std::vector<std::string> kFrontEndPrograms;

// Makes d a working directory for the front end: the six programs copied in, `rules` as
// rules.txt and an empty definitions/.
void set_up_front_end(const scratch_dir& d, const std::string& rules);

// `size` pseudo-random bytes of every value, the same for the same seed.
std::string noise(unsigned seed, size_t size);

// A command line that a program must refuse with exit status 1.
struct refusal {
  refusal(std::vector<std::string> a, std::string o, std::string gone = "")
      : args(std::move(a)), out(std::move(o)), absent(std::move(gone)) {}
  std::vector<std::string> args;
  std::string out;     // all that the program writes on standard output
  std::string absent;  // a file that must not be there afterwards; empty: none
};

// Runs `program` with each refusal's arguments in d, in table order, and checks what it
// wrote and left; a failure names the arguments of its case.
void expect_refusals(const scratch_dir& d, const std::string& program,
                     const std::vector<refusal>& cases);

}  // namespace zembu_test
