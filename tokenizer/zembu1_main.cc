// zembu1: cuts the next sentence out of a text file and writes it as token lines.
//   zembu1 textfile [offset | indexfile] [quiet | outname]
#include <cstdio>
#include <string>
#include <vector>

#include "common/version.h"
#include "tokenizer/ersatztabelle.h"
#include "tokenizer/zembu1lauf.h"

namespace {

const char kHelp[] =
    "usage: zembu1 textfile [offset|indexfile] [quiet|name]\n"
    "Reads the next sentence of textfile, starting at the byte offset given as a number or\n"
    "read from the first line of the index file (default zembu.ind). Writes the token lines\n"
    "to pass1 and the plain sentence to pass0, and writes the offset for the next run to the\n"
    "index file, or -1 when the text is finished. quiet turns off the echo of the sentence;\n"
    "any other third argument name writes name0 and name1 instead of pass0 and pass1.\n"
    "Token search keys are upper-cased and rewritten by the pairs in definitions/ascii.zmb\n"
    "(four built-in pairs when it is missing). A sentence longer than 20 000 bytes is handed\n"
    "on in pieces, a word longer than 91 bytes is written as several token lines, and no\n"
    "byte of the text is lost; byte 255 reads as a blank.\n"
    "Exit status: 0 a sentence was written; 1 no arguments; 2 the text cannot be opened;\n"
    "3 end of text (pass1 holds \"SEN EOF\"); 4 pass1 or the index file cannot be written.\n";

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (zembu::answer_standard_option(args, "zembu1", kHelp)) return 0;
  const std::vector<zembu::replace_pair> tabelle = zembu::tokenizer::lade_ersatztabelle();
  zembu::tokenizer::zembu1_auftrag auftrag;
  if (!zembu::tokenizer::lies_argumente(args, auftrag)) {
    const std::string pfad = argc > 0 ? argv[0] : "zembu1";
    std::printf("%s\n\nWhich file? Use: %s filename\n", zembu::tokenizer::banner().c_str(),
                pfad.c_str());
    return zembu::tokenizer::kStatusAufruf;
  }
  std::string bildschirm;
  const int status = zembu::tokenizer::tokenisiere(auftrag, tabelle, bildschirm);
  std::fwrite(bildschirm.data(), 1, bildschirm.size(), stdout);
  return status;
}
