// Fuzz target: the translation engine with arbitrary definition files and a fixed
// sentence. The input holds up to three parts; the first byte of a part chooses the file
// that the rest of the part replaces (the procedure script, a lexicon, the index or record
// file of the indexed lexicon, an idiom text or record file, syntax, pattern, function,
// inflection, change, verb-pattern and template files, or zembu.cfg). The engine runs
// with its trace on when the first byte is odd.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

#include "fuzz/engine_support.h"
#include "fuzz/fuzz_support.h"

namespace {

const char* const kFiles[] = {
    "exec.zmb",  "lexi.zmb",  "user1.zmb", "user2.zmb", "lexx.ndx",  "lexx.dat",
    "idio1.zmb", "idio.rec",  "synt1.zmb", "synt2.zmb", "comp1.zmb", "comp2.zmb",
    "func.zmb",  "flex.zmb",  "irrg.zmb",  "chang.zmb", "term.zmb",  "vp1.zmb",
    "vp2.zmb",   "list.zmb",  "xyztmpl.zmb", "zembu.cfg",
};
constexpr size_t kFileCount = sizeof kFiles / sizeof kFiles[0];

std::string path_of(size_t i) {
  const std::string name = kFiles[i];
  return name == "zembu.cfg" ? name : "definitions/" + name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zembu_fuzz::prepare_definitions();
  static const std::string sentence =
      zembu_fuzz::read_file(zembu_fuzz::data_dir() + "/engine_sentence.txt");
  static const std::map<size_t, std::string> pristine = [] {
    std::map<size_t, std::string> m;
    for (size_t i = 0; i < kFileCount; ++i) m[i] = zembu_fuzz::read_file(path_of(i));
    return m;
  }();
  const bool visible = size > 0 && (data[0] & 1);
  std::vector<size_t> changed;
  for (const std::string& part : zembu_fuzz::split_parts(data, size, 3)) {
    if (part.empty()) continue;
    const size_t i = static_cast<unsigned char>(part[0]) / 2 % kFileCount;
    zembu_fuzz::write_file(path_of(i), part.substr(1));
    changed.push_back(i);
  }
  zembu_fuzz::write_file("pass3", sentence);
  std::vector<std::string> args = {"SHELLMODE", "definitions/", "pass3", "pass2"};
  if (visible) args.push_back("visible");
  zembu_fuzz::run_engine_once(args);
  for (size_t i : changed) {
    if (pristine.at(i).empty() && std::string(kFiles[i]) == "zembu.cfg") {
      unlink(path_of(i).c_str());
    } else {
      zembu_fuzz::write_file(path_of(i), pristine.at(i));
    }
  }
  return 0;
}
