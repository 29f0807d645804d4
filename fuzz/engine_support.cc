#include "fuzz/engine_support.h"

#include <unistd.h>

#include "engine/longstr.h"
#include "engine/trans2.h"
#include "fuzz/fuzz_support.h"

namespace zembu_fuzz {

void prepare_definitions() {
  static const bool done = [] {
    enter_scratch();
    copy_dir(data_dir() + "/engine_defs", "definitions");
    return true;
  }();
  (void)done;
}

void run_engine_once(const std::vector<std::string>& args) {
  try {
    zembu::engine::run_engine(args);
  } catch (const zembu::engine::engine_stop&) {
  }
  for (const char* name : {"pass2", "zembu.wor", "zembu.rst", "zembu.lst", "zembu.aux"}) unlink(name);
}

}  // namespace zembu_fuzz
