// Fuzz target: the tokenizer on an arbitrary text, sentence after sentence as the index
// file leads it, with the substitution table of the sample rules or, when the input holds
// a second part, with that part as the table.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/linereader.h"
#include "fuzz/fuzz_support.h"
#include "tokenizer/ersatztabelle.h"
#include "tokenizer/zembu1lauf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zembu_fuzz::enter_scratch();
  static const std::vector<zembu::replace_pair> standard = [] {
    zembu::linereader in(zembu_fuzz::read_file(zembu_fuzz::data_dir() + "/engine_defs/ascii.zmb"));
    return zembu::tokenizer::lies_ersatzpaare(in);
  }();
  const std::vector<std::string> parts = zembu_fuzz::split_parts(data, size, 2);
  std::vector<zembu::replace_pair> tabelle = standard;
  if (parts.size() > 1) {
    zembu::linereader in(parts[1]);
    tabelle = zembu::tokenizer::lies_ersatzpaare(in);
  }
  zembu_fuzz::write_file("text.txt", parts[0]);
  zembu::tokenizer::zembu1_auftrag a;
  a.eingabe = "text.txt";
  a.quiet = true;
  // Every run that reads a sentence moves the start on (or marks the end of the text with
  // a negative start); the text ends after at most one run per byte.
  for (size_t runs = 0;; ++runs) {
    if (runs > parts[0].size() + 1) {
      std::fprintf(stderr, "zembu1 does not get on: start %lld\n", a.start);
      std::abort();
    }
    std::string bildschirm;
    if (zembu::tokenizer::tokenisiere(a, tabelle, bildschirm) != zembu::tokenizer::kStatusSatz) {
      break;
    }
    const long long next = zembu::tokenizer::lies_indexdatei(a.indexdatei);
    if (next < 0) break;  // the sentence ended the text
    if (next <= a.start) {
      std::fprintf(stderr, "zembu1 index does not move on: %lld -> %lld\n", a.start, next);
      std::abort();
    }
    a.start = next;
  }
  return 0;
}
