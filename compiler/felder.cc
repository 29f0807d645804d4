#include "compiler/felder.h"

namespace zembu {

int split_fields(std::string_view line, felder& f) {
  f.feld2.clear();
  f.rest.clear();
  size_t p1 = line.find(' ');
  if (p1 == std::string_view::npos) {
    f.feld1.assign(line);
    return 0;
  }
  f.feld1.assign(line.substr(0, p1));
  std::string_view after = line.substr(p1 + 1);
  size_t p2 = after.find(' ');
  if (p2 == std::string_view::npos) {
    f.feld2.assign(after);
    return 1;
  }
  f.feld2.assign(after.substr(0, p2));
  f.rest.assign(after.substr(p2 + 1));
  return 2;
}

bool starts_with(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

std::string upper_ascii(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::string remove_chars(std::string_view s, std::string_view chars) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    bool weg = false;
    for (char d : chars) weg |= c == d;  // a handful of bytes: cheaper than a search call
    if (!weg) out.push_back(c);
  }
  return out;
}

std::string singular(std::string_view s) {
  size_t n = s.size();
  if (n >= 3 && s.substr(n - 3) == "IES") return std::string(s.substr(0, n - 3)) + "Y";
  if (n >= 1 && s[n - 1] == 'S') return std::string(s.substr(0, n - 1));
  return std::string(s);
}

}  // namespace zembu
