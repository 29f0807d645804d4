// The token table of the suffix splitter: the token lines of one sentence, each held as
// class code, word and rest, in a table of fixed size allocated once. An entry that an
// insertion pushes past the last place is kept aside and written behind the table.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/tokenline.h"

namespace zembu::suffix {

// The most entries the table holds.
constexpr size_t kMaxTokens = 2000;

// One entry: a token line as class code, word and rest.
using token_entry = token_line;

// The entry of a suffix split off a word: class ZZZ, the suffix as word, and as rest the
// byte 255, the attribute field "ZZZ------" and the suffix.
token_entry suffix_entry(std::string_view suffix);

struct tokentab {
  size_t capacity = 0;
  std::vector<token_entry> entries;  // in sentence order, never more than `capacity`
  // Pushed past the last place, in the order they left: read backwards, they continue
  // the sentence behind the last entry.
  std::vector<token_entry> beyond;
};

// Makes t an empty table for `capacity` entries, allocating its room here.
void init_tokentab(tokentab& t, size_t capacity = kMaxTokens);

// Appends e at the end; false (e not taken) when the table is full.
bool add_token(tokentab& t, token_entry e);

// Inserts e directly after entry i (counted from 0; an entry of the table), moving the entries behind it down by
// one. In a full table the last entry moves aside into `beyond` (or e itself, when i is
// the last entry). Returns true when e is in the table.
bool insert_token(tokentab& t, size_t i, token_entry e);

// The table as shown to the user: one line per entry, its number (from 1) right-aligned
// in two columns, a blank, then the entry's line.
std::string dump_tokentab(const tokentab& t);

}  // namespace zembu::suffix
