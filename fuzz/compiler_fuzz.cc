// Fuzz target: the rule compiler on an arbitrary rules.txt.
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "compiler/makezembu.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zembu_fuzz::enter_scratch();
  zembu_fuzz::clear_dir("definitions");
  mkdir("definitions", 0755);
  zembu_fuzz::write_file("rules.txt", std::string(reinterpret_cast<const char*>(data), size));
  zembu::makezembu("rules.txt", "definitions/");
  return 0;
}
