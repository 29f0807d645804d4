// One run of the tokenizer zembu1: reads its arguments, positions the text at the start
// offset, reads one sentence and writes the token file, the plain-text file and the
// index file that tells the next run where to go on.
#pragma once

#include <string>
#include <vector>

#include "common/replace.h"

namespace zembu::tokenizer {

// Exit statuses of zembu1.
constexpr int kStatusSatz = 0;        // a sentence was written
constexpr int kStatusAufruf = 1;      // no arguments
constexpr int kStatusEingabe = 2;     // the input file does not open
constexpr int kStatusTextende = 3;    // the text is at its end
constexpr int kStatusAusgabe = 4;     // the token file or the index file cannot be written

// What one run is asked to do.
struct zembu1_auftrag {
  std::string eingabe;                  // the text file
  std::string indexdatei = "zembu.ind"; // where the next start offset is written
  long long start = 0;                  // byte offset to start reading at
  bool quiet = false;                   // no echo of the sentence on the screen
  std::string datei0 = "pass0";         // the sentence's plain text
  std::string datei1 = "pass1";         // the token lines
};

// True when s is a decimal number: an optional sign and at least one digit, nothing else.
bool ist_zahl(const std::string& s);

// The number at the front of s (optional sign, digits), 0 when there is none; values
// beyond what a text file can hold are held at a bound far above any file size.
long long lies_zahl(const std::string& s);

// The start offset from the first line of the index file `name`; 0 when it does not
// open or its first line holds no number.
long long lies_indexdatei(const std::string& name);

// Reads the arguments (without the program path) into `a`; false when there are none.
bool lies_argumente(const std::vector<std::string>& args, zembu1_auftrag& a);

// The banner line: program name, version and build date.
std::string banner();

// Runs the tokenizer for one sentence. `bildschirm` receives what goes to standard
// output. Returns the exit status.
int tokenisiere(const zembu1_auftrag& a, const std::vector<replace_pair>& tabelle,
                std::string& bildschirm);

}  // namespace zembu::tokenizer
