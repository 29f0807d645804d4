#include "frontend/in_process.h"

#include <unistd.h>

#include <cstdio>

#include "common/linereader.h"
#include "engine/session.h"
#include "subst/subst.h"
#include "suffix/splitter.h"
#include "suffix/tokentab.h"
#include "tokenizer/ersatztabelle.h"
#include "tokenizer/satzleser.h"
#include "tokenizer/tokenzeilen.h"
#include "tokenizer/zembu1lauf.h"

namespace zembu::frontend {

namespace {

constexpr const char* kFinalTable = "definitions/asci2.zmb";

// A new stream on standard input, as a started program has one: it reads from where the
// input stands and what it has read beyond its line is gone with it when it is closed.
// Null when standard input is closed.
FILE* fresh_input() {
  const int fd = dup(0);
  if (fd < 0) return nullptr;
  FILE* f = fdopen(fd, "rb");
  if (!f) close(fd);
  return f;
}

int run_tokenizer(in_process_passes& passes, const std::vector<std::string>& args, FILE* out) {
  tokenizer::zembu1_auftrag auftrag;
  if (!tokenizer::lies_argumente(args, auftrag)) {
    const std::string text = tokenizer::banner() + "\n\nWhich file? Use: ./zembu1 filename\n";
    std::fwrite(text.data(), 1, text.size(), out);
    return tokenizer::kStatusAufruf;
  }
  if (!passes.table_loaded) {
    passes.table = tokenizer::lade_ersatztabelle();
    passes.table_loaded = true;
  }
  std::string screen;
  const int status = tokenizer::tokenisiere(auftrag, passes.table, screen);
  std::fwrite(screen.data(), 1, screen.size(), out);
  return status;
}

int run_splitter(const std::vector<std::string>& args, FILE* out) {
  suffix::console con;
  con.out = out;
  FILE* in = nullptr;
  linereader answers;
  suffix::zembu4_args a;
  int status = 1;
  if (suffix::parse_zembu4_args(args, a)) {
    if (a.visible && (in = fresh_input())) {
      answers.attach(in);
      con.answers = &answers;
    }
    status = suffix::run_zembu4(a, con);
  } else {
    suffix::report_error(con, suffix::zembu4_usage("./zembu4"));
  }
  if (in) std::fclose(in);
  return status;
}

int run_filter(const std::vector<std::string>& args, FILE* out) {
  subst::zembu3_args a;
  if (!subst::parse_zembu3_args(args, a)) {
    const std::string usage = subst::zembu3_usage("./zembu3") + "\n";
    std::fwrite(usage.data(), 1, usage.size(), out);
    return 1;
  }
  return subst::run_zembu3(a, out);
}

int run_engine(in_process_passes& passes, const std::vector<std::string>& args, FILE* out) {
  FILE* in = fresh_input();
  const int status = engine::run_engine_in_session(passes.engine, args, out, in);
  if (in) std::fclose(in);
  return status;
}

// The tokenizer's table, zembu4's suffixes and zembu3's pairs, each read once a run.
const std::vector<replace_pair>& token_table(in_process_passes& p) {
  if (!p.table_loaded) {
    p.table = tokenizer::lade_ersatztabelle();
    p.table_loaded = true;
  }
  return p.table;
}

void load_suffixes(in_process_passes& p) {
  if (p.suffixes_loaded) return;
  p.suffixes_loaded = true;
  linereader f;
  p.suffixes_open = f.open(suffix::kDefaultSuffixFile);
  if (p.suffixes_open) p.suffixes_cut = suffix::read_suffixes(f, p.suffixes);
}

void load_pairs(in_process_passes& p) {
  if (p.pairs_loaded) return;
  p.pairs_loaded = true;
  linereader f;
  if (f.open(kFinalTable)) p.pairs_cut = subst::read_subst_table(f, p.pairs);
}

void say(FILE* out, const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), out);
  std::fputc('\n', out);
  std::fflush(out);
}

// zembu4 on the token lines; false after its message when its suffix list is missing.
bool split_in_memory(in_process_passes& p, const std::string& tokens, FILE* out,
                     std::string& split) {
  suffix::console con;
  con.out = out;
  load_suffixes(p);
  if (!p.suffixes_open) {
    suffix::report_error(con, std::string("Suffix file ") + suffix::kDefaultSuffixFile +
                                  " not open");
    return false;
  }
  if (p.suffixes_cut) {
    con.line(std::string("Suffix file ") + suffix::kDefaultSuffixFile + ": suffixes beyond " +
             std::to_string(suffix::kMaxSuffixes) + " ignored");
  }
  linereader in(tokens);
  suffix::tokentab t;
  suffix::init_tokentab(t);
  suffix::read_tokens(in, t, nullptr);
  suffix::split_tokens(t, p.suffixes, nullptr);
  bool passed_through = false;
  split = suffix::split_token_text(t, in, passed_through);
  if (passed_through) {
    con.line("Token lines beyond " + std::to_string(suffix::kMaxTokens) + " written unsplit");
  }
  return true;
}

// zembu3 on the engine's result lines.
std::string filter_in_memory(in_process_passes& p, const std::string& result, FILE* out) {
  load_pairs(p);
  if (p.pairs_cut) {
    say(out, std::string("Substitution table ") + kFinalTable + ": pairs beyond " +
                 std::to_string(subst::kMaxPairs) + " ignored");
  }
  linereader in(result);
  return subst::subst_text(in, "pass2", p.pairs.empty() ? subst::builtin_table() : p.pairs,
                           stderr);
}

// The lines of a pass's output as the front end reads them from its file.
std::vector<std::string> output_lines(const std::string& text) {
  if (text.empty()) return {};
  std::string copy = text;
  FILE* f = fmemopen(copy.data(), copy.size(), "rb");
  if (!f) return {};
  std::vector<std::string> lines = read_result_lines(f);
  std::fclose(f);
  return lines;
}

}  // namespace

sentence_result translate_in_memory(in_process_passes& passes, const frontend_env& env,
                                    bool output_to_stderr, const std::string& sentence) {
  static const std::vector<std::string> kEngineArgs =
      split_arguments("SHELLMODE definitions/ pass3 pass2 > erg1");
  FILE* out = output_to_stderr ? stderr : stdout;
  sentence_result result;
  // Files left by an earlier run that was cut short go before the first sentence; no pass
  // reads them here, and after every sentence they go again as with the pass programs.
  if (!passes.cleaned) {
    delete_intermediate_files(env);
    passes.cleaned = true;
  }
  unlink("erg1");
  const std::string text = sentence + "\n";
  long long start = 0;
  for (int piece = 0; piece < kMostPieces && !interrupted; ++piece) {
    // zembu1: the next sentence of the text from where the last one ended.
    linereader in(text);
    if (start < 0 || (start > 0 && !in.seek(static_cast<long>(start)))) break;
    tokenizer::satz s;
    if (!tokenizer::lies_satz(in, s)) break;
    const std::string tokens = tokenizer::tokenzeilen(tokenizer::satztext(s), token_table(passes));
    start = tokenizer::naechster_start(start, s);
    if (interrupted) break;
    std::string split;
    if (!split_in_memory(passes, tokens, out, split)) {
      result.failure = "zembu4 ended with status 1";
      break;
    }
    if (interrupted) break;
    std::string german;
    bool made = false;
    FILE* keys = fresh_input();
    const int status =
        engine::run_engine_on_tokens(passes.engine, kEngineArgs, split, german, made, out, keys);
    if (keys) std::fclose(keys);
    if (status != 0) {
      result.failure = "zembu2 ended with status " + std::to_string(status);
      break;
    }
    if (!made) {
      result.failure = "zembu2 left no pass2";
      break;
    }
    if (interrupted) break;
    for (std::string& line : output_lines(filter_in_memory(passes, german, out))) {
      result.lines.push_back(std::move(line));
    }
    if (start < 0) break;
  }
  if (!result.failure.empty() || interrupted) result.lines.clear();
  result.stop = interrupted;
  delete_intermediate_files(env);
  return result;
}

bool is_in_process_pass(const std::string& program) {
  return program == "./zembu1" || program == "./zembu4" || program == "./zembu2" ||
         program == "./zembu3";
}

program_outcome run_in_process(in_process_passes& passes, const std::string& program,
                               const std::string& arguments, bool output_to_stderr) {
  if (!is_in_process_pass(program)) return run_program(program, arguments, output_to_stderr);
  const std::vector<std::string> args = split_arguments(arguments);
  FILE* out = output_to_stderr ? stderr : stdout;
  program_outcome outcome;
  outcome.started = true;
  outcome.exited = true;
  if (program == "./zembu1") {
    outcome.status = run_tokenizer(passes, args, out);
  } else if (program == "./zembu4") {
    outcome.status = run_splitter(args, out);
  } else if (program == "./zembu2") {
    outcome.status = run_engine(passes, args, out);
  } else {
    outcome.status = run_filter(args, out);
  }
  return outcome;
}

}  // namespace zembu::frontend
