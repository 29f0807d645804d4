// The front end zembu: compiles the rules once, then sends every sentence of the user's
// text (typed, from a file or from standard input) through the four pass programs
// (zembu1, zembu4, zembu2, zembu3) and prints the German. The user's text is UTF-8; the
// passes work in code page 437.
#pragma once

#include <csignal>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "frontend/process.h"
#include "frontend/textinput.h"

namespace zembu::frontend {

// Exit statuses of zembu.
constexpr int kStatusOk = 0;
constexpr int kStatusStopped = 1;     // could not start or had to stop (a message says why)
constexpr int kStatusNoText = 2;      // the text file cannot be read
constexpr int kStatusPassFailed = 3;  // a pass failed for a sentence; the rest was translated
constexpr int kStatusInterrupted = 130;

// Where the text comes from and how the German goes out: typed sentences, each followed
// by its translation; a file, each sentence shown with its translation; standard input as
// a filter, one German line for every line of the text and nothing else.
enum class text_mode { interactive, file, filter };

// What the command line asks for.
struct frontend_args {
  text_mode mode = text_mode::interactive;
  std::string text_file;  // file mode: the text
  bool raw = false;       // no UTF-8 conversion: bytes pass as they are (code page 437)
  bool explain = false;   // --explain: report why each sentence came out as it did
  std::string explain_text;  // its sentences, or "-" for those of standard input
  bool processes = false;    // --processes: each pass runs as its program, one process each
};

// Reads the command line (without the program name). False with `error` set when it
// cannot be used; `--help` and `--version` are answered before.
bool parse_frontend_args(const std::vector<std::string>& args, frontend_args& out,
                         std::string& error);

// The usage text of zembu.
std::string frontend_usage();

struct sentence_result;

// Where the front end works, how it runs a program and where its output goes.
struct frontend_env {
  // Prefix of every file name the front end writes or deletes: "" for the working
  // directory, otherwise a directory ending in "/".
  std::string dir;
  // Runs a program with one argument string and waits for it.
  std::function<program_outcome(const std::string& program, const std::string& arguments)> run;
  FILE* screen = stdout;    // translations, the banner, the prompt
  FILE* messages = stderr;  // notes and failures
  bool raw = false;         // bytes pass unchanged, no UTF-8 conversion
  // When set, translates a sentence in place of the pass programs that `run` starts (the
  // passes in this process, handing their data over in memory).
  std::function<sentence_result(const std::string& sentence)> translate;
};

// What one run has met so far: the notes already given (each is given once) and whether
// a pass failed.
struct run_record {
  bool latin1_noted = false;
  bool controls_noted = false;
  std::vector<char32_t> no_form_noted;
  bool pass_failed = false;
  size_t sentences = 0;  // sentences translated
};

// The progress line on a terminal for a long text: sentences done of all, per second.
struct progress_meter {
  FILE* out = nullptr;  // nullptr: no progress is shown
  size_t total = 0;
  double started = 0;  // seconds on a steady clock
  double shown = 0;    // when the line was last written
};

// The translation of one sentence.
struct sentence_result {
  std::vector<std::string> lines;  // what the last pass wrote (code page 437)
  std::string failure;             // empty, or which pass failed and how
  bool stop = false;               // the run cannot go on (interrupted, or after a message)
};

// zembu1 cuts a sentence of test.zembu at a ";" too; it is run again for the rest, but
// never more often than this for one sentence.
constexpr int kMostPieces = 1000;

// The lines of a pass file open as `f` as the front end takes them (line ends LF, CR LF
// or CR; each line cut to 64 KiB).
std::vector<std::string> read_result_lines(FILE* f);

// Set (from a signal handler) when the user interrupts the front end: the passes still to
// run for the current sentence are skipped, its files deleted, and the run ends.
extern volatile std::sig_atomic_t interrupted;

// The real surroundings: the working directory, standard output and error, and the passes
// run in this process (run_in_process) or, with `processes`, every program started by
// run_program; with `program_output_to_stderr` what they write to standard output goes
// to standard error.
frontend_env real_env(bool program_output_to_stderr, bool raw, bool processes);

// The banner line: program name, version and build date.
std::string banner();

// Deletes zembu.ind and runs ./makezembu. False, after a message, when the compiler could
// not run or failed.
bool compile_rules(const frontend_env& env);

// Writes the banner block: an empty line, the banner, two lines about the maker, an
// empty line.
void write_banner(const frontend_env& env);

// True when the definitions directory exists; otherwise writes a message saying so.
bool definitions_present(const frontend_env& env);

// Deletes every intermediate file of a sentence (the pass files, test.zembu, zembu.ind,
// the engine's listing, word and spill files). Files that are not there are skipped;
// symbolic links are removed themselves, never what they point to.
void delete_intermediate_files(const frontend_env& env);

// Translates one sentence (code page 437): writes it to test.zembu and runs the four
// passes as often as zembu1 finds a sentence in it, collecting what zembu3 wrote. A pass
// that cannot start, fails or leaves no result empties the translation and is named in
// `failure`; the token lines of the middle passes are never taken for a translation.
sentence_result translate_sentence(const frontend_env& env, const std::string& sentence);

// How many sentences translate_text would translate in the text of `in` (read to its end).
size_t count_sentences(text_input& in, bool raw);

// Translates every line of `in` as `mode` wants; an empty line is a paragraph break
// (interactive: the end). Returns the exit status.
int translate_text(const frontend_env& env, text_input& in, text_mode mode, run_record& record,
                   progress_meter& meter);

// The whole front end for a parsed command line, in the working directory. Returns the
// exit status.
int run_frontend(const frontend_args& args);

}  // namespace zembu::frontend
