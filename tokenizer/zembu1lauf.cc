#include "tokenizer/zembu1lauf.h"

#include <sys/stat.h>

#include <cerrno>

#include "common/linereader.h"
#include "common/version.h"
#include "tokenizer/satzleser.h"
#include "tokenizer/tokenzeilen.h"

namespace zembu::tokenizer {

namespace {

// Offsets are held below this bound, so that no sum of offsets and counts overflows.
constexpr long long kMaxOffset = 1LL << 60;

// Writes `inhalt` as the whole file `name`; false when it cannot be created or written.
// A symbolic link under the name is not followed: the file then cannot be created.
bool schreibe_datei(const std::string& name, const std::string& inhalt) {
  linewriter f;
  if (!f.create(name)) return false;
  f.write(inhalt);
  return f.close();
}

std::string nicht_schreibbar(const std::string& name) {
  return "File " + name + " cannot be written.\n";
}

// The end-of-text step: "-1" in the index file, "SEN EOF" as the token file.
int textende(const zembu1_auftrag& a, std::string& bildschirm) {
  if (!schreibe_datei(a.indexdatei, "-1\n")) {
    bildschirm += nicht_schreibbar(a.indexdatei);
    return kStatusAusgabe;
  }
  if (!schreibe_datei(a.datei1, std::string(kTextendeZeile) + "\n")) {
    bildschirm += nicht_schreibbar(a.datei1);
    return kStatusAusgabe;
  }
  return kStatusTextende;
}

}  // namespace

bool ist_zahl(const std::string& s) {
  size_t i = (!s.empty() && (s[0] == '-' || s[0] == '+')) ? 1 : 0;
  if (i == s.size()) return false;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
  }
  return true;
}

long long lies_zahl(const std::string& s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  bool negativ = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negativ = s[i++] == '-';
  long long n = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    const int ziffer = s[i] - '0';
    n = n > (kMaxOffset - ziffer) / 10 ? kMaxOffset : n * 10 + ziffer;
  }
  return negativ ? -n : n;
}

long long lies_indexdatei(const std::string& name) {
  linereader in;
  if (!in.open(name)) return 0;
  // Only the front of the first line counts; reading stops there even on endless input.
  std::string zeile;
  for (int c = in.get(); c >= 0 && c != '\n' && zeile.size() < 64; c = in.get()) {
    zeile.push_back(static_cast<char>(c));
  }
  return lies_zahl(zeile);
}

bool lies_argumente(const std::vector<std::string>& args, zembu1_auftrag& a) {
  a = zembu1_auftrag();
  if (args.empty()) return false;
  a.eingabe = args[0];
  if (args.size() > 1 && !args[1].empty()) {
    if (ist_zahl(args[1])) {
      a.start = lies_zahl(args[1]);
    } else {
      a.indexdatei = args[1];
      a.start = lies_indexdatei(args[1]);
    }
  }
  if (args.size() > 2 && !args[2].empty()) {
    if (args[2] == "quiet") {
      a.quiet = true;
    } else {
      a.datei0 = args[2] + "0";
      a.datei1 = args[2] + "1";
    }
  }
  return true;
}

std::string banner() { return version_banner("zembu1"); }

int tokenisiere(const zembu1_auftrag& a, const std::vector<replace_pair>& tabelle,
                std::string& bildschirm) {
  linereader in;
  // A directory opens like a file here but reads as nothing; it is no text. (Asked of
  // stat: the file system library would double the program and its start-up.)
  struct stat st;
  const bool verzeichnis = stat(a.eingabe.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  if (verzeichnis || !in.open(a.eingabe)) {
    const int fehler = verzeichnis ? EISDIR : errno;
    bildschirm += "File " + a.eingabe + " not found.\nerror " + std::to_string(fehler) + "\n";
    return kStatusEingabe;
  }
  if (a.start < 0) return textende(a, bildschirm);
  if (a.start > 0 && !in.seek(static_cast<long>(a.start))) return textende(a, bildschirm);

  satz s;
  if (!lies_satz(in, s)) return textende(a, bildschirm);

  // The token file comes first: if it cannot be written, the index stays where it was
  // and the same sentence is read again.
  const std::string text = satztext(s);
  if (!schreibe_datei(a.datei1, tokenzeilen(text, tabelle))) {
    bildschirm += nicht_schreibbar(a.datei1);
    return kStatusAusgabe;
  }
  if (!schreibe_datei(a.indexdatei, std::to_string(naechster_start(a.start, s)) + "\n")) {
    bildschirm += nicht_schreibbar(a.indexdatei);
    return kStatusAusgabe;
  }
  const std::string anzeige = anzeigetext(s);
  if (schreibe_datei(a.datei0, anzeige + "\n") && !a.quiet) bildschirm += anzeige + "\n";
  return kStatusSatz;
}

}  // namespace zembu::tokenizer
