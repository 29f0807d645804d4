// Fuzz target: the suffix splitter on an arbitrary token file and, when the input holds
// a second part, an arbitrary agglutination list (else the sample rules' list).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "suffix/splitter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zembu_fuzz::enter_scratch();
  static const std::string standard =
      zembu_fuzz::read_file(zembu_fuzz::data_dir() + "/engine_defs/aggl.zmb");
  const std::vector<std::string> parts = zembu_fuzz::split_parts(data, size, 2);
  zembu_fuzz::write_file("pass1", parts[0]);
  zembu_fuzz::write_file("aggl.zmb", parts.size() > 1 ? parts[1] : standard);
  zembu::suffix::zembu4_args a;
  a.infile = "pass1";
  a.outfile = "pass3";
  a.suffixfile = "aggl.zmb";
  zembu::suffix::console con;  // messages are captured, a stop does not wait
  zembu::suffix::run_zembu4(a, con);
  return 0;
}
