// zembu [text file]: the front end. Compiles rules.txt once, then translates the sentences
// typed by the user (no argument) or those of the text file, one pipeline run each.
#include <signal.h>

#include <cstdio>
#include <string>

#include "common/linereader.h"
#include "frontend/zembulauf.h"

namespace {

void unterbrochen(int) { zembu::zembu_abbruch = 1; }

// An interruption lets the current sentence finish and clean up; a reader waiting for
// input is woken (no restart). A closed output pipe shows up as a write error instead of
// killing the front end in the middle of a sentence.
void richte_signale_ein() {
  struct sigaction sa = {};
  sa.sa_handler = unterbrochen;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGHUP, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);
}

}  // namespace

int main(int argc, char** argv) {
  richte_signale_ein();
  const zembu::umgebung u = zembu::echte_umgebung();
  zembu::starte_zembu(u);
  int status = 1;
  if (!zembu::definitionen_da(u)) {
    status = 1;
  } else if (argc < 2) {
    zembu::linereader eingabe;
    eingabe.attach(stdin);
    status = zembu::interaktiv(u, eingabe);
  } else {
    status = zembu::dateimodus(u, argv[1]);
  }
  std::fflush(stdout);
  if (zembu::zembu_abbruch) status = 130;
  return status;
}
