// The engine's settings: the switches and names that start-up builds from the built-in
// defaults, zembu.cfg, the command line, the procedure script and the configuration
// dialog, and that every later step of the engine reads.
#pragma once

#include "common/bstring.h"

namespace zembu::engine {

struct engine_settings {
  bool visible = false;               // trace lines on standard output
  bool stop_trace = false;            // trace stops wait for the Enter key
  bool discard_terminations = true;   // shown and changed by the dialog only
  bool keep_names = true;             // plain route marks capitalised words
  bool show_analysis = false;         // analysis table on the screen before flattening
  bool list_analysis = true;          // analysis table in the listing before flattening
  bool show_only_symbols = false;     // analysis printouts show the class line only
  bool show_output = true;            // echo on standard output
  bool show_init = true;              // interactive loop prints intro_text first
  bool show_listing = true;           // listing file and timing lines
  bool old_file_mode = false;         // plain text file instead of token file
  bool show_config = false;           // configuration dialog at start-up
  bool plain_definitions = true;      // definition files are stored plain, not enciphered
  bool shell_mode = false;            // started by the front end
  bool shell_visible = false;         // shell mode echoes each sentence
  bool write_result = false;          // output procedures also write the result file
  bool explain = false;               // shell mode writes the explain trace (explain.h)
  bool right_to_left = false;         // script line KEYBOARD A
  bool external_input = false;        // script line KEYBOARD J
  bstring<50> modus;                  // letters for IF / IF NOT procedure lines
  bstring<255> definitions_path{"definitions/"};
  bstring<80> input_name;
  bstring<80> result_name;
  bstring<255> listing_name{"zembu.lst"};
  bstring<255> word_file_name{"zembu.wor"};
  // "Zembu Übersetzungsprogramm. Bitte englische Sätze eingeben!" in code page 437.
  bstring<255> intro_text{"Zembu \x9a" "bersetzungsprogramm. Bitte englische S\x84" "tze eingeben!"};
};

}  // namespace zembu::engine
