#include "tokenizer/satzleser.h"

#include "tokenizer/zeichen.h"

namespace zembu::tokenizer {

bool lies_satz(linereader& in, satz& s, size_t capacity) {
  s = satz();
  if (capacity < 2) capacity = 2;
  unsigned char prev = ' ';
  bool lf = false;  // a line feed has ended a line of this sentence, only whitespace since
  for (;;) {
    if (in.eof()) {
      if (s.puffer.empty()) {
        s.zu_ende = true;
        s.schluss = satzschluss::textende;
        return false;
      }
      s.schluss = satzschluss::dateiende;
      break;
    }
    if (s.puffer.size() >= capacity) {
      s.schluss = satzschluss::puffer_voll;
      break;
    }
    int c = in.get();
    if (ist_gross(static_cast<unsigned char>(c)) && ist_leerraum(prev)) {
      if (s.puffer.size() + 2 > capacity) {
        // Marker and letter would not both fit: the letter opens the next piece.
        in.unget(c);
        s.schluss = satzschluss::puffer_voll;
        break;
      }
      s.puffer.push_back(static_cast<char>(kKapitalmarke));
      ++s.markers;
      lf = false;
    }
    if (c == '\n') {
      if (lf) {
        s.schluss = satzschluss::leerzeile;
        break;
      }
      if (!s.puffer.empty()) lf = true;
    }
    // Byte 255 is the non-breaking space of code page 437 and the field marker of the
    // token lines: it reads as a blank, so it never gets into a token.
    if (c < 32 || c == kFieldMarker) c = ' ';
    if (c == ' ' && prev == ' ') {
      ++s.dropped;
      continue;
    }
    s.puffer.push_back(static_cast<char>(c));
    if (c != ' ') lf = false;
    const bool ende = ist_satzende(prev) && c == ' ';
    prev = static_cast<unsigned char>(c);
    if (ende) {
      s.schluss = satzschluss::satzzeichen;
      break;
    }
  }
  s.zu_ende = in.eof();
  // The byte that closed the sentence is given back, to be read again by the next run.
  // A full buffer closes on no byte of its own, so nothing is given back then.
  if (!s.zu_ende && s.schluss != satzschluss::puffer_voll) s.puffer.pop_back();
  return true;
}

long long naechster_start(long long start, const satz& s) {
  if (s.zu_ende) return -1;
  return start + static_cast<long long>(s.puffer.size()) + s.dropped - s.markers;
}

std::string satztext(const satz& s) {
  size_t n = s.puffer.size();
  while (n > 0 && ist_leerraum(static_cast<unsigned char>(s.puffer[n - 1]))) --n;
  return s.puffer.substr(0, n);
}

std::string anzeigetext(const satz& s) {
  std::string out;
  for (char c : satztext(s)) {
    if (static_cast<unsigned char>(c) >= 32) out.push_back(c);
  }
  return out;
}

}  // namespace zembu::tokenizer
