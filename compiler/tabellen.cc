#include "compiler/tabellen.h"

#include <cstdint>
#include <utility>

#include "compiler/felder.h"

namespace zembu {

ersetzungstabelle::ersetzungstabelle() { paare_.reserve(kTabellenGrenze); }

bool ersetzungstabelle::add(std::string search, std::string replacement) {
  if (paare_.size() >= kTabellenGrenze) return false;
  paare_.push_back({std::move(search), std::move(replacement)});
  return true;
}

std::string ersetzungstabelle::dump() const {
  std::string out;
  for (const replace_pair& p : paare_) out += p.search + " -> " + p.replacement + "\n";
  return out;
}

std::string normkey(std::string_view s, const ersetzungstabelle& t) {
  std::string key = upper_ascii(s.substr(0, kShortWidth));
  // Which bytes the key holds: a pair whose search text starts with a byte that is not
  // there cannot match, so most pairs are passed over without a search.
  uint64_t da[4];
  auto merke = [&] {
    da[0] = da[1] = da[2] = da[3] = 0;
    for (char c : key) {
      const unsigned b = static_cast<unsigned char>(c);
      da[b >> 6] |= uint64_t{1} << (b & 63);
    }
  };
  auto moeglich = [&](const std::string& search) {
    const unsigned b = static_cast<unsigned char>(search[0]);
    return (da[b >> 6] >> (b & 63)) & 1;
  };
  merke();
  for (const replace_pair& p : t.paare()) {
    if (p.search.empty() || !moeglich(p.search)) continue;
    if (replace_repeated(key, p.search, p.replacement, kShortWidth) > 0) merke();
  }
  return key;
}

endungstabelle::endungstabelle() { eintraege_.reserve(kTabellenGrenze); }

bool endungstabelle::add(endung e) {
  if (eintraege_.size() >= kTabellenGrenze) return false;
  eintraege_.push_back(std::move(e));
  return true;
}

std::string endungstabelle::codiere(std::string token) const {
  for (const endung& e : eintraege_) {
    if (token == e.ending) token = e.code;
  }
  return token;
}

std::string endungstabelle::dump() const {
  std::string out;
  for (const endung& e : eintraege_) out += e.ending + "|" + e.code + "|" + e.rest + "\n";
  return out;
}

abkuerzungstabelle::abkuerzungstabelle() {
  paare_.reserve(kTabellenGrenze);
  erste_.reserve(kTabellenGrenze);
}

bool abkuerzungstabelle::add(std::string abbreviation, std::string expansion) {
  if (paare_.size() >= kTabellenGrenze) return false;
  erste_.emplace(abbreviation, paare_.size());  // keeps an earlier pair of the same name
  paare_.push_back({std::move(abbreviation), std::move(expansion)});
  return true;
}

void abkuerzungstabelle::clear() {
  paare_.clear();
  erste_.clear();
}

std::string_view abkuerzungstabelle::lookup(std::string_view word) const {
  if (paare_.empty()) return word;
  auto it = erste_.find(std::string(word));
  if (it == erste_.end()) return word;
  return paare_[it->second].replacement;
}

std::string abkuerzungstabelle::dump() const {
  std::string out;
  for (const replace_pair& p : paare_) out += p.search + " = " + p.replacement + "\n";
  return out;
}

}  // namespace zembu
