#include "frontend/zembulauf.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/version.h"
#include "frontend/programmlauf.h"

namespace zembu {

namespace {

constexpr const char* kSatzdatei = "test.zembu";
constexpr const char* kAufforderung =
    "Please enter phrases. Blank line = finish. Bitte Saetze eingeben, Leerzeile = Ende.";
constexpr const char* kNichtGefunden = "File not found. Dateiname falsch.";

// What the passes leave in the working directory; all of it goes after every sentence.
constexpr const char* kZwischendateien[] = {"pass0",      "pass2",     "pass1",
                                            "pass3",      "pass4",     kSatzdatei,
                                            "zembu.ind",  "zembu.lst", "zembu.wor",
                                            "zembu.rst"};

void schreibe(const umgebung& u, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), u.bildschirm);
}

void zeile(const umgebung& u, const std::string& text) {
  schreibe(u, text);
  std::fputc('\n', u.bildschirm);
}

std::string pfad(const umgebung& u, const char* name) { return u.verzeichnis + name; }

void loesche(const umgebung& u, const char* name) { unlink(pfad(u, name).c_str()); }

// Writes the sentence as one line to a new test.zembu. Whatever had that name is removed
// first and the file is created exclusively without following links, so a link or a
// file planted under the name is never written through. False with errno set on failure.
bool schreibe_satzdatei(const umgebung& u, const std::string& satz) {
  const std::string name = pfad(u, kSatzdatei);
  if (unlink(name.c_str()) != 0 && errno != ENOENT) return false;
  int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const std::string text = satz + "\n";
  size_t geschrieben = 0;
  while (geschrieben < text.size()) {
    ssize_t n = write(fd, text.data() + geschrieben, text.size() - geschrieben);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int fehler = n < 0 ? errno : ENOSPC;
      close(fd);
      errno = fehler;
      return false;
    }
    geschrieben += static_cast<size_t>(n);
  }
  return close(fd) == 0;
}

// Copies every line of the file `name` to the screen. Only a regular file is read; the
// open does not follow a link and does not wait on a pipe.
void zeige_datei(const umgebung& u, const char* name) {
  int fd = open(pfad(u, name).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return;
  }
  FILE* f = fdopen(fd, "rb");
  if (!f) {
    close(fd);
    return;
  }
  linereader leser;
  leser.attach(f);
  std::string z;
  while (leser.readline(z, kZeilenbreite)) zeile(u, z);
  leser.close();
  std::fclose(f);
}

// Says that an input line was cut.
void melde_zu_lang(const umgebung& u) {
  zeile(u, "Line longer than 255 characters: only its first 255 are translated.");
}

}  // namespace

volatile std::sig_atomic_t zembu_abbruch = 0;

umgebung echte_umgebung() {
  umgebung u;
  u.starte = [](const std::string& programm, const std::string& argumente) {
    starte_programm(programm, argumente);
  };
  return u;
}

void teile_satz(std::string& zeile, std::string& rest) {
  rest.clear();
  if (zeile.size() < 2) return;
  for (size_t i = 0; i + 1 < zeile.size(); ++i) {
    const char c = zeile[i];
    if (c == '!' || c == '.' || c == ':' || c == '?') {
      rest = zeile.substr(i + 1);
      zeile.resize(i + 1);
      return;
    }
  }
}

bool lies_zeile(linereader& eingabe, std::string& zeile, bool& zu_lang) {
  zu_lang = false;
  if (!eingabe.readline(zeile, kZeilenbreite + 1)) return false;
  if (zeile.size() > kZeilenbreite) {
    zeile.resize(kZeilenbreite);
    zu_lang = true;
  }
  return true;
}

std::string banner() { return version_banner("zembu"); }

void starte_zembu(const umgebung& u) {
  loesche(u, "zembu.ind");
  u.starte("./makezembu", "");
  zeile(u, "");
  zeile(u, banner());
  zeile(u, "Rule-based translation from English into German");
  zeile(u, "Made by the zembu developers; all language knowledge lives in rules.txt");
  zeile(u, "");
}

bool definitionen_da(const umgebung& u) {
  struct stat st;
  if (stat(pfad(u, "definitions").c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
  zeile(u, "Directory definitions/ not found. Verzeichnis definitions/ fehlt.");
  return false;
}

void loesche_zwischendateien(const umgebung& u) {
  for (const char* name : kZwischendateien) loesche(u, name);
}

bool uebersetze_satz(const umgebung& u, const std::string& satz) {
  // Files left by an earlier run that was cut short must not reach this sentence's
  // passes, and a link planted under one of the names must not be written through.
  loesche_zwischendateien(u);
  loesche(u, "erg1");
  if (!schreibe_satzdatei(u, satz)) {
    zeile(u, std::string("Cannot write ") + kSatzdatei + ": " + std::strerror(errno) +
                 ". Translation stopped.");
    loesche_zwischendateien(u);
    return false;
  }
  // The four passes; an interruption skips the rest of them and the printing.
  static const char* const kPaesse[][2] = {
      {"./zembu1", "test.zembu zembu.ind quiet"},
      {"./zembu4", "pass1 pass3"},
      {"./zembu2", "SHELLMODE definitions/ pass3 pass2 > erg1"},
      {"./zembu3", "pass2 pass3 definitions/asci2.zmb"},
  };
  for (const auto& pass : kPaesse) {
    if (zembu_abbruch) break;
    if (std::strcmp(pass[0], "./zembu2") == 0) loesche(u, "erg1");
    u.starte(pass[0], pass[1]);
  }
  if (!zembu_abbruch) zeige_datei(u, "pass3");
  loesche_zwischendateien(u);
  if (zembu_abbruch) return false;
  // A screen that no longer takes output (a closed pipe) ends the run.
  return std::fflush(u.bildschirm) == 0 && !std::ferror(u.bildschirm);
}

int interaktiv(const umgebung& u, linereader& eingabe) {
  zeile(u, kAufforderung);
  for (;;) {
    zeile(u, "");
    std::fflush(u.bildschirm);
    std::string z, rest;
    bool zu_lang = false;
    if (!lies_zeile(eingabe, z, zu_lang) || z.empty() || zembu_abbruch) return 0;
    if (zu_lang) melde_zu_lang(u);
    while (!z.empty() && !zembu_abbruch) {
      teile_satz(z, rest);
      if (!uebersetze_satz(u, z)) return 1;
      z = rest;
    }
  }
}

int dateimodus(const umgebung& u, linereader& text) {
  for (;;) {
    std::string z, rest;
    bool zu_lang = false;
    if (!lies_zeile(text, z, zu_lang) || z.empty() || zembu_abbruch) return 0;
    if (zu_lang) melde_zu_lang(u);
    while (!z.empty() && !zembu_abbruch) {
      teile_satz(z, rest);
      zeile(u, z);
      if (!uebersetze_satz(u, z)) return 1;
      zeile(u, "");
      z = rest;
    }
  }
}

int dateimodus(const umgebung& u, const std::string& name) {
  int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st;
  if (fd >= 0 && (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode))) {
    close(fd);
    fd = -1;
  }
  FILE* f = fd >= 0 ? fdopen(fd, "rb") : nullptr;
  if (!f) {
    if (fd >= 0) close(fd);
    zeile(u, kNichtGefunden);
    return 0;
  }
  linereader text;
  text.attach(f);
  const int status = dateimodus(u, text);
  text.close();
  std::fclose(f);
  return status;
}

}  // namespace zembu
