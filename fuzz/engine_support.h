// Runs the translation engine in-process for the fuzz targets: the engine's exits come
// back as an exception, and the files an engine run leaves are removed after it.
#pragma once

#include <string>
#include <vector>

namespace zembu_fuzz {

// Copies the fixed definitions directory of the fuzz data to definitions/ (once).
void prepare_definitions();

// Runs the engine with these arguments; a fatal error or a missing file ends the run
// instead of the process. Removes the engine's result, word, spill and listing files.
void run_engine_once(const std::vector<std::string>& args);

}  // namespace zembu_fuzz
