// The engine kept in the process of a program that translates sentence after sentence
// (the front end): start-up (zembu.cfg, the command line, the procedure script and the
// tables it loads) is done once, and every run then starts from the state a fresh zembu2
// with the same arguments has after its start-up.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/definition_cache.h"
#include "engine/run_files.h"
#include "engine/state.h"

namespace zembu::engine {

struct engine_session {
  std::vector<std::string> args;          // the arguments start-up was done for
  std::unique_ptr<engine_state> eng;      // null until start-up succeeded
  std::unique_ptr<engine_setup> started;  // the configuration right after start-up
  std::unique_ptr<sentence_state> blank;  // the sentence state of a fresh start
  int script_lines = 0;                   // procedure lines of the script, for its note
  definition_cache definitions;           // text definition files as read in this session
  run_files files;                        // what the current run learned about its files
};

// Runs the engine as "zembu2 args" would, with its console output on `out` and its console
// input from `in` (null: standard output, standard input). Returns the exit status; an
// engine stop ends the run as it ends zembu2: its messages written, the files the run had
// open closed, status 0.
int run_engine_in_session(engine_session& s, const std::vector<std::string>& args,
                          FILE* out = nullptr, FILE* in = nullptr);

// The same run for a token file whose lines are `tokens`: the result lines go to `result`
// instead of the result file. `result_made` tells whether the run got as far as making
// its result file (an engine stopped at start-up does not).
int run_engine_on_tokens(engine_session& s, const std::vector<std::string>& args,
                         const std::string& tokens, std::string& result, bool& result_made,
                         FILE* out = nullptr, FILE* in = nullptr);

}  // namespace zembu::engine
