// Builders for the engine's enciphered and indexed definition files: an indexed lexicon
// (index and 256-byte record file) made from a text lexicon, and scrambled copies of
// text definition files and record files.
#pragma once

#include <string>
#include <vector>

#include "engine/lexikon2.h"
#include "engine/translat.h"

namespace zembu::engine {

// One entry of a text lexicon: the word line and the entry line.
struct lexi_pair {
  std::string word;
  std::string entry;
};

// Reads the two-line entries of a text lexicon (each line cut to 80 characters).
std::vector<lexi_pair> read_text_lexicon(linereader& file);

// The records in block order and the index lines of an indexed lexicon: records sorted
// by the first two characters of their headword, largest first (equal keys keep their
// order), one index line per block with its first key and record number, and a closing
// line with the empty key behind the last record; at most 900 lines.
struct indexed_lexicon {
  std::vector<lexi_type> records;
  std::vector<index_type> index;
};
indexed_lexicon build_indexed_lexicon(const std::vector<lexi_pair>& pairs);

// Writes the index file and the record file, scrambled when `crypt` is true; false when
// one cannot be created (a symbolic link under its name is not followed) or written.
bool write_indexed_lexicon(const indexed_lexicon& lex, const std::string& index_name,
                           const std::string& data_name, bool crypt);

// Copies a text file with every line scrambled; false when `in` does not open or `out`
// cannot be created (never through a symbolic link) or written.
bool scramble_text_file(const std::string& in, const std::string& out);
// Copies a record file with every record scrambled; false as for scramble_text_file.
bool scramble_record_file(const std::string& in, const std::string& out);

}  // namespace zembu::engine
