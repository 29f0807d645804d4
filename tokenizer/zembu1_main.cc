// zembu1: cuts the next sentence out of a text file and writes it as token lines.
//   zembu1 textfile [offset | indexfile] [quiet | outname]
#include <cstdio>
#include <string>
#include <vector>

#include "tokenizer/ersatztabelle.h"
#include "tokenizer/zembu1lauf.h"

int main(int argc, char** argv) {
  const std::vector<zembu::replace_pair> tabelle = zembu::lade_ersatztabelle();
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  zembu::zembu1_auftrag auftrag;
  if (!zembu::lies_argumente(args, auftrag)) {
    const std::string pfad = argc > 0 ? argv[0] : "zembu1";
    std::printf("%s\n\nWhich file? Use: %s filename\n", zembu::banner().c_str(), pfad.c_str());
    return zembu::kStatusAufruf;
  }
  std::string bildschirm;
  const int status = zembu::tokenisiere(auftrag, tabelle, bildschirm);
  std::fwrite(bildschirm.data(), 1, bildschirm.size(), stdout);
  return status;
}
