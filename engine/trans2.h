// Engine start-up: the settings from zembu.cfg and the command line (shell and direct
// forms), the derived file names, the settings trace, the banner, the configuration
// dialog and the timing lines, and the run of the engine as a whole.
#pragma once

#include <string>
#include <vector>

#include "common/linereader.h"
#include "engine/settings.h"
#include "engine/state.h"

namespace zembu::engine {

// Applies the lines of a zembu.cfg to st (modus is emptied first).
void read_config(engine_settings& st, linereader& cfg);
// Reads zembu.cfg from the working directory, else from the definitions path; false if
// neither opens (the settings then stay as they are).
bool load_config(engine_settings& st);
// Applies the command-line arguments (without the program name) in shell or direct form.
void read_command_line(engine_settings& st, const std::vector<std::string>& args);
// Makes the definitions path end in "/" and, for a direct file run, derives the result,
// listing and word file names from the input name.
void derive_names(engine_settings& st);

// The one-line banner: program name, version and build date.
std::string banner();
// Writes the six settings trace lines to standard output.
void settings_trace(const engine_settings& st);
// Shows the configuration and lets the user change it from standard input.
void configuration_dialog(engine_settings& st);
// A wall-clock time as "hh:mm.ss".
std::string clock_text(int hour, int minute, int second);
// Writes the current time to the listing file when show_listing is on.
void timing_line(engine_state& eng);

// Start-up's settings for the arguments: zembu.cfg, the command line and the derived names.
void configure_engine(engine_settings& st, const std::vector<std::string>& args);
// Opens the listing when show_listing is on, writes the settings trace when visible is on,
// and deletes the file UNKNOWN: what start-up does before it reads the procedure script.
void open_engine_run(engine_state& eng);
// What start-up does after the procedure script: the banner (direct form), the timing
// lines, the configuration dialog, the sentence loop of the form; returns the exit status.
// With `tokens` and eng.result_text set, the token loop reads the token lines from
// `tokens` and writes the result lines to eng.result_text (no result file, no input file).
int run_sentence_loops(engine_state& eng, const std::string* tokens = nullptr);

// The whole engine run for the given arguments; returns the exit status. An engine stop
// (fatal_error, file_not_found) leaves it as engine_stop. With `process_ends` (the program
// zembu2, which ends right after), the rules parsed on the way are left to the process's
// end instead of being freed one by one.
int run_engine(const std::vector<std::string>& args, bool process_ends = false);

}  // namespace zembu::engine
