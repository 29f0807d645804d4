#include "suffix/tokentab.h"

#include <cstdio>
#include <utility>

#include "common/bstring.h"

namespace zembu::suffix {

token_entry suffix_entry(std::string_view suffix) {
  token_entry e;
  e.code = "ZZZ";
  e.word = cut(suffix, kShortWidth);
  e.rest = cut(attribute_field("ZZZ------", suffix), kShortWidth);
  e.has_rest = true;
  return e;
}

void init_tokentab(tokentab& t, size_t capacity) {
  t.capacity = capacity;
  t.entries.clear();
  t.entries.reserve(capacity);
  t.beyond.clear();
}

bool add_token(tokentab& t, token_entry e) {
  if (t.entries.size() >= t.capacity) return false;
  t.entries.push_back(std::move(e));
  return true;
}

bool insert_token(tokentab& t, size_t i, token_entry e) {
  const size_t at = i + 1;
  if (at > t.entries.size()) return false;
  if (t.entries.size() >= t.capacity) {
    if (at == t.entries.size()) {
      t.beyond.push_back(std::move(e));
      return false;
    }
    t.beyond.push_back(std::move(t.entries.back()));
    t.entries.pop_back();
  }
  t.entries.insert(t.entries.begin() + static_cast<std::ptrdiff_t>(at), std::move(e));
  return true;
}

std::string dump_tokentab(const tokentab& t) {
  std::string out;
  char number[24];
  for (size_t n = 0; n < t.entries.size(); ++n) {
    std::snprintf(number, sizeof number, "%2zu", n + 1);
    out += number;
    out += ' ';
    out += format_token_line(t.entries[n]);
    out += '\n';
  }
  return out;
}

}  // namespace zembu::suffix
