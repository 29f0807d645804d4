// The procedure script: reading exec.zmb (or the enciphered zembu.000) into the procedure
// table with the tables it loads, and running the table over one sentence: the dispatcher,
// the restart, trace switching, the plain-file switch U, suffix splitting, the template
// rule file and the per-word rule files.
#pragma once

#include <string>

#include "common/linereader.h"
#include "engine/state.h"

namespace zembu::engine {

// Opens the procedure script and reads it; stops the engine when it does not open. A
// script with more procedure lines than the table holds is named on standard error.
// Returns the number of procedure lines in the script.
int read_procedure_script(engine_state& eng);
// Names on standard error a script of more procedure lines than the table holds.
void note_script_lines(const engine_settings& st, int lines);
// Reads the head and the procedure lines of a script, loading what codes 0, V and v name.
// The table keeps the first max_procedures lines; returns the number of procedure lines
// in the script, those beyond the table included.
int read_script(engine_state& eng, linereader& script);
// Loads a termination file: "+" lines into the suffix list, other lines with their
// following line into the termination table.
void load_terminations(engine_state& eng, const std::string& name);
// The name of verb-pattern file `which` (1 or 2) of a V or v procedure.
std::string verb_file_name(const engine_settings& st, const std::string& name, int which);
// Loads the two verb-pattern files of a V (set 1) or v (set 2) procedure.
void load_verb_patterns(engine_state& eng, int set, const std::string& name);

// Runs the procedure table over the sentence in the word table.
void run_procedures(engine_state& eng);
// Procedure 0 at run time: splits listed suffixes off the source forms.
void split_suffixes(engine_state& eng);

// The procedure table as text, one entry a line ("code|name|argument"), for tests.
std::string dump_procedures(const engine_state& eng);

}  // namespace zembu::engine
