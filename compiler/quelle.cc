#include "compiler/quelle.h"

namespace zembu {

std::string_view trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return s.substr(b, e - b);
}

std::string_view trim_comment(std::string_view s) {
  s = trim(s);
  if (!s.empty() && s[0] == ';') return std::string_view();
  return s;
}

bool is_section_end(std::string_view line) { return line.substr(0, 5) == "-----"; }

quelle::quelle(std::string text) : in_(std::move(text)) {}

bool quelle::open(const std::string& path) { return in_.open(path); }

void quelle::close() { in_.close(); }

bool quelle::lies(std::string& line) {
  if (!in_.readline(roh_, kShortWidth)) {
    line.clear();
    return false;
  }
  ++line_number_;
  zeile_ = roh_;
  line.assign(trim_comment(roh_));
  return true;
}

bool quelle::lies_roh(std::string& line) {
  if (!in_.readline(line, kShortWidth)) return false;
  ++line_number_;
  return true;
}

bool quelle::naechste(std::string& line) {
  while (lies(line)) {
    if (line.empty()) continue;
    return !is_section_end(line);
  }
  return false;
}

}  // namespace zembu
