// The substitution table of zembu1: the (search, replacement) pairs applied to every
// token's search key, read from the two-line pair file of the definitions, or a small
// built-in table of German letters when that file is missing.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "common/linereader.h"
#include "common/replace.h"

namespace zembu::tokenizer {

// The most pairs the table holds; further pairs of the file are ignored.
constexpr size_t kMaxErsatzpaare = 200;

// The pair file in the working directory.
inline const char* const kAsciiDatei = "definitions/ascii.zmb";

// The pairs of a pair file: search text and replacement text on consecutive lines, until
// the end of the file or kMaxErsatzpaare pairs. A search line without its replacement
// line at the very end is not a pair.
std::vector<replace_pair> lies_ersatzpaare(linereader& in);

// The four built-in pairs: 132 -> 142, 148 -> 153, 129 -> 154 and "SS" -> 225.
std::vector<replace_pair> eingebaute_ersatzpaare();

// The table from the file `path`, or the built-in pairs when it does not open.
std::vector<replace_pair> lade_ersatztabelle(const std::string& path = kAsciiDatei);

// The table as text, one "search -> replacement" line per pair.
std::string dump_ersatztabelle(const std::vector<replace_pair>& tabelle);

}  // namespace zembu::tokenizer
