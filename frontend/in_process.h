// The passes inside the front end's process: zembu1, zembu4, zembu2 and zembu3 are run as
// the libraries they are built from, with the same arguments, files, output and exit
// statuses as the programs, but without starting a process for each sentence.
#pragma once

#include <string>
#include <vector>

#include "common/replace.h"
#include "engine/session.h"
#include "frontend/frontend.h"
#include "frontend/process.h"

namespace zembu::frontend {

// What the passes keep for a run: the tokenizer's table from definitions/ (read at its
// first use; the run holds the directory, so definitions/ does not change under it) and
// the engine with its start-up done.
struct in_process_passes {
  bool table_loaded = false;
  std::vector<replace_pair> table;
  engine::engine_session engine;
  // zembu4's suffix list and zembu3's substitution pairs, read at their first use.
  bool suffixes_loaded = false;
  bool suffixes_open = false;
  bool suffixes_cut = false;  // the list held more than zembu4 takes
  std::vector<std::string> suffixes;
  bool cleaned = false;  // the files of an earlier run that was cut short are gone
  bool pairs_loaded = false;
  bool pairs_cut = false;  // the table held more than zembu3 takes
  std::vector<replace_pair> pairs;
};

// True when `program` is one of the four passes that run_in_process runs itself.
bool is_in_process_pass(const std::string& program);

// Runs the pass `program` ("./zembu1", "./zembu4", "./zembu2" or "./zembu3") with the words
// of `arguments` in this process; what the program writes to standard output goes to
// standard error with `output_to_stderr`. Any other program is started as a process.
program_outcome run_in_process(in_process_passes& passes, const std::string& program,
                               const std::string& arguments, bool output_to_stderr);

// Translates one sentence (code page 437) as translate_sentence does with the pass
// programs, but hands the data from pass to pass in memory: test.zembu and the pass files
// are not written. What the passes write to their console, the engine's files (word
// file, spill file, templates) and the messages, failures and translations are those of
// the pass programs. `env.dir` must be the working directory ("").
sentence_result translate_in_memory(in_process_passes& passes, const frontend_env& env,
                                    bool output_to_stderr, const std::string& sentence);

}  // namespace zembu::frontend
