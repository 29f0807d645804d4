// Fuzz target: the translation engine on an arbitrary token file, with the fixed
// definitions directory of the fuzz data (lexicons, idioms, syntax, pattern, function and
// inflection rules).
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/engine_support.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zembu_fuzz::prepare_definitions();
  zembu_fuzz::write_file("pass3", std::string(reinterpret_cast<const char*>(data), size));
  zembu_fuzz::run_engine_once({"SHELLMODE", "definitions/", "pass3", "pass2"});
  return 0;
}
