#include "tokenizer/ersatztabelle.h"

namespace zembu::tokenizer {

std::vector<replace_pair> lies_ersatzpaare(linereader& in) {
  std::vector<replace_pair> t;
  replace_pair p;
  while (t.size() < kMaxErsatzpaare && in.readline(p.search) && in.readline(p.replacement)) {
    t.push_back(p);
  }
  return t;
}

std::vector<replace_pair> eingebaute_ersatzpaare() {
  return {
      {"\x84", "\x8e"},  // a umlaut
      {"\x94", "\x99"},  // o umlaut
      {"\x81", "\x9a"},  // u umlaut
      {"SS", "\xe1"},    // sharp s
  };
}

std::vector<replace_pair> lade_ersatztabelle(const std::string& path) {
  linereader in;
  if (!in.open(path)) return eingebaute_ersatzpaare();
  return lies_ersatzpaare(in);
}

std::string dump_ersatztabelle(const std::vector<replace_pair>& tabelle) {
  std::string out;
  for (const replace_pair& p : tabelle) out += p.search + " -> " + p.replacement + "\n";
  return out;
}

}  // namespace zembu::tokenizer
