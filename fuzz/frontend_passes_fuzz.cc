// Fuzz target: the front end with the real passes in its own process (tokenizer, suffix
// splitter, engine, substitution filter) over the fixed definitions of the fuzz data, on
// an arbitrary text in filter mode. Every sentence goes through the files of the passes
// and the engine kept from one sentence to the next; an engine stop ends only its
// sentence.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "frontend/frontend.h"
#include "fuzz/engine_support.h"
#include "fuzz/fuzz_support.h"

namespace {

const zembu::frontend::frontend_env& surroundings() {
  static const zembu::frontend::frontend_env env = [] {
    zembu_fuzz::prepare_definitions();
    zembu::frontend::frontend_env env =
        zembu::frontend::real_env(false, false, /*processes=*/false);
    env.screen = std::fopen("/dev/null", "w");
    env.messages = env.screen;
    if (!env.screen) std::abort();
    return env;
  }();
  return env;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const zembu::frontend::frontend_env& env = surroundings();
  std::string text(reinterpret_cast<const char*>(data), size);
  FILE* f = text.empty() ? std::fopen("/dev/null", "rb") : fmemopen(text.data(), text.size(), "rb");
  if (!f) return 0;
  zembu::frontend::text_input in(f);
  zembu::frontend::run_record record;
  zembu::frontend::progress_meter meter;
  zembu::frontend::translate_text(env, in, zembu::frontend::text_mode::filter, record, meter);
  std::fclose(f);
  return 0;
}
