// What one run of the engine has learned about the paths it looks up. Within a run the
// definition files stay as they are, so each path is looked up once (kind, stamp, whether
// it opens) and checks of files against each other are made once; the files the run
// writes itself (result, listing, word file, the rest files, template copies) are looked
// up afresh every time.
#pragma once

#include <unordered_map>
#include <string>
#include <vector>

#include "common/linereader.h"
#include "engine/rule_cache.h"
#include "engine/settings.h"

namespace zembu::engine {

enum class path_kind { missing, regular, directory, other };

struct path_facts {
  path_kind kind = path_kind::missing;
  file_stamp stamp;  // of a regular file
  int opens = -1;    // whether it opens for reading: -1 not tried yet, 0 no, 1 yes
};

// The outcome of a check of files (an index against the file it describes, say).
struct check_outcome {
  bool passed = false;
  std::string why;  // what the check said
};

struct run_files {
  std::unordered_map<std::string, path_facts> paths;
  std::unordered_map<std::string, check_outcome> checks;  // by what was checked
  // The last components of the names of the files the run writes.
  std::vector<std::string> written;
};

// Starts remembering for a run with settings `st` (null: stops; nothing is remembered
// and every look-up goes to the file system). The memory is emptied.
void use_run_files(run_files* files, const engine_settings* st);
run_files* current_run_files();

// The facts of `path`, from the run's memory when it has them.
path_facts look_up_path(const std::string& path);
// Opens `path` as linereader::open does, but fails at once on a path the run knows will
// not open.
bool open_text(linereader& file, const std::string& path);
// True when `path` names something that opens for reading and is no directory (what
// linereader::open accepts), from the run's memory when it has it.
bool opens_as_text(const std::string& path);
// The first of `name` and definitions path + `name` that opens_as_text; false (and `path`
// empty) if neither does.
bool resolve_definition(const engine_settings& st, const std::string& name, std::string& path);

// The outcome of check `what` made earlier in this run: false when none was made (or no
// run remembers), else true with `outcome` as noted.
bool checked_before(const std::string& what, check_outcome& outcome);
// Notes the outcome of check `what` for the rest of the run.
void note_check(const std::string& what, const check_outcome& outcome);

}  // namespace zembu::engine
