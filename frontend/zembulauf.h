// The front end zembu: compiles the rules once, then sends every sentence that the user
// types or that a text file holds through the four pass programs (zembu1, zembu4,
// zembu2, zembu3) and prints what the last pass wrote.
#pragma once

#include <csignal>
#include <cstdio>
#include <functional>
#include <string>

#include "common/linereader.h"

namespace zembu {

constexpr size_t kZeilenbreite = 255;  // an input line is cut to this many bytes

// Where the front end works, how it runs a program and where its output goes.
struct umgebung {
  // Prefix of every file name the front end writes or deletes: "" for the working
  // directory, otherwise a directory ending in "/".
  std::string verzeichnis;
  // Runs a program with one argument string and waits for it; its exit status and a
  // failure to start it do not matter to the front end.
  std::function<void(const std::string& programm, const std::string& argumente)> starte;
  FILE* bildschirm = stdout;  // everything the front end prints
};

// Set (from a signal handler) when the user interrupts the front end: the passes still
// to run for the current sentence are skipped, its files deleted, and the modes return.
extern volatile std::sig_atomic_t zembu_abbruch;

// The real surroundings: the working directory, programs started by starte_programm,
// standard output.
umgebung echte_umgebung();

// Cuts the first sentence off `zeile`: `zeile` keeps the sentence (up to and including
// the first "!", ".", ":" or "?" that is not its last character) and `rest` receives
// the text after it, leading blanks included; `rest` is empty when nothing follows.
void teile_satz(std::string& zeile, std::string& rest);

// Reads one input line of at most kZeilenbreite bytes; `zu_lang` tells whether the line
// was longer and has been cut. False at the end of the input.
bool lies_zeile(linereader& eingabe, std::string& zeile, bool& zu_lang);

// The banner line: program name, version and build date.
std::string banner();

// Start-up: deletes zembu.ind, runs ./makezembu and writes the banner block.
void starte_zembu(const umgebung& u);

// True when the definitions directory exists; otherwise writes a message saying so.
bool definitionen_da(const umgebung& u);

// Deletes every intermediate file of a sentence (the pass files, test.zembu, zembu.ind,
// the engine's listing, word and spill files). Files that are not there are skipped;
// symbolic links are removed themselves, never what they point to.
void loesche_zwischendateien(const umgebung& u);

// Translates one sentence: writes it to test.zembu, runs the four passes, prints every
// line of pass3 and deletes the intermediate files. False, so that the caller stops, when
// the sentence file cannot be written (after a message), the screen output fails or the
// run is interrupted.
bool uebersetze_satz(const umgebung& u, const std::string& satz);

// Interactive mode: sentences typed on `eingabe` until an empty line, its end or an
// interruption. Returns the exit status: 0, or 1 when a sentence could not be translated.
int interaktiv(const umgebung& u, linereader& eingabe);

// File mode on the text file `name`: every line up to the first empty one (or an
// interruption). A file that does not open (or is a directory) gets the not-found message
// and status 0. Returns the exit status as interaktiv does.
int dateimodus(const umgebung& u, const std::string& name);

// File mode over an open reader.
int dateimodus(const umgebung& u, linereader& text);

}  // namespace zembu
