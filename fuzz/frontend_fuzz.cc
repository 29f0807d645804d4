// Fuzz target: the front end's line reading, UTF-8 conversion and sentence splitting in
// file, filter and interactive mode on an arbitrary text. The passes are stood in for by copies of the
// files they read to the files they write, so every sentence goes through the front
// end's own file handling (write, print, delete).
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "frontend/frontend.h"
#include "fuzz/fuzz_support.h"

namespace {

const zembu::frontend::frontend_env& surroundings() {
  static const zembu::frontend::frontend_env env = [] {
    zembu_fuzz::enter_scratch();
    mkdir("fe", 0755);
    zembu::frontend::frontend_env env;
    env.dir = "fe/";
    env.screen = std::fopen("/dev/null", "w");
    env.messages = env.screen;
    if (!env.screen) std::abort();
    env.run = [](const std::string& program, const std::string&) {
      static const char* const kCopies[][3] = {{"./zembu1", "test.zembu", "pass1"},
                                               {"./zembu4", "pass1", "pass3"},
                                               {"./zembu2", "pass3", "pass2"},
                                               {"./zembu3", "pass2", "pass3"}};
      for (const auto& c : kCopies) {
        if (program == c[0]) {
          zembu_fuzz::write_file(std::string("fe/") + c[2],
                                 zembu_fuzz::read_file(std::string("fe/") + c[1]));
        }
      }
      zembu::frontend::program_outcome done;
      done.started = done.exited = true;
      return done;
    };
    return env;
  }();
  return env;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const zembu::frontend::frontend_env& env = surroundings();
  std::string text(reinterpret_cast<const char*>(data), size);
  using zembu::frontend::text_mode;
  for (text_mode mode : {text_mode::file, text_mode::filter, text_mode::interactive}) {
    FILE* f = text.empty() ? std::fopen("/dev/null", "rb") : fmemopen(text.data(), text.size(), "rb");
    if (!f) continue;
    zembu::frontend::text_input in(f);
    zembu::frontend::run_record record;
    zembu::frontend::progress_meter meter;
    zembu::frontend::translate_text(env, in, mode, record, meter);
    std::fclose(f);
  }
  return 0;
}
