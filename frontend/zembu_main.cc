// zembu [--raw] [FILE | -]: the front end. Compiles rules.txt once, then translates the
// sentences typed by the user (no argument), those of a text file, or standard input as a
// filter ("-"), one pipeline run each.
#include <signal.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/version.h"
#include "frontend/frontend.h"

namespace {

void on_interrupt(int) { zembu::frontend::interrupted = 1; }

// An interruption lets the current sentence finish and clean up; a reader waiting for
// input is woken (no restart). A closed output pipe shows up as a write error instead of
// killing the front end in the middle of a sentence.
void set_up_signals() {
  struct sigaction sa = {};
  sa.sa_handler = on_interrupt;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGHUP, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (zembu::answer_standard_option(args, "zembu", zembu::frontend::frontend_usage())) return 0;
  zembu::frontend::frontend_args parsed;
  std::string error;
  if (!zembu::frontend::parse_frontend_args(args, parsed, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return zembu::frontend::kStatusStopped;
  }
  set_up_signals();
  return zembu::frontend::run_frontend(parsed);
}
