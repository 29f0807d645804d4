// Development sentence pairs for the quality benchmark, taken from a German-English
// dictionary of lines "German :: English" whose sides hold aligned sub-entries joined by
// " | ". Pairs are split by the CRC-32 of their English side: even ones are for
// development, odd ones are held out and dropped before any other test looks at them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zembu {

// The longest English side, in blank-separated words, that a development pair may have.
constexpr int kMaxEnglishWords = 10;

// The standard CRC-32 of zlib and IEEE 802.3 (reflected polynomial 0xEDB88320, initial
// and final value 0xFFFFFFFF) of `bytes`.
uint32_t crc32(std::string_view bytes);

// A sub-entry as the pairs use it: every label in braces or brackets ("{m}", "[coll.]")
// is removed with the blanks before it, tabs become blanks, runs of blanks become one
// and the ends are trimmed.
std::string clean_sub_entry(std::string_view text);

// True when a cleaned English side is held out: its CRC-32 is odd.
bool is_held_out(std::string_view english);

// True when a cleaned side is one whole sentence of a pair: valid UTF-8; it begins with a
// capital letter (A-Z, and for German also Ä, Ö, Ü) or a digit and ends in ".", "!" or
// "?"; no ".", "!", "?", ":" or ";" stands before a blank (no second sentence, no "; "
// alternatives); none of { } [ ] ( ) < > / ~ … or "..." remains; and no placeholder
// word of the dictionary (English sb, sth, sb's, sth's; German jd, jdm, jdn, jds, etw).
bool is_one_sentence(std::string_view side, bool german);

// The number of blank-separated words of a cleaned side.
int word_count(std::string_view side);

struct sentence_pair {
  std::string english;
  std::string german;
};

// The development pairs of one dictionary line, in the order of its sub-entries: both
// sides split at " | " into the same number of sub-entries (a line with different
// counts, with no or several " :: ", or a comment line beginning with "#" gives none),
// each pair cleaned, held-out pairs dropped at once, then kept when both sides are one
// sentence and the English has at most kMaxEnglishWords words.
std::vector<sentence_pair> development_pairs(std::string_view line);

// Reads a dictionary from `in` and calls `take` for every development pair whose English
// side has not been taken before (the first pair of an English sentence wins). Returns
// the number of pairs taken.
size_t extract_development_pairs(FILE* in, const std::function<void(const sentence_pair&)>& take);

}  // namespace zembu
