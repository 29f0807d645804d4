#include "frontend/frontend.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>

#include "common/codepage.h"
#include "common/version.h"
#include "frontend/explain.h"
#include "frontend/in_process.h"
#include "frontend/worklock.h"

namespace zembu::frontend {

namespace {

constexpr const char* kSentenceFile = "test.zembu";
constexpr const char* kPrompt =
    "Please enter phrases. Blank line = finish. Bitte Saetze eingeben, Leerzeile = Ende.";
constexpr const char* kNotFound = "File not found. Dateiname falsch.";

// What the passes leave in the working directory; all of it goes after every sentence.
constexpr const char* kIntermediateFiles[] = {"pass0",     "pass2",       "pass1",     "pass3",
                                              "pass4",     kSentenceFile, "zembu.ind", "zembu.lst",
                                              "zembu.wor", "zembu.rst"};

// A line of a pass file is read up to this length (the engine's result lines are far
// shorter).
constexpr size_t kLongestResultLine = 1 << 16;

void write(FILE* out, const std::string& text) { std::fwrite(text.data(), 1, text.size(), out); }

void write_line(FILE* out, const std::string& text) {
  write(out, text);
  std::fputc('\n', out);
}

void message(const frontend_env& env, const std::string& text) {
  write_line(env.messages, text);
  std::fflush(env.messages);
}

std::string path(const frontend_env& env, const char* name) { return env.dir + name; }

void remove_file(const frontend_env& env, const char* name) { unlink(path(env, name).c_str()); }

// The bytes of the passes made safe and readable for the user.
std::string shown(const frontend_env& env, const std::string& text) {
  return env.raw ? mask_controls(text) : encode_for_user(text);
}

double seconds_now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Writes the sentence as one line to a new test.zembu. Whatever had that name is removed
// first and the file is created exclusively without following links, so a link or a
// file planted under the name is never written through. False with errno set on failure.
bool write_sentence_file(const frontend_env& env, const std::string& sentence) {
  const std::string name = path(env, kSentenceFile);
  if (unlink(name.c_str()) != 0 && errno != ENOENT) return false;
  int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const std::string text = sentence + "\n";
  size_t written = 0;
  while (written < text.size()) {
    ssize_t n = ::write(fd, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = n < 0 ? errno : ENOSPC;
      close(fd);
      errno = error;
      return false;
    }
    written += static_cast<size_t>(n);
  }
  return close(fd) == 0;
}

// Opens a pass file for reading when it is a regular file: the open follows no link and
// does not wait on a pipe. nullptr otherwise.
FILE* open_pass_file(const frontend_env& env, const char* name) {
  int fd = open(path(env, name).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return nullptr;
  }
  FILE* f = fdopen(fd, "rb");
  if (!f) close(fd);
  return f;
}

bool pass_file_present(const frontend_env& env, const char* name) {
  FILE* f = open_pass_file(env, name);
  if (f) std::fclose(f);
  return f != nullptr;
}

// The lines of a pass file, each cut to kLongestResultLine bytes.
std::vector<std::string> read_pass_file(const frontend_env& env, const char* name) {
  FILE* f = open_pass_file(env, name);
  if (!f) return {};
  std::vector<std::string> lines = read_result_lines(f);
  std::fclose(f);
  return lines;
}

// True when zembu1 has read test.zembu to its end (its index file says -1 or is gone).
bool sentence_file_finished(const frontend_env& env) {
  const std::vector<std::string> index = read_pass_file(env, "zembu.ind");
  return index.empty() || index[0] == "-1";
}

// The start of a sentence, for a message.
std::string sentence_start(const frontend_env& env, const std::string& sentence) {
  const size_t kShown = 60;
  std::string start = sentence.substr(0, kShown);
  while (!start.empty() && start[0] == ' ') start.erase(0, 1);
  return "\"" + shown(env, start) + (sentence.size() > kShown ? "...\"" : "\"");
}

// A line of the user's text in code page 437, with a note for what the conversion did
// that the run has not noted yet.
std::string user_text(const frontend_env& env, const std::string& line, size_t number,
                      run_record& record) {
  if (env.raw) return line;
  decoded_line d = decode_user_line(line);
  const std::string where = "zembu: line " + std::to_string(number);
  if (d.read_as_latin1 && !record.latin1_noted) {
    record.latin1_noted = true;
    message(env,
            where + " is not valid UTF-8; it is read as Latin-1, and so is every other such line.");
  }
  if (d.had_controls && !record.controls_noted) {
    record.controls_noted = true;
    message(env, where + " holds control characters; they are read as blanks, here and later.");
  }
  for (char32_t c : d.no_form) {
    bool noted = false;
    for (char32_t n : record.no_form_noted) noted = noted || n == c;
    if (noted) continue;
    record.no_form_noted.push_back(c);
    message(env, "zembu: " + describe_char(c) +
                     " has no form in code page 437 and is written as \"?\".");
  }
  return std::move(d.text);
}

void show_progress(progress_meter& meter, size_t done, bool last) {
  if (!meter.out) return;
  const double now = seconds_now();
  if (!last && now - meter.shown < 0.25) return;
  meter.shown = now;
  const double elapsed = now - meter.started;
  char line[120];
  std::snprintf(line, sizeof line, "\rzembu: %zu of %zu sentences, %.0f sentences/s   ", done,
                meter.total, elapsed > 0 ? static_cast<double>(done) / elapsed : 0.0);
  std::fputs(line, meter.out);
  if (last) std::fputc('\n', meter.out);
  std::fflush(meter.out);
}

// Runs one pass; false, with `failure` set, when it could not start, did not end well or
// left no `result` file.
bool run_pass(const frontend_env& env, const char* program, const char* arguments,
              std::initializer_list<int> good, const char* result, std::string& failure) {
  const program_outcome o = env.run(program, arguments);
  if (!succeeded(o, good)) {
    failure = std::string(program + 2) + " " + describe(o);
    return false;
  }
  if (result && !pass_file_present(env, result)) {
    failure = std::string(program + 2) + " left no " + result;
    return false;
  }
  return true;
}

// Opens the user's text file; nullptr with errno set when it cannot be read (a directory
// counts as unreadable).
FILE* open_text(const std::string& name) {
  const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    close(fd);
    errno = EISDIR;
    return nullptr;
  }
  FILE* f = fdopen(fd, "rb");
  if (!f) close(fd);
  return f;
}

// Takes the working directory for this run; false after a message when another front
// end has it or the lock cannot be made.
bool lock_directory(const frontend_env& env, work_lock& lock) {
  long holder = 0;
  if (take_work_lock(env.dir, lock, holder)) return true;
  if (holder < 0) {
    message(env, std::string("zembu: cannot lock this directory (") + kLockFile +
                     "): " + std::strerror(errno));
  } else {
    message(env, "zembu: another zembu" +
                     (holder > 0 ? " (process " + std::to_string(holder) + ")" : std::string()) +
                     " is working in this directory; its files would mix with ours. Wait for "
                     "it to end, or run this one in a directory of its own.");
  }
  return false;
}

// A progress line for a text of more than 100 sentences read from a regular file, shown
// when standard error is a terminal and standard output is not (on one terminal the
// translations themselves show the progress). The sentences are counted through a second
// opening of the file, so the reading position of the text stays where it is.
progress_meter progress_for(FILE* text, const frontend_args& args) {
  progress_meter meter;
  struct stat st;
  if (args.mode == text_mode::interactive || !isatty(2) || isatty(1) ||
      fstat(fileno(text), &st) != 0 || !S_ISREG(st.st_mode)) {
    return meter;
  }
  const long start = std::ftell(text);
  FILE* again = std::fopen(("/proc/self/fd/" + std::to_string(fileno(text))).c_str(), "rb");
  if (!again || start < 0 || std::fseek(again, start, SEEK_SET) != 0) {
    if (again) std::fclose(again);
    return meter;
  }
  text_input counting(again);
  meter.total = count_sentences(counting, args.raw);
  std::fclose(again);
  if (meter.total > 100) meter.out = stderr;
  return meter;
}

}  // namespace

volatile std::sig_atomic_t interrupted = 0;

std::vector<std::string> read_result_lines(FILE* f) {
  std::vector<std::string> lines;
  text_input in(f);
  std::string line;
  bool continued = false;
  size_t last_number = 0;
  while (in.next(line)) {
    continued = in.line_number() == last_number;
    last_number = in.line_number();
    if (continued) continue;  // beyond kLongestLine: far past any result line
    if (line.size() > kLongestResultLine) line.resize(kLongestResultLine);
    lines.push_back(line);
  }
  return lines;
}

bool parse_frontend_args(const std::vector<std::string>& args, frontend_args& out,
                         std::string& error) {
  out = frontend_args();
  bool have_text = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--raw") {
      out.raw = true;
    } else if (a == "--processes") {
      out.processes = true;
    } else if (a == "--explain") {
      if (i + 1 >= args.size()) {
        error = "zembu: --explain needs a sentence, or - for standard input (zembu --help "
                "shows the usage)";
        return false;
      }
      if (have_text || out.explain) {
        error = "zembu: one text at a time (zembu --help shows the usage)";
        return false;
      }
      out.explain = true;
      out.explain_text = args[++i];
    } else if (a.size() > 1 && a[0] == '-' && a != "-") {
      error = "zembu: unknown option " + a + " (zembu --help shows the usage)";
      return false;
    } else if (have_text || out.explain) {
      error = "zembu: one text at a time (zembu --help shows the usage)";
      return false;
    } else {
      have_text = true;
      out.mode = a == "-" ? text_mode::filter : text_mode::file;
      if (a != "-") out.text_file = a;
    }
  }
  return true;
}

std::string frontend_usage() {
  return "Usage: zembu [--raw] [FILE | -]\n"
         "       zembu [--raw] --explain SENTENCE | --explain -\n"
         "Translates English text into German with the rules in rules.txt (compiled into\n"
         "definitions/ at start). Run it in a directory that holds the six programs,\n"
         "rules.txt and definitions/; one zembu per directory.\n"
         "  zembu          type sentences; an empty line ends\n"
         "  zembu FILE     translate a text file: every sentence, then its German\n"
         "  zembu -        filter: read standard input, write only the German, one line\n"
         "                 for every line of the text; messages go to standard error\n"
         "  zembu --explain SENTENCE\n"
         "                 why the sentence came out as it did: the tokens, then for each\n"
         "                 procedure of the script the rules that fired, with their lines\n"
         "                 in rules.txt, and the word table where it changed; then the\n"
         "                 result line and the German\n"
         "  zembu --explain -\n"
         "                 the same for every sentence of standard input\n"
         "  --raw          no UTF-8 conversion: the bytes of the text go to the passes\n"
         "                 as they are and the German comes out as the passes wrote it\n"
         "  --processes    run each pass as its program (zembu1, zembu4, zembu2, zembu3 in\n"
         "                 this directory), one process each, for rule sets that bring\n"
         "                 pass programs of their own; otherwise the passes built into\n"
         "                 zembu run inside it\n"
         "  --help         this text\n"
         "  --version      the version\n"
         "Exit status: 0 translated; 1 could not start or had to stop; 2 the text file\n"
         "cannot be read; 3 a pass failed for some sentence (the rest was translated);\n"
         "130 interrupted.\n";
}

frontend_env real_env(bool program_output_to_stderr, bool raw, bool processes) {
  frontend_env env;
  if (processes) {
    env.run = [program_output_to_stderr](const std::string& program,
                                         const std::string& arguments) {
      return run_program(program, arguments, program_output_to_stderr);
    };
  } else {
    auto passes = std::make_shared<in_process_passes>();
    env.run = [passes, program_output_to_stderr](const std::string& program,
                                                 const std::string& arguments) {
      return run_in_process(*passes, program, arguments, program_output_to_stderr);
    };
    env.translate = [passes, program_output_to_stderr](const std::string& sentence) {
      return translate_in_memory(*passes, frontend_env(), program_output_to_stderr, sentence);
    };
  }
  env.raw = raw;
  return env;
}

std::string banner() { return version_banner("zembu"); }

bool compile_rules(const frontend_env& env) {
  remove_file(env, "zembu.ind");
  const program_outcome o = env.run("./makezembu", "");
  if (succeeded(o)) return true;
  message(env, "zembu: the rule compiler ./makezembu " + describe(o) + "; nothing was translated.");
  return false;
}

void write_banner(const frontend_env& env) {
  write_line(env.screen, "");
  write_line(env.screen, banner());
  write_line(env.screen, "Rule-based translation from English into German");
  write_line(env.screen, "Made by the zembu developers; all language knowledge lives in rules.txt");
  write_line(env.screen, "");
}

bool definitions_present(const frontend_env& env) {
  struct stat st;
  if (stat(path(env, "definitions").c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
  message(env, "Directory definitions/ not found. Verzeichnis definitions/ fehlt.");
  return false;
}

void delete_intermediate_files(const frontend_env& env) {
  for (const char* name : kIntermediateFiles) remove_file(env, name);
}

sentence_result translate_sentence(const frontend_env& env, const std::string& sentence) {
  if (env.translate) return env.translate(sentence);
  sentence_result result;
  // Files left by an earlier run that was cut short must not reach this sentence's
  // passes, and a link planted under one of the names must not be written through.
  delete_intermediate_files(env);
  remove_file(env, "erg1");
  if (!write_sentence_file(env, sentence)) {
    message(env, std::string("Cannot write ") + kSentenceFile + ": " + std::strerror(errno) +
                     ". Translation stopped.");
    delete_intermediate_files(env);
    result.stop = true;
    return result;
  }
  for (int piece = 0; piece < kMostPieces && !interrupted; ++piece) {
    const program_outcome cut = env.run("./zembu1", "test.zembu zembu.ind quiet");
    if (succeeded(cut, {3})) break;  // the rest of test.zembu holds no sentence
    if (!succeeded(cut)) {
      result.failure = "zembu1 " + describe(cut);
      break;
    }
    if (!pass_file_present(env, "pass1")) {
      result.failure = "zembu1 left no pass1";
      break;
    }
    if (interrupted || !run_pass(env, "./zembu4", "pass1 pass3", {0}, "pass3", result.failure)) {
      break;
    }
    remove_file(env, "erg1");
    if (interrupted) break;
    const bool engine_ran = run_pass(env, "./zembu2", "SHELLMODE definitions/ pass3 pass2 > erg1",
                                     {0}, "pass2", result.failure);
    // pass3 holds zembu4's token lines now: they must never be shown as a translation.
    remove_file(env, "pass3");
    if (!engine_ran || interrupted ||
        !run_pass(env, "./zembu3", "pass2 pass3 definitions/asci2.zmb", {0}, "pass3",
                  result.failure)) {
      break;
    }
    if (interrupted) break;
    for (std::string& line : read_pass_file(env, "pass3")) result.lines.push_back(std::move(line));
    if (sentence_file_finished(env)) break;
    for (const char* name : {"pass0", "pass1", "pass2", "pass3", "pass4"}) remove_file(env, name);
  }
  if (!result.failure.empty() || interrupted) result.lines.clear();
  result.stop = interrupted;
  delete_intermediate_files(env);
  return result;
}

size_t count_sentences(text_input& in, bool raw) {
  size_t count = 0;
  std::string line, rest;
  while (in.next(line)) {
    std::string text = raw ? line : decode_user_line(line).text;
    while (!text.empty()) {
      split_sentence(text, rest);
      for (const std::string& piece : cut_sentence(text, kLongestSentence)) {
        if (!is_blank(piece)) ++count;
      }
      text = std::move(rest);
    }
  }
  return count;
}

int translate_text(const frontend_env& env, text_input& in, text_mode mode, run_record& record,
                   progress_meter& meter) {
  if (mode == text_mode::interactive) write_line(env.screen, kPrompt);
  meter.started = seconds_now();
  std::string line, rest;
  for (;;) {
    if (mode == text_mode::interactive) {
      write_line(env.screen, "");
      std::fflush(env.screen);
    }
    if (!in.next(line) || interrupted) break;
    std::string text = user_text(env, line, in.line_number(), record);
    if (is_blank(text)) {
      if (mode == text_mode::interactive) break;
      write_line(env.screen, "");  // a paragraph break
      continue;
    }
    std::string german;  // filter mode: the translations of the line, on one line
    while (!text.empty() && !interrupted) {
      split_sentence(text, rest);
      const std::vector<std::string> pieces = cut_sentence(text, kLongestSentence);
      if (pieces.size() > 1) {
        message(env, "zembu: line " + std::to_string(in.line_number()) + ": a sentence of " +
                         std::to_string(text.size()) + " characters is longer than " +
                         std::to_string(kLongestSentence) + "; it is translated in " +
                         std::to_string(pieces.size()) + " pieces: " + sentence_start(env, text));
      }
      for (const std::string& piece : pieces) {
        if (is_blank(piece)) continue;
        if (mode == text_mode::file) write_line(env.screen, shown(env, piece));
        const sentence_result r = translate_sentence(env, piece);
        if (r.stop) return interrupted ? kStatusInterrupted : kStatusStopped;
        if (!r.failure.empty()) {
          record.pass_failed = true;
          message(env,
                  "zembu: " + r.failure + "; no translation for " + sentence_start(env, piece));
        }
        if (mode == text_mode::filter) {
          for (const std::string& l : r.lines) {
            const size_t first = l.find_first_not_of(' ');
            if (first == std::string::npos) continue;
            if (!german.empty()) german += ' ';
            german += l.substr(first, l.find_last_not_of(' ') + 1 - first);
          }
        } else {
          if (r.lines.empty() && !r.failure.empty()) write_line(env.screen, "");
          for (const std::string& l : r.lines) write_line(env.screen, shown(env, l));
          if (mode == text_mode::file) write_line(env.screen, "");
        }
        ++record.sentences;
        show_progress(meter, record.sentences, false);
        // A screen that no longer takes output (a closed pipe) ends the run.
        if (std::fflush(env.screen) != 0 || std::ferror(env.screen)) return kStatusStopped;
      }
      text = std::move(rest);
    }
    if (interrupted) break;
    if (mode == text_mode::filter) {
      write_line(env.screen, shown(env, german));
      if (std::fflush(env.screen) != 0 || std::ferror(env.screen)) return kStatusStopped;
    }
  }
  if (meter.out) show_progress(meter, record.sentences, true);
  if (interrupted) return kStatusInterrupted;
  return record.pass_failed ? kStatusPassFailed : kStatusOk;
}

int run_frontend(const frontend_args& args) {
  if (args.explain) return run_explain(args);
  // The text first: a text that cannot be read needs no compiled rules.
  FILE* text = stdin;
  if (args.mode == text_mode::file && !(text = open_text(args.text_file))) {
    const int error = errno;
    std::fprintf(stderr, "%s\nzembu: %s: %s\n", kNotFound, args.text_file.c_str(),
                 std::strerror(error));
    return kStatusNoText;
  }
  const frontend_env env = real_env(args.mode == text_mode::filter, args.raw, args.processes);
  work_lock lock;
  int status = kStatusStopped;
  if (lock_directory(env, lock) && definitions_present(env) && compile_rules(env)) {
    if (args.mode != text_mode::filter) write_banner(env);
    progress_meter meter = progress_for(text, args);
    text_input in(text);
    run_record record;
    status = translate_text(env, in, args.mode, record, meter);
  }
  std::fflush(stdout);
  release_work_lock(lock);
  if (text != stdin) std::fclose(text);
  return interrupted ? kStatusInterrupted : status;
}

}  // namespace zembu::frontend
