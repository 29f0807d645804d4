#include "frontend/in_process.h"

#include <unistd.h>

#include <cstdio>

#include "common/linereader.h"
#include "engine/session.h"
#include "subst/subst.h"
#include "suffix/splitter.h"
#include "tokenizer/ersatztabelle.h"
#include "tokenizer/zembu1lauf.h"

namespace zembu::frontend {

namespace {

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

}  // namespace

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
