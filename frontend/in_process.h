// The passes inside the front end's process: zembu1, zembu4, zembu2 and zembu3 are run as
// the libraries they are built from, with the same arguments, files, output and exit
// statuses as the programs, but without starting a process for each sentence.
#pragma once

#include <string>
#include <vector>

#include "common/replace.h"
#include "engine/session.h"
#include "frontend/process.h"

namespace zembu::frontend {

// What the passes keep for a run: the tokenizer's table from definitions/ (read at its
// first use; the run holds the directory, so definitions/ does not change under it) and
// the engine with its start-up done.
struct in_process_passes {
  bool table_loaded = false;
  std::vector<replace_pair> table;
  engine::engine_session engine;
};

// True when `program` is one of the four passes that run_in_process runs itself.
bool is_in_process_pass(const std::string& program);

// Runs the pass `program` ("./zembu1", "./zembu4", "./zembu2" or "./zembu3") with the words
// of `arguments` in this process; what the program writes to standard output goes to
// standard error with `output_to_stderr`. Any other program is started as a process.
program_outcome run_in_process(in_process_passes& passes, const std::string& program,
                               const std::string& arguments, bool output_to_stderr);

}  // namespace zembu::frontend
