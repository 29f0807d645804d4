// Fuzz target: the substitution filter on an arbitrary text and, when the input holds a
// second part, an arbitrary pair table (else the built-in table).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "subst/subst.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zembu_fuzz::enter_scratch();
  const std::vector<std::string> parts = zembu_fuzz::split_parts(data, size, 2);
  zembu_fuzz::write_file("pass2", parts[0]);
  zembu::subst::zembu3_args a;
  a.infile = "pass2";
  a.outfile = "pass3";
  if (parts.size() > 1) {
    zembu_fuzz::write_file("asci2.zmb", parts[1]);
    a.tablefile = "asci2.zmb";
    a.has_table = true;
  }
  zembu::subst::run_zembu3(a, stdout);
  return 0;
}
