// Fuzz target: the front end's line reading and sentence splitting in file mode and in
// interactive mode on an arbitrary text. The passes are stood in for by copies of the
// files they read to the files they write, so every sentence goes through the front
// end's own file handling (write, print, delete).
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/linereader.h"
#include "frontend/zembulauf.h"
#include "fuzz/fuzz_support.h"

namespace {

const zembu::umgebung& surroundings() {
  static const zembu::umgebung u = [] {
    zembu_fuzz::enter_scratch();
    mkdir("fe", 0755);
    zembu::umgebung u;
    u.verzeichnis = "fe/";
    u.bildschirm = std::fopen("/dev/null", "w");
    if (!u.bildschirm) std::abort();
    u.starte = [](const std::string& programm, const std::string&) {
      static const char* const kCopies[][3] = {{"./zembu1", "test.zembu", "pass1"},
                                               {"./zembu4", "pass1", "pass3"},
                                               {"./zembu2", "pass3", "pass2"},
                                               {"./zembu3", "pass2", "pass3"}};
      for (const auto& c : kCopies) {
        if (programm == c[0]) {
          zembu_fuzz::write_file(std::string("fe/") + c[2],
                                 zembu_fuzz::read_file(std::string("fe/") + c[1]));
        }
      }
    };
    return u;
  }();
  return u;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const zembu::umgebung& u = surroundings();
  const std::string text(reinterpret_cast<const char*>(data), size);
  zembu::linereader file(text);
  zembu::dateimodus(u, file);
  zembu::linereader keyboard(text);
  zembu::interaktiv(u, keyboard);
  return 0;
}
