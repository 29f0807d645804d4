// The sentence reader of zembu1: reads one sentence byte by byte from a text positioned at
// its start offset into a bounded buffer, folding blanks and marking capitals, and works
// out the offset at which the next run has to start reading.
#pragma once

#include <cstddef>
#include <string>

#include "common/linereader.h"

namespace zembu::tokenizer {

// The most bytes (capital markers included) one run keeps of a sentence; a longer
// sentence is handed on in pieces of this size.
constexpr size_t kSatzpuffer = 20000;

// How a call of lies_satz ended.
enum class satzschluss {
  textende,     // nothing but whitespace was left: the end-of-text step follows
  satzzeichen,  // a sentence-end character followed by whitespace
  leerzeile,    // an empty line
  dateiende,    // the input ended behind the sentence
  puffer_voll,  // the buffer is full; the rest of the sentence is the next piece
};

// One sentence as read.
struct satz {
  std::string puffer;      // stored bytes: capital markers, blanks for whitespace, controls
                           // and byte 255
  long long dropped = 0;   // blanks dropped because they followed a blank
  long long markers = 0;   // capital markers stored
  bool zu_ende = false;    // the input is at its end after this sentence
  satzschluss schluss = satzschluss::textende;
};

// Reads the next sentence from `in` into `s` (cleared first), storing at most `capacity`
// bytes (at least 2). Returns false, with schluss textende, when the input held nothing
// but whitespace and control bytes up to its end.
bool lies_satz(linereader& in, satz& s, size_t capacity = kSatzpuffer);

// The offset at which the run after a sentence starting at `start` begins reading, or
// -1 when the input is at its end.
long long naechster_start(long long start, const satz& s);

// The buffer without its trailing whitespace: the bytes the tokens are cut from.
std::string satztext(const satz& s);

// The sentence text as a person reads it: satztext without the capital markers.
std::string anzeigetext(const satz& s);

}  // namespace zembu::tokenizer
